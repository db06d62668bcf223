#include "gui/document/F24Frame.h"
#include "support/Answering.h"
#include "domain/communication/CommunicationFixture.h"
#include "gui/document/frmChild.h"

#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class F24Tab : public CommunicationTest {
protected:
    // The settlement window of a period, filled as New and OK leave it.
    frmChild &open(int activity, int month)
    {
        const int key = newWorkingSettlement(db(), messages, 1, 1, activity, kDemoVatYear2024, month);
        EXPECT_NE(key, 0);
        child = std::make_unique<frmChild>(DocumentContext{db(), messages, 1, 1, 1, true});
        child->sbChildFill(key, false);
        return *child;
    }
    QStringList line(int row)
    {
        auto *grid = child->findChild<QTableWidget *>(u"spdF24"_qs);
        QStringList texts;
        for (int c = 0; c < grid->columnCount(); ++c)
            texts << (grid->item(row, c) ? grid->item(row, c)->text() : QString());
        return texts;
    }
    int lines() { return child->findChild<QTableWidget *>(u"spdF24"_qs)->rowCount(); }
    QString note() { return child->findChild<QLabel *>(u"lblF24"_qs)->text(); }

    std::unique_ptr<frmChild> child;
};

// The payment tab of the shop's March (1528,04 to pay) shows the line 6003 of 2024; the
// wholesale activity's first quarter its line 6031 with the interest inside the amount.
TEST_P(F24Tab, ThePaymentTabShowsTheLines)
{
    const struct {
        int activity, month;
        QStringList line;
    } cases[] = {
        {1, 3, {u"6003"_qs, u"2024"_qs, u"1.528,04"_qs, QString(), u"IVA mese 3"_qs}},
        {2, 3, {u"6031"_qs, u"2024"_qs, u"4.360,70"_qs, QString(), u"IVA 1° trimestre"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.activity);
        open(c.activity, c.month);
        ASSERT_EQ(lines(), 1);
        EXPECT_EQ(line(0), c.line);
        EXPECT_EQ(note(), QString());
    }
}

// With the company's minimum periodic payment raised above March's debt nothing is paid:
// no line, and the tab says why.
TEST_P(F24Tab, NothingToPayUnderTheMinimum)
{
    db().execute(
        u"UPDATE ConfigurazioneContabile SET ImportoMinimoIvaLiquidazionePeriodica = 2000 WHERE IDAzienda = 1"_qs);
    open(1, 3);
    EXPECT_EQ(lines(), 0);
    EXPECT_TRUE(note().contains(u"Importo di 1.528,04 non superiore al versamento minimo di 2.000,00"_qs))
        << note().toStdString();
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(F24Tab);

} // namespace
