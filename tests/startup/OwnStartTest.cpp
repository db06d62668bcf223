// The start of our own without windows: what "Nuovo archivio" and "Apri" refuse (each leaving
// the files as they were), the list of recent archives, and a hand-over refused to a server role
// mapped to another user.

#include "startup/OwnStart.h"
#include "database/DbError.h"
#include "domain/companies/ServerRoles.h"
#include "startup/StartupFixture.h"
#include "suite/Refusal.h"

#include <QCryptographicHash>
#include <QFile>

using namespace liqiva;
using namespace liqiva::test;

namespace {

QByteArray digestOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

} // namespace

TEST(OwnStart, RefusesWhatIsNoNewArchiveAndLeavesTheFilesAlone)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(u"appunti.txt"_qs);
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("appunti, non un archivio\n");
    }
    const QByteArray before = digestOf(text);
    const struct {
        const char *label;
        QString path;
        bool create;
        const char *expected;
    } cases[] = {
        {"a new archive over a file", text, true, "esiste già"},
        {"a new archive in a folder that is a file", text + u"/nuovo.db"_qs, true, "non esiste"},
        {"a new archive without a name", u"  "_qs, true, "Indicare il nome"},
        {"a file that is not an archive", text, false, ""},
        {"a file that is gone", dir.filePath(u"sparito.db"_qs), false, "non esiste più"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        try {
            c.create ? OwnStart::createArchive(c.path) : OwnStart::openArchive(c.path);
            ADD_FAILURE() << "accepted";
        } catch (const Refusal &r) {
            EXPECT_TRUE(r.message().contains(QString::fromUtf8(c.expected))) << r.message().toStdString();
        } catch (const DbError &e) {
            EXPECT_FALSE(*c.expected) << e.message().toStdString(); // the engine's own refusal
        }
        EXPECT_EQ(digestOf(text), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"appunti.txt"_qs});
    }

    // A new archive has the tables `liqiva schema` makes, and opens again.
    const QString made = dir.filePath(u"nuovo.db"_qs);
    OwnStart::createArchive(made).reset();
    auto again = OwnStart::openArchive(made);
    EXPECT_TRUE(OwnStart::users(*again).empty());
    EXPECT_FALSE(OwnStart::anyPassword(*again));
    EXPECT_TRUE(OwnStart::places(*again).empty());
    EXPECT_THROW(OwnStart::serverAddress(u"db"_qs, 5432, u" "_qs, u"anna"_qs), Refusal);
    EXPECT_EQ(OwnStart::serverAddress(u""_qs, 5433, u"liq"_qs, u"anna"_qs), u"postgresql://anna@localhost:5433/liq"_qs);
}

TEST(OwnStart, RecentArchivesLatestFirstWithoutRepeatsAtMostEight)
{
    StartupHarness h;
    for (int k = 1; k <= 10; ++k)
        OwnStart::rememberArchive(*h.store, QStringLiteral("/archivi/%1.db").arg(k));
    OwnStart::rememberArchive(*h.store, u"/archivi/5.db"_qs);
    const QStringList recent = OwnStart::recentArchives(*h.store);
    EXPECT_EQ(recent,
              (QStringList{u"/archivi/5.db"_qs, u"/archivi/10.db"_qs, u"/archivi/9.db"_qs, u"/archivi/8.db"_qs,
                           u"/archivi/7.db"_qs, u"/archivi/6.db"_qs, u"/archivi/4.db"_qs, u"/archivi/3.db"_qs}));
}

// On a server whose roles are mapped, a hand-over naming another user than the role's is
// refused before anything is read; the role's own user starts.
TEST(OwnStart, AHandOverForAnotherUserThanTheRolesIsRefused)
{
    auto t = TestDatabase::create(Engine::Postgres, Content::Schema);
    addStartupRows(t->db());
    t->db().executeRaw(u"INSERT INTO Utente (IDUtente, Utente) VALUES (8, 'bruno')"_qs);
    const QString owner = t->db().scalar(u"SELECT CAST(current_user AS TEXT)"_qs).toString();
    for (const auto &[user, outcome] :
         {std::pair{8, Program::Outcome::Stopped}, std::pair{7, Program::Outcome::Running}}) {
        SCOPED_TRACE(user);
        ServerRoles(t->db()).map(owner, user, user);
        StartupHarness h;
        h.writeHandOver(t->url(), Engine::Postgres); // names user 7
        RecordingWindow window;
        EXPECT_EQ(h.makeProgram().start(window), outcome) << h.messages.texts().join(u'\n').toStdString();
        if (outcome == Program::Outcome::Stopped)
            EXPECT_TRUE(h.messages.texts().join(u'\n').contains(u"non si può agire come utente 7"_qs))
                << h.messages.texts().join(u'\n').toStdString();
        else
            h.program->endOfProgram();
    }
}
