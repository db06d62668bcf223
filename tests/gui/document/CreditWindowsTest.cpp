// The credit windows of the declaration tab, offscreen on the demo's shop, March 2024 (VAT
// due 1528.04): each opens from its button or from a double click on its row of the grid,
// shows what the settlement holds, refuses a wrong value with its message and the focus on
// it, gives its values to the settlement on OK and nothing on Annulla.

#include "ChildFixture.h"
#include "domain/credits/CreditUse.h"
#include "domain/credits/CreditoCompensabile.h"
#include "domain/credits/Prospetto.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/document/InputText.h"
#include "domain/engine/Amounts.h"
#include "gui/credits/frmCIC.h"
#include "gui/credits/frmCreUse.h"
#include "gui/credits/frmProsp.h"
#include "gui/document/frmChild.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class CreditWindows : public FormTest<EngineTest> {
protected:
    Engine formEngine() const override { return engine(); }
    void SetUp() override
    {
        FormTest::SetUp();
        open(demo::Shop, 3);
        child->resize(1000, 700);
        child->show();
    }
    Amounts &amounts() { return child->document().amounts(); }

    // Runs the steps in the modal window that the action opens.
    template <class Dialog> void inWindow(const std::function<void()> &open, const std::function<void(Dialog &)> &steps)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ran = true;
            QApplication::setActiveWindow(dialog);
            steps(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        open();
        EXPECT_TRUE(ran);
    }
    void doubleClick(int row, int column)
    {
        auto *grid = child->findChild<QTableWidget *>(u"spdDIP"_qs);
        auto *tabs = child->findChild<QTabWidget *>(u"stbLiquidazioneIva"_qs);
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(grid))
                tabs->setCurrentIndex(i);
        const QRect cell = grid->visualItemRect(grid->item(row, column));
        // The view takes a double click on the cell that the press before it chose.
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    static void typeCell(QTableWidget *grid, int row, const QString &text) { grid->item(row, 1)->setText(text); }
    static QPushButton *button(QWidget &w, const char *name)
    {
        return w.findChild<QPushButton *>(QString::fromLatin1(name));
    }
};

TEST_P(CreditWindows, TheInfraAnnualCreditOpensFromItsButtonAndChecksTheRefund)
{
    auto *credInfRim = child->findChild<QPushButton *>(u"cmdCredInfRim"_qs);
    EXPECT_FALSE(credInfRim->isEnabled());
    child->findChild<QCheckBox *>(u"chkSoggetto"_qs)->setChecked(true);
    ASSERT_TRUE(credInfRim->isEnabled());

    inWindow<frmProsp>(
        [&] { QTest::mouseClick(credInfRim, Qt::LeftButton); },
        [&](frmProsp &d) {
            auto *grid = d.findChild<QTableWidget *>(u"spdProsp"_qs);
            // B1 = 1000, B2 = 600, B4 = 50: B6 = 650; asked 400 + 300.
            for (const auto &[row, text] :
                 {std::pair{0, u"1.000"_qs}, {1, u"600"_qs}, {3, u"50"_qs}, {6, u"400"_qs}, {7, u"300"_qs}})
                typeCell(grid, row, text);
            EXPECT_EQ(grid->item(5, 1)->text(), u"650,00"_qs);
            EXPECT_EQ(grid->item(9, 1)->text(), u"300,00"_qs); // B1 - (B7 + B8)
            EXPECT_FALSE(d.ok());
            EXPECT_EQ(messages.texts().value(0), Prospetto::msgSelezionareLettera());
            EXPECT_TRUE(d.findChild<QCheckBox *>(u"chkAliqMediaLettA"_qs)->hasFocus());
            d.findChild<QCheckBox *>(u"chkAliqMediaLettA"_qs)->setChecked(true);
            EXPECT_FALSE(d.ok());
            EXPECT_EQ(messages.texts().value(1), Prospetto::msgSuperaInfrannuale());
            EXPECT_EQ(grid->currentRow(), 6);
            // A formula cell takes no typing.
            EXPECT_FALSE(grid->item(5, 1)->flags() & Qt::ItemIsEditable);
            typeCell(grid, 7, u"250"_qs);
            EXPECT_TRUE(d.ok());
        });
    EXPECT_EQ(amounts().RimbInfrannuale(), Money::units(400));
    EXPECT_EQ(amounts().CreCompF24(), Money::units(250));
    EXPECT_TRUE(child->document().datiDip().AliquotaMediaLettA);
    EXPECT_TRUE(child->isChanged());
    EXPECT_EQ(child->findChild<QLineEdit *>(u"curImportiDIP(4)"_qs)->text(), u"400,00"_qs);

    // Annulla leaves the settlement as it was.
    inWindow<frmProsp>([&] { QTest::mouseClick(credInfRim, Qt::LeftButton); },
                       [&](frmProsp &d) {
                           auto *grid = d.findChild<QTableWidget *>(u"spdProsp"_qs);
                           EXPECT_EQ(grid->item(6, 1)->text(), u"400,00"_qs); // the stored values
                           typeCell(grid, 6, u"10"_qs);
                           QTest::mouseClick(button(d, "cmdAnnulla"), Qt::LeftButton);
                       });
    EXPECT_EQ(amounts().RimbInfrannuale(), Money::units(400));
}

