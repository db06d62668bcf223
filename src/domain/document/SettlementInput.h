#pragma once

#include "domain/prorata/DatiPNC.h"
#include "suite/Money.h"

#include <QJsonObject>
#include <QString>
#include <optional>

namespace liqiva {

class SettlementDocument;

// The values a user enters in the dialogs of a settlement, given at once as one JSON object
// (the command line's --input): one member per dialog. Each value goes through the same
// checks as in its dialog, with the same messages.
//
//   "prorata":         {"taxableOperations": 800, "exemptOperations": 200}  (annual settlement)
//   "otherOperations": [{"rate": "22", "taxable": 100, "tax": 22, "note": "..."}]
//                      (December advance; the rows replace those of the settlement; without
//                      "tax" it is computed from the rate)
//   "annualCredit":    {"refund": 300}  (annual settlement with a credit, taken at the save)
//   "truckersCredit":  {"used": 250}  (a trucker's month or quarter)
//   "declarationData": {"importsTaxable": 1000, "importsTax": 220, "amendedReturn": false,
//                       "correctionInTime": false, "priorPeriodChanges": false,
//                       "quarterlyTaxpayers": false, "refundAverageRate": false,
//                       "refundNonTaxable": false, "refundDepreciableGoods": false,
//                       "refundInEuro": false, "paymentInEuro": true, "paymentNotMade": false}
//                      (the periodic declaration; amounts as stored)
//   "annualCommunication": {"importsTaxable": 0, "importsTax": 0, "scrapTaxable": 500,
//                       "scrapTax": 110, "exceptionalEvents": false}  (annual settlement from 2002)
//   "accountingEntry": {"date": "2025-12-31", "number": 12, "cause": "RPR",
//                       "debitAccount": "1.05.01", "creditAccount": "5.08.11", "note": "..."}
//                      (the entry of the pro-rata adjustment, booked after the save: needs
//                      --save; the accounts default to the automatic ones, the fiscal year to
//                      the one of the date, the branch to the activity's first)
//
// Read-only members that settlementInputJson prints beside them ("percentage", the credit
// itself) are accepted and ignored, so that what the output prints can be given back.
class SettlementInput {
public:
    // Reads the object from a file; a Refusal says why it cannot be used.
    static QJsonObject readFile(const QString &path);
    // Refuses a member that the input does not know, at any depth, naming its path.
    static void checkShape(const QJsonObject &input);

    // Applies the object to a filled document. Returns whether the settlement must be
    // computed again (the pro-rata or the other operations changed). A bad value throws a
    // Refusal with its message; what was applied before stays in memory only. `yes` answers
    // the questions of the dialogs (the command line's --yes): without it a value the dialog
    // would ask about is refused.
    static bool apply(SettlementDocument &doc, const QJsonObject &input, bool yes);
    // The members of the declaration and payment tabs (CreditInput.h), which a computation
    // would lose: apply() takes them itself unless it returns true, and then the caller gives
    // them here after computing again.
    static void applyAfterFill(SettlementDocument &doc, const QJsonObject &input);

    // The refund of the annual credit given in the input, which the save takes when it
    // carries the credit over (as the dialog's field); nothing without the member.
    static std::optional<Money> annualCreditRefund(const QJsonObject &input);

    // The same members, as the document holds them now.
    static QJsonObject toJson(SettlementDocument &doc);

    // The accounting entry of the pro-rata adjustment given in the input, checked as its
    // dialog checks it (a Refusal with the message otherwise); nothing without the member.
    static std::optional<DatiPNC::Dati> accountingEntry(SettlementDocument &doc, const QJsonObject &input);
    // Books it for the settlement being saved (inside its transaction); a Refusal when the
    // books refuse it. Shows nothing: the caller asks first whether an existing entry may be
    // replaced (DatiPNC::questionAggiorna) and says afterwards that it was booked.
    static void bookAccountingEntry(SettlementDocument &doc, const DatiPNC::Dati &entry);
    static bool entryReplacesExisting(SettlementDocument &doc);
    static QString msgEntryNotReplaced();
    static QString msgEntryNeedsSave();

    static QString msgUnknownMember(const QString &name);
    static QString msgNotAnnual(const QString &name);
    static QString msgNotAdvance();
    static QString msgInvalidAmount(const QString &member, const QString &text);
    static QString msgUnknownRate(const QString &rate);
};

} // namespace liqiva
