#include "support/Answering.h"
#include "support/LiqivaRun.h"
#include "domain/credits/CreditoAutotrasportatori.h"
#include "domain/credits/CreditoCompensabile.h"
#include "domain/document/DocumentCredits.h"
#include "domain/document/SavedSettlements.h"
#include "domain/engine/Amounts.h"
#include "domain/overview/YearOverview.h"
#include "database/SqlValue.h"

#include "support/DemoDocumentTest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

Money eur(const char *text)
{
    return Money::parse(QString::fromLatin1(text)).value();
}

// One settlement, one amount: what the settlement window shows to pay (or carries as a
// credit) is what the list, the year view, the summary and the F24 lines show.
class OneFigure : public DemoDocumentTest {
protected:
    // "Salva", answering the question whether to update the amount paid as given.
    void saveAnswering(SettlementDocument &doc, Answer updatePaid)
    {
        messages.answer(updatePaid);
        EXPECT_TRUE(liqiva::saveAnswering(doc)) << messages.texts().join(u" | "_qs).toStdString();
    }

    std::optional<Money> listed(int key)
    {
        for (const SavedSettlement &s : listSavedSettlements(db(), 1))
            if (s.idRisultatoLiquidazioneIva == key)
                return s.saldo;
        return std::nullopt;
    }

    std::optional<Money> inYearView(int key, int anno = 2024)
    {
        for (const YearRow &r : loadYearOverview(db(), 1, anno).rows)
            for (const YearCell &c : r.cells)
                if (c.key == key)
                    return c.amount;
        return std::nullopt;
    }

    static std::optional<Money> line(const std::vector<SummaryLine> &lines, const char *caption)
    {
        for (const SummaryLine &l : lines)
            if (l.description == QString::fromLatin1(caption))
                return l.amount;
        ADD_FAILURE() << "no summary line " << caption;
        return std::nullopt;
    }

    static Money debitLine(const SettlementDocument &doc, const QString &code)
    {
        for (const F24Line &l : f24Lines(doc.f24Input()))
            if (l.codiceTributo == code)
                return l.importoDebito;
        return Money();
    }
};

// February 2024 of the shop after January was saved answering "No" to the amount paid:
// January's 1,406.29 is not paid and is carried into February's row 8; February owes its own
// 1,235.78 plus that, 2,642.07. The wholesaler's first quarter with 250.00 of truckers'
// credit: 4,317.52 - 250.00 = 4,067.52, and the 1% interest 40.6752 -> 40.68: 4,108.20 to pay.
TEST_P(OneFigure, TheListTheYearViewTheSummaryAndTheF24LinesSayWhatTheSettlementSays)
{
    const struct {
        const char *what;
        int activity, month;
        Money truckersCredit;
        const char *carried, *totalDebt, *interest, *toPay, *f24Code;
    } cases[] = {
        {"February after an unpaid January", 1, 2, Money(), "1406.29", "2642.07", nullptr, "2642.07", "6002"},
        {"first quarter with truckers' credit", 2, 3, eur("250"), "0", "4067.52", "40.68", "4108.20", "6031"},
    };
    {
        auto january = open(1, 1);
        ASSERT_EQ(january->importoDaVersare(), eur("1406.29"));
        saveAnswering(*january, Answer::No);
    }
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = open(c.activity, c.month);
        if (!c.truckersCredit.isZero()) {
            const auto credit = doc->truckersCredit();
            credit->setUtilizzato(c.truckersCredit);
            ASSERT_TRUE(doc->applyTruckersCredit(*credit));
        }
        const Money toPay = eur(c.toPay);
        EXPECT_EQ(doc->importoDaVersare(), toPay);
        EXPECT_EQ(doc->declaration().debit(DeclarationGrid::RiportoPeriodoPrecedente), eur(c.carried));
        const ReportView &r = doc->report();
        EXPECT_EQ(line(r.debito, "Debito precedente"), eur(c.carried));
        EXPECT_EQ(line(r.debito, "Totale debito"), eur(c.totalDebt));
        EXPECT_EQ(line(r.debito, "Interessi 1,50"), c.interest ? std::optional(eur(c.interest)) : std::nullopt);
        EXPECT_EQ(line(r.debito, "Tot da versare"), toPay);
        EXPECT_EQ(line(r.credito, "Totale credito"), std::nullopt);
        EXPECT_EQ(debitLine(*doc, QString::fromLatin1(c.f24Code)), toPay);
        saveAnswering(*doc, Answer::No);
        EXPECT_EQ(listed(doc->key()), toPay);
        EXPECT_EQ(inYearView(doc->key()), toPay);
    }
}

