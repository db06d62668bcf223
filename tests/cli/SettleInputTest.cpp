// liqiva settle --input on the demo, on both engines.
//
// Demo: activity 1 monthly (March 2024: VAT due 1528.04), 2 a quarterly trucker with 1,200.00
// of credit in 2024, 3 under pro-rata (2024: 32%); 2023 ends with a credit of 2850.

#include "domain/credits/CreditoAnnuale.h"
#include "domain/credits/CreditoCompensabile.h"
#include "domain/credits/Prospetto.h"
#include "domain/declarations/DeclarationDataEdit.h"
#include "domain/document/CreditInput.h"
#include "domain/document/PaymentCodes.h"
#include "domain/document/SettlementInput.h"
#include "domain/engine/Amounts.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "suite/AccountingEntry.h"
#include "support/DemoCommandTest.h"

#include <QJsonArray>
#include <future>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class SettleInput : public DemoCommandTest {
protected:
    static double closing(const QJsonObject &o, const char *name)
    {
        return o.value(u"closing"_qs).toObject().value(QString::fromLatin1(name)).toDouble();
    }
    // What the F24 form pays: the debit lines less the credit lines.
    static double f24Net(const QJsonObject &o)
    {
        double net = 0;
        for (const QJsonValue &line : o.value(u"f24"_qs).toArray())
            net += line.toObject().value(u"ImportoDebito"_qs).toDouble() -
                   line.toObject().value(u"ImportoCredito"_qs).toDouble();
        return net;
    }
    // Of commands run at the same moment exactly one did it; the others were told `refusal`.
    static void expectOneDone(const std::vector<std::pair<int, QString>> &results, const QString &refusal)
    {
        int succeeded = 0;
        for (const auto &[code, err] : results) {
            if (code == 0)
                ++succeeded;
            else
                EXPECT_TRUE(err.contains(refusal)) << err.toStdString();
        }
        EXPECT_EQ(succeeded, 1);
    }
    double truckersLeft()
    {
        return amount(u"SELECT CreditoIvaAutotrasportatori FROM AttivitaAziendaPerPeriodoIva WHERE "
                      "IDAttivitaAziendaPerPeriodoIva = 6"_qs);
    }
};

// What --json printed can be given back as it stands, and gives the same settlement.
TEST_P(SettleInput, WhatJsonPrintsCanBeGivenBack)
{
    const struct {
        int activity, period;
        QByteArray input;
        QStringList members;
    } cases[] = {
        {3,
         0,
         R"({"prorata": {"taxableOperations": 1001.5, "exemptOperations": 333.25}})",
         {u"prorata"_qs, u"annualCredit"_qs}},
        {1,
         3,
         R"({"declarationGrid": [{"row": 7, "debit": 50}], "payment": {"amount": 1578.04, "date": "16/04/2024",
            "place": "bank", "abi": "05034", "cab": "10900", "print": true}})",
         {u"payment"_qs, u"declarationGrid"_qs, u"compensableCredit"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        const LiqivaRun first = settle(c.activity, c.period, c.input, false);
        ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
        QJsonObject printed;
        for (const QString &member : c.members)
            printed.insert(member, json(first).value(member));
        const LiqivaRun again = settle(c.activity, c.period, QJsonDocument(printed).toJson(), false);
        ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
        for (const QString &member : c.members)
            EXPECT_EQ(json(again).value(member), json(first).value(member)) << member.toStdString();
        EXPECT_EQ(json(again).value(u"closing"_qs), json(first).value(u"closing"_qs));
    }
}

