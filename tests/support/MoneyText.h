#pragma once

#include "suite/Money.h"
#include "suite/Percent.h"

#include <optional>
#include <ostream>

namespace liqiva::test {

// An exact amount written as in the tables of cases: m("1234.56").
inline Money m(const char *text)
{
    return *Money::parse(QString::fromUtf8(text));
}

// The same as a literal, taken from its digits exactly: 1528.04_eur, 3_eur.
inline Money operator""_eur(const char *digits)
{
    return *Money::parse(QString::fromLatin1(digits));
}

} // namespace liqiva::test

namespace liqiva {
// How a failed expectation shows an amount.
inline void PrintTo(const Money &value, std::ostream *os)
{
    *os << value.toString().toStdString();
}
inline void PrintTo(const Percent &value, std::ostream *os)
{
    *os << value.toString().toStdString() << '%';
}
} // namespace liqiva
