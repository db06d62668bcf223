#include "ChildFixture.h"

#include "document/DeclarationEdit.h"
#include "engine/Amounts.h"
#include "support/ScriptedMessages.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

using G = DeclarationGrid;
constexpr auto Debit = DeclarationColumn::Debit;
constexpr auto Credit = DeclarationColumn::Credit;

class DeclarationEdit : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }

    std::unique_ptr<SettlementDocument> fill(int activity, int month)
    {
        const int key = newSettlement(t->db(), messages, activity, demo::Year2024, month);
        auto doc = std::make_unique<SettlementDocument>(contextOf(t->db(), messages));
        doc->sbChildFill(key, false);
        return doc;
    }

    // Everything an edit may touch, to see that a refused one touched nothing.
    static std::vector<double> state(SettlementDocument &doc)
    {
        std::vector<double> s{doc.importoDaVersare(), doc.creditoResiduo(), doc.declaration().result()};
        for (int r = 0; r < G::RowCount; ++r) {
            s.push_back(doc.declaration().debitCell(r).value_or(-1));
            s.push_back(doc.declaration().creditCell(r).value_or(-1));
        }
        for (const Money v : doc.amounts().collection())
            s.push_back(v.toDouble());
        return s;
    }

    std::unique_ptr<TestDatabase> t;
    ScriptedMessages messages;
};

// March 2024 of the shop: 1,528.04 to pay, no interest (monthly). Each edit moves the
// amount to pay by what the cell means, and typing the cell empty again brings it back.
TEST_P(DeclarationEdit, EachEditableCellMovesTheAmountToPayItsWay)
{
    auto doc = fill(demo::Shop, 3);
    ASSERT_DOUBLE_EQ(doc->importoDaVersare(), 1528.04);
    struct {
        int row;
        DeclarationColumn column;
        double typed;
        double toPay;
        double credit;
    } cases[] = {
        {G::VariazioniImposta, Debit, 100, 1628.04, 0},   {G::VariazioniImposta, Credit, 100, 1428.04, 0},
        {G::IvaNonVersata, Debit, 50.5, 1578.54, 0},      {G::IvaNonVersata, Credit, 28.04, 1500, 0},
        {G::InteressiTrimestrali, Debit, 10, 1538.04, 0}, {G::AccontoVersato, Credit, 1528.04, 0, 0},
        {G::AccontoVersato, Credit, 2000, 0, 471.96}, // more paid than due: a credit
    };
    for (const auto &c : cases) {
        const DeclarationEditOutcome done = editDeclarationCell(*doc, c.row, c.column, c.typed);
        ASSERT_TRUE(done.accepted) << c.row << " " << done.message.toStdString();
        EXPECT_NEAR(doc->importoDaVersare(), c.toPay, 1e-9) << "row " << c.row;
        EXPECT_NEAR(doc->creditoResiduo(), c.credit, 1e-9) << "row " << c.row;
        const std::optional<double> cell =
            c.column == Debit ? doc->declaration().debitCell(c.row) : doc->declaration().creditCell(c.row);
        EXPECT_EQ(cell, std::optional<double>(c.typed));

        ASSERT_TRUE(editDeclarationCell(*doc, c.row, c.column, std::nullopt).accepted);
        EXPECT_NEAR(doc->importoDaVersare(), 1528.04, 1e-9) << "row " << c.row << " emptied";
        EXPECT_FALSE((c.column == Debit ? doc->declaration().debitCell(c.row) : doc->declaration().creditCell(c.row))
                         .has_value());
    }
    // What the save stores follows the cells.
    ASSERT_TRUE(editDeclarationCell(*doc, G::VariazioniImposta, Credit, 12.34).accepted);
    EXPECT_DOUBLE_EQ(doc->amounts().VarImpCre().toDouble(), 12.34);
    ASSERT_TRUE(editDeclarationCell(*doc, G::AccontoVersato, Credit, 7).accepted);
    EXPECT_DOUBLE_EQ(doc->amounts().AccontoVersato().toDouble(), 7);
    EXPECT_DOUBLE_EQ(doc->amounts().IvaPeriodo().toDouble(), 1528.04 - 12.34);
}

