// Printing from the windows on both engines: the print options as a person sets them, the
// preview and the printer ending with the register's numbering moved only when the print was
// definitive and produced, the exports that flow without page headings and never replace a
// file unasked, "Invia a", the declaration print with its missing data, and the activity pane
// following the pages.

#include "gui/declarations/frmDatiDip.h"
#include "gui/shell/ShellFixture.h"
#include "support/Answering.h"
#include "support/SavedSettlement.h"
#include <QPlainTextEdit>

#include "domain/declarations/AltriDatiDip.h"
#include "domain/printing/DeclarationPrint.h"
#include "domain/printing/PrintOptions.h"
#include "gui/printing/PrintCommand.h"
#include "gui/printing/frmStampaDip.h"
#include "gui/printing/frmStampaOptions.h"
#include "gui/shell/frmActivityBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The demo's plain register (numbering 2), numbered as a whole.
constexpr int PlainRegister = 5;
constexpr int SectionalRegister = 1;
constexpr int Company = demoCompany;

QString pdfText(const QString &file)
{
    return toolOutput(u"pdftotext"_qs, {file, u"-"_qs});
}

QByteArray head(const QString &file, int n = 4)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
}

void chooseData(QComboBox *combo, int id)
{
    const int i = combo->findData(id);
    ASSERT_GE(i, 0) << "not offered: " << id;
    combo->setCurrentIndex(i);
}

class PrintWindows : public ShellTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override
    {
        prepare(userAllRights, GetParam());
        january = saveSettlement(db(), shopActivity, 1);
    }
    // The program started on a settlement, January unless told.
    void start(int shown = 0)
    {
        launch();
        DocumentWindow *doc = window->docs().documents().first();
        doc->browse()->requery();
        doc->browse()->moveByRowIds(shown ? shown : january);
        window->commands().updateCommands();
        window->printing().setPrintCommandHook([this](PrintCommand &p) {
            p.setOptionsHook([this](frmStampaOptions &d) {
                if (definitive) {
                    d.findChild<QCheckBox *>(u"chkStampaDefinitiva"_qs)->setChecked(true);
                    chooseData(d.findChild<QComboBox *>(u"kvrCmbRegistro"_qs), PlainRegister);
                }
                whenShown<frmStampaOptions>(
                    [](frmStampaOptions &shown) { shown.findChild<QPushButton *>(u"cmdOk"_qs)->click(); });
            });
            p.setPreview([this](QPrinter &printer, const std::function<void(QPrinter *)> &paint) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(dir.filePath(u"preview.pdf"_qs));
                paint(&printer);
                return printedFromPreview;
            });
            p.setPrinterDialog([this](QPrinter &printer) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(dir.filePath(u"printer.pdf"_qs));
                return printerAccepted;
            });
            p.setFileChooser([this](const QString &suggested, const QString &) {
                suggestions << suggested;
                return chosenFile;
            });
            p.setMailer([this](const QString &file, const QString &) {
                mailed << file;
                return mailerAvailable;
            });
        });
    }
    // The last page stored for the plain register in 2024; -1 when there is no row.
    int lastPage()
    {
        const QVariant v = db().scalar(u"SELECT NumeroUltimaPagina FROM ProgressivoNumerazioneRegistro"
                                       u" WHERE IDNumerazionePerRegistro = 2 AND Anno = 2024"_qs);
        return v.isNull() ? -1 : v.toInt();
    }
    bool markedPrinted(int key) { return RegisterNumbering::printedDefinitively(db(), key); }

    int january = 0;
    QTemporaryDir dir;
    bool definitive = false;
    bool printedFromPreview = false;
    bool printerAccepted = true;
    QString chosenFile;
    QStringList suggestions;
    QStringList mailed;
    bool mailerAvailable = true;
};

