#include "domain/batch/BatchSettlement.h"
#include "support/LiqivaRun.h"
#include "support/SettlementRows.h"

#include <QThread>
#include <csignal>

#include "database/SqlValue.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/DemoDocumentTest.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Batch : public DemoDocumentTest {
protected:
    // Every row of the settlements of an activity and of their amounts, as text, to compare
    // before and after.
    QString trace(int activity)
    {
        QString s;
        for (Recordset rs = db().openRecordset(u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva, IDMese, "
                                               u"RisultatoLiquidazioneIva.VirtualDelete, "
                                               u"IDTipoRisultatoLiquidazioneIva, Importo FROM RisultatoLiquidazioneIva "
                                               u"LEFT JOIN RisultatoLiquidazioneIvaXTipo "
                                               u"ON RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
                                               u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva "
                                               u"WHERE IDAttivitaAzienda = ? ORDER BY 1, 4"_qs,
                                               {sqlValue(activity)});
             !rs.eof(); rs.moveNext())
            for (int f = 0; f < rs.fieldCount(); ++f)
                s += rs.field(f).toString() + u'|';
        return s;
    }
    int savedOfMarch(int activity)
    {
        return db()
            .scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0 AND IDMese = 3 "
                    u"AND IDAttivitaAzienda = ?"_qs,
                    {sqlValue(activity)})
            .toInt();
    }
    BatchSettlement::Options march(bool yes, int user = 1)
    {
        BatchSettlement::Options o;
        o.idUser = user;
        o.anno = 2024;
        o.period = 3;
        o.save = true;
        o.answerYes = yes;
        return o;
    }
};

// March 2024 settled in two runs: without --yes the monthly activities are refused (February
// is not settled) and leave no trace while the quarterly ones are saved; with --yes the
// monthly ones are saved and the quarterly ones, already there, are left untouched. At the
// end every activity has its period saved exactly once.
TEST_P(Batch, EveryActivitySettledOnceAndRefusalsLeaveNoTrace)
{
    using S = BatchSettlement::Outcome::Status;
    const struct {
        bool yes;
        S expected[4]; // activities 1 to 4
    } runs[] = {
        {false, {S::Refused, S::Done, S::Refused, S::Done}},
        {true, {S::Done, S::Refused, S::Done, S::Refused}},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.yes ? "with yes" : "without yes");
        QString before[4];
        for (int a = 1; a <= 4; ++a)
            before[a - 1] = trace(a);
        int progressCalls = 0;
        BatchSettlement::Options o = march(run.yes);
        o.progress = [&](int done, int total, const QString &) {
            EXPECT_EQ(done, ++progressCalls);
            EXPECT_EQ(total, 4);
            // The batch holds one settlement at a time: the one before is let go.
            EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs).toInt(), 0) << done;
        };
        const auto outcomes = BatchSettlement(db()).run(o);
        ASSERT_EQ(outcomes.size(), 4u);
        EXPECT_EQ(progressCalls, 4);
        for (int a = 1; a <= 4; ++a) {
            const auto &r = outcomes[a - 1];
            SCOPED_TRACE(a);
            EXPECT_EQ(r.idAttivitaAzienda, a);
            EXPECT_EQ(batchStatusText(r.status), batchStatusText(run.expected[a - 1])) << r.reason.toStdString();
            if (r.status == S::Refused) {
                EXPECT_FALSE(r.reason.isEmpty());
                EXPECT_EQ(trace(a), before[a - 1]); // exactly as before
            } else {
                EXPECT_GT(r.idRisultatoLiquidazioneIva, 0);
                EXPECT_EQ(savedOfMarch(a), 1);
            }
        }
        if (!run.yes)
            EXPECT_EQ(outcomes[1].daVersare->toString(), u"4360.7"_qs); // 4317.52 + interest 43.18
        else
            EXPECT_EQ(outcomes[0].daVersare->toString(), u"1528.04"_qs); // the shop's March by hand
    }
    for (int a = 1; a <= 4; ++a)
        EXPECT_EQ(savedOfMarch(a), 1) << a;
    // no working row and no registration in the usage register is left behind
    EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete <> 0"_qs).toInt(), 0);
    EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs).toInt(), 0);
}

