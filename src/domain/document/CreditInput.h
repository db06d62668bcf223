#pragma once

#include <QJsonObject>
#include <QString>

namespace liqiva {

class SettlementDocument;

// The members of the settlement's input file that belong to its declaration tab and its
// payment tab: "infraAnnualCredit" (the prospectus of the infra-annual credit),
// "compensableCredit" (the compensable credit of the period), "payment" (the payment tab)
// and "declarationGrid" (the cells of the declaration grid that take typing). They are
// applied to a filled document, each through the checks of its window, with its messages (a
// Refusal); the document keeps them until it is saved.
//
//   "infraAnnualCredit": {"totalCredit": 1000, "quarterCredit": 600, "depreciableGoods": 0,
//                         "increases": 0, "decreases": 0, "refund": 400, "compensationF24": 100,
//                         "letterA": true, "letterB": false, "letterC": false}
//   "compensableCredit": {"initial": 2000, "usedF24": 300, "print": true}
//   "payment":           {"amount": 120.5, "date": "2024-04-16", "place": "bank", "abi": "05034",
//                         "cab": "10900", "agentCode": 69, "companyCode": "", "print": true,
//                         "advance": {...the same, December advance only...}}
//   "declarationGrid":   [{"row": 6, "debit": 100}, {"row": 7, "credit": 25}]
//
// Members printed beside them (the computed cells, "usedInSettlement", "final") are accepted
// and ignored, so that the output can be given back.
namespace CreditInput {
const QStringList &members();
void apply(SettlementDocument &doc, const QJsonObject &input);
void toJson(SettlementDocument &doc, QJsonObject &out);

QString msgNotInfraAnnual();
QString msgNoAdvancePayment();
QString msgUnknownPlace(const QString &place);
QString msgBadRow(const QString &path);
} // namespace CreditInput

} // namespace liqiva
