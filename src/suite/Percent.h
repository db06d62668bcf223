#pragma once

#include "suite/Money.h"
#include "suite/Rounding.h"

#include <QString>
#include <QVariant>
#include <compare>
#include <optional>

namespace liqiva {

// An exact percentage: a signed 64-bit count of hundred-millionths of a percent point, fine
// enough for the shares of the ventilation (seven decimals) and the VAT rates. Percentages
// are made from amounts and applied to amounts without ever passing through a double.
class Percent {
public:
    static constexpr long long Scale = 100'000'000;

    constexpr Percent() = default;
    static constexpr Percent fromRaw(long long raw)
    {
        Percent p;
        p.m_raw = raw;
        return p;
    }
    static constexpr Percent points(long long whole) { return fromRaw(whole * Scale); }
    // A rate as the database holds it (a currency column, four decimals): taken exactly.
    static Percent fromMoney(Money value);
    // A database field: NULL gives 0, a NUMERIC read as text is taken exactly.
    static Percent fromVariant(const QVariant &value);
    // "22", "76.82", "-0.5": a decimal point, at most eight decimals; nothing else.
    static std::optional<Percent> parse(const QString &text);

    // Steps of percentages: a whole point, a hundredth, a thousandth and a ten-millionth of a point.
    static const Percent Point, Hundredth, Thousandth, TenMillionth;

    // part / whole * 100, rounded to a multiple of step with a mode; a zero whole gives 0.
    static Percent ratio(Money part, Money whole, Percent step, RoundMode mode);

    constexpr long long raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    // Four decimals, the precision of the currency columns that store percentages.
    Money toMoney() const;
    // Plain text with a decimal point and no trailing zeros ("76.82", "100").
    QString toString() const;
    // For drawing only (a chart, a progress bar): never on the path of an amount.
    double toDouble() const { return static_cast<double>(m_raw) / Scale; }

    Percent rounded(Percent step, RoundMode mode) const;

    // amount * this / 100, rounded to a multiple of step with a mode.
    Money of(Money amount, Step step, RoundMode mode) const;
    // The VAT inside a gross amount at this rate: gross * rate / (100 + rate), rounded.
    Money vatInGross(Money gross, Step step, RoundMode mode) const;

    constexpr Percent operator+(Percent o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Percent operator-(Percent o) const { return fromRaw(m_raw - o.m_raw); }
    Percent &operator+=(Percent o) { return *this = *this + o; }
    constexpr auto operator<=>(const Percent &) const = default;

private:
    long long m_raw = 0;
};

inline constexpr Percent Percent::Point = Percent::fromRaw(Percent::Scale);
inline constexpr Percent Percent::Hundredth = Percent::fromRaw(Percent::Scale / 100);
inline constexpr Percent Percent::Thousandth = Percent::fromRaw(Percent::Scale / 1000);
inline constexpr Percent Percent::TenMillionth = Percent::fromRaw(Percent::Scale / 10000000);

// A percentage bound to a statement, with the four decimals of the columns.
inline QVariant sqlValue(Percent value)
{
    return sqlValue(value.toMoney());
}
inline SqlStatement sqlParam(Percent value)
{
    return {u"?"_qs, {sqlValue(value)}};
}

} // namespace liqiva

Q_DECLARE_METATYPE(liqiva::Percent)
