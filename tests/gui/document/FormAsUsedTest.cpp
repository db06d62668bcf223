// What a bookkeeper met using the settlement form and its dialogs, on both engines: the place
// of a payment that nobody chose, Tab out of an open declaration cell, the pro-rata window's
// buttons (its accounting entry is the entry dialogs' test).

#include "ChildFixture.h"

#include "domain/document/InputText.h"
#include "domain/prorata/cDatiProRata.h"
#include "gui/document/frmChild.h"
#include "gui/prorata/frmDatiProRata.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class FormAsUsed : public FormTest<EngineTest> {
protected:
    Engine formEngine() const override { return engine(); }
};

TEST_P(FormAsUsed, APaymentPlaceIsStoredOnlyWhenTheUserChoseOne)
{
    struct {
        const char *what;
        int option;            // the place clicked, -1 none
        const char *date;      // typed into "Data versamento", nullptr none
        bool updateAmountPaid; // the answer to "aggiornare l'importo versato"
        PaymentPlace place;    // read back
        int stored;            // LuogoVersamento
    } cases[] = {
        {"only the date typed", -1, "16/04/2024", false, PaymentPlace::None, 0},
        {"the amount paid set to the amount to pay", -1, nullptr, true, PaymentPlace::None, 0},
        {"the post office chosen", 2, "16/04/2024", false, PaymentPlace::PostOffice, 3},
        {"the collection agent chosen", 1, nullptr, true, PaymentPlace::CollectionAgent, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (&c != &cases[0]) {
            child.reset();
            t = TestDatabase::create(engine(), Content::Demo);
        }
        open(demo::Shop, 3);
        if (c.option >= 0)
            find<QRadioButton>(QStringLiteral("optVerPer(%1)").arg(c.option).toLatin1().constData())->click();
        if (c.date)
            type(find<QLineEdit>("dtaDataVersamentiPeriodici"), QString::fromLatin1(c.date));
        child->setChanged(true);
        messages.answer(c.updateAmountPaid ? Answer::Yes : Answer::No);
        ASSERT_TRUE(child->fnChildSave()) << messages.texts().join(u'\n').toStdString();
        EXPECT_EQ(db().scalar(u"SELECT LuogoVersamento FROM RisultatoLiquidazioneIvaXTipo WHERE "
                              u"IDTipoRisultatoLiquidazioneIva = 8 AND IDRisultatoLiquidazioneIva = ?"_qs,
                              {key})
                      .toInt(),
                  c.stored);
        // Opened again, the window shows the place as it was chosen, or none.
        frmChild again(contextOf(db(), messages));
        again.sbChildFill(key, false);
        EXPECT_EQ(again.document().payments().periodic.place, c.place);
        for (int o = 0; o < 3; ++o)
            EXPECT_EQ(again.findChild<QRadioButton *>(QStringLiteral("optVerPer(%1)").arg(o))->isChecked(),
                      o == c.option)
                << o;
    }
}

TEST_P(FormAsUsed, TabFromAnOpenDeclarationCellGoesToTheNextCellThatTakesTyping)
{
    open(demo::Shop, 3);
    child->show();
    QApplication::setActiveWindow(child.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(child.get()));
    showTab(u"Liquidazione"_qs);
    auto *dip = find<QTableWidget>("spdDIP");
    QStringList editable;
    for (int r = 0; r < dip->rowCount(); ++r)
        for (int c = 1; c < dip->columnCount(); ++c)
            if (dip->item(r, c)->flags() & Qt::ItemIsEditable)
                editable << QStringLiteral("%1,%2").arg(r).arg(c);
    ASSERT_GE(editable.size(), 3);
    auto at = [dip] { return QStringLiteral("%1,%2").arg(dip->currentRow()).arg(dip->currentColumn()); };

    dip->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(at(), editable.at(0));
    // A digit opens the cell's editor; Tab takes the amount and goes on, Shift+Tab back.
    struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int expected; // index into the editable cells
    } steps[] = {
        {Qt::Key_Tab, Qt::NoModifier, 1}, {Qt::Key_Tab, Qt::NoModifier, 2}, {Qt::Key_Backtab, Qt::ShiftModifier, 1}};
    for (const auto &s : steps) {
        QTest::keyClick(dip, Qt::Key_1);
        QWidget *editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(dip->isAncestorOf(editor));
        QTest::keyClick(editor, s.key, s.mods);
        EXPECT_EQ(at(), editable.at(s.expected));
        EXPECT_EQ(QApplication::focusWidget(), dip);
        EXPECT_TRUE(dip->currentItem()->flags() & Qt::ItemIsEditable);
    }
    // What was typed before the first Tab was taken.
    const QStringList first = editable.at(0).split(u',');
    EXPECT_EQ(dip->item(first[0].toInt(), first[1].toInt())->text(), u"1,00"_qs);
}

// Demo activity 3 manages the pro-rata in 2024 (VAT year 2); fiscal year 2 is 2024.
TEST_P(FormAsUsed, TheProRataWindowSaysWhatItDidAndAsksBeforeThrowingTypingAway)
{
    cDatiProRata p(db());
    p.setIDAzienda(1);
    p.setIDUtente(1);
    p.setIDAttivitaAzienda(3);
    p.setIDPeriodoIva(2);
    p.setIDMese(0);
    p.LoadDati(0);
    p.setTotaleIvaAcquisti(Money::units(10000));
    frmDatiProRata dialog(p, messages, true, false);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *imponibili = dialog.findChild<QLineEdit *>(u"curAnnoImponibili"_qs);
    auto *esenti = dialog.findChild<QLineEdit *>(u"curAnnoEsenti"_qs);
    auto *said = dialog.findChild<QLabel *>(u"lblAggiorna"_qs);
    ASSERT_NE(said, nullptr);
    EXPECT_TRUE(said->text().isEmpty());

    // Alt+A is "Aggiorna": it takes the typed figures and says so.
    type(imponibili, u"3000"_qs, Qt::Key_Tab);
    type(esenti, u"1000"_qs, Qt::Key_Tab);
    QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
    (void)QTest::qWaitFor([said] { return !said->text().isEmpty(); }, 3000); // a mnemonic clicks after a moment
    EXPECT_EQ(p.PercProRata(), Percent::points(75));
    EXPECT_EQ(said->text(), frmDatiProRata::msgAggiornato(formatPercent(Percent::points(75))));
    // Of 10,000.00 VAT on purchases 7,500.00 deductible, all of it to recover.
    EXPECT_EQ(dialog.findChild<QLineEdit *>(u"curAnnoIvaDetraibile"_qs)->text(), u"7.500,00"_qs);
    EXPECT_EQ(dialog.findChild<QLineEdit *>(u"curAnnoIvaDaRecuperare"_qs)->text(), u"7.500,00"_qs);

    // Ricalcola over typed figures asks: No keeps them, Yes brings the counters back.
    struct {
        Answer answer;
        QString imponibili;
    } answers[] = {{Answer::No, u"3.000,00"_qs},
                   {Answer::Yes, formatAmount(p.OperazioniImponibiliDaContatori(), true)}};
    for (const auto &a : answers) {
        messages.clear();
        messages.answer(a.answer);
        dialog.ricalcola();
        EXPECT_EQ(messages.texts(), QStringList{frmDatiProRata::msgRicalcola()});
        EXPECT_EQ(imponibili->text(), a.imponibili);
    }
    // With the counters' figures in the fields there is nothing to lose: no question.
    messages.clear();
    dialog.ricalcola();
    EXPECT_TRUE(messages.texts().isEmpty());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(FormAsUsed);

} // namespace
