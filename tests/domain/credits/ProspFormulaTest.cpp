// The formula evaluator of the prospectuses: their formulas to the ten-thousandth, and typed
// values that cannot be computed ending with their message. Then the prospectuses themselves,
// with the figures of their checks.

#include "domain/credits/ProspFormula.h"
#include "domain/credits/Prospetto.h"
#include "domain/engine/Amounts.h"
#include "suite/Refusal.h"
#include "support/EngineFixture.h"
#include "support/MoneyText.h"

#include <gtest/gtest.h>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// B1..B5 = 1000, 600, 200, 50, 0; anything else is outside the grid.
ProspFormula::Result cell(int column, int row)
{
    const long long values[] = {1000, 600, 200, 50, 0};
    if (column != 1 || row < 1 || row > 5)
        return {std::nullopt, u"fuori"_qs};
    return {Money::units(values[row - 1]), {}};
}

TEST(ProspFormula, GoodFormulasGiveTheirValueToTheTenThousandth)
{
    const struct {
        const char *formula;
        const char *value;
    } cases[] = {
        {"SUM(B1:B5)", "1850"},
        {"SUM(B1;B3, 2.5)", "1202.5"},
        {"B1 - B3", "800"},
        {"B1 - (B7 + B8)", nullptr}, // outside the grid: an error
        {"IF(B1>B2, B2+B4-B5, B1+B4-B5)", "650"},
        {"IF(B1>B2,IF(B2>B3,B3+B4-B5,B2+B4-B5),IF(B1>B3,B3+B4-B5,B1+B4-B5))", "250"},
        {"if(B3 - (B1 + B4)>0,B3 - (B1 + B4),0)", "0"},
        {"IF(B5, 1/B5, 7)", "7"}, // the branch not taken is not computed
        {"2 + 3 * 4", "14"},
        {"10 / 3", "3.3333"},
        {"2 / 3", "0.6667"},      // half away from zero
        {"0.0001 / 2", "0.0001"}, // half of the last place goes up
        {"1.23456", nullptr},     // five decimals: not an amount
        {"B1 >= 1000", "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.formula);
        const ProspFormula::Result r = ProspFormula::evaluate(QString::fromLatin1(c.formula), cell);
        if (!c.value) {
            EXPECT_FALSE(r.ok());
            EXPECT_FALSE(r.error.isEmpty());
            continue;
        }
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_EQ(*r.value, m(c.value));
    }
}

// The formulas are the program's own; what may still fail is what the typed cells bring.
TEST(ProspFormula, TypedValuesThatCannotBeComputedEndWithTheirMessage)
{
    const struct {
        QString formula;
        QString message;
    } cases[] = {
        {u"B1 / B5"_qs, ProspFormula::msgDivisionByZero()},
        {u"1 / (B2 - 600)"_qs, ProspFormula::msgDivisionByZero()},
        {u"900000000000000 * 900000000000000"_qs, ProspFormula::msgOverflow()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.formula.toStdString());
        const ProspFormula::Result r = ProspFormula::evaluate(c.formula, cell);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.error, c.message);
    }
    // A cell whose own value is an error passes its message on.
    EXPECT_EQ(ProspFormula::evaluate(u"B9 + 1"_qs, cell).error, u"fuori"_qs);
}

// ---- the prospectuses ---------------------------------------------------------------------

class Prospectus : public EngineFixtureTest {};

TEST_P(Prospectus, TheUsableInfraAnnualCreditFollowsLetterC)
{
    Amounts a(t->db(), 1);
    const struct {
        long long b1, b2, b3, b4, b5;
        bool c;
        long long usable;
    } cases[] = {
        {1000, 600, 0, 50, 0, false, 650},   // B1 > B2: B2 + B4 - B5
        {500, 600, 0, 50, 20, false, 530},   // else B1 + B4 - B5
        {1000, 600, 200, 0, 0, true, 200},   // c): the depreciable goods bound it
        {1000, 100, 200, 0, 0, true, 100},
        {150, 600, 200, 0, 0, true, 150},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.b1);
        Prospetto p(Prospetto::CreditoInfrannuale, a, {});
        p.setLetter(2, c.c);
        const long long typed[] = {c.b1, c.b2, c.b3, c.b4, c.b5};
        for (int row = 0; row < 5; ++row)
            p.setValue(row, Money::units(typed[row]));
        EXPECT_EQ(p.value(Prospetto::B6Utilizzabile), Money::units(c.usable));
    }
}

