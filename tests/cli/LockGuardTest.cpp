// The program opens and closes its own database file (as a file dialog does when it shows the
// folder, or a check reading the header): its SQLite locks must survive it. Another liqiva
// then works on the file, and every save the program makes afterwards is seen by other
// processes, with the file whole.

#include "support/LiqivaRun.h"
#include "domain/printing/PrintFixture.h"
#include "database/SqliteFiles.h"
#include "support/ChildTask.h"

#include <QFile>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Another process's view of the file: the saved settlements and SQLite's own check.
ChildTask lookAtDatabase("look-at-database", [](const QStringList &args) {
    auto db = Connection::open(args.at(0));
    const int saved = db->scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs).toInt();
    const QString check = db->scalar(u"PRAGMA integrity_check"_qs).toString();
    std::printf("%d %s\n", saved, check.toUtf8().constData());
    return 0;
});

QString lookFromOutside(const QString &url)
{
    auto child = startChild(u"look-at-database"_qs, {url});
    child->waitForFinished(120000);
    return QString::fromUtf8(child->readAllStandardOutput()).trimmed();
}

TEST(LockGuardTest, OpeningTheDatabaseFileInTheProgramLosesNoSave)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    auto t = TestDatabase::create(Engine::Sqlite, Content::Demo);
    Connection &db = t->db();
    const QString file = db.location().path;
#if defined(__linux__)
    ASSERT_TRUE(sqliteLocksGuarded(file)) << "SQLite's locks are not guarded";
#endif
    EXPECT_TRUE(isOpenDatabaseFile(file));
    EXPECT_TRUE(isOpenDatabaseFile(file + u"-wal"_qs));
    QTemporaryDir work;

    const int months[] = {1, 2, 3};
    int saved = 0;
    for (int month : months) {
        SCOPED_TRACE(month);
        saveSettlement(db, Shop, month);
        ++saved;
        // What the file dialog does to each file of the database folder.
        for (const QString &name : {file, file + u"-wal"_qs, file + u"-shm"_qs}) {
            QFile f(name);
            if (f.open(QIODevice::ReadOnly)) {
                f.read(4096);
                f.close();
            }
        }
        // Another liqiva on the file: it opens it, reads, and closes it.
        const LiqivaRun list =
            runLiqiva({u"list"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs}, work.path());
        ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
        EXPECT_TRUE(QFile::exists(file + u"-wal"_qs)) << "the write-ahead log was deleted under the program";
        EXPECT_EQ(lookFromOutside(t->url()), QStringLiteral("%1 ok").arg(saved));
    }
    // One more save after the last look, then the program closes the file.
    saveSettlement(db, Shop, 4);
    db.close();
    EXPECT_FALSE(isOpenDatabaseFile(file));
    EXPECT_EQ(lookFromOutside(t->url()), QStringLiteral("%1 ok").arg(saved + 1));
}

} // namespace
