// `liqiva export`: the settlement in each format read back, with the figures as the window
// shows them (the spreadsheet's amounts as numbers), the summary and the F24 line with them.

#include "domain/document/InputText.h"
#include "domain/printing/PrintFixture.h"
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
        if (format == u"html"_qs) {
            // The summary and the F24 line carry the amount to pay (the figures of a summary
            // are the one-figure tests').
            QString plain = text;
            plain = plain.remove(QRegularExpression(u"<[^>]*>"_qs)).simplified();
            const QString toPay = formatAmount(doc.importoDaVersare(), true);
            for (const QString &caption : {u"Tot da versare"_qs, u"Importo da versare:"_qs, u"mese 1"_qs})
                EXPECT_TRUE(plain.contains(caption + u' ' + toPay)) << caption.toStdString();
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

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ExportTest);

} // namespace
