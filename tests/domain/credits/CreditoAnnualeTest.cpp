#include "domain/credits/CreditoAnnuale.h"

#include "database/DbError.h"
#include "database/SqlValue.h"
#include "support/Failure.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"

#include <cmath>
#include <limits>

using namespace liqiva;
using namespace liqiva::test;

namespace {

constexpr int Year = 2005; // the annual settlement; the credit goes into January 2006

// The OK as its callers run it: a refusal said, the questions put, then the write.
bool save(CreditoAnnuale &c, MessageService &m)
{
    if (const QString refused = failureOf([&] { c.Valida(); }); !refused.isEmpty()) {
        m.error(refused);
        return false;
    }
    c.Save(askAll(m, c.Domande()));
    return true;
}

class AnnualCredit : public EngineFixtureTest {
protected:

    // An annual credit confirmed the first time, for a company.
    void firstOk(int company, double credit, double refund, int roundValueDIP = 1)
    {
        ScriptedMessages m;
        CreditoAnnuale c(db(), company);
        c.LoadDati(Year, Money::fromDouble(credit), roundValueDIP);
        c.setRimborso(Money::fromDouble(refund));
        ASSERT_TRUE(save(c, m));
        ASSERT_TRUE(m.texts().isEmpty());
    }
    int count(const SqlStatement &sql) { return db().scalar(sql).toInt(); }
    int headers(int company)
    {
        return count(u"SELECT COUNT(*) FROM Credito WHERE IDAzienda = "_qs + sqlParam(company) +
                     u" AND Anno = 2006 AND IDMese = 1"_qs);
    }
    // The automatic movement of a cause for a company, or nothing.
    std::optional<double> movement(int company, int cause)
    {
        return f->value({u"SELECT Importo FROM MovimentoCredito INNER JOIN Credito ON MovimentoCredito.IDCredito = "
                         u"Credito.IDCredito WHERE Credito.IDAzienda = ? AND Credito.Anno = 2006 AND Automatico = -1 "
                         u"AND IDCausaleCredito = ?"_qs,
                         {sqlValue(company), sqlValue(cause)}});
    }
    // A movement entered elsewhere in the suite (cause 5, not automatic).
    void handMovement(int company, int idMovimento)
    {
        const int header =
            db().scalar(u"SELECT IDCredito FROM Credito WHERE Anno = 2006 AND IDAzienda = ?"_qs, {sqlValue(company)})
                .toInt();
        db().execute(u"INSERT INTO MovimentoCredito (IDMovimentoCredito, IDCredito, IDCausaleCredito, Importo, "
                     "Automatico) VALUES (?, ?, 5, 40, 0)"_qs,
                     {sqlValue(idMovimento), sqlValue(header)});
    }
};

TEST_P(AnnualCredit, FirstOkWritesTheHeaderOnceAndTheMovementsRoundedToTheCurrency)
{
    struct {
        double credit, refund, roundValueDIP;
        double storedCredit;
        std::optional<double> storedRefund;
    } cases[] = {
        {1000, 250, 1, 1000, 250},
        {1000, 0, 1, 1000, std::nullopt},
        {1000.005, 0.004, 1, 1000.01, std::nullopt}, // the refund rounds to nothing: no movement
        {1000, 0.005, 1, 1000, 0.01},                // half a cent goes up
        {-0.005, 0, 1, -0.01, std::nullopt},         // and away from zero below it
        {1500.5, 499.5, 1000, 1501, 500},            // lire: whole units
    };
    int company = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.credit);
        ++company;
        firstOk(company, c.credit, c.refund, c.roundValueDIP);
        EXPECT_EQ(headers(company), 1);
        EXPECT_NEAR(movement(company, 1).value_or(-1), c.storedCredit, 1e-9);
        EXPECT_EQ(movement(company, 2).has_value(), c.storedRefund.has_value());
        if (c.storedRefund)
            EXPECT_NEAR(*movement(company, 2), *c.storedRefund, 1e-9);
    }
    // A header already made by hand for January is the one used.
    db().execute(u"INSERT INTO Credito (IDCredito, IDAzienda, Anno, IDMese) VALUES (77, 50, 2006, 1)"_qs);
    firstOk(50, 10, 0);
    EXPECT_EQ(headers(50), 1);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM MovimentoCredito WHERE IDCredito = 77"_qs), 1);
}

