#include "database/Recordset.h"

#include "database/DbError.h"

#include <QSqlRecord>

namespace liqiva {

double fieldToNumber(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return 0.0;
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? d : 0.0;
}

Recordset::Recordset(std::shared_ptr<QSqlQuery> query, std::shared_ptr<bool> lease)
    : m_query(std::move(query)), m_lease(std::move(lease))
{
    const QSqlRecord rec = m_query->record();
    for (int k = 0; k < rec.count(); ++k) {
        const QString key = rec.fieldName(k).toLower();
        if (!m_names.contains(key))
            m_names.insert(key, k);
    }
    m_eof = !m_query->next();
}

Recordset &Recordset::operator=(Recordset &&other) noexcept
{
    if (this != &other) {
        close();
        m_query = std::move(other.m_query);
        m_lease = std::move(other.m_lease);
        m_names = std::move(other.m_names);
        m_eof = other.m_eof;
        other.m_eof = true;
    }
    return *this;
}

Recordset::~Recordset()
{
    close();
}

void Recordset::moveNext()
{
    if (m_query && !m_eof)
        m_eof = !m_query->next();
}

void Recordset::close()
{
    if (m_query) {
        m_query->finish();
        m_query.reset();
    }
    if (m_lease) {
        *m_lease = false;
        m_lease.reset();
    }
    m_eof = true;
}

int Recordset::fieldCount() const
{
    return int(m_names.size());
}

QString Recordset::fieldName(int index) const
{
    return m_query ? m_query->record().fieldName(index) : QString();
}

bool Recordset::hasField(const QString &name) const
{
    return m_names.contains(name.toLower());
}

int Recordset::indexOf(const QString &name) const
{
    const auto it = m_names.constFind(name.toLower());
    if (it == m_names.constEnd())
        throw DbError(QStringLiteral("Campo inesistente: %1").arg(name), QString());
    return *it;
}

QVariant Recordset::field(const QString &name) const
{
    return field(indexOf(name));
}

QVariant Recordset::field(int index) const
{
    if (!m_query || m_eof)
        throw DbError(QStringLiteral("Nessun record corrente."), QString());
    return m_query->value(index);
}

double Recordset::number(const QString &name) const
{
    return fieldToNumber(field(name));
}

double Recordset::number(int index) const
{
    return fieldToNumber(field(index));
}

int Recordset::integer(const QString &name) const
{
    return int(qRound64(number(name)));
}

QString Recordset::text(const QString &name) const
{
    const QVariant v = field(name);
    return v.isNull() ? QString() : v.toString();
}

bool Recordset::isNull(const QString &name) const
{
    return field(name).isNull();
}

} // namespace liqiva
