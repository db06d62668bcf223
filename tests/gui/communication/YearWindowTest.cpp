#include "domain/communication/CommunicationFixture.h"
#include "gui/overview/frmAnnoLiquidazioni.h"

#include <QSignalSpy>
#include <QTableWidget>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class YearWindow : public CommunicationTest {};

// The year of the demo company with the shop's March and the wholesale first quarter saved:
// the cells say their state and amount where the periods are, a quarterly activity leaves
// the other months empty, and a double click on a settlement asks for it to be opened.
TEST_P(YearWindow, CellsAndDoubleClick)
{
    const int march = save(1, 3);
    save(2, 3);
    frmAnnoLiquidazioni window(db(), messages, 1, 2024);
    auto *grid = window.findChild<QTableWidget *>(u"spdAnno"_qs);
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->rowCount(), 4);
    const struct {
        int row, period;
        const char *text; // nullptr: no cell
    } cases[] = {
        {0, 3, "salvata\n1.528,04"}, {0, 4, "mancante"},
        {1, 3, "salvata\n4.360,70"}, {1, 4, nullptr}, // a quarterly activity has no April
        {1, 6, "mancante"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " period " << c.period);
        QTableWidgetItem *item = grid->item(c.row, frmAnnoLiquidazioni::columnOf(c.period));
        ASSERT_EQ(item != nullptr, c.text != nullptr);
        if (item)
            EXPECT_EQ(item->text(), QString::fromUtf8(c.text));
    }
    QSignalSpy opened(&window, &frmAnnoLiquidazioni::openSettlement);
    Q_EMIT grid->cellDoubleClicked(0, frmAnnoLiquidazioni::columnOf(4)); // missing: nothing to open
    Q_EMIT grid->cellDoubleClicked(0, frmAnnoLiquidazioni::columnOf(3));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.at(0).at(0).toInt(), march);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(YearWindow);

} // namespace
