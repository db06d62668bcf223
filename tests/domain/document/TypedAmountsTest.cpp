#include "domain/credits/Prospetto.h"
#include "domain/document/DeclarationEdit.h"
#include "domain/document/DocumentCredits.h"
#include "domain/engine/Amounts.h"
#include "support/Answering.h"
#include "support/MoneyText.h"
#include "support/DemoDocumentTest.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// What the user types in the declaration tab and its credit windows: kept when a dialog fills
// the settlement again, stored by the save and read back when the settlement is opened again.
// The demo shop's March 2024 owes 1,528.04 (worked out by hand in the demo settlement test).
class TypedAmounts : public DemoDocumentTest {};

// A credit of 2,000.00 typed in row 6 turns the month into a credit of 2,000.00 - 1,528.04 =
// 471.96; a refill after a dialog (the pro-rata, the other operations, the truckers' credit)
// keeps it, a fresh fill of the saved settlement reads it back.
TEST_P(TypedAmounts, AGridEditOutlivesARefill)
{
    auto doc = open(1, 3);
    ASSERT_EQ(doc->importoDaVersare(), 1528.04_eur);
    ASSERT_TRUE(
        editDeclarationCell(*doc, DeclarationGrid::VariazioniImposta, DeclarationColumn::Credit, 2000_eur).accepted);
    ASSERT_EQ(doc->creditoResiduo(), 471.96_eur);

    doc->refill();
    EXPECT_EQ(doc->declaration().credit(DeclarationGrid::VariazioniImposta), 2000_eur);
    EXPECT_EQ(doc->importoDaVersare(), 0_eur);
    EXPECT_EQ(doc->creditoResiduo(), 471.96_eur);
    EXPECT_EQ(doc->saldo(), -471.96_eur);
}

// The infra-annual credit prospectus of the README's example: of the 471.96, 100.00 asked
// back and 50.00 used in F24 leave 321.96 to carry; saved and opened again, the prospectus
// shows what was typed and the settlement the same figures.
TEST_P(TypedAmounts, TheProspectusReadsBackWhatWasSaved)
{
    auto doc = open(1, 3);
    ASSERT_TRUE(
        editDeclarationCell(*doc, DeclarationGrid::VariazioniImposta, DeclarationColumn::Credit, 2000_eur).accepted);
    doc->setSoggettoRimborso(true);
    {
        auto p = makeProspetto(*doc, Prospetto::CreditoInfrannuale);
        p->setValue(Prospetto::B2Trimestre, 471.96_eur); // as the README's example types it
        p->setValue(Prospetto::B7Rimborso, 100_eur);
        p->setValue(Prospetto::B8F24, 50_eur);
        p->setLetter(0, true);
        ASSERT_FALSE(p->IsValid().has_value()) << p->IsValid()->message.toStdString();
        takeProspetto(*doc, *p);
    }
    EXPECT_EQ(doc->creditoResiduo(), 321.96_eur);
    ASSERT_TRUE(saveAnswering(*doc)) << messages.texts().join(u" | "_qs).toStdString();

    auto again = reopen(doc->key());
    const auto p = makeProspetto(*again, Prospetto::CreditoInfrannuale);
    const struct {
        int row;
        Money value;
    } rows[] = {
        {Prospetto::B1Totale, 471.96_eur},
        {Prospetto::B7Rimborso, 100_eur},
        {Prospetto::B8F24, 50_eur},
        {Prospetto::B10Residuo, 321.96_eur},
    };
    for (const auto &r : rows)
        EXPECT_EQ(p->value(r.row), r.value) << "row B" << r.row + 1;
    EXPECT_TRUE(p->letter(0));
    EXPECT_EQ(again->creditoInfrannualeRimborso(), 100_eur);
    EXPECT_EQ(again->creditoInfrannualeF24(), 50_eur);
    EXPECT_EQ(again->creditoResiduo(), 321.96_eur);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(TypedAmounts);

} // namespace
