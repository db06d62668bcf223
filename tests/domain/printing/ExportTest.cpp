// `liqiva export`: the settlement in each format read back, with the figures as the window
// shows them (the spreadsheet's amounts as numbers).

#include "domain/credits/CreditoAutotrasportatori.h"
#include "domain/document/InputText.h"
#include "domain/printing/PrintFixture.h"
#include "support/Answering.h"
#include "support/LiqivaRun.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The text a person reads in each format.
QString readBack(const QString &file, const QString &format)
{
    if (format == u"pdf"_qs)
        return toolOutput(u"pdftotext"_qs, {u"-layout"_qs, file, u"-"_qs});
    if (format == u"odt"_qs)
        return toolOutput(u"unzip"_qs, {u"-p"_qs, file, u"content.xml"_qs});
    if (format == u"xlsx"_qs)
        return toolOutput(u"unzip"_qs, {u"-p"_qs, file, u"xl/sharedStrings.xml"_qs});
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class ExportTest : public SavedJanuaryTest {
protected:
    LiqivaRun exportTo(const QString &file, const QStringList &more = {})
    {
        return runLiqiva(QStringList{u"export"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs,
                                     QString::number(january), u"--out"_qs, file} +
                             more,
                         dir.path());
    }
};

TEST_P(ExportTest, EachFormatCarriesTheSettlementsFigures)
{
    ScriptedMessages messages;
    SettlementDocument doc(DocumentContext{t->db(), messages, 1, Company, settlementFunctionOf(t->db()), true, {}});
    doc.sbChildFill(january, false);
    const Money vatDue = doc.declaration().debit(DeclarationGrid::IvaEsigibile);
    ASSERT_FALSE(vatDue.isZero());

    for (const QString format : {u"pdf"_qs, u"html"_qs, u"odt"_qs, u"xlsx"_qs}) {
        SCOPED_TRACE(format.toStdString());
        const QString file = dir.filePath(u"gennaio."_qs + format);
        const LiqivaRun r = exportTo(file);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString text = readBack(file, format);
        EXPECT_TRUE(text.contains(u"Liquidazione I.V.A."_qs));
        EXPECT_TRUE(text.contains(u"Acquisti vari"_qs));
        if (format == u"xlsx"_qs) {
            // the amounts are numbers in the cells, not texts
            const QString sheet = toolOutput(u"unzip"_qs, {u"-p"_qs, file, u"xl/worksheets/sheet1.xml"_qs});
            bool found = false;
            for (qsizetype at = sheet.indexOf(u"<v>"_qs); at >= 0 && !found; at = sheet.indexOf(u"<v>"_qs, at + 3)) {
                const qsizetype end = sheet.indexOf(u"</v>"_qs, at);
                const QStringView cell = QStringView(sheet).mid(at + 3, end - at - 3);
                found = Money::fromDouble(cell.toDouble()) == vatDue;
            }
            EXPECT_TRUE(found) << "the VAT due as a number";
            EXPECT_FALSE(text.contains(formatAmount(vatDue, true))) << "no amount written as text";
        } else {
            EXPECT_TRUE(text.contains(formatAmount(vatDue, true))) << formatAmount(vatDue, true).toStdString();
        }
    }
}

// An unknown format is a bad argument; an unwritable place a refusal with nothing left (the
// other wrong targets are in the whole-file tests).
TEST_P(ExportTest, AWrongFormatOrPlaceIsRefused)
{
    expectFailure(exportTo(dir.filePath(u"x.doc"_qs)), 2);
    const QString nowhere = dir.filePath(u"no-such-folder/x.xlsx"_qs);
    expectFailure(exportTo(nowhere), 1);
    EXPECT_FALSE(QFile::exists(nowhere));
}

// The summary of the print says what the settlement says: the wholesaler's first quarter with
// 250.00 of truckers' credit used owes 4,317.52 - 250.00 = 4,067.52 and the 1% interest
// 40.6752 -> 40.68, 4,108.20 to pay, which is also the amount of its F24 line 6031.
TEST_P(ExportTest, TheSummaryAndTheF24LinesCarryTheAmountToPay)
{
    ScriptedMessages messages;
    NewSettlement ns(t->db(), Company, 1);
    ns.sbSetComboMesi(Wholesaler, Year2024, 0);
    ASSERT_EQ(confirmAnswering(ns, messages, Wholesaler, Year2024, ns.indexOfMonth(3), 0, true), 1);
    SettlementDocument doc(DocumentContext{t->db(), messages, 1, Company, settlementFunctionOf(t->db()), true, {}});
    doc.sbChildFill(ns.currentKey(), false);
    const auto credit = doc.truckersCredit();
    credit->setUtilizzato(Money::units(250));
    ASSERT_TRUE(doc.applyTruckersCredit(*credit));
    messages.answer(Answer::No); // the amount paid stays as it is
    ASSERT_TRUE(saveAnswering(doc)) << messages.texts().join(u'\n').toStdString();

    const QString file = dir.filePath(u"trimestre.html"_qs);
    const LiqivaRun r = runLiqiva({u"export"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs,
                                   QString::number(doc.key()), u"--out"_qs, file},
                                  dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QString text = readBack(file, u"html"_qs);
    text.remove(QRegularExpression(u"<[^>]*>"_qs));
    text = text.simplified();
    const struct {
        const char *caption, *amount;
    } lines[] = {
        {"Totale debito", "4.067,52"},       {"Interessi 1,50", "40,68"}, {"Tot da versare", "4.108,20"},
        {"Importo da versare:", "4.108,20"}, {"trimestre", "4.108,20"}, // the F24 line 6031
    };
    for (const auto &l : lines)
        EXPECT_TRUE(text.contains(QString::fromUtf8(l.caption) + u' ' + QString::fromLatin1(l.amount)))
            << l.caption << " " << l.amount;
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ExportTest);

} // namespace
