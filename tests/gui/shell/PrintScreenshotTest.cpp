// Pictures of the print windows, for looking at them: the preview of a monthly, a quarterly
// and a December-advance settlement, the print options, the declaration dialog and the main
// window with its activity pane after a print; each print also as a PDF beside them. Written
// only when LIQIVA_SHOTS_DIR names a folder (skipped otherwise).

#include "gui/shell/ShellFixture.h"
#include "support/Answering.h"

#include "domain/printing/DeclarationPrint.h"
#include "render/PageRenderer.h"
#include "gui/printing/PrintCommand.h"
#include "gui/printing/frmStampaDip.h"
#include "gui/printing/frmStampaOptions.h"
#include "gui/shell/frmActivityBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPushButton>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class PrintScreenshots : public ShellTest {
protected:
    void shoot(QWidget *w, const QString &name)
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        EXPECT_TRUE(w->grab().save(QDir(dir).filePath(name + u".png"_qs))) << name.toStdString();
    }
    int save(int activity, int month, int method = 0)
    {
        ScriptedMessages messages;
        NewSettlement ns(db(), demoCompany, userAllRights);
        ns.sbSetComboMesi(activity, year2024, method);
        EXPECT_EQ(confirmAnswering(ns, messages, activity, year2024, ns.indexOfMonth(month), method, true), 1)
            << messages.texts().join(u'\n').toStdString();
        const int key = ns.currentKey();
        const int function =
            db().scalar(u"SELECT IDFunzione FROM ProcessoPerFunzione WHERE IDProcesso = 59 ORDER BY IDFunzione"_qs)
                .toInt();
        SettlementDocument doc(DocumentContext{db(), messages, userAllRights, demoCompany, function, true, {}});
        doc.sbChildFill(key, false);
        EXPECT_TRUE(saveAnswering(doc)) << messages.texts().join(u'\n').toStdString();
        return key;
    }
    QString dir = qEnvironmentVariable("LIQIVA_SHOTS_DIR");
};

TEST_F(PrintScreenshots, PreviewsOptionsAndThePane)
{
    if (dir.isEmpty())
        GTEST_SKIP() << "LIQIVA_SHOTS_DIR not set";
    QDir().mkpath(dir);
    prepare(userAllRights);
    const int monthly = save(shopActivity, 1);
    const int quarterly = save(wholesaleActivity, 3);
    const int advance = save(3, 13, 1);
    launch();
    window->resize(1280, 800);
    window->showWindow();

    QString shot;
    int optionsShots = 0;
    window->setPrintCommandHook([&](PrintCommand &p) {
        p.setOptionsHook([&](frmStampaOptions &d) {
            if (optionsShots++ == 0) {
                d.findChild<QCheckBox *>(u"chkStampaDefinitiva"_qs)->setChecked(true);
                auto *reg = d.findChild<QComboBox *>(u"kvrCmbRegistro"_qs);
                reg->setCurrentIndex(reg->findData(1));
                auto *sectional = d.findChild<QComboBox *>(u"kvrCmbSezionale"_qs);
                sectional->setCurrentIndex(sectional->findData(1));
            }
            whenShown<frmStampaOptions>([&](frmStampaOptions &shown) {
                if (optionsShots == 1)
                    shoot(&shown, u"print-options"_qs);
                shown.findChild<QCheckBox *>(u"chkStampaDefinitiva"_qs)->setChecked(false);
                shown.findChild<QPushButton *>(u"cmdOk"_qs)->click();
            });
        });
        p.setPreview([&](QPrinter &printer, const std::function<void(QPrinter *)> &paint) {
            QPrintPreviewDialog preview(&printer, window.get());
            QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, paint);
            preview.resize(900, 1150);
            preview.show();
            shoot(&preview, shot);
            preview.close();
            return false;
        });
    });

    const struct {
        int key;
        const char *name;
    } prints[] = {{monthly, "preview-monthly"}, {quarterly, "preview-quarterly"}, {advance, "preview-advance"}};
    for (const auto &p : prints) {
        shot = QString::fromLatin1(p.name);
        DocumentWindow *doc = window->documents().first();
        doc->browse()->requery();
        doc->browse()->moveByRowIds(p.key);
        window->updateCommands();
        window->sbExecuteMenuCommand(u"Mnu_PrePrint"_qs);
        settle();
        // The same pages as a PDF, to be turned into pictures page by page.
        ScriptedMessages quiet;
        PrintJob job(PrintContext{db(), quiet, userAllRights, demoCompany, settlementFunction});
        PrintRequest r;
        r.settlements = {p.key};
        r.year = 2024;
        writePdf(job.build(r), QDir(dir).filePath(shot + u".pdf"_qs));
    }
    window->sbExecuteMenuCommand(u"Mnu_Folders"_qs);
    settle();
    shoot(window.get(), u"main-activity-pane"_qs);

    ScriptedMessages quiet;
    PrintCommand output(PrintContext{db(), quiet, userAllRights, demoCompany, 0}, window.get());
    frmStampaDip dip(db(), quiet, userAllRights, output);
    DeclarationData d;
    d.anno = 2001;
    dip.setData(d);
    dip.show();
    shoot(&dip, u"declaration-dialog-2001"_qs);

    // The forms as PDF: the test print of a periodic declaration and a communication.
    DeclarationData test;
    test.anno = 2001;
    test.idAzienda = demoCompany;
    DeclarationPrint(db(), userAllRights).print(test, true, [&](const PrintedReport &r) {
        writePdf(r, QDir(dir).filePath(u"declaration-test-2001.pdf"_qs));
        return true;
    });
    SettlementDocument doc(DocumentContext{db(), quiet, userAllRights, demoCompany, settlementFunction, true, {}});
    doc.sbChildFill(monthly, false);
    DeclarationPrint(db(), userAllRights).print(declarationData(doc), false, [&](const PrintedReport &r) {
        writePdf(r, QDir(dir).filePath(u"declaration-2024.pdf"_qs));
        return true;
    });
}

} // namespace