TEST_P(SettleInput, OtherOperationsRaiseTheDecemberAdvanceByTheirTax)
{
    const LiqivaRun plain = settle(1, 13, {}, false);
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const double advance = json(plain).value(u"closing"_qs).toObject().value(u"IvaDaVersare"_qs).toDouble();

    // 1000 at 22% (tax computed: 220) and 10.05 at 10% typed with its tax (1.01).
    const LiqivaRun r = settle(1, 13,
                               R"({"otherOperations": [{"rate": "22", "taxable": 1000, "note": "consegna 18/12"},
                                                      {"rate": "10", "taxable": "10.05", "tax": "1.01"}]})",
                               true);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject out = json(r);
    EXPECT_NEAR(out.value(u"closing"_qs).toObject().value(u"IvaDaVersare"_qs).toDouble(), advance + 221.01, 0.001);
    const QJsonArray rows = out.value(u"otherOperations"_qs).toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject().value(u"tax"_qs).toDouble(), 220);
    EXPECT_EQ(rows[0].toObject().value(u"note"_qs).toString(), u"consegna 18/12"_qs);
    const int id = out.value(u"id"_qs).toInt();
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM AltreOperazioniPerAcconto WHERE IDRisultatoLiquidazioneIva = "_qs +
                    QString::number(id)),
              2);
    // Given again without rows, the saved settlement loses them.
    const LiqivaRun cleared = settle(1, 13, R"({"otherOperations": []})", true);
    ASSERT_EQ(cleared.exitCode, 0) << cleared.err.toStdString();
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM AltreOperazioniPerAcconto"_qs), 0);
    EXPECT_NEAR(json(cleared).value(u"closing"_qs).toObject().value(u"IvaDaVersare"_qs).toDouble(), advance, 0.001);
}

