// liqiva settle --input with the members of the declaration and payment tabs, on both
// engines: the infra-annual refund lowers the credit carried, the compensable credit used in
// the F24 form lowers what the form pays, the payment and a cell of the grid are stored and
// read back by show, a bad value changes nothing, and two processes settling the same
// period with their files at the same moment leave one consistent settlement.
//
// Figures by hand, on the demo's monthly shop (activity 1), March 2024: VAT due 1528.04.

#include "domain/document/CreditInput.h"
#include "domain/credits/CreditoCompensabile.h"
#include "domain/credits/Prospetto.h"
#include "domain/document/DeclarationEdit.h"
#include "domain/document/InputText.h"
#include "domain/document/PaymentCodes.h"
#include "support/DemoCommandTest.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <future>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class CreditInputRun : public DemoCommandTest {
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
};

// A credit of 2000 typed over the debit of March (1528.04) leaves a credit of 471.96 for the
// quarter; the infra-annual prospectus asks 100 of it back.
const QByteArray kRefund = R"({"declarationGrid": [{"row": 6, "credit": 2000}],
    "infraAnnualCredit": {"entitled": true, "quarterCredit": 471.96, "refund": 100, "letterA": true}})";

TEST_P(CreditInputRun, AnInfraAnnualRefundLowersTheCreditCarried)
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
    EXPECT_DOUBLE_EQ(amount(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "
                            "66 AND IDRisultatoLiquidazioneIva = "_qs +
                            id),
                     100);
    EXPECT_DOUBLE_EQ(amount(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "
                            "25 AND IDRisultatoLiquidazioneIva = "_qs +
                            id),
                     371.96);
    EXPECT_EQ(
        amount(u"SELECT AliquotaMediaLettA FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + id),
        1);
    // Shown again, the same.
    const LiqivaRun again = show(out.value(u"id"_qs).toInt());
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(json(again).value(u"infraAnnualCredit"_qs), out.value(u"infraAnnualCredit"_qs));
    EXPECT_EQ(json(again).value(u"closing"_qs), out.value(u"closing"_qs));
}

TEST_P(CreditInputRun, ACompensableCreditUsedInTheF24FormLowersWhatTheFormPays)
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

TEST_P(CreditInputRun, APaymentAndACellOfTheGridAreStoredAndReadBack)
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
    EXPECT_DOUBLE_EQ(amount(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "
                            "20 AND IDRisultatoLiquidazioneIva = "_qs +
                            id),
                     50);

    const LiqivaRun shown = show(out.value(u"id"_qs).toInt());
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    for (const QString &member : {u"payment"_qs, u"declarationGrid"_qs, u"compensableCredit"_qs})
        EXPECT_EQ(json(shown).value(member), out.value(member)) << member.toStdString();

    // What --json printed can be given back as it stands.
    QJsonObject printed;
    for (const QString &member : {u"payment"_qs, u"declarationGrid"_qs, u"compensableCredit"_qs})
        printed.insert(member, out.value(member));
    const LiqivaRun back = settle(1, 3, QJsonDocument(printed).toJson(), false);
    ASSERT_EQ(back.exitCode, 0) << back.err.toStdString();
    EXPECT_EQ(json(back).value(u"closing"_qs), out.value(u"closing"_qs));
}

TEST_P(CreditInputRun, ABadValueEndsWithItsMessageAndNothingIsSaved)
{
    const struct {
        QByteArray input;
        QString message;
    } cases[] = {
        // One refusal of each member reaches the command (the rules are the windows' own tests):
        // B6 = 471.96, asking 400 back and 100 in F24 goes beyond it.
        {R"({"declarationGrid": [{"row": 6, "credit": 2000}], "infraAnnualCredit": {"entitled": true,
            "quarterCredit": 471.96, "refund": 400, "compensationF24": 100, "letterA": true}})",
         Prospetto::msgResiduoNegativo()},
        {R"({"infraAnnualCredit": {"refund": 10}})", CreditInput::msgNotInfraAnnual()},
        {R"({"compensableCredit": {"initial": 100, "usedF24": 100.01}})", CreditoCompensabile::msgSuperaCredito()},
        {R"({"payment": {"place": "bank", "abi": "99999"}})", msgAbiNotFound(u"99999"_qs)},
        {R"({"payment": {"place": "shop"}})", CreditInput::msgUnknownPlace(u"shop"_qs)},
        {R"({"payment": {"advance": {"amount": 1}}})", CreditInput::msgNoAdvancePayment()},
        {R"({"declarationGrid": [{"row": 1, "debit": 5}]})", msgCellNotEditable()},
        {R"({"declarationGrid": [{"row": 14, "debit": 5}]})", CreditInput::msgBadRow(u"declarationGrid[0]"_qs)},
    };
    const QString saved = u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs;
    const QString typed = u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo"_qs;
    const int savedBefore = int(amount(saved));
    const int typedBefore = int(amount(typed));
    const double printFlag = amount(u"SELECT StampaCIC FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        const LiqivaRun r = settle(1, 3, c.input, true);
        EXPECT_EQ(r.exitCode, 1);
        // A message of several lines reaches standard error with bare line feeds.
        EXPECT_TRUE(QString(r.err).remove(u'\r').contains(QString(c.message).remove(u'\r'))) << r.err.toStdString();
        EXPECT_EQ(int(amount(saved)), savedBefore);
        EXPECT_EQ(int(amount(typed)), typedBefore);
        EXPECT_EQ(amount(u"SELECT StampaCIC FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs), printFlag);
    }
}

TEST_P(CreditInputRun, TwoProcessesSettlingTheSamePeriodAtOnceLeaveOneConsistentSettlement)
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
        const QString ofIt = u" AND IDRisultatoLiquidazioneIva = (SELECT IDRisultatoLiquidazioneIva FROM "
                             u"RisultatoLiquidazioneIva WHERE IDMese = 3 AND IDAttivitaAzienda = 1)"_qs;
        for (int type : {25, 62, 66})
            EXPECT_EQ(
                amount(
                    u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "_qs +
                    QString::number(type) + ofIt),
                1)
                << type;
        const double refund = amount(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE "
                                     u"IDTipoRisultatoLiquidazioneIva = 66"_qs +
                                     ofIt);
        ASSERT_TRUE(refund == 100 || refund == 150) << refund;
        EXPECT_DOUBLE_EQ(amount(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE "
                                u"IDTipoRisultatoLiquidazioneIva = 25"_qs +
                                ofIt),
                         471.96 - refund);
        EXPECT_DOUBLE_EQ(amount(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE "
                                u"IDTipoRisultatoLiquidazioneIva = 62"_qs +
                                ofIt),
                         refund == 100 ? 200 : 250);
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(CreditInputRun);

} // namespace
