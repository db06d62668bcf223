// The accounting entry of the pro-rata adjustment and the declaration data (the truckers'
// credit only as it opens from the window), offscreen on the demo and on both engines: each
// dialog shows the stored values, refuses a wrong value with its message and the focus on it,
// OK stores and Annulla stores nothing.

#include "ChildFixture.h"
#include "domain/credits/CreditoAutotrasportatori.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/declarations/DeclarationDataEdit.h"
#include "domain/document/InputText.h"
#include "domain/document/SettlementDocument.h"
#include "domain/engine/Amounts.h"
#include "domain/prorata/DatiPNC.h"
#include "domain/prorata/cDatiProRata.h"
#include "gui/common/ReadOnlyDialog.h"
#include "gui/credits/frmCreditoAutotrasportatori.h"
#include "gui/declarations/frmCADI.h"
#include "gui/declarations/frmDatiDip.h"
#include "gui/document/frmChild.h"
#include "gui/prorata/frmDatiPNC.h"
#include "gui/prorata/frmDatiProRata.h"
#include "suite/AccountingEntry.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include "DialogTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Demo: company 1; activity 3 under pro-rata (VAT year 2 = 2024); fiscal years 1-3 = 2023-2025
// (2 = 2024 "previous open"); accounts 1 "1.05.01" IVA su acquisti, 3 "5.08.10" IVA
// indetraibile, 4 "5.08.11" Rettifiche IVA pro-rata; causes 1 "GC", 2 "RPR"; branch 3 is
// activity 3's. Activity 2 is a trucker with 1,200.00 of credit in 2024 (row 6).
class EntryDialogs : public DialogTest {
protected:
    static void choose(QComboBox *c, int id) { c->setCurrentIndex(c->findData(id)); }

    // The annual pro-rata of activity 3 in 2024 for a settlement row of our own: 3000 taxable,
    // 1000 exempt (75%), 10,000.00 VAT on purchases, nothing deducted yet.
    std::unique_ptr<cDatiProRata> proRata(int settlement, int month = 0)
    {
        auto p = std::make_unique<cDatiProRata>(db());
        p->setIDAzienda(1);
        p->setIDUtente(1);
        p->setIDAttivitaAzienda(3);
        p->setIDPeriodoIva(2);
        p->setIDMese(month);
        p->LoadDati(settlement);
        p->Aggiorna(Money::units(3000), Money::units(1000), Percent::points(75));
        p->setTotaleIvaAcquisti(Money::units(10000));
        return p;
    }
    int settlementRow(int key, int month)
    {
        db().execute(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, IDAttivitaAzienda, "
                     u"IDPeriodoIva, IDMese, AccontoIva, VirtualDelete, IDUtenteUltimaVariazione) VALUES "
                     u"(?, 3, 2, ?, 0, 2, 1)"_qs,
                     {key, month == 0 ? QVariant(QMetaType::fromType<int>()) : QVariant(month)});
        return key;
    }
};

