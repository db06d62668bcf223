#include "domain/overview/YearOverview.h"
#include "support/Answering.h"

#include "support/DemoDocumentTest.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class YearAtAGlance : public DemoDocumentTest {
protected:
    // The shop's first quarter saved (February printed definitively), April opened and left
    // working, the wholesale activity's first quarter saved.
    void SetUp() override
    {
        DemoDocumentTest::SetUp();
        for (int month : {1, 2, 3})
            keys[month] = save(1, month);
        keys[100 + 3] = save(2, 3);
        db().execute(u"UPDATE RisultatoLiquidazioneIva SET StampatoDefinitivo = 1 WHERE IDRisultatoLiquidazioneIva = "_qs
                     + QString::number(keys[2]));
        keys[4] = newWorkingSettlement(db(), messages, 1, 1, 1, kDemoVatYear2024, 4);
        ASSERT_NE(keys[4], 0);
    }

    const YearCell *cell(const YearOverview &o, int activity, int period)
    {
        for (const YearRow &r : o.rows)
            if (r.idAttivitaAzienda == activity)
                for (const YearCell &c : r.cells)
                    if (c.period == period)
                        return &c;
        return nullptr;
    }

    std::map<int, int> keys;
};

TEST_P(YearAtAGlance, EachCellSaysItsStateAndAmount)
{
    const YearOverview o = loadYearOverview(db(), 1, 2024);
    ASSERT_EQ(o.rows.size(), 4u);
    EXPECT_EQ(o.rows[0].cells.size(), 14u); // twelve months, the advance, the year
    EXPECT_EQ(o.rows[1].cells.size(), 6u);  // four quarters, the advance, the year
    using S = YearCell::State;
    const struct {
        int activity, period;
        S state;
        const char *amount; // nullptr: no amount
    } cases[] = {
        {1, 1, S::Saved, "1406.29"},
        {1, 2, S::PrintedDefinitive, "1235.78"},
        {1, 3, S::Saved, "1528.04"}, // worked out by hand in the document tests
        {1, 4, S::Working, nullptr},
        {1, 5, S::Missing, nullptr},
        {1, 13, S::Missing, nullptr},
        {1, 0, S::Missing, nullptr},
        {2, 3, S::Saved, "4360.7"}, // 4317.52 and the 1% interest 43.18
        {2, 6, S::Missing, nullptr},
        {4, 3, S::Missing, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "activity " << c.activity << " period " << c.period);
        const YearCell *found = cell(o, c.activity, c.period);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(yearCellStateText(found->state), yearCellStateText(c.state));
        EXPECT_EQ(found->key != 0, c.state != S::Missing);
        EXPECT_EQ(found->amount.has_value(), c.amount != nullptr);
        if (c.amount && found->amount)
            EXPECT_EQ(found->amount->toString(), QString::fromLatin1(c.amount));
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(YearAtAGlance);

} // namespace
