#include "database/SqlValue.h"
#include "domain/demo/DemoCompany.h"
#include "domain/demo/DemoData.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "support/Answering.h"
#include "support/ChildTask.h"
#include "support/Failure.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QThread>
#include <csignal>

using namespace liqiva;
using namespace liqiva::test;

namespace {

struct Period {
    int activity; // local key of the activity in its company
    int year;     // 2023..2025
    int month;    // 0 annual, 1..12
};

// Fifty settlements of one company: the shop's months of three years, the wholesaler's
// quarters of three years and the shop's first two annual settlements.
std::vector<Period> fiftyPeriods()
{
    std::vector<Period> out;
    for (int year = 2023; year <= 2025; ++year)
        for (int m = 1; m <= 12; ++m)
            out.push_back({1, year, m});
    for (int year = 2023; year <= 2025; ++year)
        for (int q = 3; q <= 12; q += 3)
            out.push_back({2, year, q});
    out.push_back({1, 2023, 0});
    out.push_back({1, 2024, 0});
    return out;
}

int activityKey(int company, int local)
{
    return demo::companyKey(company, demo::kActivities, local);
}

int vatYearKey(int company, int year)
{
    return demo::companyKey(company, demo::kYears, year - demo::kFirstYear + 1);
}

// Settles and saves periods of a company; with "delete" deletes every other saved one.
int settleCompany(Connection &db, int company, const std::vector<Period> &periods, bool deleteHalf)
{
    ScriptedMessages messages; // every question answered yes
    int n = 0;
    for (const Period &p : periods) {
        const int activity = activityKey(company, p.activity);
        const int year = vatYearKey(company, p.year);
        NewSettlement ns(db, company, 1);
        ns.sbSetComboMesi(activity, year, 0);
        if (confirmAnswering(ns, messages, activity, year, ns.indexOfMonth(p.month), 0, true) != 1)
            return 10;
        SettlementDocument doc(DocumentContext{db, messages, 1, company, 1, true});
        doc.sbChildFill(ns.currentKey(), false);
        bool saved = false;
        if (const QString failure = failureOf([&] { saved = saveAnswering(doc); }); !saved) {
            qWarning("%s", qPrintable(messages.texts().join(u'\n') + failure));
            return 11;
        }
        if (deleteHalf && n++ % 2 == 1) {
            bool deleted = false;
            failureOf([&] { deleted = doc.sbChildDelete(); });
            if (!deleted)
                return 12;
        }
    }
    return 0;
}

const ChildTask settleTask("settle-company", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    std::vector<Period> periods = fiftyPeriods();
    if (args.value(3) == u"loop"_qs) // the killed process: the same periods over and over
        for (int round = 0; round < 20; ++round)
            periods.insert(periods.end(), periods.begin(), periods.begin() + 12);
    try {
        return settleCompany(*db, args.value(1).toInt(), periods, args.value(2) == u"delete"_qs);
    } catch (const std::exception &e) {
        qWarning("%s", e.what());
        return 13;
    }
});

class ConcurrentUsers : public EngineTest {
protected:
    int count(Connection &db, const QString &sql) { return db.scalar(sql).toInt(); }

