#include "database/Recordset.h"

#include "database/DbError.h"

#include <QSqlDriver>
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

namespace {
char16_t folded(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

bool sameName(const QString &x, const QString &y)
{
    const qsizetype n = x.size();
    if (n != y.size())
        return false;
    const QChar *a = x.constData();
    const QChar *b = y.constData();
    for (qsizetype k = 0; k < n; ++k)
        if (folded(a[k].unicode()) != folded(b[k].unicode()))
            return false;
    return true;
}
} // namespace

bool FieldNames::Caseless::operator==(const Caseless &other) const
{
    return sameName(text, other.text);
}

size_t qHash(const FieldNames::Caseless &key, size_t seed) noexcept
{
    size_t h = seed ^ 0x9e3779b97f4a7c15ULL;
    const QChar *p = key.text.constData();
    for (qsizetype k = 0, n = key.text.size(); k < n; ++k)
        h = (h ^ folded(p[k].unicode())) * 0x100000001b3ULL;
    return h;
}

FieldNames::FieldNames(const QSqlRecord &record)
{
    const int count = record.count();
    m_names.reserve(count);
    m_index.reserve(count);
    for (int k = 0; k < count; ++k) {
        m_names.push_back(record.fieldName(k));
        Caseless key{m_names.back()};
        if (!m_index.contains(key))
            m_index.insert(key, k);
    }
}

int FieldNames::indexOf(const QString &name) const
{
    // Most results have a few columns: comparing the names of the same length costs less than
    // hashing the name, and finds the first column of a name as the index does.
    if (m_names.size() <= linearLookup) {
        for (size_t k = 0; k < m_names.size(); ++k) {
            if (sameName(m_names[k], name))
                return int(k);
        }
        return -1;
    }
    const auto it = m_index.constFind(Caseless{name});
    return it == m_index.constEnd() ? -1 : *it;
}

Recordset::Recordset(std::shared_ptr<QSqlQuery> query, std::shared_ptr<bool> lease,
                     std::shared_ptr<std::shared_ptr<const FieldNames>> names)
    : m_query(std::move(query)), m_lease(std::move(lease))
{
    // A statement keeps its columns while it is kept: the names are made for its first result.
    // SQLite prepares a statement again after a change of the schema (a column added to a
    // table read with "*"): there the count of columns is checked, which costs nothing; a
    // PostgreSQL statement whose columns changed fails instead.
    if (names && *names &&
        (m_query->driver()->dbmsType() != QSqlDriver::SQLite || (*names)->columnCount() == m_query->record().count())) {
        m_names = *names;
    } else {
        m_names = std::make_shared<const FieldNames>(m_query->record());
        if (names)
            *names = m_names;
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
    return m_names ? m_names->distinctCount() : 0;
}

QString Recordset::fieldName(int index) const
{
    return m_query && m_names ? m_names->name(index) : QString();
}

bool Recordset::hasField(const QString &name) const
{
    return m_names && m_names->indexOf(name) >= 0;
}

int Recordset::indexOf(const QString &name) const
{
    const int index = m_names ? m_names->indexOf(name) : -1;
    if (index < 0)
        throw DbError(QStringLiteral("Campo inesistente: %1").arg(name), QString());
    return index;
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
