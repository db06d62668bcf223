#pragma once

#include "suite/Money.h"
#include "suite/Percent.h"

#include <QDate>
#include <QString>
#include <optional>

namespace liqiva {

// Amounts and dates as the settlement window shows them and as the user types them:
// Italian separators ("1.234,56"), two decimals in euro and none in lire, dates as
// "dd/mm/yyyy".

// An amount in the company's currency: euro "1.234,56", lire "1.235" (rounded half away
// from zero to the currency step).
QString formatAmount(Money value, bool euro);
// An optional amount: an empty cell stays empty.
QString formatAmount(std::optional<Money> value, bool euro);
// A percentage with two decimals: "76,82".
QString formatPercent(Percent value);

// What the user typed in an amount box.
struct ParsedAmount {
    bool valid = false;          // false: not an amount of the currency
    std::optional<Money> value;  // empty text gives a valid empty value
};
// Accepts an optional sign, digits with "." as thousands separators and "," as decimal
// separator ("1.234,56", "1234,5", "-12"); a single "." followed by one or two digits and no
// comma is taken as a decimal point ("12.50"). Euro amounts take at most two decimals,
// lire amounts none.
ParsedAmount parseAmount(const QString &text, bool euro);

// "dd/mm/yyyy"; an empty date gives an empty text.
QString formatDate(const std::optional<QDate> &date);
struct ParsedDate {
    bool valid = false;
    std::optional<QDate> value; // empty text gives a valid empty date
};
// Accepts "d/m/yyyy", "dd/mm/yyyy", "d-m-yyyy", "d.m.yyyy", "ddmmyyyy" and two-digit years
// (taken in 2000-2099 below 70, else in the 1900s).
ParsedDate parseDate(const QString &text);

// The messages of a refused amount or date.
QString msgInvalidAmount(const QString &typed, bool euro);
QString msgAmountOutOfRange(const QString &lowest, const QString &highest);
QString msgInvalidDate(const QString &typed);

} // namespace liqiva
