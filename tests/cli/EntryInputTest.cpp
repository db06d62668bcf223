// liqiva settle --input on the demo, on both engines: the accounting entry of the pro-rata
// adjustment booked with the settlement, refused on a used number, removed with it; the
// truckers' credit never used beyond what is available by two processes at the same moment;
// the declaration data stored and read back.

#include "domain/declarations/DeclarationDataEdit.h"
#include "domain/engine/Amounts.h"
#include "suite/AccountingEntry.h"
#include "support/DemoCommandTest.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Demo: activity 2 is a quarterly trucker with 1,200.00 of credit in 2024 (its first quarter:
// VAT of the period 4,317.52, 1% interest); activity 3 is under pro-rata.
class EntryInput : public DemoCommandTest {
protected:
    double truckersLeft()
    {
        return amount(u"SELECT CreditoIvaAutotrasportatori FROM AttivitaAziendaPerPeriodoIva WHERE "
                      "IDAttivitaAziendaPerPeriodoIva = 6"_qs);
    }
};

TEST_P(EntryInput, TheProRataAdjustmentIsBookedRefusedOnAUsedNumberAndRemovedWithTheSettlement)
{
    const LiqivaRun r = settle(3, 0, R"({"prorata": {"taxableOperations": 800, "exemptOperations": 200},
        "accountingEntry": {"date": "2024-12-31", "number": 7, "cause": "RPR", "note": "Rettifica 2024"}})");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject out = json(r);
    const int id = out.value(u"id"_qs).toInt();
    const QJsonObject p = out.value(u"prorata"_qs).toObject();
    // 800 against 200: 80%; nothing deducted in the year's periods, all of it to recover.
    EXPECT_EQ(p.value(u"percentage"_qs).toDouble(), 80);
    const double toRecover = p.value(u"vatToRecover"_qs).toDouble();
    EXPECT_EQ(toRecover, p.value(u"deductibleVat"_qs).toDouble());
    const QJsonObject e = out.value(u"accountingEntry"_qs).toObject();
    // VAT to recover of the year: debit the VAT on purchases, credit the pro-rata adjustments.
    EXPECT_EQ(e.value(u"debitAccount"_qs).toString(), u"1.05.01"_qs);
    EXPECT_EQ(e.value(u"creditAccount"_qs).toString(), u"5.08.11"_qs);
    EXPECT_EQ(e.value(u"amount"_qs).toDouble(), toRecover);
    EXPECT_EQ(e.value(u"number"_qs).toInt(), 7);
    EXPECT_EQ(e.value(u"fiscalYear"_qs).toString(), u"2024"_qs);
    const QString link =
        u"SELECT IDOggettoProRata FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs +
        QString::number(id);
    const int entry = count(link);
    ASSERT_GT(entry, 0);
    // Debit equals credit, to the cent.
    EXPECT_NEAR(
        amount(u"SELECT SUM(CASE WHEN Segno = 'D' THEN Importo ELSE -Importo END) FROM RigaMovimentoContabile"_qs), 0,
        1e-9);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RigaMovimentoContabile"_qs), 2);

    // The number is taken in 2024: January's entry is refused and its settlement not saved.
    const int savedBefore = count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs);
    const LiqivaRun taken = settle(3, 1, R"({"accountingEntry": {"date": "2024-01-31", "number": 7, "cause": "RPR"}})");
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_TRUE(taken.err.contains(AccountingEntry::msgNumeroUtilizzato())) << taken.err.toStdString();
    EXPECT_TRUE(taken.err.contains(u"8"_qs));
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs), savedBefore);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile"_qs), 1);

    // Bad values, each with its message; nothing written.
    const struct {
        QByteArray input;
        QString message;
    } bad[] = {
        {R"({"accountingEntry": {"date": "2024-01-31", "number": 9}})", u"Per la registrazione in contabilità"_qs},
        {R"({"accountingEntry": {"date": "2025-01-31", "number": 9, "cause": "RPR", "fiscalYear": "2024"}})",
         AccountingEntry::msgDataFuoriEsercizio()},
        {R"({"accountingEntry": {"date": "2024-01-31", "number": 0, "cause": "RPR"}})", u"Per la registrazione"_qs},
        {R"({"accountingEntry": {"date": "2024-01-31", "number": 1000000001, "cause": "RPR"}})",
         AccountingEntry::msgNumeroNonValido()},
        {R"({"accountingEntry": {"date": "2024-01-31", "number": 9, "cause": "RPR"}})", {}}, // needs --save
    };
    for (const auto &b : bad) {
        SCOPED_TRACE(b.input.toStdString());
        const LiqivaRun refused = settle(3, 1, b.input, !b.message.isEmpty());
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains(b.message.isEmpty() ? u"--save"_qs : b.message)) << refused.err.toStdString();
    }
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs), savedBefore);

    // Deleting the settlement removes its entry and the entry's rows.
    ASSERT_EQ(remove(id).exitCode, 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile"_qs), 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RigaMovimentoContabile"_qs), 0);
}

