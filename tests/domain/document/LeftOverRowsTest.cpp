// A command that dies in the middle of its work (killed, or writing to a pipe nobody
// reads) leaves nothing that blocks the period: the next command that writes removes the
// working settlement, its typed amounts and its report, and the period can be settled.

#include "database/SqlValue.h"
#include "support/TestDatabase.h"

#include <QProcess>
#include <QThread>
#include <csignal>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class LeftOverRows : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Demo);
        liqiva = qEnvironmentVariable("LIQIVA_BIN_DIR") + u"/liqiva"_qs;
    }
    QStringList settle(int period, bool save)
    {
        QStringList args{u"settle"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--activity"_qs, u"1"_qs,
                         u"--vat-year"_qs, u"2024"_qs, u"--period"_qs, QString::number(period), u"--yes"_qs};
        if (save)
            args << u"--save"_qs;
        return args;
    }
    int run(const QStringList &args)
    {
        QProcess p;
        p.start(liqiva, args);
        EXPECT_TRUE(p.waitForFinished(120000));
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    int count(const QString &sql) { return t->db().scalar(sql).toInt(); }
    int workingRows() { return count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 2"_qs); }
    int orphans()
    {
        int n = 0;
        for (const char *table : {"RisultatoLiquidazioneIvaXTipo", "RigaReportLiquidazioneIva", "CampoReportLiquidazioneIva"})
            n += count(u"SELECT COUNT(*) FROM "_qs + QString::fromLatin1(table)
                       + u" WHERE IDRisultatoLiquidazioneIva NOT IN (SELECT IDRisultatoLiquidazioneIva FROM "
                         u"RisultatoLiquidazioneIva)"_qs);
        return n;
    }

    std::unique_ptr<TestDatabase> t;
    QString liqiva;
};

TEST_P(LeftOverRows, AKilledSaveLeavesNothingThatBlocksThePeriod)
{
    // Kill the save as soon as its working settlement is there (a few tries: a fast machine
    // may finish before it is seen).
    bool killed = false;
    for (int attempt = 0; attempt < 20 && !killed; ++attempt) {
        QProcess p;
        p.start(liqiva, settle(5, true));
        ASSERT_TRUE(p.waitForStarted());
        auto watcher = t->connectAgain();
        for (int i = 0; i < 4000 && p.state() == QProcess::Running; ++i) {
            if (watcher->scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 2"_qs).toInt() > 0) {
                ::kill(pid_t(p.processId()), SIGKILL);
                killed = true;
                break;
            }
            QThread::usleep(500);
        }
        p.waitForFinished(120000);
        if (!killed) {
            // it finished: start again from nothing
            ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
            t->db().execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo"_qs);
            t->db().execute(u"DELETE FROM RisultatoLiquidazioneIva"_qs);
        }
    }
    if (!killed)
        GTEST_SKIP() << "the save always finished before it could be killed";
    // Whatever the kill left: either a whole settlement or a working one. The next command
    // that writes clears the working one, and May can be saved.
    ASSERT_EQ(run(settle(6, false)), 0);
    EXPECT_EQ(workingRows(), 0);
    EXPECT_EQ(orphans(), 0);
    const bool savedBeforeKill = count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDMese = 5"_qs) > 0;
    if (!savedBeforeKill)
        EXPECT_EQ(run(settle(5, true)), 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDMese = 5 AND VirtualDelete = 0"_qs), 1);
}

TEST_P(LeftOverRows, APipeClosedByItsReaderLeavesNothing)
{
    QStringList args = settle(7, false);
    for (QString &a : args)
        a = u"'"_qs + a + u"'"_qs;
    QProcess shell;
    shell.start(u"/bin/sh"_qs, {u"-c"_qs, u"'"_qs + liqiva + u"' "_qs + args.join(u' ') + u" --json | true"_qs});
    ASSERT_TRUE(shell.waitForFinished(120000));
    EXPECT_EQ(workingRows(), 0);
    EXPECT_EQ(orphans(), 0);
    // and July can be saved at once
    EXPECT_EQ(run(settle(7, true)), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(LeftOverRows);

} // namespace
