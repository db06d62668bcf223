// liqiva settle --input on the demo, on both engines: the values of the dialogs given in a
// file change the settlement as the dialogs do, are refused with the dialogs' messages, and
// what --json prints can be given back.

#include "domain/credits/CreditoAnnuale.h"
#include "domain/document/SettlementInput.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "support/DemoCommandTest.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Demo activities: 1 monthly, 3 under pro-rata (2024: 32%); 2023 ends with a credit of 2850.
class SettleInput : public DemoCommandTest {};

TEST_P(SettleInput, TheProRataOperationsOfTheYearSetThePercentageAndAreStoredWithTheSettlement)
{
    const LiqivaRun plain = settle(3, 0, {}, false);
    ASSERT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    const QJsonObject before = json(plain).value(u"prorata"_qs).toObject();
    EXPECT_EQ(before.value(u"percentage"_qs).toDouble(), 32);

    // 800 taxable against 200 exempt: 80%; the deductible VAT is 80% of the purchases' VAT.
    const LiqivaRun r = settle(3, 0, R"({"prorata": {"taxableOperations": 800, "exemptOperations": "200"}})", true);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject p = json(r).value(u"prorata"_qs).toObject();
    EXPECT_EQ(p.value(u"percentage"_qs).toDouble(), 80);
    EXPECT_EQ(p.value(u"taxableOperations"_qs).toDouble(), 800);
    EXPECT_EQ(p.value(u"exemptOperations"_qs).toDouble(), 200);
    const double vatOnPurchases = before.value(u"deductibleVat"_qs).toDouble() / 0.32; // about the purchases' VAT
    EXPECT_NEAR(p.value(u"deductibleVat"_qs).toDouble(), vatOnPurchases * 0.8, 0.02);
    EXPECT_EQ(p.value(u"vatToRecover"_qs).toDouble() - p.value(u"vatToPay"_qs).toDouble(),
              p.value(u"deductibleVat"_qs).toDouble() - p.value(u"deductedVat"_qs).toDouble());
    // The typed operations are stored (types 46 and 47) and read back by the next fill.
    const int id = json(r).value(u"id"_qs).toInt();
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva IN "
                    "(46, 47) AND IDRisultatoLiquidazioneIva = "_qs +
                    QString::number(id)),
              2);
    const LiqivaRun shown = show(id);
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(json(shown).value(u"prorata"_qs).toObject(), p);
}

TEST_P(SettleInput, WhatJsonPrintsCanBeGivenBack)
{
    const LiqivaRun first =
        settle(3, 0, R"({"prorata": {"taxableOperations": 1001.5, "exemptOperations": 333.25}})", false);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    QJsonObject printed;
    for (const QString &member : {u"prorata"_qs, u"annualCredit"_qs})
        printed.insert(member, json(first).value(member));
    const LiqivaRun again = settle(3, 0, QJsonDocument(printed).toJson(), false);
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(json(again).value(u"prorata"_qs), json(first).value(u"prorata"_qs));
    EXPECT_EQ(json(again).value(u"closing"_qs), json(first).value(u"closing"_qs));
    EXPECT_EQ(json(first).value(u"prorata"_qs).toObject().value(u"percentage"_qs).toDouble(), 75); // 75.03 -> 75
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
    struct {
        int activity, year, period;
        QByteArray input;
        QString message;
    } cases[] = {
        {3, 2024, 0, R"({"prorata": {"taxableOperations": "12,5"}})",
         SettlementInput::msgInvalidAmount(u"prorata.taxableOperations"_qs, u"12,5"_qs)},
        {1, 2024, 3, R"({"prorata": {"taxableOperations": 1}})", SettlementInput::msgNotAnnual(u"prorata"_qs)},
        {1, 2024, 13, R"({"otherOperations": [{"rate": "22I", "taxable": 10}]})",
         SettlementInput::msgUnknownRate(u"22I"_qs)},
        {1, 2023, 0, R"({"annualCredit": {"refund": -1}})", CreditoAnnuale::msgRimborsoFuoriLimiti()},
        {1, 2024, 3, R"({"prorata": )", {}},
    };
    const QString saved = u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs;
    const int savedBefore = count(saved);
    const QString written =
        u"SELECT (SELECT COUNT(*) FROM MovimentoCredito) + (SELECT COUNT(*) FROM AltreOperazioniPerAcconto)"_qs;
    const int writtenBefore = count(written);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        const LiqivaRun r = settle(c.activity, c.period, c.input, true, c.year);
        EXPECT_EQ(r.exitCode, 1);
        if (!c.message.isEmpty())
            EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_EQ(count(saved), savedBefore);
        EXPECT_EQ(count(written), writtenBefore);
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

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SettleInput);

} // namespace
