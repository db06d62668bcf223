#include "domain/document/DocumentCredits.h"

#include "domain/declarations/AltriDatiDip.h"
#include "domain/document/SettlementDocument.h"
#include "domain/engine/Amounts.h"

namespace liqiva {

std::unique_ptr<Prospetto> makeProspetto(SettlementDocument &doc, int type, bool readOnly)
{
    Prospetto::Context c;
    c.idMese = doc.identity().idMese;
    c.readOnly = readOnly;
    const DeclarationGrid &g = doc.declaration();
    // The credit before the infra-annual part is taken: what is carried on plus what was
    // asked back or used in F24; the quarter's own credit is row 5 on the credit side.
    c.creditoTotale = doc.toAmounts(doc.creditoResiduo() + doc.creditoInfrannualeRimborso() + doc.creditoInfrannualeF24());
    c.creditoTrimestre = doc.toAmounts(g.credit(DeclarationGrid::IvaDebitoCreditoPeriodo));
    const AltriDatiDip &dip = doc.datiDip();
    c.lettA = dip.AliquotaMediaLettA;
    c.lettB = dip.OperazioniNonImpLettB;
    c.lettC = dip.AcquistiBeniAmmLettC;
    return std::make_unique<Prospetto>(type, doc.amounts(), c);
}

void takeProspetto(SettlementDocument &doc, Prospetto &p)
{
    p.store();
    if (p.type() == Prospetto::CreditoInfrannuale) {
        AltriDatiDip &dip = doc.datiDip();
        dip.AliquotaMediaLettA = p.letter(0);
        dip.OperazioniNonImpLettB = p.letter(1);
        dip.AcquistiBeniAmmLettC = p.letter(2);
    }
    showCreditsInDeclaration(doc);
}

std::unique_ptr<CreditUse> makeCreditUse(SettlementDocument &doc, bool readOnly)
{
    return std::make_unique<CreditUse>(doc.context().db, doc.amounts(), doc.identity().idAzienda, doc.identity().anno,
                                       doc.identity().idMese, readOnly);
}

void takeCreditUse(SettlementDocument &doc, CreditUse &use)
{
    use.store();
    showCreditsInDeclaration(doc);
}

std::unique_ptr<CreditoCompensabile> makeCreditoCompensabile(SettlementDocument &doc, bool readOnly)
{
    return std::make_unique<CreditoCompensabile>(doc.amounts(), doc.amounts().CreditoInDetrazione(), readOnly);
}

void takeCreditoCompensabile(SettlementDocument &doc, CreditoCompensabile &cic)
{
    cic.store();
    showCreditsInDeclaration(doc);
}

void showCreditsInDeclaration(SettlementDocument &doc)
{
    const Amounts &a = doc.amounts();
    auto cell = [&doc](Money v) { return v.isZero() ? std::nullopt : std::optional<Money>(doc.fromAmounts(v)); };
    DeclarationGrid &g = doc.declaration();
    g.setDebit(DeclarationGrid::VariazioniImposta, cell(a.VarImpoPeriodoPrecDeb()));
    g.setCredit(DeclarationGrid::VariazioniImposta, cell(a.VarImpoPeriodoPrecCre()));
    g.setDebit(DeclarationGrid::IvaNonVersata, cell(a.IvaNoVersataPrec()));
    g.setCredit(DeclarationGrid::CreditoInDetrazione, cell(a.CreditoInDetrazione()));
    g.setCredit(DeclarationGrid::CreditiSpeciali, cell(a.CreditiSpeciali()));
    doc.recomputeDeclaration();
}

int windowOfDeclarationCell(int row, bool debitColumn)
{
    switch (row) {
    case DeclarationGrid::VariazioniImposta:
        return debitColumn ? Prospetto::VariazioniDebito : Prospetto::VariazioniCredito;
    case DeclarationGrid::IvaNonVersata:
        return Prospetto::IvaNonVersata;
    case DeclarationGrid::CreditiSpeciali:
        return Prospetto::CreditiSpeciali;
    case DeclarationGrid::CreditoInDetrazione:
        return CreditUseWindow;
    default:
        return -1;
    }
}

} // namespace liqiva
