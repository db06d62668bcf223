// The settlement's own form inside the main window, as a user without the right to save meets it.

#include "gui/shell/ShellFixture.h"

#include <QAbstractButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class SettlementWindows : public ShellTest {
protected:
    DocumentWindow *openSaved(int key)
    {
        DocumentWindow *doc = window->docs().sbShowObject(key, window->docs().documents().value(0), false);
        EXPECT_NE(doc, nullptr);
        settle();
        return doc;
    }
    static void showTab(DocumentWindow *doc, const QString &caption)
    {
        auto *tabs = doc->findChild<QTabWidget *>(u"stbLiquidazioneIva"_qs);
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).remove(u'&').trimmed() == caption)
                tabs->setCurrentIndex(i);
    }
};

TEST_F(SettlementWindows, WithoutTheRightToSaveNothingCanBeTypedAndTheStatusBarSaysWhy)
{
    prepare(userSearchOnly);
    const int march = makeSettlement(shopActivity, year2024, 3, true);
    realForm = true;
    launch();
    DocumentWindow *doc = openSaved(march);
    ASSERT_EQ(doc->face(), DocumentWindow::Face::Form);
    const QWidget *note = window->statusBar()->findChild<QWidget *>(u"lblSolaConsultazione"_qs);
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());

    // Every box: typed into, unchanged.
    for (QLineEdit *box : doc->formFace()->widget()->findChildren<QLineEdit *>()) {
        if (!box->isEnabled() || box->objectName().isEmpty())
            continue;
        const QString before = box->text();
        box->setFocus();
        keyClicks(box, u"123"_qs);
        keyClick(box, Qt::Key_Return);
        EXPECT_EQ(box->text(), before) << box->objectName().toStdString();
    }
    // Every cell of the declaration grid: typed into, unchanged.
    auto *dip = doc->findChild<QTableWidget *>(u"spdDIP"_qs);
    ASSERT_NE(dip, nullptr);
    showTab(doc, u"Liquidazione"_qs);
    for (int row = 0; row < dip->rowCount(); ++row) {
        for (int column = 1; column < dip->columnCount(); ++column) {
            const QString before = dip->item(row, column)->text();
            dip->setCurrentCell(row, column);
            keyClicks(dip, u"5"_qs);
            keyClick(dip, Qt::Key_Return);
            EXPECT_EQ(dip->item(row, column)->text(), before) << row << "," << column;
        }
    }
    // The choices and the check boxes do not move either.
    for (QAbstractButton *b : doc->formFace()->widget()->findChildren<QAbstractButton *>())
        if (b->isCheckable())
            EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    EXPECT_FALSE(doc->changedObject());
    EXPECT_FALSE(enabled(u"Mnu_Clear"_qs));
    // Closing has nothing to ask: there were no changes.
    h.messages.clear();
    frame(doc)->close();
    settle();
    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_FALSE(note->isVisible());
}

} // namespace
