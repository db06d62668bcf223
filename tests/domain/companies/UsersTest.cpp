// Users with passwords through liqiva on both engines: a new archive, its first user (an
// administrator) with a password, a company and a month settled signed in; a wrong password
// refused, a user locked after five in a row, a password file others may read refused, the
// groups' rights, the last administrator kept, and the password nowhere to be seen.

#include "CompanyFile.h"
#include "domain/companies/Passwords.h"
#include "support/InvoiceFiles.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

const QString kSecret = u"segreta-Anna-2025"_qs;

// A command line written as one text: "user add --user 1 --name bruno".
QStringList words(const char *line)
{
    return QString::fromUtf8(line).split(u' ');
}

class Users : public EngineTest {
protected:
    void SetUp() override
    {
        if (liqivaProgram().isEmpty())
            GTEST_SKIP() << "LIQIVA_BIN_DIR does not hold liqiva";
        t = TestDatabase::create(engine(), Content::Schema);
    }

    // A file holding the text in its first line, readable by its owner only unless told.
    QString secretFile(const QString &name, const QString &text,
                       QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
    {
        const QString path = work.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.toUtf8() + "\n");
        f.close();
        f.setPermissions(permissions);
        return path;
    }

    // Starts liqiva with the password files named (an empty name: the variable is not set)
    // and no terminal to ask on; the command's words ("settle", "user add") before --db.
    std::unique_ptr<QProcess> start(const QStringList &args, const QString &passwordFile = {},
                                    const QString &newPasswordFile = {})
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"LIQIVA_PASSWORD_FILE"_qs);
        env.remove(u"LIQIVA_NEW_PASSWORD_FILE"_qs);
        if (!passwordFile.isEmpty())
            env.insert(u"LIQIVA_PASSWORD_FILE"_qs, passwordFile);
        if (!newPasswordFile.isEmpty())
            env.insert(u"LIQIVA_NEW_PASSWORD_FILE"_qs, newPasswordFile);
        env.insert(u"LIQIVA_SETTINGS_DIR"_qs, work.path());
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(work.path());
        p->setStandardInputFile(QProcess::nullDevice());
        const qsizetype words = args.size() > 1 && !args[1].startsWith(u'-') ? 2 : 1;
        p->start(liqivaProgram(), args.mid(0, words) + QStringList{u"--db"_qs, t->url()} + args.mid(words));
        return p;
    }

    LiqivaRun run(const QStringList &args, const QString &passwordFile = {}, const QString &newPasswordFile = {})
    {
        const LiqivaRun r = finishLiqiva(*start(args, passwordFile, newPasswordFile));
        EXPECT_FALSE(r.out.contains(kSecret) || r.err.contains(kSecret)) << "the password is shown";
        return r;
    }

    // A settlement of January 2025 of the first activity, as user N.
    QStringList settle(int user, bool save)
    {
        QStringList a = words("settle --activity 1 --vat-year 2025 --period 1 --no-rebuild --yes --json --user");
        a << QString::number(user);
        return save ? a << u"--save"_qs : a;
    }

    std::unique_ptr<TestDatabase> t;
    QTemporaryDir work;
};

} // namespace