TEST_P(CreditWindows, ADoubleClickOnAProspectusRowOpensItsWindow)
{
    const Money due = child->document().importoDaVersare();
    // Row 6, debit: the debit variations; "Altre variazioni a debito" 100.
    inWindow<frmProsp>([&] { doubleClick(5, 1); },
                       [&](frmProsp &d) {
                           EXPECT_EQ(d.windowTitle(), Prospetto::caption(Prospetto::VariazioniDebito));
                           auto *grid = d.findChild<QTableWidget *>(u"spdProsp"_qs);
                           typeCell(grid, 3, u"-5"_qs);
                           EXPECT_EQ(messages.texts().value(0), Prospetto::msgOutOfRange());
                           EXPECT_EQ(grid->item(3, 1)->text(), u"0,00"_qs);
                           typeCell(grid, 3, u"100"_qs);
                           EXPECT_TRUE(d.ok());
                       });
    EXPECT_EQ(amounts().AltreVarDeb(), Money::units(100));
    EXPECT_EQ(child->document().importoDaVersare(), due + Money::units(100));
    EXPECT_EQ(child->findChild<QTableWidget *>(u"spdDIP"_qs)->item(5, 1)->text(), u"100,00"_qs);

    // Row 11: the special credits; the shop has none to use.
    inWindow<frmProsp>([&] { doubleClick(10, 2); },
                       [&](frmProsp &d) {
                           EXPECT_EQ(d.windowTitle(), Prospetto::caption(Prospetto::CreditiSpeciali));
                           auto *grid = d.findChild<QTableWidget *>(u"spdProsp"_qs);
                           typeCell(grid, 2, u"10"_qs);
                           EXPECT_FALSE(d.ok());
                           EXPECT_EQ(messages.texts().value(1), Amounts::msgCreditoUtilizzatoMaggiore());
                           EXPECT_EQ(grid->currentRow(), 2);
                       });
    EXPECT_EQ(amounts().CreAutotraspUti(), Money());
}