TEST_P(EntryDialogs, TheAdjustmentIsBookedFromThePrimaNotaButtonWithTheProposedAccounts)
{
    const int key = settlementRow(9001, 0);
    auto p = proRata(key);
    ScriptedMessages m;
    frmDatiProRata prorata(*p, m, true, false);
    auto *cmdPNC = child<QPushButton>(prorata, "cmdPNC");
    ASSERT_TRUE(cmdPNC->isEnabled());
    // 75% of 10,000.00 = 7,500.00 deductible, nothing deducted: 7,500.00 to recover.
    EXPECT_EQ(prorata.ImportoStorno(), Money::units(7500));

    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<frmDatiPNC *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QApplication::setActiveWindow(dialog);
        shown = true;
        EXPECT_EQ(child<QLineEdit>(*dialog, "curImportoStorno")->text(), u"7.500,00"_qs);
        // VAT to recover of the year: debit the VAT on purchases, credit the adjustments.
        EXPECT_EQ(child<QComboBox>(*dialog, "KvrSearchACSDare")->currentData().toInt(), 1);
        EXPECT_EQ(child<QComboBox>(*dialog, "KvrSearchACSAvere")->currentData().toInt(), 4);
        EXPECT_EQ(child<QComboBox>(*dialog, "KvrFirmGerarchy1")->currentData().toInt(), 3);
        auto *date = child<QLineEdit>(*dialog, "kvrDataReg");
        auto *number = child<QLineEdit>(*dialog, "kvrNumReg");
        // A 2024 adjustment: the 2024 fiscal year and the last day of 2024, whatever today is.
        EXPECT_EQ(child<QComboBox>(*dialog, "cboEsercizio")->currentData().toInt(), 2);
        EXPECT_EQ(date->text(), u"31/12/2024"_qs);
        // Missing data: named, the focus on it, nothing written; the number, the date (typed
        // short, shown in full once left), then the cause.
        const struct {
            QLineEdit *cleared;
            const char *named;
            QString typed, shown;
        } missing[] = {{number, "Numero registrazione", u"15"_qs, u"15"_qs},
                       {date, "Data registrazione", u"301224"_qs, u"30/12/2024"_qs}};
        for (const auto &f : missing) {
            f.cleared->clear();
            EXPECT_FALSE(dialog->creaRegistrazione());
            EXPECT_EQ(m.texts().last(), frmDatiPNC::msgMancante(QString::fromLatin1(f.named)));
            EXPECT_TRUE(f.cleared->hasFocus()) << f.named;
            type(f.cleared, f.typed);
            QTest::keyClick(f.cleared, Qt::Key_Tab);
            EXPECT_EQ(f.cleared->text(), f.shown);
        }
        EXPECT_FALSE(dialog->creaRegistrazione());
        EXPECT_EQ(m.texts().last(), frmDatiPNC::msgMancante(u"Causale contabile"_qs));
        EXPECT_TRUE(child<QComboBox>(*dialog, "kvrContbCausale")->hasFocus());
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile"_qs), 0);
        choose(child<QComboBox>(*dialog, "kvrContbCausale"), 2);
        // A date of 2025 in the fiscal year 2024.
        type(date, u"31/12/2025"_qs);
        EXPECT_FALSE(dialog->creaRegistrazione());
        EXPECT_EQ(m.texts().last(), AccountingEntry::msgDataFuoriEsercizio());
        EXPECT_TRUE(date->hasFocus());
        type(date, u"31/12/2024"_qs);
        type(child<QLineEdit>(*dialog, "txtNote"), u"Rettifica 2024"_qs);
        ASSERT_TRUE(dialog->creaRegistrazione());
        EXPECT_EQ(m.texts().last(), DatiPNC::msgRegistrazioneEffettuata());
        EXPECT_EQ(child<QLineEdit>(*dialog, "curImportoCont")->text(), u"7.500,00"_qs);
        child<QPushButton>(*dialog, "cmdChiudi")->click();
    });
    cmdPNC->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(prorata.Booked());
    EXPECT_EQ(child<QLineEdit>(prorata, "curAnnoImportoCont")->text(), u"7.500,00"_qs);

    // The entry is linked to the settlement, now live (its rows are the command's test).
    EXPECT_EQ(
        count(u"SELECT IDTipoOggettoProRata FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = 9001"_qs),
        AccountingEntry::TipoOggetto);
    EXPECT_EQ(count(u"SELECT VirtualDelete FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = 9001"_qs),
              0);
    EXPECT_EQ(count(u"SELECT NumeroRegistrazione FROM TestataMovimentoContabile WHERE IDOggetto = (SELECT "
                    u"IDOggettoProRata FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = 9001)"_qs),
              15);
}

