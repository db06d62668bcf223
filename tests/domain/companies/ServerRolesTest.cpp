// Server roles on PostgreSQL: each person connects as a role of their own, mapped to a user of
// the suite. A role acts only as its user (liqiva refuses another --user), and `users roles`
// gives a search-only role nothing but SELECT, so that the server itself refuses its writes
// from any client; two administrators mapping one role at once take turns. A database without
// a mapping works as before, on both engines.

#include "domain/companies/ServerRoles.h"
#include "database/DbError.h"
#include "suite/Refusal.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Roles : public EngineTest {};

// The address of the same database for another role.
QString asRole(const QString &url, const QString &role)
{
    DatabaseLocation where = DatabaseLocation::parse(url);
    where.user = role;
    return where.toString();
}

} // namespace

TEST_P(Roles, AnUnmappedDatabaseWorksAsBefore)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    EXPECT_EQ(ServerRoles(t->db()).userOfConnection(), std::nullopt);
    EXPECT_NO_THROW(ServerRoles(t->db()).requireActingUser(2));
    if (engine() == Engine::Sqlite)
        EXPECT_THROW(ServerRoles(t->db()).grantPrivileges(), Refusal);
}

TEST_P(Roles, ASearchOnlyRoleIsRefusedAWriteByTheServer)
{
    if (engine() != Engine::Postgres)
        GTEST_SKIP() << "server roles exist on PostgreSQL only";
    auto t = TestDatabase::create(engine(), Content::Demo);
    Connection &db = t->db();
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString reader = u"lettore_"_qs + pid, worker = u"contabile_"_qs + pid;
    for (const QString &role : {reader, worker})
        db.executeRaw(u"CREATE ROLE "_qs + role + u" LOGIN"_qs);
    const QString owner = db.scalar(u"SELECT CAST(current_user AS TEXT)"_qs).toString();

    ServerRoles roles(db);
    EXPECT_THROW(roles.map(u"Robert'); DROP TABLE Utente;--"_qs, 2, 1), Refusal);
    roles.map(owner, 1, 1);  // the tables' owner grants: an administrator
    roles.map(reader, 2, 1); // the demo's search-only user
    roles.map(worker, 3, 1);
    const QStringList lines = roles.grantPrivileges();
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.filter(reader).value(0).contains(u"sola lettura"_qs)) << lines.join(u'\n').toStdString();

    // The reader, connected as itself as any client would be: it reads, it never writes.
    auto asReader = Connection::open(asRole(t->url(), reader));
    EXPECT_GT(asReader->scalar(u"SELECT COUNT(*) FROM Azienda"_qs).toInt(), 0);
    const char *writes[] = {
        "INSERT INTO Azienda (IDAzienda, Azienda) VALUES (999, 'Intrusa')",
        "UPDATE RisultatoLiquidazioneIva SET IDMese = IDMese",
        "UPDATE Utente SET Utente = 'admin' WHERE IDUtente = 2",
        "INSERT INTO PasswordUtente (IDPasswordUtente, IDUtente, HashPassword) VALUES (999, 1, 'x')",
    };
    for (const char *sql : writes) {
        SCOPED_TRACE(sql);
        try {
            asReader->executeRaw(QString::fromLatin1(sql));
            ADD_FAILURE() << "the server let the search-only role write";
        } catch (const DbError &e) {
            EXPECT_TRUE(e.message().contains(u"permission denied"_qs) || e.message().contains(u"permesso"_qs))
                << e.message().toStdString();
        }
    }
    // The worker saves settlements but does not touch the users.
    auto asWorker = Connection::open(asRole(t->url(), worker));
    EXPECT_NO_THROW(asWorker->executeRaw(u"UPDATE ContatoreIva SET Importo = Importo WHERE IDContatoreIva = -1"_qs));
    EXPECT_THROW(asWorker->executeRaw(u"UPDATE Utente SET Utente = Utente"_qs), DbError);
    EXPECT_THROW(asWorker->executeRaw(u"DELETE FROM PasswordUtente"_qs), DbError);
    EXPECT_NO_THROW(asWorker->executeRaw(u"UPDATE PasswordUtente SET PasswordErrate = PasswordErrate"_qs));

    // A role acts for its own user only.
    EXPECT_EQ(ServerRoles(*asReader).userOfConnection(), 2);
    EXPECT_THROW(ServerRoles(*asReader).requireActingUser(1), Refusal);
    if (liqivaProgram().isEmpty())
        return;
    QTemporaryDir work;
    const struct {
        const char *label;
        const char *user;
        int exitCode;
        const char *expected;
    } runs[] = {
        {"as its own user", "2", 0, ""},
        {"as the administrator", "1", 1, "non si può agire come utente 1"},
    };
    for (const auto &r : runs) {
        SCOPED_TRACE(r.label);
        const LiqivaRun run = runLiqiva({u"list"_qs, u"--db"_qs, asRole(t->url(), reader), u"--user"_qs,
                                         QString::fromLatin1(r.user), u"--company"_qs, u"1"_qs},
                                        work.path());
        EXPECT_EQ(run.exitCode, r.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.expected))) << run.err.toStdString();
    }

    // Two administrators map the reader's role at the same moment: both succeed, one after
    // the other, and the role keeps one user.
    QProcess first, second;
    for (auto [p, member] : {std::pair{&first, u"3"_qs}, std::pair{&second, u"2"_qs}})
        startLiqiva(*p,
                    {u"user"_qs, u"role"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--member"_qs, member,
                     u"--role"_qs, reader},
                    work.path());
    for (QProcess *p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM RuoloServerUtente WHERE Ruolo = ?"_qs, {reader}).toInt(), 1);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Roles);