// liqiva batch with the demo's rights: user 4 holds none, so every activity is refused whole
// with the reason of the right check (not the one of the missing February) and nothing is
// written; the command exits 1. User 1 settles and saves.
TEST_P(Batch, CommandChecksTheRights)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    const struct {
        const char *user;
        int exitCode;
        const char *summary;
        int savedRows;
        int rightRefusals;
    } cases[] = {
        {"4", 1, "Fatte 0, rifiutate 4", 0, 4},
        {"1", 1, "Fatte 2, rifiutate 2", 2, 0}, // the monthly ones wait for February
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.user);
        const LiqivaRun r = runLiqiva({u"batch"_qs, u"--db"_qs, t->url(), u"--user"_qs, QString::fromLatin1(c.user),
                                       u"--vat-year"_qs, u"2024"_qs, u"--period"_qs, u"3"_qs, u"--company"_qs, u"1"_qs,
                                       u"--save"_qs},
                                      folder.path());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromLatin1(c.summary))) << r.out.toStdString();
        EXPECT_EQ(r.out.count(u"non ha questo diritto"_qs), c.rightRefusals) << r.out.toStdString();
        EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs).toInt(), c.savedRows);
    }
}

// --jobs shares the batch among processes on PostgreSQL, each with its connection: the
// outcome is the one of a single process, in the same order; on SQLite it is refused.
TEST_P(Batch, JobsGiveWhatOneProcessGives)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    auto batch = [&](const QString &jobs, bool save) {
        QStringList args = {u"batch"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--vat-year"_qs, u"2024"_qs,
                            u"--period"_qs, u"3"_qs, u"--yes"_qs, u"--json"_qs, u"--jobs"_qs, jobs};
        if (save)
            args << u"--save"_qs;
        return runLiqiva(args, folder.path());
    };
    if (engine() == Engine::Sqlite) {
        const LiqivaRun r = batch(u"2"_qs, true);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(u"--jobs"_qs)) << r.err.toStdString();
        EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs).toInt(), 0);
        return;
    }
    const LiqivaRun one = batch(u"1"_qs, false); // computed only: nothing stays
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    const LiqivaRun two = batch(u"3"_qs, true);
    ASSERT_EQ(two.exitCode, 0) << two.err.toStdString();
    const QJsonObject a = QJsonDocument::fromJson(one.rawOut).object();
    const QJsonObject b = QJsonDocument::fromJson(two.rawOut).object();
    EXPECT_EQ(a.value(u"summary"_qs), b.value(u"summary"_qs));
    const QJsonArray rowsA = a.value(u"activities"_qs).toArray(), rowsB = b.value(u"activities"_qs).toArray();
    ASSERT_EQ(rowsA.size(), 4);
    ASSERT_EQ(rowsB.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rowsA[i].toObject().value(u"IDAttivitaAzienda"_qs), rowsB[i].toObject().value(u"IDAttivitaAzienda"_qs));
        EXPECT_EQ(rowsA[i].toObject().value(u"IvaDaVersare"_qs), rowsB[i].toObject().value(u"IvaDaVersare"_qs));
        EXPECT_EQ(savedOfMarch(i + 1), 1);
    }
}

// A batch killed at any moment, also one shared among processes on PostgreSQL, and run again
// finishes every activity: each saved exactly once (the ones saved before the kill are told
// as existing), and nothing of the killed one is left behind.
TEST_P(Batch, AKilledBatchRunAgainFinishesEveryActivity)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    QStringList jobs{u"1"_qs};
    if (engine() == Engine::Postgres)
        jobs << u"4"_qs;
    const int delays[] = {40, 120, 250, 400, 700};
    for (const QString &j : jobs)
        for (int delay : delays) {
            SCOPED_TRACE(testing::Message() << "--jobs " << j.toStdString() << ", killed after " << delay << " ms");
            removeEverySettlement(db());
            const QStringList args = {
                u"batch"_qs,    u"--db"_qs, t->url(),    u"--user"_qs, u"1"_qs,      u"--vat-year"_qs, u"2024"_qs,
                u"--period"_qs, u"3"_qs,    u"--yes"_qs, u"--save"_qs, u"--json"_qs, u"--jobs"_qs,     j};
            QProcess killed;
            startLiqiva(killed, args, folder.path());
            ASSERT_TRUE(killed.waitForStarted());
            QThread::msleep(delay);
            ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
            killed.waitForFinished();

            const LiqivaRun again = runLiqiva(args, folder.path());
            ASSERT_TRUE(again.finished);
            const QJsonArray rows = QJsonDocument::fromJson(again.rawOut).object().value(u"activities"_qs).toArray();
            ASSERT_EQ(rows.size(), 4) << again.err.toStdString();
            for (const QJsonValue &v : rows) {
                const QJsonObject row = v.toObject();
                if (row.value(u"esito"_qs).toString() != batchStatusText(BatchSettlement::Outcome::Status::Done))
                    EXPECT_TRUE(
                        row.value(u"motivo"_qs).toString().startsWith(u"La liquidazione del periodo esiste già"_qs))
                        << row.value(u"motivo"_qs).toString().toStdString();
            }
            for (int a = 1; a <= 4; ++a)
                EXPECT_EQ(savedOfMarch(a), 1) << "activity " << a;
            EXPECT_EQ(settlementFaults(db()), QStringList());
        }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Batch);

} // namespace