    // Every saved settlement is whole (its balance, its report header and rows); no working
    // row is left; the last settled month of every activity is the highest month stored.
    void expectConsistent(Connection &db)
    {
        expectConsistentSaved(db);
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva r WHERE VirtualDelete = 0 AND NOT EXISTS "
                            u"(SELECT 1 FROM CampoReportLiquidazioneIva c WHERE c.IDRisultatoLiquidazioneIva = "
                            u"r.IDRisultatoLiquidazioneIva)"_qs),
                  0);
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva r WHERE VirtualDelete = 0 AND NOT EXISTS "
                            u"(SELECT 1 FROM RigaReportLiquidazioneIva c WHERE c.IDRisultatoLiquidazioneIva = "
                            u"r.IDRisultatoLiquidazioneIva)"_qs),
                  0);
        // typed rows of settlements that are gone
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo x WHERE NOT EXISTS (SELECT 1 FROM "
                            u"RisultatoLiquidazioneIva r WHERE r.IDRisultatoLiquidazioneIva = x.IDRisultatoLiquidazioneIva)"_qs),
                  0);
    }

    // After a killed process: what is saved is whole; its working rows may remain (the
    // start-up of its user removes them), but nothing half-saved.
    void expectConsistentSaved(Connection &db)
    {
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva r WHERE VirtualDelete = 0 AND NOT EXISTS "
                            u"(SELECT 1 FROM RisultatoLiquidazioneIvaXTipo x WHERE x.IDRisultatoLiquidazioneIva = "
                            u"r.IDRisultatoLiquidazioneIva AND x.IDTipoRisultatoLiquidazioneIva = 1 AND x.VirtualDelete = 0)"_qs),
                  0);
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva r WHERE VirtualDelete = 0 AND NOT EXISTS "
                            u"(SELECT 1 FROM RisultatoLiquidazioneIvaXTipo x WHERE x.IDRisultatoLiquidazioneIva = "
                            u"r.IDRisultatoLiquidazioneIva AND x.IDTipoRisultatoLiquidazioneIva = 14)"_qs),
                  0);
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo x WHERE x.VirtualDelete = 0 AND EXISTS "
                            u"(SELECT 1 FROM RisultatoLiquidazioneIva r WHERE r.IDRisultatoLiquidazioneIva = "
                            u"x.IDRisultatoLiquidazioneIva AND r.VirtualDelete = 2)"_qs),
                  0);
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM AttivitaAziendaPerPeriodoIva a WHERE COALESCE(a.IDMeseUltimaLiquidazione, 0) "
                            u"<> COALESCE((SELECT MAX(IDMese) FROM RisultatoLiquidazioneIva r WHERE r.VirtualDelete = 0 AND "
                            u"r.IDAttivitaAzienda = a.IDAttivitaAzienda AND r.IDPeriodoIva = a.IDPeriodoIva), 0)"_qs),
                  0);
    }

    void runUsers(int processes)
    {
        auto t = TestDatabase::create(engine(), Content::Schema);
        createDemo(t->db(), processes);
        std::vector<std::unique_ptr<QProcess>> users;
        for (int company = 1; company <= processes; ++company)
            users.push_back(startChild(u"settle-company"_qs, {t->url(), QString::number(company), u"delete"_qs}));
        for (auto &u : users) {
            ASSERT_TRUE(u->waitForFinished(600000));
            EXPECT_EQ(u->exitCode(), 0) << u->readAll().toStdString();
        }
        Connection &db = t->db();
        // 25 of each company's 50 settlements are left, and nothing else
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs), processes * 25);
        EXPECT_EQ(count(db, u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete <> 0"_qs), 0);
        expectConsistent(db);
    }
};

TEST_P(ConcurrentUsers, EachSavesAndDeletesItsOwnSettlementsAtTheSameTime)
{
    runUsers(engine() == Engine::Postgres ? 8 : 4);
}

// A process killed in the middle of its saves leaves every settlement saved whole or as it
// was before.
TEST_P(ConcurrentUsers, AProcessKilledInTheMiddleOfASave)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    const int delays[] = {150, 400, 900};
    for (int delay : delays) {
        auto user = startChild(u"settle-company"_qs, {t->url(), u"1"_qs, u"keep"_qs, u"loop"_qs});
        ASSERT_TRUE(user->waitForStarted());
        QThread::msleep(delay);
        ::kill(static_cast<pid_t>(user->processId()), SIGKILL);
        user->waitForFinished();
        // what the killed process left as working rows is its own: removed as at start-up
        expectConsistentSaved(t->db());
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ConcurrentUsers);

} // namespace