TEST_P(Users, ANewArchiveWithAPasswordFromStartToASettledMonth)
{
    // The first user of a new archive is an administrator and needs nobody's leave.
    const LiqivaRun first = run({u"user"_qs, u"add"_qs, u"--name"_qs, u"anna"_qs});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(u"Utente 1 \"anna\" creato nel gruppo amministrazione"_qs))
        << first.out.toStdString();
    // Her first password needs no old one.
    const QString right = secretFile(u"anna.pw"_qs, kSecret);
    const LiqivaRun passwd = run({u"user"_qs, u"passwd"_qs, u"--user"_qs, u"1"_qs}, {}, right);
    ASSERT_EQ(passwd.exitCode, 0) << passwd.err.toStdString();
    const QString stored = t->db().scalar(u"SELECT HashPassword FROM PasswordUtente WHERE IDUtente = 1"_qs).toString();
    EXPECT_TRUE(stored.startsWith(u"$argon2id$"_qs)) << stored.toStdString();
    EXPECT_FALSE(stored.contains(kSecret));

    const QString json = work.filePath(u"azienda.json"_qs);
    ASSERT_TRUE(writeFile(json, QJsonDocument(companyFile()).toJson()));
    const QStringList create = {u"company"_qs, u"create"_qs, u"--user"_qs, u"1"_qs, u"--input"_qs, json};
    const QString wrong = secretFile(u"wrong.pw"_qs, u"non-questa"_qs);
    const QString shared = secretFile(u"shared.pw"_qs, kSecret,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // how the password is given -> exit code and a part of the message
    const struct {
        const char *label;
        QString file;
        int exitCode;
        const char *expected;
    } attempts[] = {
        {"no password", {}, 1, "Serve la password: indicare in LIQIVA_PASSWORD_FILE"},
        {"a file others may read", shared, 1, "poter essere letto solo da lui"},
        {"a missing file", work.filePath(u"nessuno.pw"_qs), 1, "non c'è"},
        {"a wrong password", wrong, 1, "Password errata per l'utente 1 (1 di 5 prima del blocco)"},
        {"the right one", right, 0, "Azienda 1 creata"},
    };
    for (const auto &a : attempts) {
        SCOPED_TRACE(a.label);
        const LiqivaRun r = run(create, a.file);
        EXPECT_EQ(r.exitCode, a.exitCode) << r.err.toStdString();
        EXPECT_TRUE((r.err + r.out).contains(QString::fromUtf8(a.expected)))
            << r.err.toStdString() << r.out.toStdString();
        if (a.exitCode)
            expectFailure(r, 1, kSecret);
    }
    EXPECT_EQ(t->db().scalar(u"SELECT PasswordErrate FROM PasswordUtente WHERE IDUtente = 1"_qs).toInt(), 0)
        << "a right password clears the count";

    // A month settled, signed in.
    januaryCounters(t->db(), {{1, 2, u"22"_qs, 2000, 440}, {2, 1, u"22"_qs, 1000, 220}});
    const LiqivaRun settled = run(settle(1, true), right);
    ASSERT_EQ(settled.exitCode, 0) << settled.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(settled.rawOut).object()[u"closing"_qs][u"IvaDaVersare"_qs].toDouble(), 220.0);

    // Users in groups: bruno may only search, carla works; neither has a password yet.
    ASSERT_EQ(run(words("user add --user 1 --name bruno"), right).exitCode, 0);
    ASSERT_EQ(run(words("user add --user 1 --name carla --group elaborazione"), right).exitCode, 0);
    const struct {
        const char *label;
        QStringList args;
        int exitCode;
        const char *expected;
    } rights[] = {
        {"search-only user saves", settle(2, true), 1, "L'utente 2 non ha questo diritto"},
        {"a worker saves", settle(3, true), 0, ""},
        {"a worker adds a user", words("user add --user 3 --name dario"), 1, "non è nel gruppo amministrazione"},
        {"the last administrator leaves", words("user group --user 1 --member 1 --group amministrazione --remove"), 1,
         "è l'ultimo amministratore"},
    };
    for (const auto &c : rights) {
        SCOPED_TRACE(c.label);
        const LiqivaRun r = run(c.args, right);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE((r.err + r.out).contains(QString::fromUtf8(c.expected))) << r.err.toStdString();
    }

    // Five wrong passwords in a row lock anna out, the right one included, for five minutes.
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(run(settle(1, false), wrong).exitCode, 1);
    const LiqivaRun fifth = run(settle(1, false), wrong);
    expectFailure(fifth, 1, kSecret);
    EXPECT_TRUE(fifth.err.contains(u"bloccato per cinque minuti"_qs)) << fifth.err.toStdString();
    const LiqivaRun locked = run(settle(1, false), right);
    expectFailure(locked, 1, kSecret);
    EXPECT_TRUE(locked.err.contains(u"è bloccato fino alle"_qs)) << locked.err.toStdString();
    // Five minutes later (the lock moved back rather than waited for).
    t->db().execute(u"UPDATE PasswordUtente SET BloccatoFino = ? WHERE IDUtente = 1"_qs,
                    {QDateTime::currentDateTimeUtc().addSecs(-1).toString(Qt::ISODate)});
    EXPECT_EQ(run(settle(1, false), right).exitCode, 0);

    // Nothing of the password in the settings or in the database's text.
    for (const QString &line : folderSnapshot(work.path()))
        EXPECT_FALSE(line.contains(kSecret));
    QDirIterator files(work.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile f(files.next());
        if (f.fileName().endsWith(u".pw"_qs) || !f.open(QIODevice::ReadOnly))
            continue;
        EXPECT_FALSE(f.readAll().contains(kSecret.toUtf8())) << f.fileName().toStdString();
    }
}

// A database made before passwords: `schema` brings it up, and its users work as before.
TEST_P(Users, AnOlderDatabaseIsBroughtUpAndItsUsersNeedNoPassword)
{
    t->db().executeRaw(u"DROP TABLE PasswordUtente"_qs);
    t->db().execute(u"INSERT INTO Utente (IDUtente, Utente) VALUES (?, ?)"_qs, {7, u"vecchio"_qs});
    const LiqivaRun before =
        run({u"year"_qs, u"open"_qs, u"--user"_qs, u"7"_qs, u"--company"_qs, u"1"_qs, u"--year"_qs, u"2025"_qs});
    EXPECT_TRUE(before.err.contains(u"L'azienda 1 non esiste"_qs)) << before.err.toStdString();
    ASSERT_EQ(runLiqiva({u"schema"_qs, u"--db"_qs, t->url()}, work.path()).exitCode, 0);
    EXPECT_EQ(t->db().scalar(u"SELECT COUNT(*) FROM PasswordUtente"_qs).toInt(), 0);
    EXPECT_FALSE(UserPasswords(t->db()).hasPassword(7));
}

