#pragma once

#include <QString>

namespace liqiva {

// The check of a text that a user or an input file gives, made before anything is written
// into its column, so that both engines take it whole or refuse it the same way:
// - at most the column's length, as the schema declares it (TEXT(n); a MEMO column has none),
//   counted in characters as PostgreSQL counts them (a pair of surrogates is one);
// - no control characters (a NUL would cut the value on its way to PostgreSQL); a MEMO column
//   takes tabs and line breaks;
// - valid UTF-16 (no lone surrogate).
// `field` names the field in the message: the window's caption or the input file's path.

// Why the text cannot be written into table.column; empty when it can.
QString textFault(const QString &field, const QString &text, const QString &table, const QString &column);
// The same, thrown as a Refusal.
void checkText(const QString &field, const QString &text, const QString &table, const QString &column);

// The longest text of a column (0: no bound); a column the schema does not declare as text
// is a fault of the program (std::logic_error).
int textColumnLength(const QString &table, const QString &column);

QString msgTextTooLong(const QString &field, qsizetype length, int bound);
QString msgTextControl(const QString &field, char32_t code, qsizetype position);
QString msgTextInvalid(const QString &field, qsizetype position);

} // namespace liqiva
