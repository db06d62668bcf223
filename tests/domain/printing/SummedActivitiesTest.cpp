// The declaration of a month that closes a quarter, for a company with monthly and quarterly
// activities (the demo's shop and training activity monthly, its wholesaler quarterly, 2024):
// the saved settlements of the activities settled the other way are printed summed with the
// settlement's own figures, on both engines, in the form and in the PDF `liqiva print` writes.

#include "domain/declarations/DatiCADI.h"
#include "domain/printing/DeclarationPrint.h"
#include "domain/printing/PrintFixture.h"
#include "support/LiqivaRun.h"

#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {

constexpr int Training = 3;

class SummedActivitiesTest : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Demo);
        february = saveSettlement(db(), Shop, 2);
        march = saveSettlement(db(), Shop, 3);
        training = saveSettlement(db(), Training, 3);
        quarter = saveSettlement(db(), Wholesaler, 3);
    }
    Connection &db() { return t->db(); }

    // The form of a saved settlement as the print lays it out.
    struct Printed {
        DeclarationData data;
        PrintedReport report;
    };
    Printed printed(int key)
    {
        ScriptedMessages messages;
        SettlementDocument doc(DocumentContext{db(), messages, 1, Company, settlementFunctionOf(db()), false, {}});
        doc.sbChildFill(key, false);
        Printed p{declarationData(doc), {}};
        DeclarationPrint(db(), 1).print(p.data, false, [&p](const PrintedReport &r) {
            p.report = r;
            return true;
        });
        return p;
    }

    std::unique_ptr<TestDatabase> t;
    int february = 0, march = 0, training = 0, quarter = 0;
};

TEST_P(SummedActivitiesTest, AMonthClosingAQuarterPrintsTheOtherKindsActivitiesSummed)
{
    const QString shop = u"Negozio al dettaglio (mensile)"_qs;
    const QString wholesale = u"Commercio all'ingrosso (trimestrale)"_qs;
    const QString courses = u"Formazione professionale (mensile)"_qs;
    struct Case {
        const char *what;
        int key;
        QStringList activities;
        int objects;               // the data objects summed
        const char *activeOps;     // "Totale operazioni attive"
        const char *passiveOps;    // "Totale operazioni passive"
        const char *nonTaxable;    // "Operazioni non imponibili"
        const char *intraSupplies; // "di cui operazioni intracomunitarie"
    } cases[] = {
        // March of the shop with the wholesaler's first quarter (the training activity is
        // monthly as the shop: its own declaration).
        {"shop, March", march, {shop, wholesale}, 2, "183.237", "128.748", "1.881", "16.971"},
        // The quarter with both monthly activities' March.
        {"wholesaler, first quarter", quarter, {wholesale, shop, courses}, 3, "212.440", "133.022", "1.881", "16.971"},
        // February closes no quarter: the shop alone.
        {"shop, February", february, {}, 1, "46.891", "27.815", "", ""},
        // The training activity's March with the wholesaler's quarter.
        {"training, March", training, {courses, wholesale}, 2, "158.929", "101.877", "1.881", "16.971"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Printed p = printed(c.key);
        EXPECT_EQ(p.data.activities, c.activities);
        ASSERT_EQ(int(p.data.cadi.size()), c.objects);
        ASSERT_EQ(int(p.data.dip.size()), c.objects);
        EXPECT_EQ(boxOf(p.report, u"Totale operazioni attive"_qs), QString::fromUtf8(c.activeOps));
        EXPECT_EQ(boxOf(p.report, u"Totale operazioni passive"_qs), QString::fromUtf8(c.passiveOps));
        EXPECT_EQ(boxOf(p.report, u"Operazioni non imponibili"_qs), QString::fromUtf8(c.nonTaxable));
        EXPECT_EQ(boxOf(p.report, u"di cui operazioni intracomunitarie"_qs), QString::fromUtf8(c.intraSupplies));
        // The settlement's own part stays first: the grid and the amount to pay are its own.
        EXPECT_EQ(p.data.idRisultatoLiquidazioneIva, c.key);
    }

    // A deleted partner is summed no more.
    db().execute(u"UPDATE RisultatoLiquidazioneIva SET VirtualDelete = 1 WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                 {sqlValue(quarter)});
    EXPECT_TRUE(printed(march).data.activities.isEmpty());
}

// What `liqiva print --report declaration` writes: the activities and the summed figures.
TEST_P(SummedActivitiesTest, ThePdfNamesTheActivitiesAndCarriesTheSums)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    QTemporaryDir dir;
    const QString file = dir.filePath(u"dichiarazione.pdf"_qs);
    const LiqivaRun run = runLiqiva({u"print"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs,
                                     QString::number(march), u"--report"_qs, u"declaration"_qs, u"--out"_qs, file},
                                    dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString text = toolOutput(u"pdftotext"_qs, {u"-layout"_qs, file, u"-"_qs}).simplified();
    for (const char *expected : {"Attività sommate", "Negozio al dettaglio (mensile)",
                                 "Commercio all'ingrosso (trimestrale)", "Totale operazioni attive 183.237"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    if (const QString keep = qEnvironmentVariable("LIQIVA_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(file, keep);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SummedActivitiesTest);

} // namespace
