#include "startup/StartupFixture.h"

#include "suite/UsageRegister.h"
#include "support/ChildTask.h"

#include <QProcess>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// A register that takes a place in the database of another process and dies without
// releasing it.
ChildTask crashingUser("usage-crash", [](const QStringList &args) -> int {
    auto db = Connection::open(args.value(0));
    ResourceStrings texts;
    UsageRegister reg;
    reg.setContext(*db, texts, 8, 1, 1);
    reg.registerUse(500, 42, 2);
    std::fflush(stdout);
    std::_Exit(0); // no release, no clean-up: as a crash would leave it
});

class UsageRegisterDb : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Schema);
        second = t->connectAgain();
        a.setContext(t->db(), texts, 7, 1, 9001);
        b.setContext(*second, texts, 8, 2, 9001);
    }
    static std::vector<int> keysOf(const std::vector<UsageEntry> &entries)
    {
        std::vector<int> out;
        for (const auto &e : entries)
            out.push_back(e.key);
        return out;
    }

    std::unique_ptr<TestDatabase> t;
    std::unique_ptr<Connection> second;
    ResourceStrings texts;
    UsageRegister a, b;
};

TEST_P(UsageRegisterDb, TwoConnectionsSeeEachOthersRegistrations)
{
    a.registerUse(16, -1, 1);
    b.registerUse(500, 7, 2);
    b.registerUse(500, 7, 2); // the same registration again: still one row

    const auto seenByA = a.list(500);
    ASSERT_EQ(seenByA.size(), 1u);
    EXPECT_EQ(seenByA[0].idUser, 8);
    EXPECT_EQ(seenByA[0].session, b.session());
    EXPECT_EQ(keysOf(a.usedByOthers(500, 7)), std::vector<int>{7});
    EXPECT_TRUE(a.usedByOthers(500, 8).empty());
    EXPECT_TRUE(b.usedByOthers(500, 7).empty()); // its own registration is not someone else's

    // A registration of every key (-1) covers each key of the type.
    const auto seenByB = b.usedByOthers(16, 3);
    ASSERT_EQ(seenByB.size(), 1u);
    EXPECT_EQ(seenByB[0].idUser, 7);
    EXPECT_EQ(seenByB[0].key, -1);
}

TEST_P(UsageRegisterDb, ReleaseRemovesOnlyTheSessionsMatchingRows)
{
    struct {
        const char *name;
        int type, key, mode;
        std::vector<int> left; // keys of a's rows on type 500 that remain
    } cases[] = {
        {"one key, its mode", 500, 1, 2, {2, 3, -1}}, {"one key, wrong mode", 500, 1, 1, {1, 2, 3, -1}},
        {"every key of the type", 500, -1, 2, {-1}},  {"every key, every mode", 500, -1, 0, {}},
        {"another type", 501, -1, 0, {1, 2, 3, -1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        a.releaseAll();
        b.releaseAll();
        for (int key : {1, 2, 3})
            a.registerUse(500, key, 2);
        a.registerUse(500, -1, 1);
        b.registerUse(500, 1, 2); // another session's row is never a's to release
        a.release(c.type, c.key, c.mode);
        std::vector<int> left;
        for (const auto &e : a.list(500))
            if (e.session == a.session())
                left.push_back(e.key);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(a.usedByOthers(500, 1).size(), 1u);
    }
}

TEST_P(UsageRegisterDb, StaleRowsDoNotBlockAndAreRemoved)
{
    Connection &db = t->db();
    // A process number no system hands out: that process does not run.
    const long long deadProcess = 2147483600LL;
    struct {
        const char *name;
        QString host;
        long long process;
        int ageSeconds;
        bool live;
    } cases[] = {
        {"another host, recent heartbeat", u"altro-pc"_qs, 1234, 10, true},
        {"another host, heartbeat too old", u"altro-pc"_qs, 1234, 900, false},
        {"this host, process gone", UsageRegister::thisHost(), deadProcess, 10, false},
        {"this host, process running", UsageRegister::thisHost(), UsageRegister::thisProcess(), 10, true},
        {"this host, process running, too old", UsageRegister::thisHost(), UsageRegister::thisProcess(), 900, false},
    };
    int id = 1000;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        db.executeRaw(u"DELETE FROM UtilizzoOggetto"_qs);
        const SqlStatement beat = sqlParam(QDateTime::currentDateTimeUtc().addSecs(-c.ageSeconds));
        db.executeRaw(u"INSERT INTO UtilizzoOggetto (IDUtilizzoOggetto, IDTipoOggetto, IDOggetto, Modalita, IDUtente, "
                      u"Sessione, Host, IDProcesso, DataInizio, DataUltimoSegnale) VALUES ("_qs +
                      sqlParam(++id) + u", 500, 9, 2, 8, 'altra-sessione', "_qs + sqlParam(c.host) + u", "_qs +
                      sqlParam(c.process) + u", "_qs + beat + u", "_qs + beat + u")"_qs);
        EXPECT_EQ(a.usedByOthers(500, 9).size(), c.live ? 1u : 0u);
        EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs).toInt(), c.live ? 1 : 0);
    }
}

TEST_P(UsageRegisterDb, AHeartbeatKeepsALongSessionAlive)
{
    a.setStaleAfterSeconds(60);
    b.registerUse(500, 9, 2);
    // b's rows look old...
    t->db().executeRaw(u"UPDATE UtilizzoOggetto SET DataUltimoSegnale = ?"_qs,
                       {QDateTime::currentDateTimeUtc().addSecs(-120)});
    b.heartbeat(); // ...until b beats again
    EXPECT_EQ(a.usedByOthers(500, 9).size(), 1u);
}

TEST_P(UsageRegisterDb, TheRowsOfACrashedProcessDoNotBlock)
{
    auto child = startChild(u"usage-crash"_qs, {t->url()});
    ASSERT_TRUE(child->waitForFinished(60000));
    ASSERT_EQ(child->exitCode(), 0) << child->readAll().toStdString();
    // The row is there, but its process is gone.
    EXPECT_EQ(t->db().scalar(u"SELECT COUNT(*) FROM UtilizzoOggetto WHERE IDOggetto = 42"_qs).toInt(), 1);
    EXPECT_TRUE(a.usedByOthers(500, 42).empty());
    EXPECT_EQ(t->db().scalar(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs).toInt(), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(UsageRegisterDb);

} // namespace