TEST_P(AnnualCredit, ASecondOkAsksBeforeReplacingAndCancelKeepsThatMovement)
{
    const Answer Ok = Answer::Ok, Cancel = Answer::Cancel;
    struct {
        double firstRefund;
        QVector<Answer> answers;
        double credit, refund;
        int questions;
        double storedCredit;
        std::optional<double> storedRefund;
    } cases[] = {
        {250, {Ok, Ok}, 1200, 300, 2, 1200, 300},
        {250, {Cancel, Cancel}, 1200, 300, 2, 1000, 250},
        {250, {Ok, Cancel}, 1200, 300, 2, 1200, 250},
        {250, {Cancel, Ok}, 1000, 0, 2, 1000, std::nullopt}, // a cleared refund is deleted
        {250, {Cancel, Cancel}, 1000, 0, 2, 1000, 250},      // unless the user cancels
        {0, {Ok}, 1200, 300, 1, 1200, 300},                  // no refund yet: inserted without asking
        {0, {Cancel}, 1200, 0, 1, 1000, std::nullopt},
    };
    int company = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(company);
        ++company;
        firstOk(company, 1000, c.firstRefund);
        ScriptedMessages m;
        for (Answer a : c.answers)
            m.answer(a);
        CreditoAnnuale d(db(), company);
        d.LoadDati(Year, Money::fromDouble(c.credit), 1);
        EXPECT_TRUE(d.CreditiSalvati());
        EXPECT_GT(d.IDMovCreditoAnnuale(), 0);
        EXPECT_EQ(d.Rimborso(), Money::fromDouble(c.firstRefund));
        d.setRimborso(Money::fromDouble(c.refund));
        ASSERT_TRUE(save(d, m));
        const QStringList expected = {CreditoAnnuale::msgSostituireCredito(), CreditoAnnuale::msgSostituireRimborso()};
        EXPECT_EQ(m.texts(), expected.mid(0, c.questions));
        EXPECT_EQ(m.shown().front().buttons, Buttons::OkCancel);
        EXPECT_EQ(headers(company), 1);
        EXPECT_DOUBLE_EQ(movement(company, 1).value_or(-1), c.storedCredit);
        EXPECT_EQ(movement(company, 2), c.storedRefund);
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM MovimentoCredito"_qs),
                  count(u"SELECT COUNT(*) FROM MovimentoCredito WHERE Automatico <> 0"_qs));
        // The object follows what is stored: a further OK asks about the refund only if one is there.
        EXPECT_EQ(d.IDMovCreditoARimborso() > 0, c.storedRefund.has_value());
    }
}

TEST_P(AnnualCredit, ARefundAboveTheCreditOnlyWarns)
{
    struct {
        double credit, refund;
        bool warned;
    } cases[] = {
        {1000, 1000.01, true},  {1000, 1000, false},   {1000, 1000.004, false}, // equal once rounded to the cent
        {1000, 1000.005, true}, {1000, 999.99, false},
    };
    int company = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.refund);
        ScriptedMessages m;
        CreditoAnnuale a(db(), ++company);
        a.LoadDati(Year, Money::fromDouble(c.credit), 1);
        EXPECT_EQ(a.RimborsoChanged(Money::fromDouble(c.refund)),
                  c.warned ? CreditoAnnuale::msgRimborsoSuperiore() : QString());
        EXPECT_EQ(a.Rimborso(), Money::fromDouble(c.refund)); // the value stays
        m.clear();
        ASSERT_TRUE(save(a, m));
        EXPECT_TRUE(m.texts().isEmpty()); // OK does not warn again and writes the refund
        EXPECT_TRUE(movement(company, 2).has_value());
    }
}

TEST_P(AnnualCredit, BadAmountsAreRefusedWithAMessageAndNothingIsWritten)
{
    struct {
        int company, year;
        double credit, refund;
        QString message;
    } cases[] = {
        {1, Year, 1000, -0.01, CreditoAnnuale::msgRimborsoFuoriLimiti()},
        {1, Year, 9000000000.01, 0, CreditoAnnuale::msgCreditoFuoriLimiti()},
        {0, Year, 1000, 0, CreditoAnnuale::msgAnnoNonValido()},
        {1, 32767, 1000, 0, CreditoAnnuale::msgAnnoNonValido()}, // the next year does not fit Anno
    };
    for (const auto &c : cases) {
        ScriptedMessages m;
        CreditoAnnuale a(db(), c.company);
        a.LoadDati(c.year, Money::fromDouble(c.credit), 1);
        a.setRimborso(Money::fromDouble(c.refund));
        EXPECT_FALSE(save(a, m));
        EXPECT_EQ(m.texts(), QStringList{c.message});
    }
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM Credito"_qs) + count(u"SELECT COUNT(*) FROM MovimentoCredito"_qs), 0);
}

