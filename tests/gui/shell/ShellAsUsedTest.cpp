// What a new bookkeeper met in the main window, on both engines: the years
// the commands open on, what "Nuovo" remembers, "Liquidazione salvata" after every save, the
// suite's programs that are not installed, window titles, the list a settlement was opened
// from, the first page of a definitive print and the exports' contents.

#include "gui/shell/ShellFixture.h"
#include "support/SavedSettlement.h"

#include "domain/printing/PrintOptions.h"
#include "gui/communication/frmComunicazioneLiqIva.h"
#include "gui/document/frmNew.h"
#include "gui/overview/frmAnnoLiquidazioni.h"
#include "gui/printing/PrintCommand.h"
#include "gui/printing/frmStampaOptions.h"
#include "gui/shell/frmActivityBox.h"
#include "startup/ModuleLauncher.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {

constexpr int year2023 = 1; // IDPeriodoIva

class ShellAsUsed : public ShellTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override { prepare(userAllRights, GetParam()); }
    DocumentWindow *showForm(int key)
    {
        DocumentWindow *doc = window->docs().sbShowObject(key, nullptr, false);
        settle();
        return doc;
    }
};

TEST_P(ShellAsUsed, TheYearCommandsOpenOnAYearTheCompanyHasAndNuovoKeepsTheChoice)
{
    const int march = makeSettlement(shopActivity, year2024, 3, true);
    launch();
    auto yearWindow = [this] {
        window->commands().sbExecuteMenuCommand(u"Mnu_AnnoLiquidazioni"_qs);
        settle();
        int year = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *y = qobject_cast<frmAnnoLiquidazioni *>(w); y && y->isVisible()) {
                year = y->findChild<QSpinBox *>(u"txtAnno"_qs)->value();
                y->close();
            }
        settle();
        return year;
    };
    auto communication = [this] {
        std::pair<int, int> shown;
        whenShown<frmComunicazioneLiqIva>([&](frmComunicazioneLiqIva &d) {
            shown = {d.findChild<QSpinBox *>(u"txtAnno"_qs)->value(),
                     d.findChild<QComboBox *>(u"cboTrimestre"_qs)->currentIndex() + 1};
            d.reject();
        });
        window->commands().sbExecuteMenuCommand(u"Mnu_ComunicazioneLiqIVA"_qs);
        settle();
        return shown;
    };
    // No settlement shown: the company's latest VAT year (the demo's are 2023 to 2025), and
    // no message about a year it does not have.
    EXPECT_EQ(yearWindow(), 2025);
    EXPECT_EQ(communication(), std::make_pair(2025, 4));
    // A settlement shown: its year and its quarter.
    showForm(march);
    EXPECT_EQ(yearWindow(), 2024);
    EXPECT_EQ(communication(), std::make_pair(2024, 1));
    EXPECT_TRUE(h.messages.texts().isEmpty()) << h.messages.texts().join(u'\n').toStdString();

    // "Nuovo" proposes what was chosen the last time.
    frmNew::Selection chosen;
    whenShown<frmNew>([&](frmNew &d) {
        d.findChild<QComboBox *>(u"cboAttivita"_qs)
            ->setCurrentIndex(d.findChild<QComboBox *>(u"cboAttivita"_qs)->findData(wholesaleActivity));
        d.findChild<QComboBox *>(u"cboPeriodoIva"_qs)
            ->setCurrentIndex(d.findChild<QComboBox *>(u"cboPeriodoIva"_qs)->findData(year2024));
        d.findChild<QComboBox *>(u"cboMese"_qs)->setCurrentIndex(0);
        chosen = d.selection();
        d.findChild<QPushButton *>(u"cmdOk"_qs)->click();
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_New"_qs);
    settle();
    ASSERT_EQ(chosen.activity, wholesaleActivity);
    frmNew::Selection proposed;
    whenShown<frmNew>([&](frmNew &d) {
        proposed = d.selection();
        d.findChild<QPushButton *>(u"cmdAnnulla"_qs)->click();
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_New"_qs);
    settle();
    EXPECT_EQ(proposed.activity, chosen.activity);
    EXPECT_EQ(proposed.vatYear, chosen.vatYear);
    EXPECT_EQ(proposed.period, chosen.period);
}

TEST_P(ShellAsUsed, EverySaveSaysLiquidazioneSalvata)
{
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    makeSettlement(shopActivity, year2024, 2, true);
    realForm = true;
    launch();
    // A new settlement, made after the start (which clears the user's left-over ones).
    const int working = makeSettlement(shopActivity, year2024, 3, false);
    auto said = [this] { return window->statusBar()->currentMessage(); };
    struct {
        const char *what;
        std::function<void()> act;
    } saves[] = {
        {"Ctrl+S on a new settlement",
         [&] {
             DocumentWindow *doc = showForm(working);
             ASSERT_NE(doc, nullptr);
             doc->setChangedObject(true);
             doc->formFace()->setChanged(true);
             h.messages.answer(Answer::No); // the amount paid stays as it is
             keyClick(doc->formFace()->widget(), Qt::Key_S, Qt::ControlModifier);
         }},
        {"Sì to the question of Successiva",
         [&] {
             DocumentWindow *doc = showForm(january);
             ASSERT_NE(doc, nullptr);
             doc->setChangedObject(true);
             doc->formFace()->setChanged(true);
             h.messages.answer(Answer::Yes); // save the changes
             h.messages.answer(Answer::No);  // the amount paid stays as it is
             window->commands().sbExecuteMenuCommand(u"Mnu_SearchNext"_qs);
         }},
        {"the annual settlement, after its credit's window",
         [&] {
             ScriptedMessages quiet;
             NewSettlement ns(db(), demoCompany, idUser);
             ns.sbSetComboMesi(shopActivity, year2023, 0);
             const int annual = ns.createWorkingSettlement(shopActivity, year2023, ns.indexOfMonth(0), 0);
             DocumentWindow *doc = showForm(annual);
             ASSERT_NE(doc, nullptr);
             doc->setChangedObject(true);
             doc->formFace()->setChanged(true);
             h.messages.answer(Answer::No); // the amount paid stays as it is
             whenShown<QDialog>([](QDialog &d) {
                 if (auto *ok = d.findChild<QPushButton *>(u"cmdOk"_qs))
                     ok->click();
             });
             keyClick(doc->formFace()->widget(), Qt::Key_S, Qt::ControlModifier);
         }},
    };
    for (const auto &s : saves) {
        window->sbStatusBarText(QString());
        h.messages.clear();
        s.act();
        settle();
        EXPECT_EQ(said(), u"Liquidazione salvata"_qs) << s.what << ": " << h.messages.texts().join(u'\n').toStdString();
    }
}

TEST_P(ShellAsUsed, ExportsFlowWithoutPageHeadingsKeepAmountsExactAndRememberTheFolder)
{
    // March of the shop: its print runs over two pages, a table going on to the second.
    const int march = makeSettlement(shopActivity, year2024, 3, true);
    launch();
    DocumentWindow *doc = window->docs().documents().first();
    doc->browse()->requery();
    doc->browse()->moveByRowIds(march);
    window->commands().updateCommands();
    QTemporaryDir dir;
    QString chosen;
    QStringList suggestions;
    window->printing().setPrintCommandHook([&](PrintCommand &p) {
        p.setOptionsHook([](frmStampaOptions &) {
            whenShown<frmStampaOptions>([](frmStampaOptions &d) { d.findChild<QPushButton *>(u"cmdOk"_qs)->click(); });
        });
        p.setFileChooser([&](const QString &suggested, const QString &) {
            suggestions << suggested;
            return chosen;
        });
    });
    struct {
        const char *command;
        QString file;
    } exports[] = {{"Mnu_ExportPDF", dir.filePath(u"marzo.pdf"_qs)},
                   {"Mnu_ExportHtml", dir.filePath(u"marzo.html"_qs)},
                   {"Mnu_ExportWord", dir.filePath(u"marzo.odt"_qs)},
                   {"Mnu_ExportExcel", dir.filePath(u"marzo.xlsx"_qs)}};
    for (const auto &e : exports) {
        chosen = e.file;
        window->commands().sbExecuteMenuCommand(QString::fromLatin1(e.command));
        settle();
        ASSERT_TRUE(QFile::exists(e.file)) << e.command << h.messages.texts().join(u'\n').toStdString();
    }
    // The pages of the print repeat a table's title; the flowing exports do not. A long
    // description is drawn whole, never cut.
    const QString pdf = toolOutput(u"pdftotext"_qs, {exports[0].file, u"-"_qs});
    EXPECT_TRUE(pdf.contains(u"(segue)"_qs));
    EXPECT_TRUE(pdf.contains(u"Totale corrispettivi da ventilare:"_qs));
    const QString html = toolOutput(u"cat"_qs, {exports[1].file});
    const QString odt = toolOutput(u"unzip"_qs, {u"-p"_qs, exports[2].file, u"content.xml"_qs});
    const QString sheet = toolOutput(u"unzip"_qs, {u"-p"_qs, exports[3].file, u"xl/worksheets/sheet1.xml"_qs});
    for (const QString &flowing : {html, odt, sheet}) {
        EXPECT_FALSE(flowing.isEmpty());
        EXPECT_FALSE(flowing.contains(u"(segue)"_qs));
    }
    EXPECT_TRUE(html.contains(u"<title>Liquidazione I.V.A. - Ferramenta"_qs)) << html.left(400).toStdString();
    // Every number of the sheet as it is meant: at most four decimals, no binary noise.
    const QRegularExpression value(u"<v>([^<]*)</v>"_qs);
    int numbers = 0;
    for (auto m = value.globalMatch(sheet); m.hasNext(); ++numbers) {
        const QString v = m.next().captured(1);
        const qsizetype point = v.indexOf(u'.');
        EXPECT_TRUE(point < 0 || v.size() - point - 1 <= 4) << v.toStdString();
    }
    EXPECT_GT(numbers, 20);
    // The second file dialog opened in the folder of the first file.
    ASSERT_EQ(suggestions.size(), 4);
    for (int i = 1; i < 4; ++i)
        EXPECT_TRUE(suggestions[i].startsWith(dir.path())) << suggestions[i].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Engines, ShellAsUsed, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         liqiva::test::engineName);

} // namespace
