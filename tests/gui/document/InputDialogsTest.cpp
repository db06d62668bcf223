// The dialogs of a settlement's inputs, offscreen on the demo: they show the stored values,
// refuse a wrong value with its message keeping the focus on it, and OK or Aggiorna change
// the object while Annulla changes nothing.

#include "domain/credits/CreditoAnnuale.h"
#include "domain/document/InputText.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "domain/prorata/cDatiProRata.h"
#include "gui/credits/frmCreditoAnnuale.h"
#include "gui/otherops/frmAltreOperazioni.h"
#include "gui/prorata/frmDatiProRata.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include "DialogTest.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class InputDialogs : public DialogTest {};

TEST_P(InputDialogs, TheAnnualCreditDialogRefusesARefundOutOfRangeAndAnnullaSavesNothing)
{
    const QString movements = u"SELECT COUNT(*) FROM MovimentoCredito"_qs;
    const int before = count(movements);
    struct {
        QString refund;
        bool accepted;
        QString message;
    } cases[] = {
        {u"9.000.000.001"_qs, false, CreditoAnnuale::msgRimborsoFuoriLimiti()},
        {u"1,2,3"_qs, false, msgInvalidAmount(u"1,2,3"_qs, true)},
        {u"3.000"_qs, true, CreditoAnnuale::msgRimborsoSuperiore()}, // only a warning
        {u"1.000,50"_qs, true, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.refund.toStdString());
        ScriptedMessages m;
        CreditoAnnuale credito(db(), 1);
        credito.LoadDati(2030, Money::units(2850), 1);
        frmCreditoAnnuale dialog(credito, m);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        auto *refund = child<QLineEdit>(dialog, "curRimborso");
        type(refund, c.refund);
        EXPECT_EQ(dialog.ok(), c.accepted);
        EXPECT_EQ(m.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (!c.accepted) {
            EXPECT_TRUE(refund->hasFocus());
            EXPECT_TRUE(credito.Rimborso().isZero());
        } else if (c.message.isEmpty()) {
            EXPECT_EQ(credito.Rimborso(), Money::fromRaw(1000'5000));
        }
    }
    // Annulla abandons the save of the settlement: nothing is asked, nothing written.
    ScriptedMessages m;
    const auto credit = annualCreditToCarry(db(), 1, 2030, Money::units(2850), 1);
    frmCreditoAnnuale dialog(*credit, m);
    QTimer::singleShot(0, &dialog, [&dialog] {
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"cmdAnnulla"_qs), Qt::LeftButton);
    });
    EXPECT_NE(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(m.texts().isEmpty());
    EXPECT_EQ(count(movements), before);
}

TEST_P(InputDialogs, OtherOperationsAreKeptInMemoryWithTheirTaxComputedFromTheRate)
{
    cAltreOperazioni ops(db());
    ops.setIDRisultatoLiquidazioneIva(999);
    ops.Refresh();
    ScriptedMessages m;
    frmAltreOperazioni dialog(db(), ops, m, true, false);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    auto *rate = child<QComboBox>(dialog, "cboIva");
    auto *taxable = child<QLineEdit>(dialog, "curImponibile");
    // No rate: refused with its message.
    type(taxable, u"1000"_qs);
    EXPECT_FALSE(dialog.salva());
    EXPECT_EQ(m.texts(), QStringList{cAltreOperazioni::msgNoRate()});
    EXPECT_EQ(ops.Count(), 0);
    m.clear();
    // Rate 22: the tax follows the taxable amount; a typed tax is kept.
    rate->setCurrentIndex(rate->findText(u"22 - "_qs, Qt::MatchStartsWith));
    type(taxable, u"1.234,56"_qs);
    EXPECT_EQ(child<QLineEdit>(dialog, "curImposta")->text(), u"271,60"_qs); // 271.6032
    child<QLineEdit>(dialog, "txtNote")->setText(u"consegna del 18/12"_qs);
    ASSERT_TRUE(dialog.salva());
    dialog.nuovo();
    rate->setCurrentIndex(rate->findText(u"10 - "_qs, Qt::MatchStartsWith));
    type(taxable, u"10,05"_qs); // 1.005: away from zero
    EXPECT_EQ(child<QLineEdit>(dialog, "curImposta")->text(), u"1,01"_qs);
    ASSERT_TRUE(dialog.salva());
    EXPECT_EQ(ops.Count(), 2);
    dialog.elimina();
    EXPECT_EQ(ops.Count(), 1);
    EXPECT_TRUE(dialog.Changed());
    // Nothing reaches the table before the settlement is saved.
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM AltreOperazioniPerAcconto"_qs), 0);
    // The rates offered are the fully deductible ones.
    EXPECT_EQ(rate->findText(u"22I40"_qs, Qt::MatchStartsWith), -1);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(InputDialogs);

} // namespace