TEST_P(EntryDialogs, ATakenNumberIsRefusedWithTheNextFreeOneAndAnUpdateAsksFirst)
{
    const int first = settlementRow(9001, 0), second = settlementRow(9002, 6);
    ScriptedMessages m;
    auto annual = proRata(first);
    DatiPNC core(*annual, Money::units(7500));
    DatiPNC::Dati d = core.Proposta();
    d.idEsercizio = 2;
    d.dataRegistrazione = QDate(2024, 12, 31);
    d.numeroRegistrazione = 15;
    d.idCausaleContabile = 2;
    core.Verifica(d);
    core.Registra(d);

    // June: undeductible VAT of 120.50 to reverse, the same number in the same year.
    auto june = proRata(second, 6);
    frmDatiPNC dialog(*june, Money::fromRaw(1205000), m, true);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    // A period's undeductible VAT: debit the undeductible VAT cost, credit the VAT on purchases.
    EXPECT_EQ(child<QComboBox>(dialog, "KvrSearchACSDare")->currentData().toInt(), 3);
    EXPECT_EQ(child<QComboBox>(dialog, "KvrSearchACSAvere")->currentData().toInt(), 1);
    choose(child<QComboBox>(dialog, "cboEsercizio"), 2);
    choose(child<QComboBox>(dialog, "kvrContbCausale"), 2);
    auto *number = child<QLineEdit>(dialog, "kvrNumReg");
    type(child<QLineEdit>(dialog, "kvrDataReg"), u"30/06/2024"_qs);
    const struct {
        const char *typed;
        QString message;
    } refused[] = {{"15", AccountingEntry::msgNumeroUtilizzato()},
                   {"1000000001", AccountingEntry::msgNumeroNonValido()}};
    for (const auto &r : refused) {
        type(number, QString::fromLatin1(r.typed));
        EXPECT_FALSE(dialog.creaRegistrazione());
        EXPECT_EQ(m.texts().last(), r.message);
        EXPECT_EQ(number->text(), u"16"_qs); // the next free number is proposed
        EXPECT_TRUE(number->hasFocus());
    }
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile"_qs), 1);
    ASSERT_TRUE(dialog.creaRegistrazione());
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RigaMovimentoContabile WHERE Importo = 120.5"_qs), 2);

    // Booking again asks first; Cancel keeps the entry, OK rewrites it under its own number.
    m.answer(Answer::Cancel);
    EXPECT_FALSE(dialog.creaRegistrazione());
    EXPECT_EQ(m.texts().last(), DatiPNC::questionAggiorna());
    m.answer(Answer::Ok);
    type(child<QLineEdit>(dialog, "txtNote"), u"giugno"_qs);
    ASSERT_TRUE(dialog.creaRegistrazione());
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile"_qs), 2);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RigaMovimentoContabile WHERE DescrizioneAggiuntiva = 'giugno'"_qs), 2);
}

