#include "domain/demo/DemoCompany.h"
#include "database/Connection.h"
#include "support/TestDatabase.h"

#include <QElapsedTimer>
#include <cstdio>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Speed of the bulk demo and of a counter query over it. Prints figures; runs only when
// LIQIVA_DEMO_BENCH_SCALE names a scale (580 gives about a million counter rows).
class DemoBenchmark : public EngineTest {};

TEST_P(DemoBenchmark, BulkCountersAndAPeriodQuery)
{
    const int scale = qEnvironmentVariableIntValue("LIQIVA_DEMO_BENCH_SCALE");
    if (scale < 1)
        GTEST_SKIP() << "set LIQIVA_DEMO_BENCH_SCALE to run";
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    QElapsedTimer clock;
    clock.start();
    const DemoSummary made = createDemo(db, scale);
    const double seconds = clock.elapsed() / 1000.0;
    std::printf("[bench] %s: %d companies, %lld counter rows in %.1f s (%.0f rows/s)\n",
                engine() == Engine::Sqlite ? "SQLite" : "PostgreSQL", made.companies, made.counterRows, seconds,
                double(made.counterRows) / seconds);

    // The purchases of one month of one activity, shaped as the counter queries are.
    const QString query =
        u"SELECT ContatoreIva.IDIva, DescrizioneSuRegistroIVA, SUM(Imponibile) AS IMP, SUM(Importo) AS IVA "
        "FROM ContatoreIva, Iva WHERE (IDClassificazioneIvaConto <> 7 OR IDClassificazioneIvaConto IS NULL) AND "
        "AcquistiSolaVentilazione = 0 AND  RiportoSuChiusuraIVA <> 0 AND Anno IN (SELECT Anno FROM PeriodoIva "
        "WHERE IDPeriodoIva = 2) AND ((EXISTS (SELECT IDAttivitaAziendaPerPeriodoIva FROM "
        "AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = 2 AND IDAttivitaAzienda = 1 AND TipoLiquidazioneIva = 0) "
        "AND IDMese = 3) OR ( EXISTS (SELECT IDAttivitaAziendaPerPeriodoIva FROM AttivitaAziendaPerPeriodoIva "
        "WHERE IDPeriodoIva = 2 AND IDAttivitaAzienda = 1 AND TipoLiquidazioneIva <> 0) AND (IDMese > 0 AND "
        "IDMese <= 3))) AND IDFiliale IN (SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = 1) AND "
        "ContatoreIva.IDIva = Iva.IDIva AND IDTipoContatoreIva = 1 AND (Iva.PercIndetraibilita = 0 OR "
        "Iva.PercIndetraibilita IS NULL) GROUP BY ContatoreIva.IDIva, DescrizioneSuRegistroIVA"_qs;
    const int runs = 20;
    int rows = 0;
    clock.restart();
    for (int k = 0; k < runs; ++k)
        for (Recordset rs = db.openRecordset(query); !rs.eof(); rs.moveNext())
            ++rows;
    std::printf("[bench] %s: one month's purchases of one activity: %.1f ms per query (%d rows)\n",
                engine() == Engine::Sqlite ? "SQLite" : "PostgreSQL", clock.elapsed() / double(runs), rows / runs);
    EXPECT_GT(rows, 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DemoBenchmark);

} // namespace
