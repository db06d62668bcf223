// Pictures of the windows at 1280x800, for looking at them: written only when the variable
// LIQIVA_SHOTS_DIR names a folder (the test is skipped otherwise).

#include "gui/shell/ShellFixture.h"

#include "gui/document/frmNew.h"

#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Screenshots : public ShellTest {
protected:
    void shoot(QWidget *w, const QString &name)
    {
        QCoreApplication::processEvents();
        EXPECT_TRUE(w->grab().save(QDir(dir).filePath(name + u".png"_qs))) << name.toStdString();
    }
    QString dir = qEnvironmentVariable("LIQIVA_SHOTS_DIR");
};

TEST_F(Screenshots, MainWindowAndNewDialog)
{
    if (dir.isEmpty())
        GTEST_SKIP() << "LIQIVA_SHOTS_DIR not set";
    QDir().mkpath(dir);
    prepare(userAllRights);
    for (int month = 1; month <= 5; ++month)
        makeSettlement(shopActivity, year2024, month, true);
    makeSettlement(shopActivity, year2025, 1, true);
    makeSettlement(wholesaleActivity, year2024, 1, true);
    makeSettlement(wholesaleActivity, year2024, 4, true);
    makeSettlement(shopActivity, year2024, 12, true);
    realForm = true;
    launch();
    window->resize(1280, 800);
    window->showWindow();
    DocumentWindow *doc = window->documents().first();
    doc->browse()->requery();
    doc->browse()->moveByRowIds(doc->browse()->rowIds().value(2));
    window->updateCommands();
    shoot(window.get(), u"main-browse"_qs);

    whenShown<frmNew>([&](frmNew &d) {
        shoot(&d, u"new-dialog"_qs);
        d.findChild<QComboBox *>(u"cboMese"_qs)->setCurrentIndex(12);
        shoot(&d, u"new-dialog-advance"_qs);
        d.findChild<QPushButton *>(u"cmdAnnulla"_qs)->click();
    });
    window->sbExecuteMenuCommand(u"Mnu_New"_qs);
    settle();

    window->sbExecuteMenuCommand(u"Mnu_SearchForm"_qs);
    shoot(window.get(), u"main-form"_qs);

    window->sbExecuteMenuCommand(u"Mnu_SearchFilter"_qs);
    doc->browse()->addCondition({u"Anno"_qs, BrowseCondition::Op::Equal, u"2024"_qs});
    shoot(window.get(), u"main-filter"_qs);
    window->sbExecuteMenuCommand(u"Mnu_SearchExecute"_qs);
    shoot(window.get(), u"main-filtered"_qs);

    QMenu *file = window->commandBar().menu(u"mnuFile"_qs);
    file->popup(window->menuBar()->mapToGlobal(QPoint(0, window->menuBar()->height())));
    shoot(file, u"menu-file"_qs);
    file->hide();
    QMenu *edit = window->commandBar().menu(u"mnuEdit"_qs);
    edit->popup(QPoint(0, 0));
    shoot(edit, u"menu-edit"_qs);
    edit->hide();
    QMenu *tools = window->commandBar().menu(u"mnuTools"_qs);
    tools->popup(QPoint(0, 0));
    shoot(tools, u"menu-tools"_qs);
    tools->hide();

    closeAllDocuments();
    shoot(window.get(), u"main-empty"_qs);
}

// The settlement windows as the bookkeeper sees them: the browse with saved settlements, a
// monthly, a quarterly and an advance settlement, maximised and tiled. The pictures carry the
// screen's size in their names (run with a configured offscreen screen to get 1024x768).
TEST_F(Screenshots, SettlementWindowsMaximisedAndTiled)
{
    if (dir.isEmpty())
        GTEST_SKIP() << "LIQIVA_SHOTS_DIR not set";
    QDir().mkpath(dir);
    prepare(userAllRights);
    realForm = true;
    launch();
    // New settlements, as the new-settlement dialog makes them.
    const int monthly = makeSettlement(shopActivity, year2024, 1, false);
    const int quarterly = makeSettlement(wholesaleActivity, year2024, 1, false);
    const int advance = makeSettlement(shopActivity, year2024, 12, false);
    window->showWindow();
    const QSize screen = window->screen()->size();
    const QString size = QString::number(screen.width()) + u"x"_qs + QString::number(screen.height());
    auto shootScreen = [&](const QString &name) { shoot(window.get(), name + u"-"_qs + size); };
    auto showTab = [](DocumentWindow *doc, const QString &caption) {
        auto *tabs = doc->findChild<QTabWidget *>(u"stbLiquidazioneIva"_qs);
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).remove(u'&').trimmed() == caption)
                tabs->setCurrentIndex(i);
    };

    std::vector<DocumentWindow *> docs;
    for (const int key : {monthly, quarterly, advance}) {
        DocumentWindow *doc = window->sbShowObject(key, nullptr, false);
        ASSERT_NE(doc, nullptr);
        window->sbExecuteMenuCommand(u"Mnu_Save"_qs);
        settle();
        EXPECT_EQ(virtualDelete(key), 0) << h.messages.texts().join(u'\n').toStdString();
        docs.push_back(doc);
    }
    frame(docs[0])->showMaximized();
    settle();
    showTab(docs[0], u"Riepilogo"_qs);
    shootScreen(u"monthly-summary"_qs);
    showTab(docs[0], u"Liquidazione"_qs);
    shootScreen(u"monthly-declaration"_qs);
    showTab(docs[0], u"Dati versamento"_qs);
    shootScreen(u"monthly-payments"_qs);
    frame(docs[1])->showMaximized();
    window->documentArea()->setActiveSubWindow(frame(docs[1]));
    showTab(docs[1], u"Liquidazione"_qs);
    shootScreen(u"quarterly-declaration"_qs);
    frame(docs[2])->showMaximized();
    window->documentArea()->setActiveSubWindow(frame(docs[2]));
    showTab(docs[2], u"Dati versamento"_qs);
    shootScreen(u"advance-payments"_qs);

    // The browse of a fourth window lists the three with their balances.
    DocumentWindow *list = window->sbNewChildWithBrowse();
    frame(list)->showMaximized();
    settle();
    shootScreen(u"browse"_qs);
    // A filter that finds nothing.
    window->sbExecuteMenuCommand(u"Mnu_SearchFilter"_qs);
    list->browse()->addCondition({u"Anno"_qs, BrowseCondition::Op::Equal, u"1999"_qs});
    window->sbExecuteMenuCommand(u"Mnu_SearchExecute"_qs);
    settle();
    shootScreen(u"browse-nothing-found"_qs);
    frame(list)->close();
    settle();

    for (DocumentWindow *doc : docs)
        showTab(doc, u"Dati versamento"_qs);
    window->sbExecuteMenuCommand(u"Mnu_TileVertical"_qs);
    settle();
    shootScreen(u"tiled-side-by-side-payments"_qs);
    window->sbExecuteMenuCommand(u"Mnu_TileHorizzontal"_qs);
    settle();
    shootScreen(u"tiled-one-above-the-other-payments"_qs);
    for (DocumentWindow *doc : docs)
        showTab(doc, u"Liquidazione"_qs);
    shootScreen(u"tiled-one-above-the-other-declaration"_qs);
}

} // namespace
