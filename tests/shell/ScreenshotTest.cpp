// Pictures of the windows at 1280x800, for looking at them: written only when the variable
// LIQIVA_SHOTS_DIR names a folder (the test is skipped otherwise).

#include "shell/ShellFixture.h"

#include "document/ui/frmNew.h"

#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>

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

} // namespace