TEST_P(EntryInput, TwoUsersBookingTheSameNumberAtTheSameMomentGetItOnce)
{
    // Both months saved first; then both saved again at once, each with its entry.
    ASSERT_EQ(settle(3, 1, {}).exitCode, 0);
    ASSERT_EQ(settle(3, 2, {}).exitCode, 0);
    const QByteArray entry = R"({"accountingEntry": {"date": "2024-03-31", "number": 21, "cause": "RPR"}})";
    const auto results = together({settleArgs(3, 1, entry, true), settleArgs(3, 2, entry, true)});
    int succeeded = 0;
    for (const auto &[code, err] : results) {
        if (code == 0)
            ++succeeded;
        else
            EXPECT_TRUE(err.contains(AccountingEntry::msgNumeroUtilizzato())) << err.toStdString();
    }
    EXPECT_EQ(succeeded, 1);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile WHERE NumeroRegistrazione = 21"_qs), 1);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDOggettoProRata IS NOT NULL"_qs), 1);
}

TEST_P(EntryInput, TwoSettlementsUsingTheSameTruckersCreditAtOnceNeverGoBeyondIt)
{
    // The first two quarters are saved without credit; then both are saved again at once,
    // each wanting 700.00 of the 1,200.00.
    ASSERT_EQ(settle(2, 3, {}).exitCode, 0);
    ASSERT_EQ(settle(2, 6, {}).exitCode, 0);
    const QByteArray use = R"({"truckersCredit": {"used": 700}})";
    const auto results = together({settleArgs(2, 3, use, true), settleArgs(2, 6, use, true)});
    int succeeded = 0;
    for (const auto &[code, err] : results) {
        if (code == 0)
            ++succeeded;
        else
            EXPECT_TRUE(err.contains(Amounts::msgCreditoUtilizzatoMaggiore())) << err.toStdString();
    }
    EXPECT_EQ(succeeded, 1);
    EXPECT_EQ(truckersLeft(), 500);
    EXPECT_EQ(
        amount(u"SELECT SUM(Importo) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 4"_qs),
        700);
}

// Each settle starts by removing the working settlements nobody holds; one created by another
// user at that very moment is held and is never taken for abandoned.
TEST_P(EntryInput, NewSettlementsCreatedAtTheSameMomentAreNeverTakenForAbandoned)
{
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE(round);
        const auto results = together({settleArgs(1, round, {}, false), settleArgs(1, round + 6, {}, false),
                                       settleArgs(2, 3 * (1 + round % 4), {}, false)});
        for (const auto &[code, err] : results)
            EXPECT_EQ(code, 0) << err.toStdString();
    }
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete <> 0"_qs), 0);
}

TEST_P(EntryInput, TheDeclarationDataAreStoredAndReadBack)
{
    const LiqivaRun r = settle(1, 3, R"({"declarationData": {"importsTaxable": 1000, "importsTax": 220,
        "amendedReturn": true, "paymentNotMade": true}})");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const int id = json(r).value(u"id"_qs).toInt();
    const LiqivaRun shown = show(id);
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const QJsonObject d = json(shown).value(u"declarationData"_qs).toObject();
    EXPECT_EQ(d.value(u"importsTaxable"_qs).toDouble(), 1000);
    EXPECT_EQ(d.value(u"importsTax"_qs).toDouble(), 220);
    EXPECT_TRUE(d.value(u"amendedReturn"_qs).toBool());
    EXPECT_TRUE(d.value(u"paymentNotMade"_qs).toBool());
    EXPECT_FALSE(d.value(u"correctionInTime"_qs).toBool());
    EXPECT_TRUE(d.value(u"paymentInEuro"_qs).toBool());

    // The annual communication of 2024: scrap 500.00 with 110.00 of tax.
    const LiqivaRun annual =
        settle(1, 0, R"({"annualCommunication": {"scrapTaxable": 500, "scrapTax": 110, "exceptionalEvents": true}})");
    ASSERT_EQ(annual.exitCode, 0) << annual.err.toStdString();
    const QJsonObject c = json(annual).value(u"annualCommunication"_qs).toObject();
    EXPECT_EQ(c.value(u"scrapTaxable"_qs).toDouble(), 500);
    EXPECT_EQ(c.value(u"scrapTax"_qs).toDouble(), 110);
    EXPECT_TRUE(c.value(u"exceptionalEvents"_qs).toBool());
    EXPECT_EQ(amount(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 49 AND "
                     "IDRisultatoLiquidazioneIva = "_qs +
                     QString::number(json(annual).value(u"id"_qs).toInt())),
              110);

    // Refused: a tax above its taxable amount, the annual communication outside the year.
    const int savedBefore = count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs);
    const struct {
        int activity, period;
        QByteArray input;
        QString message;
    } bad[] = {
        {1, 6, R"({"declarationData": {"importsTaxable": 100, "importsTax": 100.01}})",
         DatiDipEdit::msgImpostaMaggiore()},
        {1, 6, R"({"annualCommunication": {"scrapTax": 1}})", u"solo per la liquidazione annuale"_qs},
        {1, 6, R"({"declarationData": {"amendedReturn": "si"}})", u"true o false"_qs},
    };
    for (const auto &b : bad) {
        SCOPED_TRACE(b.input.toStdString());
        const LiqivaRun refused = settle(b.activity, b.period, b.input);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains(b.message)) << refused.err.toStdString();
    }
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs), savedBefore);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(EntryInput);

} // namespace
