#include "database/SqlValue.h"

#include "database/DbError.h"

#include <cmath>

namespace liqiva {

SqlStatement sqlList(const SqlParams &values)
{
    QString text;
    for (qsizetype k = 0; k < values.size(); ++k)
        text += k ? u", ?"_qs : u"?"_qs;
    return {text, values};
}

SqlStatement sqlJoin(const QList<SqlStatement> &pieces, const QString &separator)
{
    SqlStatement out;
    for (qsizetype k = 0; k < pieces.size(); ++k) {
        if (k)
            out += separator;
        out += pieces[k];
    }
    return out;
}

QVariant sqlValue(double value)
{
    // What a currency column holds (19 digits, 4 of them decimals) on both engines alike.
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        throw DbError(u"Un importo supera i limiti che il database può contenere (999.999.999.999.999,9999): "
                      u"non è stato scritto nulla. Controllare i contatori IVA del periodo."_qs,
                      QString());
    QString s;
    if (value == std::trunc(value)) {
        s = QString::number(static_cast<long long>(value));
    } else {
        s = QString::number(value, 'f', 10);
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
        if (s == u"-0"_qs)
            s = u"0"_qs;
    }
    return QVariant::fromValue(SqlDecimal{s});
}

QVariant sqlBindValue(const QVariant &value, Engine engine)
{
    if (!value.isValid() || value.isNull())
        return value;
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<SqlDecimal>()) {
        const QString text = value.value<SqlDecimal>().text;
        // PostgreSQL casts the text to NUMERIC exactly. SQLite's currency columns are text
        // compared by value (SqliteDecimal.h): the amount goes as a number while a double
        // gives back its decimals exactly (15 significant digits), so that it also compares
        // as a number with expressions of no column; beyond that, as its text.
        if (engine == Engine::Postgres)
            return QVariant(text);
        bool whole = false;
        const qlonglong n = text.toLongLong(&whole);
        if (whole)
            return QVariant(n);
        qsizetype digits = 0;
        bool leading = true;
        for (QChar c : text) {
            if (!c.isDigit())
                continue;
            if (leading && c == u'0')
                continue;
            leading = false;
            ++digits;
        }
        return digits <= 15 ? QVariant(text.toDouble()) : QVariant(text);
    }
    if (type == QMetaType::fromType<SqlTimestamp>())
        return value.value<SqlTimestamp>().value.toString(u"yyyy-MM-dd HH:mm:ss.zzz"_qs);
    if (type.id() == QMetaType::QDate)
        return value.toDate().startOfDay().toString(u"yyyy-MM-dd HH:mm:ss"_qs);
    if (type.id() == QMetaType::QDateTime)
        return value.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_qs);
    return value;
}

} // namespace liqiva