TEST_P(SettleInput, TheRefundOfTheAnnualCreditIsRecordedForJanuaryOfTheNextYear)
{
    const LiqivaRun r = settle(1, 0, R"({"annualCredit": {"refund": 1000.5}})", true, 2023);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(json(r).value(u"annualCredit"_qs).toObject(),
              (QJsonObject{{u"credit"_qs, 2850}, {u"refund"_qs, 1000.5}}));
    EXPECT_DOUBLE_EQ(
        t->db()
            .scalar(u"SELECT Importo FROM MovimentoCredito INNER JOIN Credito ON MovimentoCredito.IDCredito "
                    "= Credito.IDCredito WHERE Anno = 2024 AND IDMese = 1 AND IDCausaleCredito = 2"_qs)
            .toDouble(),
        1000.5);
}
TEST_P(SettleInput, ABadValueEndsWithItsMessageAndNothingIsSaved)
{
    // One refusal of each member reaches the command (the rules are the windows' own tests, a
    // cell that takes no typing the declaration edit's): B6 = 471.96, asking 400 back and 100
    // in F24 goes beyond it.
    struct {
        int activity, year, period;
        QByteArray input;
        QString message; // empty: any message
        bool save = true;
    } cases[] = {
        {3, 2024, 0, R"({"prorata": {"taxableOperations": "12,5"}})",
         SettlementInput::msgInvalidAmount(u"prorata.taxableOperations"_qs, u"12,5"_qs)},
        {1, 2024, 3, R"({"prorata": {"taxableOperations": 1}})", SettlementInput::msgNotAnnual(u"prorata"_qs)},
        {1, 2024, 13, R"({"otherOperations": [{"rate": "22I", "taxable": 10}]})",
         SettlementInput::msgUnknownRate(u"22I"_qs)},
        {1, 2023, 0, R"({"annualCredit": {"refund": -1}})", CreditoAnnuale::msgRimborsoFuoriLimiti()},
        {1, 2024, 3, R"({"prorata": )", {}},
        {1, 2024, 3, R"({"declarationGrid": [{"row": 6, "credit": 2000}], "infraAnnualCredit": {"entitled": true,
            "quarterCredit": 471.96, "refund": 400, "compensationF24": 100, "letterA": true}})",
         Prospetto::msgResiduoNegativo()},
        {1, 2024, 3, R"({"infraAnnualCredit": {"refund": 10}})", CreditInput::msgNotInfraAnnual()},
        {1, 2024, 3, R"({"compensableCredit": {"initial": 100, "usedF24": 100.01}})",
         CreditoCompensabile::msgSuperaCredito()},
        {1, 2024, 3, R"({"payment": {"place": "bank", "abi": "99999"}})", msgAbiNotFound(u"99999"_qs)},
        {1, 2024, 3, R"({"payment": {"place": "shop"}})", CreditInput::msgUnknownPlace(u"shop"_qs)},
        {1, 2024, 3, R"({"payment": {"advance": {"amount": 1}}})", CreditInput::msgNoAdvancePayment()},
        {1, 2024, 3, R"({"declarationGrid": [{"row": 14, "debit": 5}]})",
         CreditInput::msgBadRow(u"declarationGrid[0]"_qs)},
        {3, 2024, 1, R"({"accountingEntry": {"date": "2024-01-31", "number": 9}})",
         u"Per la registrazione in contabilità"_qs},
        {3, 2024, 1,
         R"({"accountingEntry": {"date": "2025-01-31", "number": 9, "cause": "RPR", "fiscalYear": "2024"}})",
         AccountingEntry::msgDataFuoriEsercizio()},
        {3, 2024, 1, R"({"accountingEntry": {"date": "2024-01-31", "number": 1000000001, "cause": "RPR"}})",
         AccountingEntry::msgNumeroNonValido()},
        {3, 2024, 1, R"({"accountingEntry": {"date": "2024-01-31", "number": 9, "cause": "RPR"}})", u"--save"_qs,
         false},
        {1, 2024, 6, R"({"declarationData": {"importsTaxable": 100, "importsTax": 100.01}})",
         DatiDipEdit::msgImpostaMaggiore()},
        {1, 2024, 6, R"({"annualCommunication": {"scrapTax": 1}})", u"solo per la liquidazione annuale"_qs},
        {1, 2024, 6, R"({"declarationData": {"amendedReturn": "si"}})", u"true o false"_qs},
    };
    const QString written =
        u"SELECT (SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0) + (SELECT COUNT(*) FROM "
        u"RisultatoLiquidazioneIvaXTipo) + (SELECT COUNT(*) FROM MovimentoCredito) + (SELECT COUNT(*) FROM "
        u"AltreOperazioniPerAcconto) + (SELECT COUNT(*) FROM TestataMovimentoContabile)"_qs;
    const int writtenBefore = count(written);
    const double printFlag = amount(u"SELECT StampaCIC FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        const LiqivaRun r = settle(c.activity, c.period, c.input, c.save, c.year);
        EXPECT_EQ(r.exitCode, 1);
        // A message of several lines reaches standard error with bare line feeds.
        EXPECT_TRUE(QString(r.err).remove(u'\r').contains(QString(c.message).remove(u'\r'))) << r.err.toStdString();
        EXPECT_EQ(count(written), writtenBefore);
        EXPECT_EQ(amount(u"SELECT StampaCIC FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs), printFlag);
    }
}

// A member the input does not know, at any depth, is a bad argument: exit 2 naming its path,
// before anything is written; so is a list beyond its bound.
TEST_P(SettleInput, AnUnknownMemberAtAnyDepthIsRefusedByItsPath)
{
    QByteArray manyRows = "{\"otherOperations\": [";
    for (int i = 0; i <= cAltreOperazioni::MassimoRighe; ++i)
        manyRows += i ? ",{}" : "{}";
    manyRows += "]}";
    struct {
        QByteArray input;
        const char *path;
    } cases[] = {
        {R"({"payments": {}})", "\"payments\""},
        {R"({"truckersCredit": {"usd": 250}})", "\"truckersCredit.usd\""},
        {R"({"otherOperations": [{"rate": "22", "taxable": 1}, {"rate": "22", "nota": "x"}]})",
         "\"otherOperations[1].nota\""},
        {R"({"payment": {"advance": {"amount": 1, "abi ": "05034"}}})", "\"payment.advance.abi \""},
        {R"({"declarationGrid": [{"row": 6, "credit": 1, "debito": 2}]})", "\"declarationGrid[0].debito\""},
        {manyRows, "\"otherOperations\" ha 100001 righe"},
    };
    const QString rows = u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs;
    const int before = count(rows);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const LiqivaRun r = settle(1, 13, c.input, true);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.path))) << r.err.toStdString();
        EXPECT_EQ(count(rows), before);
    }
}

