#pragma once

#include "database/SqlValue.h"

#include <QMetaType>
#include <QString>
#include <QVariant>
#include <compare>
#include <optional>

namespace liqiva {

// A decimal text ("-1234.5678", " 12 "): an optional sign, digits and a point with at most
// `decimals` digits after it, as a whole number of its last place (10^-decimals); nothing for
// any other text or for a number beyond what a long long holds.
std::optional<long long> parseScaledDecimal(const QString &text, int decimals);

// An exact currency amount: a signed 64-bit count of ten-thousandths, the precision of the
// currency columns. Sums and differences are exact; a product is rounded back to four
// decimals (half away from zero); a quotient leaves the type as a double.
class Money {
public:
    static constexpr long long Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromRaw(long long tenThousandths)
    {
        Money m;
        m.m_raw = tenThousandths;
        return m;
    }
    static constexpr Money units(long long whole) { return fromRaw(whole * Scale); }
    // Rounded to four decimals, half away from zero; NaN and infinities give 0, a value
    // beyond the range is refused (DbError).
    static Money fromDouble(double value);
    // "1234.5", "-0.0001", "  12 ": a decimal point, at most four decimals; nothing else.
    static std::optional<Money> parse(const QString &text);
    // A database field: NULL gives 0, a NUMERIC read as text is taken exactly.
    static Money fromVariant(const QVariant &value);

    constexpr long long raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(m_raw) / Scale; }
    // Plain text with a decimal point and no trailing zeros ("1234.5", "-3", "0").
    QString toString() const;
    constexpr bool isZero() const { return m_raw == 0; }

    // Sums beyond the range (about 922 thousand billions) are refused with a DbError, as an
    // amount the database cannot hold, never wrapped.
    constexpr Money operator-() const { return fromRaw(-m_raw); }
    constexpr Money operator+(Money o) const
    {
        long long r = 0;
        if (__builtin_add_overflow(m_raw, o.m_raw, &r))
            overflow();
        return fromRaw(r);
    }
    constexpr Money operator-(Money o) const
    {
        long long r = 0;
        if (__builtin_sub_overflow(m_raw, o.m_raw, &r))
            overflow();
        return fromRaw(r);
    }
    Money &operator+=(Money o) { return *this = *this + o; }
    Money &operator-=(Money o) { return *this = *this - o; }
    // The product of two amounts, rounded to four decimals.
    Money operator*(Money o) const;
    Money operator*(long long factor) const
    {
        long long r = 0;
        if (__builtin_mul_overflow(m_raw, factor, &r))
            overflow();
        return fromRaw(r);
    }
    // The quotient as a double (a currency division leaves the type).
    double operator/(Money o) const { return static_cast<double>(m_raw) / static_cast<double>(o.m_raw); }

    constexpr auto operator<=>(const Money &) const = default;

    [[noreturn]] static void overflow();

private:
    long long m_raw = 0;
};

// An amount bound to a statement, exactly.
inline QVariant sqlValue(Money value)
{
    return QVariant::fromValue(SqlDecimal::fromUnits(value.raw(), 4));
}
inline SqlStatement sqlParam(Money value)
{
    return {u"?"_qs, {sqlValue(value)}};
}

} // namespace liqiva

Q_DECLARE_METATYPE(liqiva::Money)
