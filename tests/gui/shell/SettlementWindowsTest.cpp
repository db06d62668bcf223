// The settlement's own form inside the main window, as users with different rights and on
// screens of different sizes meet it.

#include "gui/shell/ShellFixture.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
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

// The letter a caption marks for Alt, lower-cased; nothing when it marks none.
QChar accessKey(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) == u'&' && caption.at(i + 1) != u'&')
            return caption.at(i + 1).toLower();
        if (caption.at(i) == u'&')
            ++i;
    }
    return {};
}

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

TEST_F(SettlementWindows, NoAccessKeyStandsTwiceInTheWindow)
{
    prepare(userAllRights);
    const int march = makeSettlement(shopActivity, year2024, 3, true);
    realForm = true;
    launch();
    window->showWindow();
    DocumentWindow *doc = openSaved(march);

    // On every tab, what the user sees: the menus, the tabs, the buttons and the labels.
    auto *tabs = doc->findChild<QTabWidget *>(u"stbLiquidazioneIva"_qs);
    for (int tab = 0; tab < tabs->count(); ++tab) {
        if (!tabs->isTabVisible(tab))
            continue;
        tabs->setCurrentIndex(tab);
        settle();
        QMultiHash<QChar, QString> owners;
        auto note = [&](const QWidget *w, const QString &caption) {
            if (const QChar k = accessKey(caption); !k.isNull() && (!w || w->isVisible()))
                owners.insert(k, caption);
        };
        for (const QAction *a : window->menuBar()->actions())
            note(nullptr, a->text());
        for (const QTabBar *bar : window->findChildren<QTabBar *>())
            for (int i = 0; i < bar->count(); ++i)
                if (bar->isTabVisible(i))
                    note(bar, bar->tabText(i));
        for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
            if (!qobject_cast<const QTabBar *>(b->parentWidget()))
                note(b, b->text());
        for (const QLabel *l : window->findChildren<QLabel *>())
            if (l->buddy())
                note(l, l->text());
        for (const QGroupBox *g : window->findChildren<QGroupBox *>())
            note(g, g->title());
        for (const QChar k : owners.uniqueKeys())
            EXPECT_EQ(owners.count(k), 1) << tabs->tabText(tab).toStdString() << ": Alt+" << QString(k).toStdString()
                                          << ": " << QStringList(owners.values(k)).join(u", "_qs).toStdString();
        EXPECT_FALSE(owners.isEmpty());
    }
}

TEST_F(SettlementWindows, TiledWindowsKeepEveryFieldReadable)
{
    prepare(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    const int quarter = makeSettlement(wholesaleActivity, year2024, 1, true);
    const int advance = makeSettlement(shopActivity, year2024, 12, true);
    realForm = true;
    launch();
    window->showWindow();
    std::vector<DocumentWindow *> docs;
    for (const int key : {january, quarter, advance}) {
        docs.push_back(window->docs().sbShowObject(key, nullptr, false));
        ASSERT_NE(docs.back(), nullptr);
        showTab(docs.back(), u"Dati versamento"_qs);
    }
    // A box is readable when it is as wide as the text it is made for.
    struct {
        const char *box;
        QString widest;
    } boxes[] = {
        {"txtCodABIPer", u"00000"_qs},
        {"txtCodCABPer", u"00000"_qs},
        {"txtCodConcPer", u"00000"_qs},
        {"dtaDataVersamentiPeriodici", u"00/00/0000"_qs},
        {"curImportoVersamentiPeriodici", u"1.000.000,00"_qs},
        {"dtaDataVersamentoInAcconto", u"00/00/0000"_qs},
        {"curImportoVersato", u"1.000.000,00"_qs},
    };
    for (const QString arrangement : {u"Mnu_TileVertical"_qs, u"Mnu_TileHorizzontal"_qs}) {
        window->commands().sbExecuteMenuCommand(arrangement);
        settle();
        for (DocumentWindow *doc : docs) {
            for (const auto &b : boxes) {
                auto *box = doc->findChild<QLineEdit *>(QString::fromLatin1(b.box));
                ASSERT_NE(box, nullptr) << b.box;
                EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(b.widest))
                    << arrangement.toStdString() << " " << b.box;
            }
            // Where the window ends, the form scrolls rather than squeezing its parts.
            const QWidget *content = doc->findChild<QWidget *>(u"fraContenuto"_qs);
            ASSERT_NE(content, nullptr);
            EXPECT_GE(content->height(), content->minimumHeight()) << arrangement.toStdString();
            EXPECT_GE(content->width(), content->minimumWidth()) << arrangement.toStdString();
        }
    }
}

} // namespace