TEST_P(PrintWindows, TheOptionsDialogOffersWhatTheRegistersAllow)
{
    ScriptedMessages messages;
    PrintOptions options(db(), Company, PrintReport::Settlement, january, PrintOperation::Printer);
    frmStampaOptions d(options, messages);
    d.show();
    auto *chk = d.findChild<QCheckBox *>(u"chkStampaDefinitiva"_qs);
    auto *frame = d.findChild<QGroupBox *>(u"fraNumReg"_qs);
    auto *reg = d.findChild<QComboBox *>(u"kvrCmbRegistro"_qs);
    auto *sectional = d.findChild<QComboBox *>(u"kvrCmbSezionale"_qs);
    auto *year = d.findChild<QSpinBox *>(u"kvrNumAnno"_qs);
    auto *page = d.findChild<QSpinBox *>(u"kvrNumUltimaPagina"_qs);
    auto *ok = d.findChild<QPushButton *>(u"cmdOk"_qs);

    // A draft: OK at once, the numbering out of reach; the year is the settlement's.
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_FALSE(frame->isEnabled());
    EXPECT_EQ(year->value(), 2024);

    struct Step {
        const char *what;
        std::function<void()> act;
        bool okEnabled;
        bool sectionalEnabled;
        int sectionals; // offered, the empty choice included
        int page;
    } steps[] = {
        {"definitive", [&] { chk->setChecked(true); }, false, false, 0, 0},
        {"register per sectional", [&] { chooseData(reg, SectionalRegister); }, false, true, 3, 0},
        {"its sectional 1", [&] { chooseData(sectional, 1); }, true, true, 3, 0},
        {"the year 2023", [&] { year->setValue(2023); }, true, true, 3, 24},
        {"back over printed pages", [&] { page->setValue(20); }, false, true, 3, 20},
        {"further on", [&] { page->setValue(30); }, true, true, 3, 30},
        {"the plain register", [&] { chooseData(reg, PlainRegister); }, true, false, 0, 12},
        {"draft again", [&] { chk->setChecked(false); }, true, false, 0, 0},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(ok->isEnabled(), s.okEnabled);
        EXPECT_EQ(sectional->isEnabled(), s.sectionalEnabled);
        EXPECT_EQ(sectional->count(), s.sectionals);
        EXPECT_EQ(page->value(), s.page);
        EXPECT_EQ(frame->isEnabled(), chk->isChecked());
    }

    // "Configura..." without the register program says where the numbering is kept.
    chk->setChecked(true);
    d.findChild<QPushButton *>(u"cmdConfigura"_qs)->click();
    EXPECT_EQ(messages.texts().value(0), frmStampaOptions::msgConfigureUnavailable());

    // A settlement already on the register: No leaves the dialog open with nothing confirmed.
    RegisterNumbering::sbUpdateStampatoDefinitivo(db(), january);
    chooseData(reg, PlainRegister);
    messages.answer(Answer::No);
    ok->click();
    EXPECT_EQ(d.OKCancel(), 0);
    EXPECT_TRUE(d.isVisible());
    ok->click(); // the next answer is Yes
    EXPECT_EQ(d.OKCancel(), 1);
    EXPECT_EQ(d.result(), QDialog::Accepted);

    // Only drafts when the caller says so.
    PrintOptions drafts(db(), Company, PrintReport::Settlement, january, PrintOperation::Printer);
    frmStampaOptions only(drafts, messages);
    only.setDisableStampaDefinitiva(true);
    EXPECT_FALSE(only.findChild<QCheckBox *>(u"chkStampaDefinitiva"_qs)->isEnabled());
    EXPECT_FALSE(only.findChild<QCheckBox *>(u"chkStampaDefinitiva"_qs)->isChecked());
}

TEST_P(PrintWindows, PreviewAndPrintMoveTheNumberingOnlyWhenDefinitiveAndProduced)
{
    start();
    struct Case {
        const char *what;
        const char *command;
        bool definitive, fromPreview, printer;
        bool moves;
    } cases[] = {
        {"draft preview", "Mnu_PrePrint", false, false, true, false},
        {"definitive preview closed", "Mnu_PrePrint", true, false, true, false},
        {"definitive printed from the preview", "Mnu_PrePrint", true, true, true, true},
        {"draft on the printer", "Mnu_Print", false, false, true, false},
        {"definitive, printer dialog cancelled", "Mnu_Print", true, false, false, false},
        {"definitive on the printer (already printed: asked)", "Mnu_Print", true, false, true, true},
    };
    int expected = -1; // no row yet
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        definitive = c.definitive;
        printedFromPreview = c.fromPreview;
        printerAccepted = c.printer;
        QFile::remove(dir.filePath(u"preview.pdf"_qs));
        QFile::remove(dir.filePath(u"printer.pdf"_qs));
        ASSERT_TRUE(enabled(QString::fromLatin1(c.command)));
        window->commands().sbExecuteMenuCommand(QString::fromLatin1(c.command));
        settle();
        frmActivityBox *pane = window->printing().activityBox();
        if (c.moves) {
            const int pages = pane->progressMaximum();
            ASSERT_GT(pages, 0);
            EXPECT_EQ(pane->progressValue(), pages);
            expected = (expected < 0 ? 0 : expected) + pages;
            EXPECT_TRUE(markedPrinted(january));
        }
        EXPECT_EQ(lastPage(), expected) << h.messages.texts().join(u'\n').toStdString();
        const bool drawn = c.command == std::string("Mnu_PrePrint") || c.printer;
        const QString out =
            dir.filePath(c.command == std::string("Mnu_PrePrint") ? u"preview.pdf"_qs : u"printer.pdf"_qs);
        EXPECT_EQ(head(out), drawn ? QByteArray("%PDF") : QByteArray());
    }
    // The questions of a definitive print that does not go to the printer, and of one
    // already on the register, were asked.
    const QStringList asked = h.messages.texts();
    EXPECT_TRUE(asked.contains(PrintOptions::msgDefinitiveNotOnPrinter()));
    EXPECT_TRUE(asked.contains(PrintOptions::msgAlreadyPrinted()));
}