TEST_P(AnnualCredit, RemovingTheAnnualCreditKeepsAHeaderThatOtherMovementsStillUse)
{
    struct {
        bool saved, handMovement;
        int headersLeft; // a header left is said
    } cases[] = {
        {true, false, 0},
        {true, true, 1},
        {false, false, 0}, // nothing saved: nothing to do
    };
    int company = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(company);
        ++company;
        if (c.saved)
            firstOk(company, 1000, 250);
        if (c.handMovement)
            handMovement(company, 900 + company);
        firstOk(100 + company, 500, 50); // another company's credit stays
        ScriptedMessages m;
        const CreditoAnnualeRimosso r = removeCreditoAnnuale(db(), company, Year);
        EXPECT_EQ(r.testateRimaste, c.headersLeft);
        if (r.testateRimaste) // what the caller says names the month of the header
            EXPECT_TRUE(CreditoAnnuale::msgMovimentiRimasti(Year + 1).contains(u"Gennaio 2006"_qs));
        EXPECT_EQ(r.movimentiRimossi, c.saved ? 2 : 0);
        EXPECT_EQ(headers(company), c.headersLeft);
        EXPECT_FALSE(movement(company, 1).has_value());
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM MovimentoCredito INNER JOIN Credito ON MovimentoCredito.IDCredito = "
                        "Credito.IDCredito WHERE IDCausaleCredito = 5 AND IDAzienda = "_qs +
                        sqlParam(company)),
                  c.handMovement ? 1 : 0);
        EXPECT_EQ(movement(100 + company, 2), std::optional<double>(50));
    }
}

TEST_P(AnnualCredit, AnErrorInTheMiddleOfTheWorkLeavesNothingBehind)
{
    // First OK: the header is written, then the movement fails.
    {
        ScriptedMessages m;
        CreditoAnnuale a(db(), 1);
        a.LoadDati(Year, Money::units(1000), 1);
        a.setRimborso(Money::units(100));
        db().execute(u"ALTER TABLE MovimentoCredito RENAME TO MovimentoCreditoAltrove"_qs);
        EXPECT_THROW(save(a, m), DbError);
        db().execute(u"ALTER TABLE MovimentoCreditoAltrove RENAME TO MovimentoCredito"_qs);
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM Credito"_qs), 0);
        EXPECT_FALSE(a.CreditiSalvati());
    }
    // Saved credit, new refund: the credit is replaced, then the header cannot be read.
    firstOk(2, 1000, 0);
    {
        ScriptedMessages m;
        CreditoAnnuale a(db(), 2);
        a.LoadDati(Year, Money::units(1200), 1);
        a.setRimborso(Money::units(300));
        db().execute(u"ALTER TABLE Credito RENAME TO CreditoAltrove"_qs);
        EXPECT_THROW(save(a, m), DbError);
        db().execute(u"ALTER TABLE CreditoAltrove RENAME TO Credito"_qs);
        EXPECT_EQ(movement(2, 1), std::optional<double>(1000));
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM MovimentoCredito"_qs), 1);
        EXPECT_EQ(a.IDMovCreditoARimborso(), 0);
    }
    // The removal inside a save that fails later: the caller's rollback takes it back too.
    firstOk(3, 1000, 250);
    {
        ScriptedMessages m;
        Transaction save(db());
        removeCreditoAnnuale(db(), 3, Year);
        EXPECT_EQ(headers(3), 0);
    }
    EXPECT_EQ(headers(3), 1);
    EXPECT_EQ(movement(3, 2), std::optional<double>(250));
}

TEST_P(AnnualCredit, WithoutTheDialogTheSaveCarriesTheCreditOrRemovesIt)
{
    struct {
        double credit;
        std::optional<double> storedCredit, storedRefund;
        int questions;
    } cases[] = {
        {1200, 1200, 250, 2}, // the recorded refund stays as it is
        {0, std::nullopt, std::nullopt, 0},
        {-5, std::nullopt, std::nullopt, 0},
    };
    int company = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.credit);
        firstOk(++company, 1000, 250);
        ScriptedMessages m;
        const auto credit = annualCreditToCarry(db(), company, Year, Money::fromDouble(c.credit), 1);
        annualCreditWrite(db(), company, Year, credit, credit ? askAll(m, credit->Domande()) : QList<bool>())();
        EXPECT_EQ(m.texts().size(), c.questions);
        EXPECT_EQ(movement(company, 1), c.storedCredit);
        EXPECT_EQ(movement(company, 2), c.storedRefund);
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(AnnualCredit);

} // namespace