// A credit of 2000 typed over the debit of March (1528.04) leaves a credit of 471.96 for the
// quarter; the infra-annual prospectus asks 100 of it back.
const QByteArray kRefund = R"({"declarationGrid": [{"row": 6, "credit": 2000}],
    "infraAnnualCredit": {"entitled": true, "quarterCredit": 471.96, "refund": 100, "letterA": true}})";

TEST_P(SettleInput, AnInfraAnnualRefundLowersTheCreditCarried)
{
    const LiqivaRun r = settle(1, 3, kRefund, true);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject out = json(r);
    EXPECT_DOUBLE_EQ(out.value(u"declaration"_qs).toObject().value(u"result"_qs).toDouble(), 471.96);
    EXPECT_DOUBLE_EQ(closing(out, "RimbInfrannuale"), 100);
    EXPECT_DOUBLE_EQ(closing(out, "CreDimLiquiSucc"), 371.96); // 471.96 - 100
    EXPECT_DOUBLE_EQ(closing(out, "IvaDaVersare"), 0);
    const QJsonObject infra = out.value(u"infraAnnualCredit"_qs).toObject();
    EXPECT_DOUBLE_EQ(infra.value(u"usable"_qs).toDouble(), 471.96); // B1 = B2: B1 + B4 - B5
    EXPECT_DOUBLE_EQ(infra.value(u"residual"_qs).toDouble(), 371.96);
    EXPECT_DOUBLE_EQ(infra.value(u"toSettlements"_qs).toDouble(), 371.96);

    // Stored with the settlement: the refund, the credit carried, the letter a).
    const QString id = QString::number(out.value(u"id"_qs).toInt());
    EXPECT_DOUBLE_EQ(typed(id.toInt(), 66), 100);
    EXPECT_DOUBLE_EQ(typed(id.toInt(), 25), 371.96);
    EXPECT_EQ(
        amount(u"SELECT AliquotaMediaLettA FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + id),
        1);
    // Shown again, the same.
    const LiqivaRun again = show(out.value(u"id"_qs).toInt());
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(json(again).value(u"infraAnnualCredit"_qs), out.value(u"infraAnnualCredit"_qs));
    EXPECT_EQ(json(again).value(u"closing"_qs), out.value(u"closing"_qs));
}

TEST_P(SettleInput, ACompensableCreditUsedInTheF24FormLowersWhatTheFormPays)
{
    const LiqivaRun plain = settle(1, 3, {}, false);
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_DOUBLE_EQ(f24Net(json(plain)), 1528.04);

    const LiqivaRun r =
        settle(1, 3, R"({"compensableCredit": {"initial": 2000, "usedF24": "300.5", "print": true}})", true);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject out = json(r);
    EXPECT_DOUBLE_EQ(f24Net(out), 1227.54);                  // 1528.04 - 300.50
    EXPECT_DOUBLE_EQ(closing(out, "IvaDaVersare"), 1528.04); // the settlement's own debt stays
    EXPECT_EQ(out.value(u"compensableCredit"_qs).toObject(), (QJsonObject{{u"initial"_qs, 2000},
                                                                          {u"usedInSettlement"_qs, 0},
                                                                          {u"usedF24"_qs, 300.5},
                                                                          {u"final"_qs, 1699.5},
                                                                          {u"print"_qs, true}}));
    const QString id = QString::number(out.value(u"id"_qs).toInt());
    // The report header prints it; the company's print flag is set.
    EXPECT_DOUBLE_EQ(
        amount(u"SELECT CICUtiF24 FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + id), 300.5);
    EXPECT_NE(amount(u"SELECT StampaCIC FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs), 0);
    const LiqivaRun again = show(out.value(u"id"_qs).toInt());
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_DOUBLE_EQ(f24Net(json(again)), 1227.54);
}

TEST_P(SettleInput, APaymentAndACellOfTheGridAreStoredAndReadBack)
{
    // Unpaid VAT of earlier periods 50 (row 7 debit): due 1578.04, paid in full at the bank.
    const LiqivaRun r = settle(1, 3, R"({"declarationGrid": [{"row": 7, "debit": 50}],
        "payment": {"amount": 1578.04, "date": "16/04/2024", "place": "bank", "abi": "05034", "cab": "10900",
                    "print": true}})",
                               true);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject out = json(r);
    EXPECT_DOUBLE_EQ(closing(out, "IvaDaVersare"), 1578.04);
    const QJsonObject payment = out.value(u"payment"_qs).toObject();
    EXPECT_EQ(payment.value(u"date"_qs).toString(), u"2024-04-16"_qs);
    EXPECT_EQ(payment.value(u"cab"_qs).toString(), u"10900"_qs);
    EXPECT_DOUBLE_EQ(payment.value(u"amount"_qs).toDouble(), 1578.04);
    const QString id = QString::number(out.value(u"id"_qs).toInt());
    EXPECT_DOUBLE_EQ(amount(u"SELECT IDCab FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 8 "
                            "AND IDRisultatoLiquidazioneIva = "_qs +
                            id),
                     1);
    EXPECT_DOUBLE_EQ(typed(id.toInt(), 20), 50);

    const LiqivaRun shown = show(out.value(u"id"_qs).toInt());
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    for (const QString &member : {u"payment"_qs, u"declarationGrid"_qs, u"compensableCredit"_qs})
        EXPECT_EQ(json(shown).value(member), out.value(member)) << member.toStdString();
}

TEST_P(SettleInput, TwoProcessesSettlingTheSamePeriodAtOnceLeaveOneConsistentSettlement)
{
    const QByteArray first = R"({"declarationGrid": [{"row": 6, "credit": 2000}],
        "infraAnnualCredit": {"entitled": true, "quarterCredit": 471.96, "refund": 100, "letterA": true},
        "compensableCredit": {"initial": 500, "usedF24": 200}})";
    const QByteArray second = R"({"declarationGrid": [{"row": 6, "credit": 2000}],
        "infraAnnualCredit": {"entitled": true, "quarterCredit": 471.96, "refund": 150, "letterB": true},
        "compensableCredit": {"initial": 500, "usedF24": 250}})";
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const QStringList argsA = settleArgs(1, 3, first), argsB = settleArgs(1, 3, second);
        auto a = std::async(std::launch::async, [&] { return runLiqiva(argsA, work.path()); });
        auto b = std::async(std::launch::async, [&] { return runLiqiva(argsB, work.path()); });
        const LiqivaRun ra = a.get(), rb = b.get();
        for (const LiqivaRun *r : {&ra, &rb}) {
            EXPECT_EQ(r->status, QProcess::NormalExit);
            EXPECT_TRUE(r->exitCode == 0 || r->exitCode == 1) << r->err.toStdString();
        }
        EXPECT_TRUE(ra.exitCode == 0 || rb.exitCode == 0) << ra.err.toStdString() << rb.err.toStdString();
        // One settlement of March, whole: its refund, its carried credit and its F24 use
        // all from the same file.
        ASSERT_EQ(
            amount(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDMese = 3 AND IDAttivitaAzienda = 1"_qs), 1);
        const int id = count(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE IDMese = 3 AND "
                             u"IDAttivitaAzienda = 1"_qs);
        for (int type : {25, 62, 66})
            EXPECT_EQ(
                count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "_qs +
                      QString::number(type) + u" AND IDRisultatoLiquidazioneIva = "_qs + QString::number(id)),
                1)
                << type;
        const double refund = typed(id, 66);
        ASSERT_TRUE(refund == 100 || refund == 150) << refund;
        EXPECT_DOUBLE_EQ(typed(id, 25), 471.96 - refund);
        EXPECT_DOUBLE_EQ(typed(id, 62), refund == 100 ? 200 : 250);
    }
}

