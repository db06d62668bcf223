#pragma once

#include <QString>
#include <QVariant>
#include <compare>
#include <optional>

namespace liqiva {

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
    // Rounded to four decimals, half away from zero; NaN and infinities give 0.
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

    constexpr Money operator-() const { return fromRaw(-m_raw); }
    constexpr Money operator+(Money o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Money operator-(Money o) const { return fromRaw(m_raw - o.m_raw); }
    Money &operator+=(Money o)
    {
        m_raw += o.m_raw;
        return *this;
    }
    Money &operator-=(Money o)
    {
        m_raw -= o.m_raw;
        return *this;
    }
    // The product of two amounts, rounded to four decimals.
    Money operator*(Money o) const;
    Money operator*(long long factor) const { return fromRaw(m_raw * factor); }
    // The quotient as a double (a currency division leaves the type).
    double operator/(Money o) const { return static_cast<double>(m_raw) / static_cast<double>(o.m_raw); }

    constexpr auto operator<=>(const Money &) const = default;

private:
    long long m_raw = 0;
};

} // namespace liqiva
