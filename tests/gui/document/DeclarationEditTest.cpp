#include "ChildFixture.h"

#include "domain/document/DeclarationEdit.h"
#include "domain/engine/Amounts.h"
#include "support/DemoDocumentTest.h"
#include "support/MoneyText.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

using G = DeclarationGrid;
constexpr auto Debit = DeclarationColumn::Debit;
constexpr auto Credit = DeclarationColumn::Credit;

class DeclarationEdit : public DemoDocumentTest {
protected:
    // Everything an edit may touch, to see that a refused one touched nothing.
    static std::vector<Money> state(SettlementDocument &doc)
    {
        std::vector<Money> s{doc.importoDaVersare(), doc.creditoResiduo(), doc.declaration().result()};
        for (int r = 0; r < G::RowCount; ++r) {
            s.push_back(doc.declaration().debitCell(r).value_or(-1_eur));
            s.push_back(doc.declaration().creditCell(r).value_or(-1_eur));
        }
        for (const Money v : doc.amounts().collection())
            s.push_back(v);
        return s;
    }
};

// March 2024 of the shop: 1,528.04 to pay, no interest (monthly). Each edit moves the
// amount to pay by what the cell means, and typing the cell empty again brings it back.
TEST_P(DeclarationEdit, EachEditableCellMovesTheAmountToPayItsWay)
{
    auto doc = open(demo::Shop, 3);
    ASSERT_EQ(doc->importoDaVersare(), 1528.04_eur);
    struct {
        int row;
        DeclarationColumn column;
        Money typed;
        Money toPay;
        Money credit;
    } cases[] = {
        {G::VariazioniImposta, Debit, 100_eur, 1628.04_eur, 0_eur},   {G::VariazioniImposta, Credit, 100_eur, 1428.04_eur, 0_eur},
        {G::IvaNonVersata, Debit, 50.5_eur, 1578.54_eur, 0_eur},      {G::IvaNonVersata, Credit, 28.04_eur, 1500_eur, 0_eur},
        {G::InteressiTrimestrali, Debit, 10_eur, 1538.04_eur, 0_eur}, {G::AccontoVersato, Credit, 1528.04_eur, 0_eur, 0_eur},
        {G::AccontoVersato, Credit, 2000_eur, 0_eur, 471.96_eur}, // more paid than due: a credit
    };
    for (const auto &c : cases) {
        const DeclarationEditOutcome done = editDeclarationCell(*doc, c.row, c.column, c.typed);
        ASSERT_TRUE(done.accepted) << c.row << " " << done.message.toStdString();
        EXPECT_EQ(doc->importoDaVersare(), c.toPay) << "row " << c.row;
        EXPECT_EQ(doc->creditoResiduo(), c.credit) << "row " << c.row;
        const std::optional<Money> cell =
            c.column == Debit ? doc->declaration().debitCell(c.row) : doc->declaration().creditCell(c.row);
        EXPECT_EQ(cell, std::optional<Money>(c.typed));

        ASSERT_TRUE(editDeclarationCell(*doc, c.row, c.column, std::nullopt).accepted);
        EXPECT_EQ(doc->importoDaVersare(), 1528.04_eur) << "row " << c.row << " emptied";
        EXPECT_FALSE((c.column == Debit ? doc->declaration().debitCell(c.row) : doc->declaration().creditCell(c.row))
                         .has_value());
    }
    // What the save stores follows the cells.
    ASSERT_TRUE(editDeclarationCell(*doc, G::VariazioniImposta, Credit, 12.34_eur).accepted);
    EXPECT_DOUBLE_EQ(doc->amounts().VarImpCre().toDouble(), 12.34);
    ASSERT_TRUE(editDeclarationCell(*doc, G::AccontoVersato, Credit, 7_eur).accepted);
    EXPECT_DOUBLE_EQ(doc->amounts().AccontoVersato().toDouble(), 7);
    EXPECT_DOUBLE_EQ(doc->amounts().IvaPeriodo().toDouble(), 1528.04 - 12.34);
}