// March of the shop, whose print runs over two pages with a table going on to the second.
TEST_P(PrintWindows, ExportsAskForAFileFlowWithoutPageHeadingsAndNeverReplaceOneUnasked)
{
    start(makeSettlement(shopActivity, year2024, 3, true));
    // A spreadsheet, offered with a name that says whose and which period it is; every number
    // of its sheet as it is meant: at most four decimals, no binary noise.
    chosenFile = dir.filePath(u"marzo.xlsx"_qs);
    window->commands().sbExecuteMenuCommand(u"Mnu_ExportExcel"_qs);
    settle();
    ASSERT_EQ(suggestions.size(), 1);
    EXPECT_TRUE(suggestions[0].endsWith(u".xlsx"_qs)) << suggestions[0].toStdString();
    EXPECT_TRUE(suggestions[0].contains(u"Ferramenta"_qs)) << suggestions[0].toStdString();
    EXPECT_TRUE(suggestions[0].contains(u"Marzo"_qs, Qt::CaseInsensitive)) << suggestions[0].toStdString();
    EXPECT_EQ(head(chosenFile, 2), QByteArray("PK"));
    EXPECT_EQ(window->printing().activityBox()->defaultExport(), 1);
    const QString sheet = toolOutput(u"unzip"_qs, {u"-p"_qs, chosenFile, u"xl/worksheets/sheet1.xml"_qs});
    const QRegularExpression value(u"<v>([^<]*)</v>"_qs);
    int numbers = 0;
    for (auto m = value.globalMatch(sheet); m.hasNext(); ++numbers) {
        const QString v = m.next().captured(1);
        const qsizetype point = v.indexOf(u'.');
        EXPECT_TRUE(point < 0 || v.size() - point - 1 <= 4) << v.toStdString();
    }
    EXPECT_GT(numbers, 20);

    // An existing file: No keeps it as it was, Yes replaces it. The pages of the PDF repeat a
    // table's title; a long description is drawn whole, never cut.
    chosenFile = dir.filePath(u"esistente.pdf"_qs);
    {
        QFile f(chosenFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    h.messages.answer(Answer::No);
    window->commands().sbExecuteMenuCommand(u"Mnu_ExportPDF"_qs);
    settle();
    EXPECT_EQ(head(chosenFile), QByteArray("keep"));
    EXPECT_TRUE(h.messages.texts().contains(PrintCommand::msgOverwrite(chosenFile)));
    h.messages.answer(Answer::Yes);
    window->commands().sbExecuteMenuCommand(u"Mnu_ExportPDF"_qs);
    settle();
    EXPECT_EQ(head(chosenFile), QByteArray("%PDF"));
    const QString pdf = pdfText(chosenFile);
    EXPECT_TRUE(pdf.contains(u"(segue)"_qs));
    EXPECT_TRUE(pdf.contains(u"Totale corrispettivi da ventilare:"_qs));

    // "Esporta..." asks the format, the last one chosen first.
    chosenFile = dir.filePath(u"marzo"_qs); // the suffix comes from the format
    whenShown<QInputDialog>([](QInputDialog &d) {
        EXPECT_EQ(d.textValue(), u"Documento PDF (.pdf)"_qs);
        d.setTextValue(u"Documento Word (.odt)"_qs);
        d.accept();
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_Export"_qs);
    settle();
    EXPECT_EQ(window->printing().activityBox()->defaultExport(), 0);

    // The flowing exports do not repeat a table's title.
    chosenFile = dir.filePath(u"marzo.html"_qs);
    window->commands().sbExecuteMenuCommand(u"Mnu_ExportHtml"_qs);
    settle();
    const QString html = toolOutput(u"cat"_qs, {chosenFile});
    EXPECT_TRUE(html.startsWith(u"<"_qs));
    EXPECT_TRUE(html.contains(u"<title>Liquidazione I.V.A. - Ferramenta"_qs)) << html.left(400).toStdString();
    const QString odt = toolOutput(u"unzip"_qs, {u"-p"_qs, dir.filePath(u"marzo.odt"_qs), u"content.xml"_qs});
    for (const QString &flowing : {html, odt, sheet}) {
        EXPECT_FALSE(flowing.isEmpty());
        EXPECT_FALSE(flowing.contains(u"(segue)"_qs));
    }

    // The summary chosen in the pane: the same command exports the year's summary.
    window->printing().activityBox()->selectReport(PrintReport::Summary);
    chosenFile = dir.filePath(u"riepilogo.pdf"_qs);
    window->commands().sbExecuteMenuCommand(u"Mnu_ExportPDF"_qs);
    settle();
    EXPECT_TRUE(pdfText(chosenFile).contains(u"Riepilogo I.V.A."_qs));
    EXPECT_TRUE(suggestions.last().contains(u"Riepilogo"_qs)) << suggestions.last().toStdString();
    window->printing().activityBox()->selectReport(PrintReport::Settlement);

    // A cancelled file dialog writes nothing and records nothing.
    chosenFile.clear();
    definitive = true;
    window->commands().sbExecuteMenuCommand(u"Mnu_ExportWord"_qs);
    settle();
    EXPECT_EQ(lastPage(), -1);
    // Every file dialog after the first opened in the folder of the first file.
    for (qsizetype i = 1; i < suggestions.size(); ++i)
        EXPECT_TRUE(suggestions[i].startsWith(dir.path())) << suggestions[i].toStdString();
}

TEST_P(PrintWindows, SendToWritesAPdfAndSaysWhereWhenNoMailProgramTakesIt)
{
    start();
    mailerAvailable = false;
    window->commands().sbExecuteMenuCommand(u"Mnu_SendTo"_qs);
    settle();
    ASSERT_EQ(mailed.size(), 1);
    EXPECT_EQ(head(mailed[0]), QByteArray("%PDF"));
    EXPECT_TRUE(h.messages.texts().contains(PrintCommand::msgMailByHand(mailed[0])));
    QFile::remove(mailed[0]);
}

TEST_P(PrintWindows, TheDeclarationIsPrintedFromTheFormAndLeavesNoWorkRows)
{
    realForm = true;
    start();
    ASSERT_NE(window->docs().sbShowObject(january), nullptr);
    settle();
    ASSERT_TRUE(enabled(u"Mnu_StampaDip"_qs));

    // Missing declarant data are listed first; Annulla stops the print.
    db().execute(u"DELETE FROM ConfigurazioneDip"_qs);
    bool dialogShown = false;
    QStringList listed;
    whenShown<frmInfoDip>([&](frmInfoDip &d) {
        listed = d.findChild<QPlainTextEdit *>(u"txtInfo"_qs)->toPlainText().split(u'\n');
        d.findChild<QPushButton *>(u"cmdAnnulla"_qs)->click();
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_StampaDip"_qs);
    settle();
    EXPECT_EQ(listed, DeclarationPrint::missingData(db(), Company, 2024, false, AltriDatiDip()));
    EXPECT_EQ(listed.size(), 3);

    // Confirmed: the communication's dialog (no test print from 2002), to a PDF.
    chosenFile = dir.filePath(u"comunicazione.pdf"_qs);
    whenShown<frmInfoDip>([&](frmInfoDip &d) {
        d.findChild<QPushButton *>(u"cmdOk"_qs)->click();
        whenShown<frmStampaDip>([&](frmStampaDip &dip) {
            dialogShown = true;
            EXPECT_FALSE(dip.findChild<QCheckBox *>(u"chkTest"_qs)->isVisible());
            dip.findChild<QRadioButton *>(u"optPDF"_qs)->setChecked(true);
            dip.findChild<QPushButton *>(u"cmdOk"_qs)->click();
        });
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_StampaDip"_qs);
    settle();
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(head(chosenFile), QByteArray("%PDF"));
    EXPECT_TRUE(pdfText(chosenFile).contains(u"Comunicazione Annuale Dati IVA"_qs));
    EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM StampaTotaleRegistroIva"_qs).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, PrintWindows, ::testing::Values(Engine::Sqlite, Engine::Postgres), engineName);

} // namespace