TEST_P(CreditWindows, TheCreditUsedInTheSettlementOpensFromItsRow)
{
    // 1000 of annual credit carried into January.
    t->db().execute(
        u"INSERT INTO Credito (IDCredito, IDAzienda, Anno, IDMese, VirtualDelete) VALUES (900, 1, 2024, 1, 0)"_qs);
    t->db().execute(
        u"INSERT INTO MovimentoCredito (IDMovimentoCredito, IDCredito, IDCausaleCredito, Importo, Automatico, "
        "VirtualDelete) VALUES (900, 900, 1, 1000, -1, 0)"_qs);
    const Money due = child->document().importoDaVersare();
    inWindow<frmCreUse>([&] { doubleClick(8, 2); },
                        [&](frmCreUse &d) {
                            auto *grid = d.findChild<QTableWidget *>(u"spdCrediti1"_qs);
                            ASSERT_NE(grid, nullptr);
                            EXPECT_EQ(grid->item(0, 2)->text(), u"1.000,00"_qs); // before March
                            const int used = grid->rowCount() - 2;
                            grid->item(used, 2)->setText(u"1.200"_qs);
                            EXPECT_FALSE(d.ok());
                            EXPECT_EQ(messages.texts().value(0),
                                      CreditUse::msgSuperaDisponibile(u"Credito IVA annuale"_qs));
                            EXPECT_EQ(grid->currentRow(), used);
                            grid->item(used, 2)->setText(u"300"_qs);
                            EXPECT_EQ(grid->item(used + 1, 2)->text(), u"700,00"_qs);
                            EXPECT_TRUE(d.ok());
                        });
    EXPECT_EQ(amounts().CreditoInDetrazione(), Money::units(300));
    EXPECT_EQ(child->document().importoDaVersare(), due - Money::units(300));
    inWindow<frmCreUse>([&] { doubleClick(8, 2); },
                        [&](frmCreUse &d) {
                            auto *grid = d.findChild<QTableWidget *>(u"spdCrediti1"_qs);
                            EXPECT_EQ(grid->item(grid->rowCount() - 2, 2)->text(), u"300,00"_qs);
                            grid->item(grid->rowCount() - 2, 2)->setText(u"5"_qs);
                            QTest::mouseClick(button(d, "cmdAnnulla"), Qt::LeftButton);
                        });
    EXPECT_EQ(amounts().CreditoInDetrazione(), Money::units(300));
}

TEST_P(CreditWindows, TheCompensableCreditOpensFromItsButtonAndWritesThePrintFlagOnOk)
{
    auto *cic = child->findChild<QPushButton *>(u"cmdCIC"_qs);
    ASSERT_TRUE(cic->isEnabled());
    const QString flag = u"SELECT StampaCIC FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs;
    const int before = t->db().scalar(flag).toInt();
    inWindow<frmCIC>([&] { QTest::mouseClick(cic, Qt::LeftButton); },
                     [&](frmCIC &d) {
                         auto box = [&d](int i) {
                             return d.findChild<QLineEdit *>(QStringLiteral("curCICAmount(%1)").arg(i));
                         };
                         EXPECT_TRUE(box(1)->isReadOnly());
                         type(box(0), u"100"_qs, Qt::Key_unknown);
                         type(box(2), u"150"_qs, Qt::Key_unknown);
                         d.findChild<QCheckBox *>(u"chkPrintCIC"_qs)->setChecked(before == 0);
                         EXPECT_FALSE(d.ok());
                         EXPECT_EQ(messages.texts().value(0), CreditoCompensabile::msgSuperaCredito());
                         EXPECT_TRUE(box(2)->hasFocus());
                         EXPECT_EQ(t->db().scalar(flag).toInt(), before); // nothing written while refused
                         type(box(2), u"80"_qs, Qt::Key_unknown);
                         EXPECT_TRUE(d.ok());
                     });
    EXPECT_EQ(amounts().CICInizio(), Money::units(100));
    EXPECT_EQ(amounts().CICUtiF24(), Money::units(80));
    EXPECT_EQ(amounts().CICFine(), Money::units(20));
    EXPECT_EQ(t->db().scalar(flag).toInt() != 0, before == 0);
}

TEST_P(CreditWindows, AUserWhoMayNotSaveSeesTheWindowsReadOnly)
{
    child->setReadOnly(true);
    inWindow<frmProsp>([&] { doubleClick(6, 1); },
                       [&](frmProsp &d) {
                           auto *grid = d.findChild<QTableWidget *>(u"spdProsp"_qs);
                           for (int row = 0; row < grid->rowCount(); ++row)
                               EXPECT_FALSE(grid->item(row, 1)->flags() & Qt::ItemIsEditable) << row;
                           d.ok();
                       });
    EXPECT_EQ(amounts().IvaNoVersataPrec(), Money());
    EXPECT_FALSE(child->isChanged());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(CreditWindows);

} // namespace
