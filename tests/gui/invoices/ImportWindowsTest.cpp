// "Importa fatture elettroniche..." and "Fatture importate" offscreen, on both engines: a row
// per file with its outcome, the list filtered by period, and "Annulla importazione" taking
// the import back after asking.

#include "gui/invoices/frmImportaFatture.h"

#include "support/InvoiceCompany.h"
#include "support/InvoiceFiles.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {
class ImportWindows : public EngineTest {};
} // namespace

TEST_P(ImportWindows, ImportListAndUndo)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    createInvoiceCompany(db);

    QTemporaryDir dir;
    TestInvoice sale{.number = u"1"_qs, .date = u"2025-01-10"_qs};
    TestInvoice purchase{
        .seller = u"01234567890"_qs, .buyer = InvoiceCompanyVat, .number = u"A1"_qs, .date = u"2025-01-28"_qs};
    TestInvoice stranger{.seller = u"00488410010"_qs};
    ASSERT_TRUE(writeFile(dir.filePath(u"1.xml"_qs), invoiceXml(sale)));
    ASSERT_TRUE(writeFile(dir.filePath(u"a1.xml.p7m"_qs), signedEnvelope(invoiceXml(purchase), true)));
    ASSERT_TRUE(writeFile(dir.filePath(u"x.xml"_qs), invoiceXml(stranger)));

    ScriptedMessages messages;
    frmImportaFatture import(db, messages, 1, 1);
    import.addPaths({dir.path()});
    import.setReceived(QDate(2025, 2, 10));
    import.runImport();
    ASSERT_TRUE(import.report().kept);
    QTableWidget *files = import.table();
    ASSERT_EQ(files->rowCount(), 3);
    // file name: a part of its outcome
    const struct {
        const char *file;
        const char *outcome;
    } rows[] = {{"1.xml", "1 importate"}, {"a1.xml.p7m", "firma non verificata"}, {"x.xml", "Rifiutato"}};
    for (int r = 0; r < 3; ++r) {
        EXPECT_TRUE(files->item(r, 0)->text().endsWith(QString::fromUtf8(rows[r].file))) << r;
        EXPECT_TRUE(files->item(r, 1)->text().contains(QString::fromUtf8(rows[r].outcome)))
            << files->item(r, 1)->text().toStdString();
    }

    frmFattureImportate list(db, messages, 1, 1);
    list.setPeriod(2025, 2);
    EXPECT_EQ(list.table()->rowCount(), 0); // the late purchase counts in January
    list.setPeriod(2025, 1);
    ASSERT_EQ(list.table()->rowCount(), 2);
    EXPECT_EQ(list.table()->item(1, 2)->text(), u"Fornitore 01234567890"_qs);
    EXPECT_EQ(list.table()->item(1, 6)->text(), u"01/2025"_qs);

    list.table()->setCurrentCell(0, 0);
    messages.answer(Answer::No);
    list.undoCurrentImport();
    EXPECT_EQ(list.table()->rowCount(), 2);
    list.undoCurrentImport(); // yes
    EXPECT_EQ(list.table()->rowCount(), 0);
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM ContatoreIva"_qs).toInt(), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ImportWindows);