TEST_P(SettleInput, TheProRataOperationsAndAdjustmentAreStoredRefusedOnAUsedNumberAndRemovedWithTheSettlement)
{
    // The demo's 32% of 2024 gives way to the operations typed.
    const LiqivaRun r = settle(3, 0, R"({"prorata": {"taxableOperations": 800, "exemptOperations": "200"},
        "accountingEntry": {"date": "2024-12-31", "number": 7, "cause": "RPR", "note": "Rettifica 2024"}})");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject out = json(r);
    const int id = out.value(u"id"_qs).toInt();
    const QJsonObject p = out.value(u"prorata"_qs).toObject();
    // 800 against 200: 80%; nothing deducted in the year's periods, all of it to recover.
    EXPECT_EQ(p.value(u"percentage"_qs).toDouble(), 80);
    const double toRecover = p.value(u"vatToRecover"_qs).toDouble();
    EXPECT_EQ(toRecover, p.value(u"deductibleVat"_qs).toDouble());
    // The typed operations are stored (types 46 and 47) and read back by the next fill.
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva IN "
                    "(46, 47) AND IDRisultatoLiquidazioneIva = "_qs +
                    QString::number(id)),
              2);
    const LiqivaRun shown = show(id);
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(json(shown).value(u"prorata"_qs).toObject(), p);
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

    // Deleting the settlement removes its entry and the entry's rows.
    ASSERT_EQ(remove(id).exitCode, 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile"_qs), 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RigaMovimentoContabile"_qs), 0);
}

