#pragma once

#include "suite/Money.h"

namespace liqiva::test {

// An exact amount written as in the tables of cases: m("1234.56").
inline Money m(const char *text)
{
    return *Money::parse(QString::fromUtf8(text));
}

} // namespace liqiva::test