TEST_P(EntryDialogs, TheDeclarationDataAreCheckedAndWrittenBackOnlyOnOK)
{
    AltriDatiDip dip;
    dip.IDAttivitaAzienda = 1;
    dip.IDPeriodoIva = 2;
    dip.VP1_OperazioniAttive = Money::fromRaw(123456789); // 12,345.6789 -> shown with two decimals
    dip.VP3_Imponibile = Money::units(1000);
    dip.VP3_Imposta = Money::units(220);
    dip.SoggettoLegittRimb = true;
    dip.DichiarazioneIntegrativa = true;
    ScriptedMessages m;

    for (const bool readOnly : {false, true}) {
        // Annulla, or a user who may not save reading them (nothing can be typed or ticked,
        // there is no OK): nothing changes.
        SCOPED_TRACE(readOnly ? "read only" : "Annulla");
        frmDatiDip dialog(db(), dip, true, true, m);
        if (readOnly)
            lockForReading(dialog);
        dialog.show();
        EXPECT_EQ(child<QLineEdit>(dialog, "curImponibile")->text(), u"1.000,00"_qs);
        EXPECT_TRUE(child<QCheckBox>(dialog, "chkDicIntegrativa")->isChecked());
        EXPECT_EQ(child<QCheckBox>(dialog, "chkDicIntegrativa")->isEnabled(), !readOnly);
        EXPECT_EQ(child<QLineEdit>(dialog, "curImposta")->isReadOnly(), readOnly);
        EXPECT_EQ(child<QPushButton>(dialog, "cmdOk")->isVisible(), !readOnly);
        // The activity is not under articles 73/74; euro payments are fixed.
        EXPECT_FALSE(child<QCheckBox>(dialog, "chkContribLiqTrim")->isEnabled());
        EXPECT_TRUE(child<QCheckBox>(dialog, "chkVersInEuro")->isChecked());
        EXPECT_FALSE(child<QCheckBox>(dialog, "chkVersInEuro")->isEnabled());
        type(child<QLineEdit>(dialog, "curImposta"), u"1000"_qs);
        child<QPushButton>(dialog, "cmdAnnulla")->click();
        EXPECT_FALSE(dialog.Modify());
        EXPECT_EQ(dip.VP3_Imposta, Money::units(220));
    }

    frmDatiDip dialog(db(), dip, true, true, m);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    auto *imposta = child<QLineEdit>(dialog, "curImposta");
    auto *tabs = dialog.findChild<QTabWidget *>();
    // One cent more tax than taxable: refused, the focus back on the tax.
    type(imposta, u"1.000,01"_qs);
    EXPECT_FALSE(dialog.ok());
    EXPECT_EQ(m.texts().last(), DatiDipEdit::msgImpostaMaggiore());
    EXPECT_TRUE(imposta->hasFocus());
    // Equal is fine; but the refund frame is enabled and no ground is chosen.
    type(imposta, u"1.000,00"_qs);
    EXPECT_FALSE(dialog.ok());
    EXPECT_EQ(m.texts().last(), DatiDipEdit::msgSelezionareVoce());
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(child<QCheckBox>(dialog, "chkAliqMediaLettA")->hasFocus());
    EXPECT_FALSE(dialog.Modify());
    child<QCheckBox>(dialog, "chkOpNonImpLettB")->setChecked(true);
    ASSERT_TRUE(dialog.ok());
    EXPECT_TRUE(dialog.Modify());
    EXPECT_EQ(dip.VP3_Imposta, Money::units(1000));
    EXPECT_TRUE(dip.OperazioniNonImpLettB);
    EXPECT_EQ(dip.VP1_OperazioniAttive, Money::fromRaw(123456789)); // never written by the dialog
    tabs->setCurrentIndex(0);
}

TEST_P(EntryDialogs, TheAnnualCommunicationAsksBeforeATaxAboveItsTaxable)
{
    DatiCADI cadi;
    cadi.IDAttivitaAzienda = 1;
    cadi.IDPeriodoIva = 2;
    cadi.OperazioniAttive = Money::units(250000);
    cadi.ImponibileRottami = Money::units(500);
    cadi.ImpostaRottami = Money::units(110);
    ScriptedMessages m;
    frmCADI dialog(db(), cadi, true, m);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_EQ(child<QLineEdit>(dialog, "curCADI_0")->text(), u"250.000,00"_qs);
    EXPECT_TRUE(child<QLineEdit>(dialog, "curCADI_0")->isReadOnly());
    auto *scrapTax = child<QLineEdit>(dialog, "curCADI_11");
    EXPECT_EQ(scrapTax->text(), u"110,00"_qs);
    type(scrapTax, u"600"_qs);
    m.answer(Answer::No);
    EXPECT_FALSE(dialog.ok());
    EXPECT_EQ(m.texts().last(), DatiCADIEdit::questionImpostaMaggiore());
    EXPECT_EQ(cadi.ImpostaRottami, Money::units(110));
    EXPECT_TRUE(scrapTax->hasFocus());
    m.answer(Answer::Yes);
    child<QCheckBox>(dialog, "chkEventiEccezionali")->setChecked(true);
    ASSERT_TRUE(dialog.ok());
    EXPECT_EQ(cadi.ImpostaRottami, Money::units(600));
    EXPECT_TRUE(cadi.EventiEccezionali);
    EXPECT_EQ(cadi.OperazioniAttive, Money::units(250000));
}

