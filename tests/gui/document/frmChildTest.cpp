#include "ChildFixture.h"

#include "database/SqlValue.h"
#include "domain/document/DeclarationEdit.h"
#include "domain/document/DeclarationGrid.h"
#include "domain/document/InputText.h"
#include "domain/document/PaymentCodes.h"
#include "gui/document/frmChild.h"
#include "support/ScriptedMessages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace liqiva;
using namespace liqiva::test;

namespace {

using G = DeclarationGrid;
// Columns of the declaration grid on the screen.
constexpr int Debiti = 1;
constexpr int Crediti = 2;

class ChildWindow : public FormTest<::testing::Test> {};

// The figures are the demo settlement test's (and the euro row of the amounts test below);
// here, where the window puts them and how it draws the totals.
TEST_F(ChildWindow, TheGridsShowTheReportWithItsTotals)
{
    open(demo::Shop, 3);
    QTableWidget *receipts = grid(u"spdCorrispettivi"_qs);
    ASSERT_EQ(receipts->rowCount(), 4);
    EXPECT_EQ(cell(receipts, 3, 0), u"Totale corrispettivi:"_qs);
    EXPECT_TRUE(receipts->item(3, 0)->font().bold());
    EXPECT_FALSE(receipts->item(0, 0)->font().bold());
    EXPECT_TRUE(receipts->item(0, 1)->textAlignment() & Qt::AlignRight);

    const QStringList purchases = column(grid(u"spdAcquisti"_qs), 0);
    ASSERT_GE(purchases.size(), 2);
    EXPECT_EQ(purchases.mid(purchases.size() - 2), (QStringList{u"Totale acquisti:"_qs, u"IVA indetraibile:"_qs}));

    EXPECT_EQ(cell(grid(u"spdDIP"_qs), G::IvaEsigibile, Debiti), u"7.345,49"_qs);
    EXPECT_EQ(cell(grid(u"spdDIP"_qs), G::IvaDetratta, Crediti), u"5.817,45"_qs);
}

TEST_F(ChildWindow, ARowWhoseTwoAmountsCancelOutIsNotInItsGrid)
{
    // Two purchases of February 2024 at the wholesaler's branch on codes it does not use
    // otherwise: 5% with taxable 100 and tax -100 (they cancel out), 4% with 100 and 4.
    const QString unused =
        u"SELECT COUNT(*) FROM ContatoreIva WHERE IDFiliale = 2 AND Anno = 2024 AND IDIva IN (3, 4)"_qs;
    ASSERT_EQ(t->db().scalar(unused).toInt(), 0);
    const int next = t->db().scalar(u"SELECT MAX(IDContatoreIva) FROM ContatoreIva"_qs).toInt() + 1;
    for (const auto &[offset, iva, taxable, tax] : {std::tuple{0, 3, 100.0, -100.0}, std::tuple{1, 4, 100.0, 4.0}})
        t->db().execute(
            u"INSERT INTO ContatoreIva (IDContatoreIva, IDTipoContatoreIva, IDIva, Anno, IDMese, IDFiliale, "
            u"Imponibile, Importo, RiportoSuChiusuraIVA, AcquistiSolaVentilazione, AccontoIva) VALUES (?, 1, ?, 2024, 2, 2, ?, ?, 1, 0, 0)"_qs,
            {sqlValue(next + offset), sqlValue(iva), sqlValue(taxable), sqlValue(tax)});
    auto description = [this](int iva) {
        return t->db()
            .scalar(u"SELECT DescrizioneSuRegistroIVA FROM Iva WHERE IDIva = ?"_qs, {sqlValue(iva)})
            .toString();
    };
    open(demo::Wholesale, 3);
    const QStringList rows = column(grid(u"spdAcquisti"_qs), 0);
    EXPECT_FALSE(rows.contains(description(3))) << rows.join(u" | "_qs).toStdString();
    EXPECT_TRUE(rows.contains(description(4))) << rows.join(u" | "_qs).toStdString();
    const int at = int(rows.indexOf(description(4)));
    EXPECT_EQ(cell(grid(u"spdAcquisti"_qs), at, 1), u"100,00"_qs);
    EXPECT_EQ(cell(grid(u"spdAcquisti"_qs), at, 2), u"4,00"_qs);
}

TEST_F(ChildWindow, TheDecemberAdvanceIsEightyEightPerCentAndCarriedByRiporto)
{
    open(demo::Shop, 13, 2);
    // The advance of the forecast method: 88% of what the period owes.
    EXPECT_TRUE(find<QLabel>(u"lblImportiDIP(0)"_qs)->text().startsWith(u"Importo da versare (88% di "_qs));
    EXPECT_EQ(box(u"curImportiDIP(0)"_qs)->text(), formatAmount(child->document().importoDaVersare(), true));

    // "Riporto automatico" carries the amount to pay and the periodic payment's place.
    find<QRadioButton>(u"optVerPer(1)"_qs)->click();
    type(u"txtCodConcPer"_qs, u"32"_qs);
    type(u"dtaDataVersamentiPeriodici"_qs, u"27/12/2024"_qs);
    find<QPushButton>(u"cmdRiporta"_qs)->click();
    EXPECT_EQ(box(u"curImportoVersato"_qs)->text(), box(u"curImportiDIP(0)"_qs)->text());
    EXPECT_TRUE(find<QRadioButton>(u"optVerAcc(1)"_qs)->isChecked());
    EXPECT_EQ(box(u"txtCodConcAcc"_qs)->text(), u"32"_qs);
    EXPECT_EQ(box(u"dtaDataVersamentoInAcconto"_qs)->text(), u"27/12/2024"_qs);
    const Payment &advance = child->document().payments().advance;
    EXPECT_EQ(advance.idConcessionarioEsattoriale, 2);
    EXPECT_EQ(advance.importo, child->document().importoDaVersare());
    EXPECT_TRUE(child->isChanged());
}

TEST_F(ChildWindow, AnEditOfThePaidAmountMarksTheDocumentChanged)
{
    open(demo::Shop, 3);
    QSignalSpy changed(child.get(), &frmChild::changedStateChanged);
    EXPECT_FALSE(child->isChanged());
    QLineEdit *paid = box(u"curImportoVersamentiPeriodici"_qs);
    paid->selectAll();
    QTest::keyClicks(paid, u"1.528,04"_qs);
    // Changed from the first key, stored when the box is left.
    ASSERT_EQ(changed.count(), 1);
    EXPECT_TRUE(changed.at(0).at(0).toBool());
    EXPECT_TRUE(child->isChanged());
    EXPECT_DOUBLE_EQ(child->document().payments().periodic.importo.toDouble(), 0);
    ASSERT_TRUE(child->commitEdits());
    EXPECT_DOUBLE_EQ(child->document().payments().periodic.importo.toDouble(), 1528.04);
    EXPECT_EQ(paid->text(), u"1.528,04"_qs);

    // Bad input: a clear message, and nothing changes; the typing stays to be corrected,
    // and Control+Z takes it back.
    struct {
        QString typed;
        QString message;
    } refused[] = {
        {u"12,345"_qs, msgInvalidAmount(u"12,345"_qs, true)},
        {u"100.000.000.000"_qs, msgAmountOutOfRange(u"-9.000.000.000,00"_qs, u"99.999.999.999,00"_qs)},
    };
    for (const auto &r : refused) {
        messages.clear();
        paid->selectAll();
        QTest::keyClicks(paid, r.typed);
        EXPECT_FALSE(child->commitEdits()) << r.typed.toStdString();
        EXPECT_EQ(messages.texts(), QStringList{r.message});
        EXPECT_DOUBLE_EQ(child->document().payments().periodic.importo.toDouble(), 1528.04);
        EXPECT_EQ(paid->text(), r.typed);
        QTest::keyClick(paid, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(paid->text(), u"1.528,04"_qs);
        EXPECT_TRUE(child->commitEdits());
    }
    find<QCheckBox>(u"opzStampaVersamentiPeriodici"_qs)->click();
    EXPECT_TRUE(child->document().payments().periodic.riportaInStampa);
    child->setChanged(false);
    find<QCheckBox>(u"chkSoggetto"_qs)->click();
    EXPECT_TRUE(child->isChanged());
    EXPECT_TRUE(child->document().soggettoRimborso());
    EXPECT_TRUE(find(u"cmdCredInfRim"_qs)->isEnabled());
}

TEST_F(ChildWindow, ThePlaceOfPaymentAndItsCodes)
{
    open(demo::Shop, 3);
    const Payment &p = child->document().payments().periodic;
    auto enabled = [this](std::initializer_list<const char *> names) {
        QStringList on;
        for (const char *n : names)
            if (find(QString::fromLatin1(n))->isEnabled())
                on << QString::fromLatin1(n);
        return on;
    };
    const auto codes = {"txtCodABIPer", "txtCodCABPer", "txtCodConcPer", "txtCodAziendaPer", "lblCodiceAziendaPer"};
    EXPECT_EQ(enabled(codes), QStringList{});

    find<QRadioButton>(u"optVerPer(0)"_qs)->click();
    EXPECT_EQ(p.place, PaymentPlace::Bank);
    EXPECT_EQ(enabled(codes), (QStringList{u"txtCodABIPer"_qs, u"txtCodCABPer"_qs}));
    struct {
        const char *box;
        QString typed;
        QString message; // empty: taken
        QString abi, cab;
        int idCab;
    } steps[] = {
        {"txtCodCABPer", u"01600"_qs, msgAbiFirst(), {}, {}, 0},
        {"txtCodABIPer", u"99999"_qs, msgAbiNotFound(u"99999"_qs), {}, {}, 0},
        {"txtCodABIPer", u"05034"_qs, {}, u"05034"_qs, {}, 0},
        {"txtCodCABPer", u"33400"_qs, msgCabNotFound(u"33400"_qs), u"05034"_qs, {}, 0}, // another bank's branch
        {"txtCodCABPer", u"01600"_qs, {}, u"05034"_qs, u"01600"_qs, 2},
        {"txtCodABIPer", u"06230"_qs, {}, u"06230"_qs, {}, 0}, // another bank empties the branch
        {"txtCodCABPer", u"11100"_qs, {}, u"06230"_qs, u"11100"_qs, 5},
    };
    for (const auto &s : steps) {
        messages.clear();
        type(QString::fromLatin1(s.box), s.typed);
        EXPECT_EQ(messages.texts(), s.message.isEmpty() ? QStringList{} : QStringList{s.message}) << s.box;
        EXPECT_EQ(p.abi, s.abi) << s.box << " " << s.typed.toStdString();
        EXPECT_EQ(p.cab, s.cab) << s.box << " " << s.typed.toStdString();
        EXPECT_EQ(p.idCab, s.idCab) << s.box << " " << s.typed.toStdString();
        // A refused code stays in its box to be corrected; Control+Z takes it back.
        const bool refusedHere = !s.message.isEmpty();
        const QString typedInto = QString::fromLatin1(s.box);
        EXPECT_EQ(box(u"txtCodABIPer"_qs)->text(), refusedHere && typedInto == u"txtCodABIPer"_qs ? s.typed : s.abi);
        EXPECT_EQ(box(u"txtCodCABPer"_qs)->text(), refusedHere && typedInto == u"txtCodCABPer"_qs ? s.typed : s.cab);
        if (refusedHere)
            QTest::keyClick(box(typedInto), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(box(u"txtCodABIPer"_qs)->text(), s.abi);
        EXPECT_EQ(box(u"txtCodCABPer"_qs)->text(), s.cab);
    }
    EXPECT_EQ(find<QLabel>(u"lblBancaPer"_qs)->text(), u"Cassa di Risparmio Lombarda - Bergamo - Centro"_qs);

    // The collection agent: its codes, and the bank's codes go.
    find<QRadioButton>(u"optVerPer(1)"_qs)->click();
    EXPECT_EQ(enabled(codes), (QStringList{u"txtCodConcPer"_qs, u"txtCodAziendaPer"_qs, u"lblCodiceAziendaPer"_qs}));
    EXPECT_EQ(p.idCab, 0);
    EXPECT_EQ(box(u"txtCodABIPer"_qs)->text(), QString());
    messages.clear();
    type(u"txtCodConcPer"_qs, u"70"_qs);
    EXPECT_EQ(messages.texts(), QStringList{msgCollectionAgentNotFound(u"70"_qs)});
    EXPECT_EQ(p.idConcessionarioEsattoriale, 0);
    type(u"txtCodConcPer"_qs, u"69"_qs);
    EXPECT_EQ(p.idConcessionarioEsattoriale, 1);
    type(u"txtCodAziendaPer"_qs, u"AZ-1234"_qs);
    EXPECT_EQ(p.codiceAzienda, u"AZ-1234"_qs);

    // The post office: the company code is emptied.
    find<QRadioButton>(u"optVerPer(2)"_qs)->click();
    EXPECT_EQ(p.place, PaymentPlace::PostOffice);
    EXPECT_EQ(enabled(codes), QStringList{});
    EXPECT_EQ(p.codiceAzienda, QString());
    EXPECT_EQ(box(u"txtCodAziendaPer"_qs)->text(), QString());
    EXPECT_EQ(p.idConcessionarioEsattoriale, 0);
    EXPECT_TRUE(child->isChanged());
}

// What each cell does to the amount to pay is the declaration edit test's; here the window
// shows the typed cell, the amount to pay and the other cells as the document computes them.
TEST_F(ChildWindow, AnEditOfTheDeclarationChangesTheAmountToPayAsTheDocumentComputesIt)
{
    open(demo::Wholesale, 3);
    QTableWidget *dip = grid(u"spdDIP"_qs);
    ASSERT_TRUE(dip->item(G::VariazioniImposta, Debiti)->flags() & Qt::ItemIsEditable);
    dip->item(G::VariazioniImposta, Debiti)->setText(u"1.000"_qs);
    EXPECT_EQ(messages.texts(), QStringList{});
    EXPECT_EQ(cell(dip, G::VariazioniImposta, Debiti), u"1.000,00"_qs);
    EXPECT_EQ(box(u"curImportiDIP(0)"_qs)->text(), formatAmount(child->document().importoDaVersare(), true));
    for (int row : {int(G::IvaDovutaCreditoPeriodo), int(G::InteressiTrimestrali)})
        EXPECT_EQ(cell(dip, row, Debiti), formatAmount(child->document().declaration().debitCell(row), true)) << row;
    EXPECT_TRUE(child->isChanged());

    // Typing that is refused: said, and the cell and the amount to pay as they were (a cell
    // that takes no typing refused is the declaration edit test's).
    open(demo::Shop, 3);
    dip = grid(u"spdDIP"_qs);
    EXPECT_FALSE(dip->item(G::IvaEsigibile, Debiti)->flags() & Qt::ItemIsEditable);
    const QString before = cell(dip, G::VariazioniImposta, Debiti);
    dip->item(G::VariazioniImposta, Debiti)->setText(u"cento"_qs);
    EXPECT_EQ(messages.texts(), QStringList{msgInvalidAmount(u"cento"_qs, true)});
    EXPECT_EQ(cell(dip, G::VariazioniImposta, Debiti), before);
    EXPECT_EQ(box(u"curImportiDIP(0)"_qs)->text(), u"1.528,04"_qs);
    EXPECT_FALSE(child->isChanged());
}

// A company keeping its books in lire: whole amounts, a percentage keeps its decimals (the
// euro is every other test's).
TEST_F(ChildWindow, AmountsInLire)
{
    t->db().execute(u"UPDATE ConfigurazioneContabile SET IDValuta = 2 WHERE IDAzienda = 1"_qs);
    open(demo::Shop, 3);
    QTableWidget *receipts = grid(u"spdCorrispettivi"_qs);
    EXPECT_EQ(cell(receipts, receipts->rowCount() - 1, 2), u"3.858"_qs);
    EXPECT_EQ(box(u"curImportiDIP(0)"_qs)->text(), u"1.528"_qs);
    EXPECT_EQ(cell(grid(u"spdCorrispettiviDaVentilare"_qs), 0, 4), u"76,82"_qs);
    // A paid amount is typed in the company's currency.
    type(u"curImportoVersamentiPeriodici"_qs, u"10,5"_qs);
    EXPECT_EQ(messages.texts().size(), 1);
    type(u"curImportoVersamentiPeriodici"_qs, u"1500"_qs);
    EXPECT_EQ(box(u"curImportoVersamentiPeriodici"_qs)->text(), u"1.500"_qs);
}

TEST_F(ChildWindow, TheSaveTakesWhatIsStillTypedInTheBox)
{
    open(demo::Shop, 3);
    child->setChanged(true);
    QLineEdit *paid = box(u"curImportoVersamentiPeriodici"_qs);
    paid->selectAll();
    QTest::keyClicks(paid, u"500"_qs); // not left yet
    messages.answer(Answer::No);       // keep the amount paid as typed
    ASSERT_TRUE(child->fnChildSave()) << messages.texts().join(u'\n').toStdString();
    EXPECT_FALSE(child->isChanged());
    EXPECT_DOUBLE_EQ(fieldToNumber(t->db().scalar(
                         u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 8 "
                         u"AND IDRisultatoLiquidazioneIva = ?"_qs,
                         {sqlValue(key)})),
                     500);
    EXPECT_EQ(paid->text(), u"500,00"_qs);

    // Typing that cannot be taken stops the save before anything is written.
    paid->selectAll();
    QTest::keyClicks(paid, u"5,555"_qs);
    child->setChanged(true);
    EXPECT_FALSE(child->fnChildSave());
    EXPECT_TRUE(child->isChanged());
}

} // namespace
