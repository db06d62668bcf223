#pragma once

#include <QString>
#include <optional>

namespace liqiva {

// The Italian VAT number (partita IVA): eleven digits, the last a check digit over the ten
// before it. Digits in odd places (first, third, ...) count as they are; digits in even
// places are doubled, less 9 when the double passes 9; the check digit brings the sum to a
// multiple of ten.
int partitaIvaCheckDigit(const QString &tenDigits);

// Why a text is not a VAT number, or nothing when it is one.
std::optional<QString> partitaIvaProblem(const QString &text);

// Why a text is not a tax code (codice fiscale), or nothing when it is one: eleven digits (a
// company's, checked as a VAT number) or sixteen characters of a person's, whose last letter
// is the check character (digits replaced by letters for homonyms are accepted).
std::optional<QString> codiceFiscaleProblem(const QString &text);

} // namespace liqiva
