#pragma once

#include <QJsonObject>
#include <QString>

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
//
// Read-only members that settlementInputJson prints beside them ("percentage", the credit
// itself) are accepted and ignored, so that what the output prints can be given back.
class SettlementInput {
public:
    // Reads the object from a file; a Refusal says why it cannot be used.
    static QJsonObject readFile(const QString &path);

    // Applies the object to a filled document. Returns whether the settlement must be
    // computed again (the pro-rata or the other operations changed). A bad value throws a
    // Refusal with its message; what was applied before stays in memory only.
    static bool apply(SettlementDocument &doc, const QJsonObject &input);
    // The members of the declaration and payment tabs (CreditInput.h), which a computation
    // would lose: apply() takes them itself unless it returns true, and then the caller gives
    // them here after computing again.
    static void applyAfterFill(SettlementDocument &doc, const QJsonObject &input);

    // The same members, as the document holds them now.
    static QJsonObject toJson(SettlementDocument &doc);

    static QString msgUnknownMember(const QString &name);
    static QString msgNotAnnual(const QString &name);
    static QString msgNotAdvance();
    static QString msgInvalidAmount(const QString &member, const QString &text);
    static QString msgUnknownRate(const QString &rate);
};

} // namespace liqiva
