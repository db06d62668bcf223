// "Regole di importazione" offscreen, on both engines: a rule typed and kept shows as a row
// with the supplier's name from its imported invoices, a bad VAT number is said and keeps
// nothing, choosing a row fills the fields, and a rule is removed after asking.

#include "gui/invoices/frmRegoleImportazione.h"

#include "domain/invoices/InvoiceImport.h"
#include "support/InvoiceCompany.h"
#include "support/InvoiceFiles.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {
class RulesWindow : public EngineTest {};
} // namespace

TEST_P(RulesWindow, KeepShowAndRemoveARule)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    const CreatedCompany company = createInvoiceCompany(db, {u"Sede"_qs, u"Negozio"_qs});
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(
        dir.filePath(u"a.xml"_qs),
        invoiceXml(TestInvoice{.seller = u"01234567890"_qs, .buyer = InvoiceCompanyVat, .number = u"A1"_qs})));
    ImportOptions o;
    o.company = 1;
    o.user = 1;
    ASSERT_TRUE(importInvoices(db, {dir.filePath(u"a.xml"_qs)}, o).kept);

    ScriptedMessages messages;
    frmRegoleImportazione window(db, messages, 1, 1);
    QTableWidget *rows = window.table();
    EXPECT_EQ(rows->rowCount(), 0);
    window.setRule(u"0123456789"_qs, SupplierRule{.goods = true}); // ten digits
    EXPECT_FALSE(window.saveRule());
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().front().contains(u"non è una partita IVA"_qs))
        << messages.texts().front().toStdString();
    EXPECT_EQ(rows->rowCount(), 0);

    window.setRule(u" 01234567890 "_qs, SupplierRule{.goods = true, .undeductible = 60, .branch = company.branches[1]});
    ASSERT_TRUE(window.saveRule()) << messages.texts().join(u'\n').toStdString();
    ASSERT_EQ(rows->rowCount(), 1);
    // VAT number, supplier, goods, undeductible, branch
    EXPECT_EQ(rows->item(0, 0)->text(), u"IT01234567890"_qs);
    EXPECT_EQ(rows->item(0, 1)->text(), u"Fornitore 01234567890"_qs);
    EXPECT_EQ(rows->item(0, 2)->text(), u"sì"_qs);
    EXPECT_EQ(rows->item(0, 3)->text(), u"60"_qs);
    EXPECT_TRUE(rows->item(0, 4)->text().startsWith(u"Negozio"_qs)) << rows->item(0, 4)->text().toStdString();

    window.setRule(QString(), SupplierRule{});
    rows->setCurrentCell(0, 1);
    EXPECT_EQ(window.findChild<QLineEdit *>(u"txtPartitaIva"_qs)->text(), u"IT01234567890"_qs);
    EXPECT_TRUE(window.findChild<QCheckBox *>(u"chkMerci"_qs)->isChecked());
    EXPECT_EQ(window.findChild<QSpinBox *>(u"txtIndetraibile"_qs)->value(), 60);
    EXPECT_EQ(window.findChild<QComboBox *>(u"cboFiliale"_qs)->currentData().toInt(), company.branches[1]);

    messages.answer(Answer::No);
    window.removeCurrentRule();
    EXPECT_EQ(rows->rowCount(), 1);
    rows->setCurrentCell(0, 0);
    window.removeCurrentRule(); // yes
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM RegolaImportazione"_qs).toInt(), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(RulesWindow);