// Optional items let the print go on (the print windows' declaration test goes on past them).
TEST_P(EntryDialogs, TheMissingDataWindowStopsThePrintOnAMandatoryItem)
{
    frmInfoDip mandatory;
    mandatory.NecessaryItems(u"Dichiarante"_qs);
    EXPECT_FALSE(child<QPushButton>(mandatory, "cmdOk")->isEnabled());
    child<QPushButton>(mandatory, "cmdAnnulla")->click();
    EXPECT_TRUE(mandatory.CancelOperation());
}

template <class Dialog> void whenShown(std::function<void(Dialog &)> act)
{
    QTimer::singleShot(0, [act] {
        auto *d = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        QApplication::setActiveWindow(d);
        act(*d);
    });
}

// The settlement window opens the dialogs: the truckers' credit button of a trucker's
// quarter (used credit taken into the summary, Annulla leaves it), the declaration data.
TEST_P(EntryDialogs, TheTruckersButtonAndTheDeclarationCommandOpenTheirDialogs)
{
    ScriptedMessages m;
    const int key = newWorkingSettlement(t->db(), m, 1, 1, 2, 2, 3);
    ASSERT_NE(key, 0);
    frmChild form(contextOf(t->db(), m));
    form.sbChildFill(key, false);
    auto *button = form.findChild<QPushButton *>(u"cmdCreditoAutotrasportatori"_qs);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    const Money before = form.document().importoDaVersare();

    whenShown<frmCreditoAutotrasportatori>([](frmCreditoAutotrasportatori &d) {
        EXPECT_EQ(d.findChild<QLineEdit *>(u"curCreditoResiduo"_qs)->text(), u"1.200,00"_qs);
        d.findChild<QPushButton *>(u"cmdAnnulla"_qs)->click();
    });
    button->click();
    EXPECT_EQ(form.document().importoDaVersare(), before);
    EXPECT_FALSE(form.isChanged());

    whenShown<frmCreditoAutotrasportatori>([](frmCreditoAutotrasportatori &d) {
        auto *used = d.findChild<QLineEdit *>(u"curCreditoUtilizzato"_qs);
        used->selectAll();
        QTest::keyClicks(used, u"250"_qs);
        d.findChild<QPushButton *>(u"cmdOk"_qs)->click();
    });
    button->click();
    // 4,317.52 - 250.00 = 4,067.52 plus 1% interest (40.68): 4,108.20.
    EXPECT_EQ(form.document().importoDaVersare(), Money::fromRaw(41082000));
    EXPECT_TRUE(form.isChanged());

    whenShown<frmDatiDip>([](frmDatiDip &d) {
        auto *taxable = d.findChild<QLineEdit *>(u"curImponibile"_qs);
        taxable->selectAll();
        QTest::keyClicks(taxable, u"100"_qs);
        d.findChild<QPushButton *>(u"cmdOk"_qs)->click();
    });
    form.sbDatiDip();
    EXPECT_EQ(form.document().datiDip().VP3_Imponibile, Money::units(100));
    // Saved, the credit leaves the activity and the declaration amount is stored.
    ASSERT_TRUE(form.fnChildSave());
    EXPECT_EQ(db().scalar(u"SELECT CreditoIvaAutotrasportatori FROM AttivitaAziendaPerPeriodoIva WHERE "
                          u"IDAttivitaAziendaPerPeriodoIva = 6"_qs)
                  .toDouble(),
              950);
    EXPECT_EQ(
        db().scalar(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 34 "
                    u"AND IDRisultatoLiquidazioneIva = ?"_qs,
                    {key})
            .toDouble(),
        100);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(EntryDialogs);

} // namespace
