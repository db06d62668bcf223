#pragma once

#include "domain/credits/CreditUse.h"
#include "domain/credits/CreditoCompensabile.h"
#include "domain/credits/Prospetto.h"

#include <memory>

namespace liqiva {

class SettlementDocument;

// The credit windows of a settlement, made from the document and given back to it: the
// values a window confirms go into the settlement amounts (and the declaration's letters),
// the declaration grid shows them and the closing amounts follow. Nothing is written to the
// database until the settlement is saved (the compensable credit's print flag, a setting of
// the company, excepted).
std::unique_ptr<Prospetto> makeProspetto(SettlementDocument &doc, int type, bool readOnly = false);
void takeProspetto(SettlementDocument &doc, Prospetto &p);

std::unique_ptr<CreditUse> makeCreditUse(SettlementDocument &doc, bool readOnly = false);
void takeCreditUse(SettlementDocument &doc, CreditUse &use);

std::unique_ptr<CreditoCompensabile> makeCreditoCompensabile(SettlementDocument &doc, bool readOnly = false);
void takeCreditoCompensabile(SettlementDocument &doc, CreditoCompensabile &cic);

// Shows the amounts behind the rows the credit windows feed again in the declaration grid,
// and recomputes it with the closing amounts.
void showCreditsInDeclaration(SettlementDocument &doc);

// The window a double click on a cell of the declaration grid opens: a prospectus type (0
// to 3), CreditUseWindow for the compensable credit in deduction, or -1.
constexpr int CreditUseWindow = 100;
int windowOfDeclarationCell(int row, bool debitColumn);

} // namespace liqiva
