#include "suite/Money.h"

#include "database/DbError.h"

#include <cmath>
#include <limits>
#include <utility>

namespace liqiva {

void Money::overflow()
{
    throw DbError(u"Un importo supera i limiti che il database può contenere (999.999.999.999.999,9999): "
                  u"non è stato scritto nulla. Controllare i contatori IVA del periodo."_qs,
                  QString());
}

Money Money::fromDouble(double value)
{
    if (!std::isfinite(value))
        return {};
    // Clean the binary noise first (0.1 + 0.2 is 0.30000000000000004) so that a value just
    // under a half of the last place is not rounded the wrong way.
    long double q = static_cast<long double>(value) * Scale;
    q = std::round(q * 1e6L) / 1e6L;
    const long double r = q < 0 ? -std::floor(-q + 0.5L) : std::floor(q + 0.5L);
    if (std::fabs(r) >= 9.2e18L)
        overflow();
    return fromRaw(static_cast<long long>(r));
}

std::optional<long long> parseScaledDecimal(const QString &text, int decimals)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (t[0] == u'-' || t[0] == u'+') {
        negative = t[0] == u'-';
        ++i;
    }
    constexpr __int128 largest = std::numeric_limits<long long>::max();
    __int128 raw = 0;
    int digits = 0;
    int places = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (!c.isDigit() || c.digitValue() < 0)
            return std::nullopt;
        if (point && ++places > decimals)
            return std::nullopt;
        raw = raw * 10 + c.digitValue();
        ++digits;
        if (raw > largest)
            return std::nullopt; // beyond what the type holds
    }
    if (digits == 0)
        return std::nullopt;
    for (; places < decimals; ++places)
        if ((raw *= 10) > largest)
            return std::nullopt;
    return static_cast<long long>(negative ? -raw : raw);
}

std::optional<Money> Money::parse(const QString &text)
{
    if (const std::optional<long long> raw = parseScaledDecimal(text, 4))
        return fromRaw(*raw);
    return std::nullopt;
}

Money Money::fromVariant(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (value.metaType() == QMetaType::fromType<Money>())
        return value.value<Money>();
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        QString text = value.toString().trimmed();
        // a NUMERIC may come with more decimals than four ("12.345600"): drop trailing zeros
        const int dot = text.indexOf(u'.');
        if (dot >= 0) {
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
        if (auto m = parse(text))
            return *m;
        bool ok = false;
        const double d = text.toDouble(&ok);
        return ok ? fromDouble(d) : Money();
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? fromDouble(d) : Money();
}

QString Money::toString() const
{
    const bool negative = m_raw < 0;
    const unsigned long long a =
        negative ? 0ULL - static_cast<unsigned long long>(m_raw) : static_cast<unsigned long long>(m_raw);
    QString s = QString::number(a / Scale);
    unsigned long long frac = a % Scale;
    if (frac != 0) {
        QString f = QString::number(frac).rightJustified(4, u'0');
        while (f.endsWith(u'0'))
            f.chop(1);
        s += u'.' + f;
    }
    return negative ? u'-' + s : s;
}

Money Money::operator*(Money o) const
{
    // raw * raw is in 1e-8 units; back to 1e-4 with half away from zero. The larger factor
    // is split into whole units and a remainder, so that no intermediate leaves 64 bits
    // for any product that itself fits the type.
    const bool negative = (m_raw < 0) != (o.m_raw < 0);
    unsigned long long a = m_raw < 0 ? 0ULL - static_cast<unsigned long long>(m_raw) : m_raw;
    unsigned long long b = o.m_raw < 0 ? 0ULL - static_cast<unsigned long long>(o.m_raw) : o.m_raw;
    if (a < b)
        std::swap(a, b);
    const unsigned long long a1 = a / Scale, a0 = a % Scale;
    const unsigned long long low = a0 * b;
    unsigned long long q = a1 * b + low / Scale;
    if ((low % Scale) * 2 >= static_cast<unsigned long long>(Scale))
        ++q;
    const long long r = static_cast<long long>(q);
    return fromRaw(negative ? -r : r);
}

} // namespace liqiva
