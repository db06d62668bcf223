#include "gui/document/ChildFixture.h"

#include <QLabel>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class F24Tab : public FormTest<EngineTest> {
protected:
    Engine formEngine() const override { return engine(); }
    QStringList line(int row)
    {
        QTableWidget *g = grid(u"spdF24"_qs);
        QStringList texts;
        for (int c = 0; c < g->columnCount(); ++c)
            texts << cell(g, row, c);
        return texts;
    }
    int lines() { return grid(u"spdF24"_qs)->rowCount(); }
    QString note() { return find<QLabel>("lblF24")->text(); }
};

// The payment tab of the shop's March (1528,04 to pay) shows the line 6003 of 2024; the
// wholesale activity's first quarter its line 6031 with the interest inside the amount. With
// the company's minimum periodic payment raised above March's debt nothing is paid: no line,
// and the tab says why.
TEST_P(F24Tab, ThePaymentTabShowsTheLinesOrWhyThereIsNone)
{
    const struct {
        int activity, month, minimum;
        QStringList line; // empty: no line
        QString note;
    } cases[] = {
        {1, 3, 100, {u"6003"_qs, u"2024"_qs, u"1.528,04"_qs, QString(), u"IVA mese 3"_qs}, {}},
        {2, 3, 100, {u"6031"_qs, u"2024"_qs, u"4.360,70"_qs, QString(), u"IVA 1° trimestre"_qs}, {}},
        {1, 3, 2000, {}, u"Importo di 1.528,04 non superiore al versamento minimo di 2.000,00"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.minimum);
        db().execute(u"UPDATE ConfigurazioneContabile SET ImportoMinimoIvaLiquidazionePeriodica = ? WHERE "
                     u"IDAzienda = 1"_qs,
                     {c.minimum});
        open(c.activity, c.month);
        ASSERT_EQ(lines(), c.line.isEmpty() ? 0 : 1);
        if (lines())
            EXPECT_EQ(line(0), c.line);
        EXPECT_TRUE(c.note.isEmpty() ? note().isEmpty() : note().contains(c.note)) << note().toStdString();
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(F24Tab);

} // namespace