TEST_P(Prospectus, TheChecksOfOkStopAtTheFirstProblemOnItsCell)
{
    Amounts a(t->db(), 1);
    auto infra = [&a](long long b1, long long b2, long long b3, long long b7, long long b8, bool la, bool lc) {
        auto p = std::make_unique<Prospetto>(Prospetto::CreditoInfrannuale, a, Prospetto::Context{});
        p->setLetter(0, la);
        p->setLetter(2, lc);
        const std::pair<int, long long> cells[] = {{0, b1}, {1, b2}, {2, b3}, {6, b7}, {7, b8}};
        for (const auto &[row, v] : cells)
            p->setValue(row, Money::units(v));
        return p;
    };
    const struct {
        std::unique_ptr<Prospetto> p;
        QString message;
        int row, letter;
    } cases[] = {
        {infra(1000, 600, 0, 400, 300, true, false), Prospetto::msgSuperaInfrannuale(), Prospetto::B7Rimborso, -1},
        {infra(500, 600, 0, 400, 300, true, false), Prospetto::msgResiduoNegativo(), Prospetto::B7Rimborso, -1},
        {infra(1000, 600, 0, 100, 0, false, false), Prospetto::msgSelezionareLettera(), -1, 0},
        {infra(1000, 600, 0, 0, 0, false, true), Prospetto::msgNessunBeneAmmortizzabile(), Prospetto::B3BeniAmm, -1},
        {infra(1000, 600, 200, 0, 0, true, false), Prospetto::msgSelezionareLetteraC(), -1, 2},
        {infra(1000, 600, 0, 400, 200, true, false), QString(), -1, -1}, // 600 of 600
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.left(40).toStdString());
        const std::optional<CreditProblem> problem = c.p->IsValid();
        if (c.message.isEmpty()) {
            EXPECT_FALSE(problem.has_value());
            continue;
        }
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(problem->message, c.message);
        EXPECT_EQ(problem->row, c.row);
        EXPECT_EQ(problem->letter, c.letter);
    }

    // Special credits: 100 available, 120 used.
    a.setChkCreAutotrasp(true);
    a.setCreAutotrasp(Money::units(100));
    a.setIvaPeriodo(Money::units(1000));
    Prospetto special(Prospetto::CreditiSpeciali, a, {});
    EXPECT_THROW(special.setValue(0, Money::units(5000)), Refusal); // the credit available is shown only
    special.setValue(2, Money::units(120));
    ASSERT_TRUE(special.IsValid().has_value());
    EXPECT_EQ(special.IsValid()->message, Amounts::msgCreditoUtilizzatoMaggiore());
    special.setValue(2, Money::units(80));
    EXPECT_FALSE(special.IsValid().has_value());
    EXPECT_EQ(special.value(4), Money::units(20)); // residual B1 - B3
    EXPECT_EQ(special.Value(), Money::units(80));
    a.setIvaPeriodo(Money::units(50)); // the tax due of the period is below the credits used
    EXPECT_EQ(special.IsValid()->message, Amounts::msgCreditiSpecialiMaggioriImposta());
}

TEST_P(Prospectus, TheQuartersOfTheInfraAnnualCreditFromApril)
{
    Amounts a(t->db(), 1);
    for (const auto &[month, rows, total] : {std::tuple{2, 4, u"SUM(B1:B3)"_qs}, std::tuple{5, 7, u"SUM(B1:B5)"_qs},
                                            std::tuple{0, 4, u"SUM(B1:B3)"_qs}}) {
        SCOPED_TRACE(month);
        Prospetto p(Prospetto::VariazioniCredito, a, Prospetto::Context{month});
        EXPECT_EQ(p.rowCount(), rows);
        EXPECT_EQ(p.formula(p.totalRow()), total);
        for (int row = 0; row < p.rowCount(); ++row)
            if (!p.isLocked(row))
                p.setValue(row, Money::units(10 * (row + 1)));
        p.store();
        // The total is what the declaration row shows, and the sum row is not counted twice.
        EXPECT_EQ(p.Value(), a.VarImpoPeriodoPrecCre());
    }
    // From what the single row stored: 10, 20 and the quarters 30, 0, 0.
    Prospetto p(Prospetto::VariazioniCredito, a, Prospetto::Context{5});
    EXPECT_EQ(p.Value(), Money::units(10 + 20 + 30));
    EXPECT_EQ(p.value(5), Money::units(30)); // the quarters' sum row
    EXPECT_THROW(p.setValue(0, Money::units(-1)), Refusal);
    EXPECT_THROW(p.setValue(0, Money::units(10000000000000LL)), Refusal);
    EXPECT_THROW(p.setValue(p.totalRow(), Money::units(1)), Refusal);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Prospectus);

} // namespace
