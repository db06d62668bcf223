#include "suite/Percent.h"

#include <algorithm>
#include <limits>

namespace liqiva {

namespace {

constexpr long long MoneyToPercent = Percent::Scale / Money::Scale; // 10^4

long long narrow(__int128 v)
{
    if (v > std::numeric_limits<long long>::max() || v < std::numeric_limits<long long>::min())
        Money::overflow();
    return static_cast<long long>(v);
}

} // namespace

Percent Percent::fromMoney(Money value)
{
    return fromRaw(narrow(static_cast<__int128>(value.raw()) * MoneyToPercent));
}

Percent Percent::fromVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.metaType() == QMetaType::fromType<Percent>())
        return value.value<Percent>();
    if (value.metaType() == QMetaType::fromType<Money>())
        return fromMoney(value.value<Money>());
    if (auto p = parse(value.toString()))
        return *p;
    return fromMoney(Money::fromVariant(value));
}

std::optional<Percent> Percent::parse(const QString &text)
{
    if (const std::optional<long long> raw = parseScaledDecimal(text, 8))
        return fromRaw(*raw);
    return std::nullopt;
}

Percent Percent::ratio(Money part, Money whole, Percent step, RoundMode mode)
{
    if (whole.isZero())
        return {};
    const long long unit = std::max<long long>(1, step.raw());
    const __int128 num = static_cast<__int128>(part.raw()) * 100 * Scale;
    const __int128 den = static_cast<__int128>(whole.raw()) * unit;
    return fromRaw(narrow(roundedQuotient(num, den, mode) * unit));
}

Money Percent::toMoney() const
{
    return Money::fromRaw(narrow(roundedQuotient(m_raw, MoneyToPercent, RoundMode::HalfAwayFromZero)));
}

QString Percent::toString() const
{
    const bool negative = m_raw < 0;
    const unsigned long long a =
        negative ? 0ULL - static_cast<unsigned long long>(m_raw) : static_cast<unsigned long long>(m_raw);
    QString s = QString::number(a / Scale);
    QString f = QString::number(a % Scale).rightJustified(8, u'0');
    while (f.endsWith(u'0'))
        f.chop(1);
    if (!f.isEmpty())
        s += u'.' + f;
    return negative ? u'-' + s : s;
}

Percent Percent::rounded(Percent step, RoundMode mode) const
{
    const long long unit = std::max<long long>(1, step.raw());
    return fromRaw(narrow(roundedQuotient(m_raw, unit, mode) * unit));
}

Money Percent::of(Money amount, Step step, RoundMode mode) const
{
    const long long unit = std::max<long long>(1, step.tenThousandths);
    const __int128 num = static_cast<__int128>(amount.raw()) * m_raw;
    const __int128 den = static_cast<__int128>(100) * Scale * unit;
    return Money::fromRaw(narrow(roundedQuotient(num, den, mode) * unit));
}

Money Percent::vatInGross(Money gross, Step step, RoundMode mode) const
{
    const __int128 whole = static_cast<__int128>(100) * Scale + m_raw;
    if (whole == 0)
        return {};
    const long long unit = std::max<long long>(1, step.tenThousandths);
    const __int128 num = static_cast<__int128>(gross.raw()) * m_raw;
    return Money::fromRaw(narrow(roundedQuotient(num, whole * unit, mode) * unit));
}

} // namespace liqiva
