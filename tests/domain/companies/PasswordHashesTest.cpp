// On a shared PostgreSQL server the password hashes are the administrators' to read: a
// search-only person connected with psql as their own role sees only their own row, cannot
// read another user's hash and cannot write another user's row; through the program they
// sign in, count their wrong passwords and change their own password.

#include "domain/companies/Passwords.h"
#include "domain/companies/ServerRoles.h"
#include "domain/companies/UserGroups.h"
#include "suite/Refusal.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class PasswordHashes : public EngineTest {};

QString psqlProgram()
{
    const QString onPath = QStandardPaths::findExecutable(u"psql"_qs);
    if (!onPath.isEmpty())
        return onPath;
    for (const QString &v : QDir(u"/usr/lib/postgresql"_qs).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFile::exists(u"/usr/lib/postgresql/"_qs + v + u"/bin/psql"_qs))
            return u"/usr/lib/postgresql/"_qs + v + u"/bin/psql"_qs;
    return {};
}

struct PsqlRun {
    int exitCode = -1;
    QString out, err;
};

// One statement through psql, connected as the role: unaligned rows, one per line.
PsqlRun psqlAs(const QString &url, const QString &role, const QString &sql)
{
    const DatabaseLocation where = DatabaseLocation::parse(url);
    QProcess p;
    p.start(psqlProgram(),
            {u"-X"_qs, u"-A"_qs, u"-t"_qs, u"-v"_qs, u"ON_ERROR_STOP=1"_qs, u"-h"_qs, where.host, u"-p"_qs,
             QString::number(where.port), u"-U"_qs, role, u"-d"_qs, where.database, u"-c"_qs, sql});
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

} // namespace

TEST_P(PasswordHashes, OnlyTheAdministratorsReadThemAndEachUserHisOwn)
{
    if (engine() != Engine::Postgres)
        GTEST_SKIP() << "server roles exist on PostgreSQL only";
    if (psqlProgram().isEmpty())
        GTEST_SKIP() << "psql is not installed";
    auto t = TestDatabase::create(engine(), Content::Demo);
    Connection &db = t->db();
    UserPasswords passwords(db);
    for (int user : {1, 2, 3})
        passwords.setPassword(user, QStringLiteral("parola-segreta-%1").arg(user), 1);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString reader = u"lettore_h"_qs + pid, worker = u"contabile_h"_qs + pid, admin = u"capo_h"_qs + pid;
    for (const QString &role : {reader, worker, admin})
        db.executeRaw(u"CREATE ROLE "_qs + role + u" LOGIN"_qs);
    ServerRoles roles(db);
    roles.map(db.scalar(u"SELECT CAST(current_user AS TEXT)"_qs).toString(), 1, 1);
    roles.map(reader, 2, 1); // the demo's search-only user
    roles.map(worker, 3, 1);
    roles.map(admin, 1, 1);                                   // a second person of the administrators
    UserGroups(db).setMembership(1, Groups::Admin, false, 1); // the demo's first user administers
    roles.grantPrivileges();
    const QString adminHash = db.scalar(u"SELECT HashPassword FROM PasswordUtente WHERE IDUtente = 1"_qs).toString();

    // role, statement: exit code, what psql prints (a part of its error)
    const struct {
        QString role;
        const char *sql;
        int exitCode;
        const char *out;
    } runs[] = {
        {reader, "SELECT IDUtente FROM PasswordUtente ORDER BY 1", 0, "2"},
        {reader, "SELECT COUNT(*) FROM PasswordUtente WHERE HashPassword LIKE '$argon2id$%' AND IDUtente <> 2", 0, "0"},
        {reader, "UPDATE PasswordUtente SET HashPassword = 'x', PasswordErrate = 5 WHERE IDUtente = 1", 0, "UPDATE 0"},
        {reader, "DELETE FROM PasswordUtente", 1, "permission denied"},
        {reader, "INSERT INTO PasswordUtente (IDPasswordUtente, IDUtente, HashPassword) VALUES (99, 1, 'x')", 1,
         "permission denied"},
        {reader, "UPDATE PasswordUtente SET IDUtente = 1", 1, "permission denied"},
        {worker, "SELECT IDUtente FROM PasswordUtente ORDER BY 1", 0, "3"},
        {admin, "SELECT IDUtente FROM PasswordUtente ORDER BY 1", 0, "1\n2\n3"},
    };
    for (const auto &r : runs) {
        SCOPED_TRACE(r.sql);
        const PsqlRun run = psqlAs(t->url(), r.role, QString::fromLatin1(r.sql));
        EXPECT_EQ(run.exitCode, r.exitCode) << run.err.toStdString();
        EXPECT_TRUE((r.exitCode == 0 ? run.out : run.err).contains(QString::fromLatin1(r.out)))
            << run.out.toStdString() << run.err.toStdString();
    }
    EXPECT_EQ(db.scalar(u"SELECT HashPassword FROM PasswordUtente WHERE IDUtente = 1"_qs).toString(), adminHash);
    EXPECT_EQ(db.scalar(u"SELECT PasswordErrate FROM PasswordUtente WHERE IDUtente = 1"_qs).toInt(), 0);

    // Through the program, as the reader's role: a wrong password counts, the right one signs
    // in, and the user changes their own password.
    DatabaseLocation where = DatabaseLocation::parse(t->url());
    where.user = reader;
    auto asReader = Connection::open(where.toString());
    UserPasswords own(*asReader);
    EXPECT_THROW(own.signIn(2, u"sbagliata-123"_qs), Refusal);
    EXPECT_EQ(db.scalar(u"SELECT PasswordErrate FROM PasswordUtente WHERE IDUtente = 2"_qs).toInt(), 1);
    EXPECT_NO_THROW(own.signIn(2, u"parola-segreta-2"_qs));
    own.setPassword(2, u"nuova-parola-22"_qs, 2);
    EXPECT_NO_THROW(UserPasswords(db).signIn(2, u"nuova-parola-22"_qs));
    EXPECT_ANY_THROW(own.setPassword(1, u"presa-in-prestito"_qs, 2));
    EXPECT_EQ(db.scalar(u"SELECT HashPassword FROM PasswordUtente WHERE IDUtente = 1"_qs).toString(), adminHash);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(PasswordHashes);
