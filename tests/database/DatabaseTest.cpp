#include "database/Connection.h"
#include "database/DbError.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"
#include "support/ChildTask.h"
#include "support/TestDatabase.h"

#include <QProcess>
#include <QSet>

using namespace liqiva;
using namespace liqiva::test;

namespace {

TEST(KeyInjection, AddsTheKeyColumnAndItsPlaceholderFirst)
{
    struct {
        const char *in, *table, *column;
        const char *out;
    } cases[] = {
        {"INSERT INTO Riga (A, B) VALUES (?, 'x')", "Riga", "IDRiga",
         "INSERT INTO Riga (IDRiga,A, B) VALUES (?,?, 'x')"},
        {"insert into riga(A) values(2)", "Riga", "IDRiga", "insert into riga(IDRiga,A) values(?,2)"},
        // the table name also inside the column list: the first occurrence is used
        {"INSERT INTO Riga (IDRigaMadre) VALUES (3)", "Riga", "IDRiga",
         "INSERT INTO Riga (IDRiga,IDRigaMadre) VALUES (?,3)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(injectKeyColumn(QString::fromUtf8(c.in), QString::fromUtf8(c.table), QString::fromUtf8(c.column))
                      .toStdString(),
                  c.out);
}

class Database : public EngineTest {};

TEST_P(Database, ReservesKeysAndRetriesOnADuplicate)
{
    auto t = TestDatabase::create(engine());
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Prova (IDProva INTEGER NOT NULL PRIMARY KEY, Testo VARCHAR(20))"_qs);
    const QString insert = u"INSERT INTO Prova (Testo) VALUES ('a')"_qs;
    EXPECT_EQ(nextKey(db, u"Prova"_qs, u"IDProva"_qs, insert), 1);
    EXPECT_EQ(nextKey(db, u"Prova"_qs, u"IDProva"_qs, insert), 2);
    db.executeRaw(u"DELETE FROM Prova"_qs);
    db.executeRaw(u"INSERT INTO Prova VALUES (-5, 'neg')"_qs);
    EXPECT_EQ(nextKey(db, u"Prova"_qs, u"IDProva"_qs, insert), 1); // largest key -5 gives 1

    // Inside a transaction a clash is retried without spoiling the transaction.
    Transaction tx(db);
    EXPECT_EQ(nativeErrorOf(db, ErrorKind::DuplicateKey), engine() == Engine::Sqlite ? 1555 : 23505);
    EXPECT_EQ(nextKey(db, u"Prova"_qs, u"IDProva"_qs, insert), 2);
    tx.commit();
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM Prova"_qs).toInt(), 3);
}

// A statement whose result set is still open is not taken from under it by the same
// statement run again inside the loop. On PostgreSQL a connection reads one result set at a
// time (the driver takes the rows as they come), so the program never nests there.
TEST_P(Database, NestedResultSetsOfOneStatementKeepTheirRows)
{
    if (engine() == Engine::Postgres)
        GTEST_SKIP() << "one result set at a time on a PostgreSQL connection";
    auto t = TestDatabase::create(engine());
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Prova (IDProva INTEGER NOT NULL PRIMARY KEY)"_qs);
    for (int k = 1; k <= 3; ++k)
        db.execute(u"INSERT INTO Prova (IDProva) VALUES (?)"_qs, {k});
    const QString sql = u"SELECT IDProva FROM Prova WHERE IDProva >= ? ORDER BY IDProva"_qs;
    Recordset outer = db.openRecordset(sql, {1});
    int pairs = 0;
    for (; !outer.eof(); outer.moveNext()) {
        Recordset inner = db.openRecordset(sql, {outer.integer(u"IDProva"_qs)});
        for (; !inner.eof(); inner.moveNext())
            ++pairs;
    }
    EXPECT_EQ(pairs, 3 + 2 + 1);
    // Once free again, the kept statement serves the next run with its own values.
    outer.close();
    const long long reused = db.reusedCount();
    Recordset again = db.openRecordset(sql, {3});
    ASSERT_FALSE(again.eof());
    EXPECT_EQ(again.integer(u"IDProva"_qs), 3);
    EXPECT_EQ(db.reusedCount(), reused + 1);
}

TEST_P(Database, TransactionRollsBackWhenNotCommitted)
{
    auto t = TestDatabase::create(engine());
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Prova (IDProva INTEGER NOT NULL PRIMARY KEY)"_qs);
    {
        Transaction outer(db);
        db.executeRaw(u"INSERT INTO Prova VALUES (1)"_qs);
        {
            Transaction inner(db);
            db.executeRaw(u"INSERT INTO Prova VALUES (2)"_qs);
        } // inner rolled back: row 2 gone, row 1 kept
        outer.commit();
    }
    {
        Transaction lost(db);
        db.executeRaw(u"INSERT INTO Prova VALUES (3)"_qs);
    }
    EXPECT_EQ(db.scalar(u"SELECT SUM(IDProva) FROM Prova"_qs).toInt(), 1);
}

// One user inserting rows through the reservation, a row in each of two tables per
// transaction; odd users take the tables the other way round, so that on PostgreSQL two of
// them wait for the key the other one holds: --child reserve-keys URL WHO ROWS
const ChildTask reserveKeys("reserve-keys", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    const QString who = args.value(1);
    const int rows = args.value(2).toInt();
    QStringList tables{u"Prova"_qs, u"Altra"_qs};
    if (who.toInt() % 2 == 1)
        std::swap(tables[0], tables[1]);
    for (int n = 0; n < rows; ++n) {
        Transaction tx(*db);
        for (const QString &table : tables)
            nextKey(*db, table, u"ID"_qs + table, u"INSERT INTO "_qs + table + u" (Chi, N) VALUES (?, ?)"_qs,
                    {who.toInt(), n});
        tx.commit();
    }
    return 0;
});

// Several processes insert into two tables through the reservation at once: every row is
// inserted once, the keys are unique and none is lost.
TEST_P(Database, KeyReservationUnderContention)
{
    auto t = TestDatabase::create(engine());
    for (const QString table : {u"Prova"_qs, u"Altra"_qs})
        t->db().executeRaw(u"CREATE TABLE "_qs + table + u" (ID"_qs + table +
                           u" INTEGER NOT NULL PRIMARY KEY, Chi INTEGER, N INTEGER)"_qs);
    const int processes = 4, rows = 60;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int p = 0; p < processes; ++p) {
        running.push_back(startChild(u"reserve-keys"_qs, {t->url(), QString::number(p), QString::number(rows)}));
    }
    for (auto &proc : running) {
        ASSERT_TRUE(proc->waitForFinished(120000));
        EXPECT_EQ(proc->exitCode(), 0) << proc->readAll().toStdString();
    }
    Connection &db = t->db();
    for (const QString table : {u"Prova"_qs, u"Altra"_qs}) {
        EXPECT_EQ(db.scalar(u"SELECT COUNT(DISTINCT ID"_qs + table + u") FROM "_qs + table).toInt(), processes * rows);
        EXPECT_EQ(
            db.scalar(u"SELECT COUNT(*) FROM (SELECT Chi, N FROM "_qs + table + u" GROUP BY Chi, N) AS x"_qs).toInt(),
            processes * rows);
        EXPECT_EQ(db.scalar(u"SELECT MAX(ID"_qs + table + u") FROM "_qs + table).toInt(), processes * rows);
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Database);

} // namespace
