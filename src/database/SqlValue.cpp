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

namespace {

constexpr long long powersOfTen[] = {1LL,
                                     10LL,
                                     100LL,
                                     1000LL,
                                     10000LL,
                                     100000LL,
                                     1000000LL,
                                     10000000LL,
                                     100000000LL,
                                     1000000000LL,
                                     10000000000LL,
                                     100000000000LL,
                                     1000000000000LL,
                                     10000000000000LL,
                                     100000000000000LL,
                                     1000000000000000LL,
                                     10000000000000000LL,
                                     100000000000000000LL,
                                     1000000000000000000LL};

// What SQLite is given for a decimal known by its units, the same as its text would give
// below: a whole number as an integer; up to 15 significant digits as the double nearest to
// it (the significant digits and the power of ten are both exact doubles, so their quotient
// is the correctly rounded value, as reading the text is); beyond that, the text.
QVariant sqliteDecimal(const SqlDecimal &d)
{
    const long long scale = powersOfTen[d.scale];
    if (d.units % scale == 0)
        return QVariant(d.units / scale);
    unsigned long long m =
        d.units < 0 ? 0ULL - static_cast<unsigned long long>(d.units) : static_cast<unsigned long long>(d.units);
    int decimals = d.scale;
    while (m % 10 == 0) {
        m /= 10;
        --decimals;
    }
    if (m >= static_cast<unsigned long long>(powersOfTen[15]))
        return QVariant(d.text);
    const double v = static_cast<double>(m) / static_cast<double>(powersOfTen[decimals]);
    return QVariant(d.units < 0 ? -v : v);
}

} // namespace

SqlDecimal SqlDecimal::fromUnits(long long units, int scale)
{
    Q_ASSERT(scale >= 0 && scale <= 18);
    // At most 20 digits, a sign and a point.
    char16_t buffer[24];
    char16_t *end = buffer + 24;
    char16_t *p = end;
    unsigned long long a =
        units < 0 ? 0ULL - static_cast<unsigned long long>(units) : static_cast<unsigned long long>(units);
    const unsigned long long place = static_cast<unsigned long long>(powersOfTen[scale]);
    unsigned long long whole = a / place;
    unsigned long long fraction = a % place;
    if (fraction != 0) {
        int digits = scale;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        for (int k = 0; k < digits; ++k) {
            *--p = char16_t(u'0' + fraction % 10);
            fraction /= 10;
        }
        *--p = u'.';
    }
    do {
        *--p = char16_t(u'0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (units < 0)
        *--p = u'-';
    return {QString(reinterpret_cast<const QChar *>(p), end - p), units, scale};
}

QVariant sqlBindValue(const QVariant &value, Engine engine)
{
    if (!value.isValid() || value.isNull())
        return value;
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<SqlDecimal>()) {
        const SqlDecimal &decimal = *static_cast<const SqlDecimal *>(value.constData());
        if (engine == Engine::Sqlite && decimal.scale >= 0)
            return sqliteDecimal(decimal);
        const QString &text = decimal.text;
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
