// What `liqiva print` puts on paper, read back from the PDF with pdftotext: the page numbers
// of draft and definitive prints, the settlement's figures as the window shows them, and a
// print whose file cannot be written, which records nothing.

#include "domain/document/InputText.h"
#include "domain/printing/DeclarationPrint.h"
#include "domain/printing/PrintFixture.h"
#include "support/LiqivaRun.h"

#include <QFile>
#include <map>

#include <QProcess>
#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The text of each page of a PDF.
QStringList pdfPages(const QString &file)
{
    QStringList pages = toolOutput(u"pdftotext"_qs, {u"-layout"_qs, file, u"-"_qs}).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

class PrintedPdfTest : public SavedJanuaryTest {
protected:
    LiqivaRun print(const QStringList &more)
    {
        return runLiqiva(QStringList{u"print"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs} + more, dir.path());
    }
};

TEST_P(PrintedPdfTest, PagesCarryTheRegistersNumbers)
{
    // The register's year is the settlement's: January of each year.
    const std::map<int, int> januaryOf = {{2023, saveSettlement(t->db(), Shop, 1, Year2024 - 1)},
                                          {2024, january},
                                          {2025, saveSettlement(t->db(), Shop, 1, Year2024 + 1)}};
    struct Case {
        const char *what;
        const char *args;
        QString firstLabel; // the number on the first page
        int numbering;      // per-register key of the stored last page, 0 for none
        int sectionalKey;
        int year;
    } cases[] = {
        {"draft", "", u"Pagina 1"_qs, 0, 0, 0},
        {"register without the year, first print of 2024", "--definitive --register 5 --year 2024", u"Pagina 1"_qs, 2,
         0, 2024},
        {"register without the year, 2023 goes on from 12", "--definitive --register 5 --year 2023",
         u"Pagina 13"_qs, 2, 0, 2023},
        {"sectional with the year, 2023 goes on from 24", "--definitive --register 1 --sectional 1 --year 2023",
         u"Pagina 2023/25"_qs, 1, 1, 2023},
        {"a start page further on", "--definitive --register 5 --year 2025 --start-page 40", u"Pagina 40"_qs, 2, 0,
         2025},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = dir.filePath(QStringLiteral("p%1.pdf").arg(++n));
        const int key = januaryOf.at(c.year ? c.year : 2024);
        const LiqivaRun r =
            print(QStringList{u"--id"_qs, QString::number(key), u"--out"_qs, file, u"--yes"_qs} +
                  QString::fromLatin1(c.args).split(u' ', Qt::SkipEmptyParts));
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList pages = pdfPages(file);
        ASSERT_GE(pages.size(), 2) << "a month of the shop takes two pages";
        // the numbers run on from the first one, one per page, in the page header
        const QString prefix =
            c.firstLabel.left(c.firstLabel.lastIndexOf(c.firstLabel.contains(u'/') ? u'/' : u' ') + 1);
        const int first = c.firstLabel.mid(prefix.size()).toInt();
        for (int i = 0; i < pages.size(); ++i)
            EXPECT_TRUE(pages[i].contains(prefix + QString::number(first + i))) << pages[i].left(300).toStdString();
        if (c.numbering) {
            const NumberingKeys keys{c.numbering, c.sectionalKey};
            EXPECT_EQ(storedLastPage(t->db(), keys, c.year), first + int(pages.size()) - 1);
            EXPECT_TRUE(markedPrinted(t->db(), key));
        } else {
            EXPECT_FALSE(markedPrinted(t->db(), key)) << "a draft marks nothing";
        }
    }
}

TEST_P(PrintedPdfTest, TheFiguresAreThoseOfTheWindow)
{
    ScriptedMessages messages;
    SettlementDocument doc(DocumentContext{t->db(), messages, 1, Company, settlementFunctionOf(t->db()), true, {}});
    doc.sbChildFill(january, false);
    const QString file = dir.filePath(u"s.pdf"_qs);
    const LiqivaRun r = print({u"--id"_qs, QString::number(january), u"--out"_qs, file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = pdfPages(file).join(u'\n');
    const DeclarationGrid &g = doc.declaration();
    const std::pair<const char *, Money> figures[] = {
        {"VAT due of the period", g.debit(DeclarationGrid::IvaEsigibile)},
        {"VAT deducted", g.credit(DeclarationGrid::IvaDetratta)},
        {"to pay", doc.importoDaVersare()},
    };
    for (const auto &[what, value] : figures) {
        ASSERT_FALSE(value.isZero()) << what;
        EXPECT_TRUE(text.contains(formatAmount(value, true))) << what << " " << formatAmount(value, true).toStdString();
    }
    // every total line of the purchases' grid
    for (const GridLine &line : doc.report().grid(QString::fromLatin1(Grid::Acquisti))->lines)
        for (const auto &amount : line.amounts)
            if (amount)
                EXPECT_TRUE(text.contains(formatAmount(*amount, true))) << line.description.toStdString();
}

TEST_P(PrintedPdfTest, AnUnwritableFileOrAWrongYearOrPageRecordsNothing)
{
    t->db().execute(u"INSERT INTO ProgressivoNumerazioneRegistro (IDProgressivoNumerazioneRegistro,"
                    u" IDNumerazionePerRegistroPerSezionale, IDNumerazionePerRegistro, Anno, NumeroUltimaPagina)"
                    u" VALUES (900, NULL, 2, 2024, 2147483647)"_qs);
    const struct {
        const char *what;
        QString file, year, startPage;
        const char *message;
    } cases[] = {
        {"a missing folder", u"no-such-folder/x.pdf"_qs, u"2024"_qs, {}, "cartella"},
        {"a year before the settlement's",
         u"x.pdf"_qs,
         u"1900"_qs,
         {},
         "l'anno del registro è quello della liquidazione"},
        {"a year after it", u"x.pdf"_qs, u"9999"_qs, {}, "l'anno del registro è quello della liquidazione"},
        {"a register at the last page", u"x.pdf"_qs, u"2024"_qs, {}, "2147483647, l'ultima"},
        {"a start page on it", u"x.pdf"_qs, u"2024"_qs, u"2147483647"_qs, "2147483647, l'ultima"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QStringList args = QStringList{u"--id"_qs, QString::number(january), u"--out"_qs, dir.filePath(c.file)} +
                           u"--definitive --register 5 --year"_qs.split(u' ') + QStringList{c.year};
        if (!c.startPage.isEmpty())
            args << u"--start-page"_qs << c.startPage;
        const LiqivaRun r = print(args);
        expectFailure(r, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(u"-2147483648"_qs)) << r.err.toStdString();
        EXPECT_EQ(storedLastPage(t->db(), {2, 0}, 2024), 2147483647);
        EXPECT_EQ(storedLastPage(t->db(), {2, 0}, 2023), 12);
        EXPECT_FALSE(markedPrinted(t->db(), january));
        EXPECT_FALSE(QFile::exists(dir.filePath(c.file)));
    }
}

TEST_P(PrintedPdfTest, TheDeclarationFormOfASettlement)
{
    const QString file = dir.filePath(u"dichiarazione.pdf"_qs);
    const QStringList args = {u"--id"_qs, QString::number(january), u"--report"_qs, u"declaration"_qs, u"--out"_qs,
                              file};
    auto workRows = [this] { return t->db().scalar(u"SELECT COUNT(*) FROM StampaTotaleRegistroIva"_qs).toInt(); };

    // The communication of 2024: the form with the settlement's figures, no work rows left.
    LiqivaRun r = print(args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ScriptedMessages messages;
    SettlementDocument doc(DocumentContext{t->db(), messages, 1, Company, settlementFunctionOf(t->db()), true, {}});
    doc.sbChildFill(january, false);
    const QString text = pdfPages(file).join(u'\n');
    EXPECT_TRUE(text.contains(u"Comunicazione Annuale Dati IVA"_qs));
    EXPECT_TRUE(text.contains(
        DeclarationPrint::amountBox(doc.declaration().debit(DeclarationGrid::IvaEsigibile), 2024).trimmed()));
    EXPECT_EQ(workRows(), 0);

    // No test print from 2002; no register for a declaration.
    expectFailure(print(args + QStringList{u"--test"_qs}), 1);
    expectFailure(print(args + QStringList{u"--definitive"_qs}), 2);

    // Without the declarant the print stops and says what is missing, unless told to go on.
    t->db().execute(u"DELETE FROM ConfigurazioneDip"_qs);
    QFile::remove(file);
    r = print(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(u"Codice Carica del Dichiarante"_qs)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    r = print(args + QStringList{u"--yes"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(workRows(), 0);
}

} // namespace

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(PrintedPdfTest);