// A database whose users held every right before the groups came keeps them as its
// administrators.
TEST_P(Users, TheDemoKeepsItsAdministrator)
{
    t = TestDatabase::create(engine(), Content::Demo);
    const LiqivaRun searcher = run({u"user"_qs, u"add"_qs, u"--user"_qs, u"2"_qs, u"--name"_qs, u"zeta"_qs});
    expectFailure(searcher, 1);
    EXPECT_TRUE(searcher.err.contains(u"L'utente 2 non è nel gruppo amministrazione"_qs)) << searcher.err.toStdString();
    const LiqivaRun admin = run({u"user"_qs, u"add"_qs, u"--user"_qs, u"1"_qs, u"--name"_qs, u"zeta"_qs});
    EXPECT_EQ(admin.exitCode, 0) << admin.err.toStdString();
    EXPECT_TRUE(admin.out.contains(u"creato nel gruppo consultazione"_qs)) << admin.out.toStdString();
}

// At the same moment: five wrong passwords all count and lock the user; two administrators
// taking each other out of the group leave one of them in it.
TEST_P(Users, AtTheSameMoment)
{
    ASSERT_EQ(run({u"user"_qs, u"add"_qs, u"--name"_qs, u"anna"_qs}).exitCode, 0);
    ASSERT_EQ(run(words("user add --user 1 --name bruno --group amministrazione")).exitCode, 0);
    ASSERT_EQ(run({u"user"_qs, u"passwd"_qs, u"--user"_qs, u"1"_qs}, {}, secretFile(u"anna.pw"_qs, kSecret)).exitCode,
              0);
    const QString wrong = secretFile(u"wrong.pw"_qs, u"non-questa"_qs);
    std::vector<std::unique_ptr<QProcess>> attempts;
    for (int k = 0; k < UserPasswords::kWrongInARow; ++k)
        attempts.push_back(start(words("user group --user 1 --member 2 --group elaborazione"), wrong));
    int locking = 0;
    for (auto &p : attempts) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 1);
        locking += QString::fromUtf8(p->readAllStandardError()).contains(u"bloccato per cinque minuti"_qs);
    }
    EXPECT_EQ(locking, 1);
    EXPECT_FALSE(t->db().scalar(u"SELECT BloccatoFino FROM PasswordUtente WHERE IDUtente = 1"_qs).isNull());
    EXPECT_EQ(t->db().scalar(u"SELECT COUNT(*) FROM UtentePerGruppo"_qs).toInt(), 2) << "nothing written";

    t->db().execute(u"UPDATE PasswordUtente SET BloccatoFino = NULL WHERE IDUtente = 1"_qs);
    const QString leave = u"amministrazione"_qs;
    auto first = start(words("user group --user 1 --member 2 --group amministrazione --remove"),
                       secretFile(u"anna2.pw"_qs, kSecret));
    auto second = start(words("user group --user 2 --member 1 --group amministrazione --remove"));
    ASSERT_TRUE(first->waitForFinished(120000));
    ASSERT_TRUE(second->waitForFinished(120000));
    EXPECT_EQ((first->exitCode() == 0) + (second->exitCode() == 0), 1)
        << first->readAllStandardError().toStdString() << second->readAllStandardError().toStdString();
    EXPECT_EQ(t->db()
                  .scalar(u"SELECT COUNT(*) FROM UtentePerGruppo INNER JOIN Gruppo ON UtentePerGruppo.IDGruppo = "
                          u"Gruppo.IDGruppo WHERE Gruppo.Gruppo = ?"_qs,
                          {leave})
                  .toInt(),
              1);
}

TEST(Passwords, HashesAreSaltedAndCheckedExactly)
{
    const QString a = UserPasswords::hash(u"una password lunga"_qs);
    const QString b = UserPasswords::hash(u"una password lunga"_qs);
    EXPECT_NE(a, b) << "the same password, two salts";
    const struct {
        const char *given;
        bool matches;
    } cases[] = {
        {"una password lunga", true}, {"una password lunga ", false}, {"Una password lunga", false}, {"", false}};
    for (const auto &c : cases)
        EXPECT_EQ(UserPasswords::matches(a, QString::fromUtf8(c.given)), c.matches) << c.given;
    for (const char *bad : {"corta", "        ", "dodici\tcaratteri"})
        EXPECT_FALSE(UserPasswords::problemOf(QString::fromUtf8(bad)).isEmpty()) << bad;
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Users);