TEST_P(DeclarationEdit, RefusedEditsChangeNothing)
{
    auto doc = open(demo::Shop, 3);
    struct {
        int row;
        DeclarationColumn column;
        std::optional<Money> typed;
        QString message; // empty: the amounts check says why
    } cases[] = {
        {G::IvaEsigibile, Debit, 1_eur, msgCellNotEditable()},
        {G::InteressiTrimestrali, Credit, 1_eur, msgCellNotEditable()},
        {G::AccontoVersato, Debit, 1_eur, msgCellNotEditable()},
        {G::VariazioniImposta, Debit, -0.01_eur, msgCellOutOfRange()},
        {G::CreditiSpeciali, Credit, 10_eur, {}}, // the shop has no special credit to use
    };
    const std::vector<Money> before = state(*doc);
    for (const auto &c : cases) {
        const DeclarationEditOutcome refused = editDeclarationCell(*doc, c.row, c.column, c.typed);
        EXPECT_FALSE(refused.accepted) << "row " << c.row;
        if (!c.message.isEmpty())
            EXPECT_EQ(refused.message, c.message) << "row " << c.row;
        else
            EXPECT_FALSE(refused.message.isEmpty()) << "row " << c.row;
        EXPECT_EQ(state(*doc), before) << "row " << c.row;
    }
    // The largest amount a cell takes is taken.
    EXPECT_TRUE(editDeclarationCell(*doc, G::VariazioniImposta, Credit, G::MaxCell).accepted);
}

TEST_P(DeclarationEdit, ATotalMayNotGoBelowWhatTheCreditsRecorded)
{
    auto doc = open(demo::Shop, 3);
    // An annual credit taken out of the settlements is part of the debit variations.
    doc->amounts().setCAEstrLiqPer(Money::units(50));
    const DeclarationEditOutcome refused = editDeclarationCell(*doc, G::VariazioniImposta, Debit, 30_eur);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, msgBelowRecordedPart(u"50,00"_qs));
    EXPECT_DOUBLE_EQ(doc->amounts().AltreVarDeb().toDouble(), 0);

    ASSERT_TRUE(editDeclarationCell(*doc, G::VariazioniImposta, Debit, 80_eur).accepted);
    EXPECT_DOUBLE_EQ(doc->amounts().AltreVarDeb().toDouble(), 30); // the typed part
    EXPECT_DOUBLE_EQ(doc->amounts().VarImpoPeriodoPrecDeb().toDouble(), 80);
    EXPECT_EQ(doc->importoDaVersare(), 1608.04_eur);
}

// The first quarter of the wholesale trade: 2,455.33 due and 1% interest (24.55). The
// interest follows the debt until the user types one of their own.
TEST_P(DeclarationEdit, QuarterlyInterestFollowsTheDebtUnlessTyped)
{
    auto doc = open(demo::Wholesale, 3);
    ASSERT_EQ(doc->declaration().debit(G::IvaDovutaCreditoPeriodo), 4317.52_eur);
    ASSERT_EQ(doc->declaration().debit(G::InteressiTrimestrali), 43.18_eur);
    ASSERT_EQ(doc->importoDaVersare(), 4360.70_eur);
    struct {
        int row;
        DeclarationColumn column;
        Money typed;
        Money interest;
        Money toPay;
    } steps[] = {
        {G::VariazioniImposta, Debit, 1000_eur, 53.18_eur, 5370.70_eur}, // 1% of 5,317.52
        {G::IvaNonVersata, Credit, 5317.52_eur, 0_eur, 0_eur},           // nothing due, no interest
        {G::IvaNonVersata, Credit, 0_eur, 53.18_eur, 5370.70_eur},
        {G::InteressiTrimestrali, Debit, 5_eur, 5_eur, 5322.52_eur}, // typed: it stays
        {G::VariazioniImposta, Debit, 2000_eur, 5_eur, 6322.52_eur},
    };
    for (const auto &s : steps) {
        ASSERT_TRUE(editDeclarationCell(*doc, s.row, s.column, s.typed).accepted);
        EXPECT_EQ(doc->declaration().debit(G::InteressiTrimestrali), s.interest) << s.row << " " << s.typed.toString().toStdString();
        EXPECT_EQ(doc->amounts().IntTrimDovuti(), s.interest);
        EXPECT_EQ(doc->importoDaVersare(), s.toPay) << s.row << " " << s.typed.toString().toStdString();
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DeclarationEdit);

} // namespace
