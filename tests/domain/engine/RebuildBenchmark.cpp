// Not a test: prints how long a monthly rebuild takes on a million VAT counters.
// Run with --gtest_also_run_disabled_tests --gtest_filter='*Benchmark*'.

#include "domain/engine/ReportRebuild.h"
#include "database/SqlValue.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QElapsedTimer>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Benchmark : public EngineTest {};

TEST_P(Benchmark, DISABLED_MonthlyRebuildOnAMillionCounters)
{
    auto t = TestDatabase::create(engine());
    Connection &db = t->db();
    EngineFixture f(db);
    const int c = f.company();
    int p2024 = 0;
    for (int anno = 2015; anno <= 2024; ++anno)
        p2024 = f.vatYear(c, anno);
    const int A = f.activity(c), B = f.activity(c);
    f.activityYear(A, p2024, {0});
    for (int k = 1; k <= 20; ++k)
        f.branch(c, k <= 2 ? A : B);
    for (int k = 1; k <= 28; ++k)
        f.vatCode(QStringLiteral("Codice %1").arg(k), k % 4 == 0 ? 4 : k % 4 == 1 ? 10 : 22);

    QElapsedTimer load;
    load.start();
    // 15 kinds x 20 branches x 12 months x 10 years x ~28 VAT codes.
    const QString columns = u"IDContatoreIva, IDTipoContatoreIva, IDIva, Anno, IDMese, IDFiliale, Imponibile, Importo, "
                            u"RiportoSuChiusuraIVA, AcquistiSolaVentilazione, IDClassificazioneIvaConto, "
                            u"IDClassificazioneIvaCF, FatturaInRitardo, AccontoIva, VirtualDelete"_qs;
    const QString values =
        u"n, (n % 15) + 1, ((n / 36000) % 28) + 1, 2015 + ((n / 3600) % 10), ((n / 300) % 12) + 1, ((n / 15) % 20) + 1, "
        u"(n % 997) + 0.25, ((n % 997) + 0.25) * 0.22, 1, 0, CASE WHEN n % 3 = 0 THEN 7 ELSE 3 END, "
        u"CASE WHEN n % 7 = 0 THEN 6 WHEN n % 11 = 0 THEN 14 ELSE NULL END, CASE WHEN n % 13 = 0 THEN 1 ELSE 0 END, 0, 0"_qs;
    db.executeRaw(u"DELETE FROM ContatoreIva"_qs);
    if (engine() == Engine::Postgres)
        db.executeRaw(u"INSERT INTO ContatoreIva ("_qs + columns + u") SELECT "_qs + values
                      + u" FROM generate_series(1, 1000000) AS n"_qs);
    else
        db.executeRaw(u"INSERT INTO ContatoreIva ("_qs + columns
                      + u") WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 1000000) SELECT "_qs
                      + values + u" FROM s"_qs);
    db.executeRaw(engine() == Engine::Postgres ? u"ANALYZE"_qs : u"ANALYZE"_qs);
    std::printf("[ benchmark ] %s: 1,000,000 counters loaded in %lld ms\n",
                engine() == Engine::Postgres ? "PostgreSQL" : "SQLite", load.elapsed());

    ScriptedMessages messages;
    EngineContext ctx{db, messages, 1, Money::fromDouble(25.82), true};
    const int s = f.settlement(A, p2024, 3, false, 0, 2);
    ReportInputs in;
    in.periodCaption = u"Marzo 2024"_qs;
    const SettlementIdentity id = identity(s, A, p2024, 3, 2024, c);

    QElapsedTimer timer;
    timer.start();
    sbRicalcolaReportLiquidazione(ctx, id, in);
    const qint64 first = timer.nsecsElapsed();
    const int runs = qEnvironmentVariableIntValue("LIQIVA_BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("LIQIVA_BENCH_RUNS") : 10;
    const long long before = db.statementCount();
    timer.restart();
    for (int k = 0; k < runs; ++k)
        sbRicalcolaReportLiquidazione(ctx, id, in);
    const qint64 total = timer.nsecsElapsed();
    std::printf("[ benchmark ] %s: monthly rebuild first %.1f ms, then %.1f ms on average, %lld statements, %d rows\n",
                engine() == Engine::Postgres ? "PostgreSQL" : "SQLite", first / 1e6, total / 1e6 / runs,
                (db.statementCount() - before) / runs, f.rowCount(s));
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Benchmark);

} // namespace