// Annual settlements have their amount in the list and the year view too: the shop's 2023
// leaves 18,137.48 to pay (the figure of its window; the credit carried from 2022, 2,850.00,
// is its residual credit), the training activity's 2024 (pro-rata) what its window shows.
TEST_P(OneFigure, AnAnnualSettlementIsListedWithItsAmount)
{
    const struct {
        int activity, vatYear, anno;
        const char *toPay; // nullptr: as the window shows it
    } cases[] = {{1, 1, 2023, "18137.48"}, {3, kDemoVatYear2024, 2024, nullptr}};
    std::vector<std::pair<int, Money>> saved;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.anno);
        auto doc = open(c.activity, 0, 0, 1, c.vatYear);
        const Money figure = doc->saldo();
        EXPECT_GT(figure, Money());
        EXPECT_EQ(figure, doc->importoDaVersare());
        if (c.toPay)
            EXPECT_EQ(figure, eur(c.toPay));
        saveAnswering(*doc, Answer::Yes);
        EXPECT_EQ(listed(doc->key()), figure);
        EXPECT_EQ(inYearView(doc->key(), c.anno), figure);
        saved.emplace_back(doc->key(), figure);
    }

    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    const LiqivaRun run =
        runLiqiva({u"list"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs, u"--json"_qs},
                  folder.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const auto &[key, figure] : saved) {
        bool found = false;
        for (const QJsonValue &v : QJsonDocument::fromJson(run.rawOut).object().value(u"settlements"_qs).toArray())
            if (v.toObject().value(u"IDRisultatoLiquidazioneIva"_qs).toInt() == key) {
                found = true;
                EXPECT_EQ(Money::fromDouble(v.toObject().value(u"Saldo"_qs).toDouble()), figure);
            }
        EXPECT_TRUE(found) << key;
    }
}

// A debt not above the minimum payment is not paid: no payment question, no F24 line, and
// the next period carries it in row 8, in what the communication reads (VP7) and in its F24
// line. The shop's April and May with their counters replaced by one sales invoice each.
TEST_P(OneFigure, ASmallDebtGoesWithTheNextPeriod)
{
    const struct {
        const char *minimum, *april, *may, *mayToPay;
    } cases[] = {
        {"100.00", "100.00", "1000.00", "1100.00"}, // the minimum from 2024: 100.00 is not above it
        {"25.82", "20.00", "500.00", "520.00"},     // the minimum of the years before
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.minimum);
        SetUp();
        db().execute(
            u"UPDATE ConfigurazioneContabile SET ImportoMinimoIvaLiquidazionePeriodica = ? WHERE IDAzienda = 1"_qs,
            {sqlValue(eur(c.minimum))});
        db().execute(u"DELETE FROM ContatoreIva WHERE Anno = 2024 AND IDMese IN (4, 5) AND IDFiliale IN "
                     u"(SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = 1)"_qs);
        for (const auto &[month, vat] : {std::pair{4, c.april}, std::pair{5, c.may}})
            db().execute(
                u"INSERT INTO ContatoreIva (IDContatoreIva, IDTipoContatoreIva, IDIva, Anno, IDMese, IDFiliale, "
                u"Imponibile, Importo, RiportoSuChiusuraIVA, AccontoIva) SELECT MAX(IDContatoreIva) + 1, 2, 1, "
                u"2024, ?, 1, ?, ?, 1, 0 FROM ContatoreIva"_qs,
                {month, sqlValue(eur(vat) * 5), sqlValue(eur(vat))});

        auto april = open(1, 4);
        EXPECT_EQ(april->importoDaVersare(), eur(c.april));
        EXPECT_TRUE(f24Lines(april->f24Input()).empty());
        messages.clear();
        EXPECT_TRUE(liqiva::saveAnswering(*april));
        EXPECT_TRUE(messages.texts().filter(u"importo versato"_qs).isEmpty()) << "no payment question";

        auto may = open(1, 5);
        EXPECT_EQ(may->declaration().debit(DeclarationGrid::RiportoPeriodoPrecedente), eur(c.april));
        EXPECT_EQ(Money::fromVariant(db().scalar(u"SELECT DebitoPeriodoPrec FROM CampoReportLiquidazioneIva WHERE "
                                                 u"IDRisultatoLiquidazioneIva = ?"_qs,
                                                 {may->key()})),
                  eur(c.april));
        EXPECT_EQ(may->importoDaVersare(), eur(c.mayToPay));
        EXPECT_EQ(debitLine(*may, u"6005"_qs), eur(c.mayToPay));
    }
}

// The compensable credit used in the F24 form shows as a credit line as soon as its window
// is confirmed, before any save: the shop's March 2024 with 300.00 of the 2,000.00 used.
TEST_P(OneFigure, TheCompensableCreditLineFollowsItsWindow)
{
    auto march = open(1, 3);
    const auto cic = makeCreditoCompensabile(*march);
    cic->setValue(CreditoCompensabile::Inizio, eur("2000"));
    cic->setValue(CreditoCompensabile::UtiF24, eur("300"));
    takeCreditoCompensabile(*march, *cic);
    bool creditLine = false;
    for (const F24Line &l : f24Lines(march->f24Input()))
        if (l.codiceTributo == u"6099"_qs && l.annoRiferimento == 2023) {
            creditLine = true;
            EXPECT_EQ(l.importoCredito, eur("300"));
        }
    EXPECT_TRUE(creditLine);
    EXPECT_EQ(debitLine(*march, u"6003"_qs), eur("1528.04"));
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(OneFigure);

} // namespace
