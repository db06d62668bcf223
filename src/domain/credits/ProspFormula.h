#pragma once

#include "suite/Money.h"

#include <QString>
#include <functional>
#include <optional>

namespace liqiva {

// The formulas of the declaration prospectuses, in the grid's own syntax: amounts ("12.5"),
// cell references ("B3", column letter and row number), + - * / with the usual precedence,
// parentheses, the comparisons > < >= <= = <> (true is 1, false 0) and the functions
// SUM(B1:B5; or a list) and IF(condition, then, else), names in any case.
//
// The evaluator is total: whatever text it is given, it ends with a value or with an error
// and its message, never a crash or a loop. The text is at most MaxLength characters, the
// nesting at most MaxDepth levels and a range at most MaxRangeCells cells; arithmetic is
// exact on four decimals (a product or a quotient is rounded half away from zero), an
// overflow or a division by zero is an error.
class ProspFormula {
public:
    static constexpr int MaxLength = 1000;
    static constexpr int MaxDepth = 64;
    static constexpr int MaxRangeCells = 1000;

    struct Result {
        std::optional<Money> value;
        QString error; // why there is no value
        bool ok() const { return value.has_value(); }
    };

    // The value of a cell (column 0 is A, rows from 1), or an error message.
    using CellLookup = std::function<Result(int column, int row)>;

    static Result evaluate(const QString &formula, const CellLookup &cell);

    static QString msgEmpty();
    static QString msgTooLong();
    static QString msgTooDeep();
    static QString msgUnexpected(const QString &what, int position);
    static QString msgUnexpectedEnd();
    static QString msgUnknownFunction(const QString &name);
    static QString msgArguments(const QString &name);
    static QString msgDivisionByZero();
    static QString msgOverflow();
    static QString msgRangeTooLarge(const QString &range);
    static QString msgRangeOutsideSum();
};

} // namespace liqiva