TEST_P(DeclarationEdit, RefusedEditsChangeNothing)
{
    auto doc = fill(demo::Shop, 3);
    struct {
        int row;
        DeclarationColumn column;
        std::optional<double> typed;
        QString message; // empty: the amounts check says why
    } cases[] = {
        {G::IvaEsigibile, Debit, 1, msgCellNotEditable()},
        {G::IvaDetratta, Credit, 1, msgCellNotEditable()},
        {G::IvaDebitoCreditoPeriodo, Debit, 1, msgCellNotEditable()},
        {G::IvaDovutaCreditoPeriodo, Credit, 1, msgCellNotEditable()},
        {G::RiportoPeriodoPrecedente, Credit, 1, msgCellNotEditable()},
        {G::CreditoInDetrazione, Credit, 1, msgCellNotEditable()},
        {G::InteressiTrimestrali, Credit, 1, msgCellNotEditable()},
        {G::AccontoVersato, Debit, 1, msgCellNotEditable()},
        {G::VariazioniImposta, Debit, -0.01, msgCellOutOfRange()},
        {G::VariazioniImposta, Debit, 10000000000000.0, msgCellOutOfRange()},
        {G::CreditiSpeciali, Credit, 10, {}}, // the shop has no special credit to use
    };
    const std::vector<double> before = state(*doc);
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
    auto doc = fill(demo::Shop, 3);
    // An annual credit taken out of the settlements is part of the debit variations.
    doc->amounts().setCAEstrLiqPer(Money::units(50));
    const DeclarationEditOutcome refused = editDeclarationCell(*doc, G::VariazioniImposta, Debit, 30);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, msgBelowRecordedPart(u"50,00"_qs));
    EXPECT_DOUBLE_EQ(doc->amounts().AltreVarDeb().toDouble(), 0);

    ASSERT_TRUE(editDeclarationCell(*doc, G::VariazioniImposta, Debit, 80).accepted);
    EXPECT_DOUBLE_EQ(doc->amounts().AltreVarDeb().toDouble(), 30); // the typed part
    EXPECT_DOUBLE_EQ(doc->amounts().VarImpoPeriodoPrecDeb().toDouble(), 80);
    EXPECT_NEAR(doc->importoDaVersare(), 1608.04, 1e-9);
}

// The first quarter of the wholesale trade: 2,455.33 due and 1% interest (24.55). The
// interest follows the debt until the user types one of their own.
TEST_P(DeclarationEdit, QuarterlyInterestFollowsTheDebtUnlessTyped)
{
    auto doc = fill(demo::Wholesale, 3);
    ASSERT_DOUBLE_EQ(doc->declaration().debit(G::IvaDovutaCreditoPeriodo), 4317.52);
    ASSERT_DOUBLE_EQ(doc->declaration().debit(G::InteressiTrimestrali), 43.18);
    ASSERT_DOUBLE_EQ(doc->importoDaVersare(), 4360.70);
    struct {
        int row;
        DeclarationColumn column;
        double typed;
        double interest;
        double toPay;
    } steps[] = {
        {G::VariazioniImposta, Debit, 1000, 53.18, 5370.70}, // 1% of 5,317.52
        {G::IvaNonVersata, Credit, 5317.52, 0, 0},           // nothing due, no interest
        {G::IvaNonVersata, Credit, 0, 53.18, 5370.70},
        {G::InteressiTrimestrali, Debit, 5, 5, 5322.52}, // typed: it stays
        {G::VariazioniImposta, Debit, 2000, 5, 6322.52},
    };
    for (const auto &s : steps) {
        ASSERT_TRUE(editDeclarationCell(*doc, s.row, s.column, s.typed).accepted);
        EXPECT_NEAR(doc->declaration().debit(G::InteressiTrimestrali), s.interest, 1e-9) << s.row << " " << s.typed;
        EXPECT_NEAR(doc->amounts().IntTrimDovuti().toDouble(), s.interest, 1e-9);
        EXPECT_NEAR(doc->importoDaVersare(), s.toPay, 1e-9) << s.row << " " << s.typed;
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DeclarationEdit);

} // namespace