TEST_P(SettleInput, TwoUsersBookingTheSameNumberAtTheSameMomentGetItOnce)
{
    // Both months saved first; then both saved again at once, each with its entry.
    ASSERT_EQ(settle(3, 1, {}).exitCode, 0);
    ASSERT_EQ(settle(3, 2, {}).exitCode, 0);
    const QByteArray entry = R"({"accountingEntry": {"date": "2024-03-31", "number": 21, "cause": "RPR"}})";
    expectOneDone(together({settleArgs(3, 1, entry, true), settleArgs(3, 2, entry, true)}),
                  AccountingEntry::msgNumeroUtilizzato());
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM TestataMovimentoContabile WHERE NumeroRegistrazione = 21"_qs), 1);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDOggettoProRata IS NOT NULL"_qs), 1);
}

TEST_P(SettleInput, TwoSettlementsUsingTheSameTruckersCreditAtOnceNeverGoBeyondIt)
{
    // The first two quarters are saved without credit; then both are saved again at once,
    // each wanting 700.00 of the 1,200.00.
    ASSERT_EQ(settle(2, 3, {}).exitCode, 0);
    ASSERT_EQ(settle(2, 6, {}).exitCode, 0);
    const QByteArray use = R"({"truckersCredit": {"used": 700}})";
    expectOneDone(together({settleArgs(2, 3, use, true), settleArgs(2, 6, use, true)}),
                  Amounts::msgCreditoUtilizzatoMaggiore());
    EXPECT_EQ(truckersLeft(), 500);
    EXPECT_EQ(
        amount(u"SELECT SUM(Importo) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 4"_qs),
        700);
}

// Each settle starts by removing the working settlements nobody holds; one created by another
// user at that very moment is held and is never taken for abandoned.
TEST_P(SettleInput, NewSettlementsCreatedAtTheSameMomentAreNeverTakenForAbandoned)
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

TEST_P(SettleInput, TheDeclarationDataAreStoredAndReadBack)
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
    EXPECT_EQ(typed(json(annual).value(u"id"_qs).toInt(), 49), 110);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SettleInput);

} // namespace
