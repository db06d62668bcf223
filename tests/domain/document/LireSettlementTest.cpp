// Settlements of the lire years saved and deleted: every stored amount to the lira, and the
// truckers' credit of the activity's year taken and given back exactly.

#include "DocumentFixture.h"

#include <map>

using namespace liqiva;
using namespace liqiva::test;

namespace {

using Types = std::map<int, double>;

class LireSettlement : public FixtureDocumentTest {
protected:
    void SetUp() override
    {
        FixtureDocumentTest::SetUp();
        activity = f->activity(company);
        branch = f->branch(company, activity);
        vat20 = f->vatCode(u"Aliquota 20%"_qs, 20);
    }

    // A sale (kind 2) or a purchase (kind 1) at 20%.
    void counter(int kind, int anno, int mese, double imponibile, double iva)
    {
        f->counter(Counter{.kind = kind, .idIva = vat20, .anno = anno, .mese = mese, .idFiliale = branch,
                           .imponibile = imponibile, .importo = iva});
    }

    // Creates, fills and saves the settlement of a month (0 the year); the question about the
    // amount paid is answered with `payAll`.
    int save(int vatYear, int month, bool payAll = false)
    {
        auto doc = fill(activity, vatYear, month);
        messages.answer(payAll ? Answer::Yes : Answer::No);
        EXPECT_TRUE(saveAnswering(*doc)) << messages.texts().join(u" | "_qs).toStdString();
        return doc->key();
    }
    void remove(int key)
    {
        SettlementDocument doc(DocumentContext{db(), messages, 1, company, 1, true});
        doc.sbChildFill(key, false);
        ASSERT_TRUE(doc.sbChildDelete());
    }
    Types stored(int key)
    {
        Types types;
        Recordset rs =
            db().openRecordset(u"SELECT IDTipoRisultatoLiquidazioneIva, Importo FROM RisultatoLiquidazioneIvaXTipo "
                               u"WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                               {sqlValue(key)});
        for (; !rs.eof(); rs.moveNext())
            types[rs.integer(u"IDTipoRisultatoLiquidazioneIva"_qs)] = rs.number(u"Importo"_qs);
        return types;
    }
    double creditLeft(int vatYear)
    {
        return fieldToNumber(db().scalar(u"SELECT CreditoIvaAutotrasportatori FROM AttivitaAziendaPerPeriodoIva WHERE "
                                         u"IDAttivitaAzienda = ? AND IDPeriodoIva = ?"_qs,
                                         {sqlValue(activity), sqlValue(vatYear)}));
    }
    void expectTypes(int key, const Types &expected)
    {
        const Types got = stored(key);
        for (const auto &[type, amount] : expected)
            EXPECT_DOUBLE_EQ(got.count(type) ? got.at(type) : 0.0, amount) << "type " << type;
    }

    int activity = 0, branch = 0, vat20 = 0;
};

TEST_P(LireSettlement, AQuarterWithInterestAndTheTruckersCredit)
{
    const int y = f->vatYear(company, 1998, 1.0);
    f->activityYear(activity, y, ActivityYear{.tipoLiquidazione = 1, .calcoloInteressi = true,
                                              .creditoAutotrasportatori = 300000});
    counter(2, 1998, 2, 10000000, 2000000);
    counter(1, 1998, 3, 2561725, 512345);

    const int key = save(y, 3);
    // debit 2.000.000; credit 300.000 + 512.345: debt 1.187.655, rounded to 1.188.000, interest
    // at 1% 11.880 rounded to 12.000, to pay 1.200.000; the grid: VAT of the period 1.487.655,
    // less the truckers' credit, plus the interest
    expectTypes(key, {{1, 1187655}, {3, 12000}, {4, 300000}, {10, 1200000}, {11, 1199655}, {12, 1487655},
                      {13, 812345}, {14, 2000000}});
    EXPECT_DOUBLE_EQ(creditLeft(y), 0);

    // filled and saved again, the settlement keeps its credit and its figures
    SettlementDocument again(DocumentContext{db(), messages, 1, company, 1, true});
    again.sbChildFill(key, true);
    messages.answer(Answer::No);
    ASSERT_TRUE(saveAnswering(again));
    expectTypes(key, {{1, 1187655}, {3, 12000}, {4, 300000}, {10, 1200000}, {11, 1199655}});
    EXPECT_DOUBLE_EQ(creditLeft(y), 0);

    remove(key);
    EXPECT_DOUBLE_EQ(creditLeft(y), 300000);
}

TEST_P(LireSettlement, MonthsWithTheCreditCappedAtTheDebtAndInCredit)
{
    const int y = f->vatYear(company, 1999);
    f->activityYear(activity, y, ActivityYear{.tipoLiquidazione = 0, .creditoAutotrasportatori = 1000000});
    struct {
        int month;
        double salesVat, purchasesVat;
        Types expected;
        double creditLeftAfter;
    } cases[] = {
        // a debt of 807.778: the credit covers it all, nothing to pay
        {1, 1207778, 400000, {{1, 0}, {4, 807778}, {11, 0}, {12, 807778}, {13, 1207778}, {14, 1207778}}, 192222},
        // a credit of 250.500: no truckers' credit used, the credit carried on
        {2, 100000, 350500, {{1, -250500}, {4, 0}, {11, 0}, {12, -250500}, {25, 250500}}, 192222},
    };
    std::vector<int> keys;
    for (const auto &c : cases) {
        counter(2, 1999, c.month, c.salesVat * 5, c.salesVat);
        counter(1, 1999, c.month, c.purchasesVat * 5, c.purchasesVat);
        keys.push_back(save(y, c.month));
        expectTypes(keys.back(), c.expected);
        EXPECT_DOUBLE_EQ(creditLeft(y), c.creditLeftAfter) << c.month;
    }
    // deleting gives back exactly what each used
    remove(keys[1]);
    EXPECT_DOUBLE_EQ(creditLeft(y), 192222);
    remove(keys[0]);
    EXPECT_DOUBLE_EQ(creditLeft(y), 1000000);
}

TEST_P(LireSettlement, TheYearWithItsPaymentsAndInterest)
{
    const int y = f->vatYear(company, 1998, 1.0);
    f->activityYear(activity, y, ActivityYear{.tipoLiquidazione = 1, .calcoloInteressi = true,
                                              .creditoAutotrasportatori = 300000});
    counter(2, 1998, 2, 10000000, 2000000);
    counter(1, 1998, 3, 2561725, 512345);
    const int quarter = save(y, 3, true); // the amount to pay is recorded as paid
    expectTypes(quarter, {{8, 1199655}});

    const int year = save(y, 0);
    // credit: the truckers' credit of the year 300.000, purchases 512.345 and the payments
    // 1.199.655; debit 2.000.000: a credit of 12.000 for the year. The year's credit is the
    // quarters' own: the annual settlement stores no type 4 of its own.
    expectTypes(year, {{1, -12000}, {4, 0}, {13, 2012000}, {14, 2000000}});
    EXPECT_DOUBLE_EQ(creditLeft(y), 0);
    // the year's settlement books nothing on the activity's credit, in either direction
    remove(year);
    EXPECT_DOUBLE_EQ(creditLeft(y), 0);
    remove(quarter);
    EXPECT_DOUBLE_EQ(creditLeft(y), 300000);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(LireSettlement);

} // namespace
