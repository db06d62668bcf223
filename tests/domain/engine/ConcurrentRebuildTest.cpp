#include "domain/engine/ReportRebuild.h"
#include "database/SqlValue.h"
#include "support/ChildTask.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QThread>
#include <cstdio>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Another user writing report rows: --child hold-report-rows URL FIRSTKEY COUNT. The rows are
// inserted in a transaction that stays open for a while after "ready" is printed.
const ChildTask holdReportRows("hold-report-rows", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    const int first = args.value(1).toInt(), count = args.value(2).toInt();
    Transaction tx(*db);
    for (int k = 0; k < count; ++k)
        db->execute(u"INSERT INTO RigaReportLiquidazioneIva (IDRigaReportLiquidazioneIva, IDRisultatoLiquidazioneIva, "
                    u"IDIva) VALUES (?, 999, 1)"_qs,
                    {sqlValue(first + k)});
    std::printf("ready\n");
    std::fflush(stdout);
    QThread::msleep(1500);
    tx.commit();
    return 0;
});

class ConcurrentRebuild : public EngineFixtureTest {};

// The keys the rebuild would take are being written by another user: the rebuild waits,
// then takes the next free keys; nobody's rows are lost.
TEST_P(ConcurrentRebuild, TakesTheNextKeysWhenAnotherUserHoldsThem)
{
    const int c = f->company();
    const int p = f->vatYear(c, 2024);
    const int a = f->activity(c);
    f->activityYear(a, p, {0});
    const int branch = f->branch(c, a);
    const int v22 = f->vatCode(u"22%"_qs, 22), v10 = f->vatCode(u"10%"_qs, 10);
    f->counter({.kind = 2, .idIva = v22, .anno = 2024, .mese = 3, .idFiliale = branch, .imponibile = 100, .importo = 22});
    f->counter({.kind = 2, .idIva = v10, .anno = 2024, .mese = 3, .idFiliale = branch, .imponibile = 100, .importo = 10});
    const int s = f->settlement(a, p, 3, false, 0, 2);

    auto other = startChild(u"hold-report-rows"_qs, {t->url(), u"1"_qs, u"5"_qs});
    ASSERT_TRUE(other->waitForReadyRead(60000)) << other->readAllStandardError().toStdString();
    ASSERT_TRUE(other->readAllStandardOutput().contains("ready"));

    ScriptedMessages messages;
    EngineContext ctx{t->db(), messages, 1, *Money::parse(u"25.82"_qs), true};
    ReportInputs in;
    in.periodCaption = u"Marzo 2024"_qs;
    sbRicalcolaReportLiquidazione(ctx, identity(s, a, p, 3, 2024, c), in);

    ASSERT_TRUE(other->waitForFinished(60000));
    EXPECT_EQ(other->exitCode(), 0) << other->readAllStandardError().toStdString();
    Connection &db = t->db();
    EXPECT_EQ(f->rowCount(s), 2);
    EXPECT_EQ(f->rowCount(999), 5);
    EXPECT_EQ(fieldToNumber(db.scalar(u"SELECT MIN(IDRigaReportLiquidazioneIva) FROM RigaReportLiquidazioneIva WHERE "
                                      u"IDRisultatoLiquidazioneIva = ?"_qs,
                                      {sqlValue(s)})),
              6);
    EXPECT_EQ(f->row(s, v10, u"VenditeIva"_qs), 10);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ConcurrentRebuild);

} // namespace
