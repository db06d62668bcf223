#include "startup/StartupFixture.h"

#include "suite/SharedServices.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

const QStringList credentialKeys = {HandOver::UserName, HandOver::Password, HandOver::IDUser, HandOver::lIDFirm};
const QStringList otherKeys = {HandOver::lIDBranch, HandOver::IDFunction, HandOver::lIDActivity, HandOver::FirmName,
                               HandOver::Branch};

class Startup : public HandedOverTest {
protected:
    int count(const SqlStatement &sql) { return t->db().scalar(sql).toInt(); }
};

TEST_P(Startup, ShowsTheWindowAndFillsTheWorkContext)
{
    Program &p = h.makeProgram();
    ASSERT_EQ(p.start(window), Program::Outcome::Running) << h.messages.texts().join(u'\n').toStdString();
    EXPECT_TRUE(h.messages.shown().empty());
    const WorkContext &c = p.context();
    // What the hand-over said, and what the database says of the function.
    EXPECT_EQ(c.IDUser, testUser);
    EXPECT_EQ(c.lIDBranch, testBranch);
    EXPECT_EQ(c.DBType, int(engine()));
    EXPECT_EQ(c.objectType, testObjectType);
    EXPECT_EQ(c.helpContext, testHelpContext);
    ASSERT_TRUE(c.hasDatabase());
    EXPECT_EQ(c.database->commandTimeout(), 180);

    EXPECT_TRUE(window.initialised);
    EXPECT_TRUE(window.shown);
    EXPECT_FALSE(window.unloaded);
    EXPECT_FALSE(window.debugHook);
    EXPECT_EQ(window.properties.value(u"KVR"_qs).toInt(), 1);
    EXPECT_EQ(h.store->read(h.executable, HandOver::hExe), u"123456789"_qs);
    EXPECT_EQ(Program::mainWindowCaption(c), u"Liquidazione I.V.A. - Ditta Prova S.r.l. [Sede]"_qs);

    ASSERT_NE(p.sharedServices(), nullptr);
    EXPECT_TRUE(p.sharedServices()->configured());
    EXPECT_EQ(p.sharedServices()->session()->kind(), 2);
    EXPECT_EQ(p.sharedServices()->session()->timeoutSeconds(), 180);

    // The seven object types, every key, mode 1, in the order given.
    std::vector<int> types;
    for (int type : Program::startupObjectTypes()) {
        for (const UsageEntry &e : p.usageRegister().list(type)) {
            EXPECT_EQ(e.key, -1);
            EXPECT_EQ(e.mode, 1);
            EXPECT_EQ(e.idUser, testUser);
            EXPECT_EQ(e.idFunction, settlementFunction);
            types.push_back(e.objectType);
        }
    }
    EXPECT_EQ(types, (std::vector<int>{16, 19, 148, 123, 20, 227, 304}));
    EXPECT_TRUE(h.ends.empty());
}

TEST_P(Startup, ConsumesTheCredentialsAndRemovesTheBlockAtTheEndUnlessDebug)
{
    struct {
        QStringList args;
        bool debug;
    } cases[] = {{{}, false}, {{u"Debug"_qs}, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.debug ? "Debug" : "no Debug");
        h.writeHandOver(t->url(), engine());
        RecordingWindow w;
        Program &p = h.makeProgram(c.args);
        ASSERT_EQ(p.start(w), Program::Outcome::Running);
        EXPECT_EQ(w.debugHook, c.debug);
        for (const QString &k : credentialKeys)
            EXPECT_EQ(h.has(k), c.debug) << k.toStdString();
        for (const QString &k : otherKeys)
            EXPECT_TRUE(h.has(k)) << k.toStdString();

        ASSERT_TRUE(p.queryUnload());
        p.mainWindowUnloaded();
        EXPECT_EQ(h.ends, std::vector<int>{0});
        EXPECT_FALSE(p.context().hasDatabase());
        EXPECT_EQ(h.store->containsSection(h.executable), c.debug);
        if (c.debug) {
            for (const QString &k : credentialKeys + otherKeys)
                EXPECT_TRUE(h.has(k)) << k.toStdString();
            EXPECT_EQ(h.store->read(h.executable, HandOver::hExe), u"1"_qs);
        }
        // The installation's settings are not the program's to remove.
        EXPECT_TRUE(h.store->contains(HandOver::MenuSettings, HandOver::Database));
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs), 0);
        h.ends.clear();
    }
}

TEST_P(Startup, RemovesTheUsersWorkingRowsAndKeepsTheOthers)
{
    Connection &db = t->db();
    struct {
        int key, virtualDelete, user;
        bool kept;
    } rows[] = {
        {1, 2, testUser, false}, // the user's working row
        {2, 0, testUser, true},  // the user's saved settlement
        {3, 3, testUser, true},  // set aside: restored by the document, not here
        {4, 2, 8, false},        // another user's working row that no live session holds
        {5, -1, testUser, true},
    };
    for (const auto &r : rows) {
        const SqlStatement values =
            sqlParam(r.key) + u", "_qs + sqlParam(r.virtualDelete) + u", "_qs + sqlParam(r.user);
        db.executeRaw(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, VirtualDelete, "
                      u"IDUtenteUltimaVariazione) VALUES ("_qs +
                      values + u")"_qs);
        db.executeRaw(u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIvaXTip, "
                      u"IDRisultatoLiquidazioneIva, VirtualDelete, IDUtenteUltimaVariazione) VALUES ("_qs +
                      sqlParam(r.key) + u", "_qs + values + u")"_qs);
    }
    ASSERT_EQ(h.makeProgram().start(window), Program::Outcome::Running);
    for (const auto &r : rows) {
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs +
                        sqlParam(r.key)),
                  r.kept ? 1 : 0)
            << r.key;
        EXPECT_EQ(
            count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIvaXTip = "_qs +
                  sqlParam(r.key)),
            r.kept ? 1 : 0)
            << r.key;
    }
}

TEST_P(Startup, AFunctionWithoutTheSettlementProcessEndsWithoutAWindow)
{
    h.store->write(h.executable, HandOver::IDFunction, QString::number(otherFunction));
    Program &p = h.makeProgram();
    EXPECT_EQ(p.start(window), Program::Outcome::Ended);
    EXPECT_FALSE(window.initialised);
    EXPECT_FALSE(window.shown);
    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(h.ends, std::vector<int>{0});
    EXPECT_FALSE(p.context().hasDatabase());
    EXPECT_FALSE(h.store->containsSection(h.executable)); // the shutdown ran
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs), 0);
}

TEST_P(Startup, AnUnexpectedErrorIsReportedAndEndsTheProgram)
{
    t->db().executeRaw(u"DROP TABLE ProcessoPerFunzione"_qs);
    Program &p = h.makeProgram();
    EXPECT_EQ(p.start(window), Program::Outcome::Failed);
    ASSERT_EQ(h.errors.reports().size(), 1u);
    const ErrorReport &r = h.errors.reports().front();
    EXPECT_TRUE(r.description.contains(u"ProcessoPerFunzione"_qs, Qt::CaseInsensitive)) << r.description.toStdString();
    EXPECT_EQ(r.executable, u"liquidazione-iva"_qs);
    EXPECT_EQ(r.path, u"/opt/brevanto"_qs);
    EXPECT_EQ(r.version, u"1.0.0"_qs);
    EXPECT_TRUE(window.unloaded);
    EXPECT_FALSE(window.shown);
    EXPECT_EQ(h.ends, std::vector<int>{1});
    EXPECT_FALSE(p.context().hasDatabase());
    EXPECT_FALSE(h.store->containsSection(h.executable));
}

TEST_P(Startup, NoCompanyEndsAfterTheMessageWithTheShutdown)
{
    h.store->write(h.executable, HandOver::lIDFirm, u"-1"_qs);
    Program &p = h.makeProgram();
    EXPECT_EQ(p.start(window), Program::Outcome::Stopped);
    EXPECT_EQ(h.messages.texts(), QStringList{h.texts.text(237)});
    EXPECT_EQ(h.messages.shown().front().title, u"Liquidazione I.V.A."_qs);
    EXPECT_FALSE(window.shown);
    EXPECT_EQ(h.ends, std::vector<int>{1});
    EXPECT_FALSE(h.store->containsSection(h.executable));
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs), 0);
}

// Each of these stops the start-up with a message, opens no window, keeps no connection.
TEST_P(Startup, BadHandOverOrDatabaseStopsWithAClearMessage)
{
    struct Case {
        const char *name;
        QString section, key, value;
        QString message;      // part of the message shown
        bool credentialsKept; // stopped before the credential keys were consumed
    } cases[] = {
        {"DBType -1", HandOver::MenuSettings, HandOver::DBType, u"-1"_qs, h.texts.text(1369), false},
        {"DBType text", HandOver::MenuSettings, HandOver::DBType, u"SQL"_qs, h.texts.text(1369), false},
        {"IDUser -1", h.executable, HandOver::IDUser, u"-1"_qs, h.texts.text(237), false},
        {"IDUser text", h.executable, HandOver::IDUser, u"anna"_qs, u"IDUser"_qs, true},
        {"lIDFirm empty", h.executable, HandOver::lIDFirm, QString(), u"lIDFirm"_qs, true},
        {"lIDActivity decimal", h.executable, HandOver::lIDActivity, u"1.5"_qs, u"lIDActivity"_qs, true},
        {"no Database", HandOver::MenuSettings, HandOver::Database, QString(), u"Database"_qs, false},
        {"unknown function", h.executable, HandOver::IDFunction, u"424242"_qs, u"424242"_qs, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        h.writeHandOver(t->url(), engine());
        if (c.value.isNull())
            h.store->remove(c.section, c.key);
        else
            h.store->write(c.section, c.key, c.value);
        h.messages.clear();
        h.ends.clear();
        RecordingWindow w;
        Program &p = h.makeProgram();
        EXPECT_EQ(p.start(w), Program::Outcome::Stopped);
        ASSERT_EQ(h.messages.shown().size(), 1u);
        EXPECT_TRUE(h.messages.shown().front().text.contains(c.message))
            << h.messages.shown().front().text.toStdString();
        EXPECT_EQ(h.messages.shown().front().title, u"Liquidazione I.V.A."_qs);
        EXPECT_FALSE(p.context().hasDatabase());
        EXPECT_FALSE(w.shown);
        EXPECT_TRUE(w.unloaded);
        EXPECT_EQ(h.ends, std::vector<int>{1});
        EXPECT_TRUE(h.errors.reports().empty());
        EXPECT_EQ(h.has(HandOver::IDUser), c.credentialsKept);
        EXPECT_TRUE(h.has(HandOver::lIDActivity) || c.key == HandOver::lIDActivity);
    }
}

TEST_P(Startup, AMissingTableEndsWithAMessageAndNoConnection)
{
    auto empty = TestDatabase::create(engine(), Content::Empty);
    h.writeHandOver(empty->url(), engine());
    Program &p = h.makeProgram();
    EXPECT_EQ(p.start(window), Program::Outcome::Stopped);
    ASSERT_EQ(h.messages.shown().size(), 1u);
    EXPECT_TRUE(h.messages.shown().front().text.contains(u"funzione"_qs, Qt::CaseInsensitive))
        << h.messages.shown().front().text.toStdString();
    EXPECT_FALSE(p.context().hasDatabase());
    EXPECT_EQ(h.ends, std::vector<int>{1});
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Startup);

// Where the database is configured: each wrong setting ends with its own message.
TEST(StartupDatabase, WrongConnectionSettingsEndWithAClearMessage)
{
    StartupHarness h;
    struct {
        const char *dbType;
        QString database;
        QString message;
    } cases[] = {
        {"1", h.dir.filePath(u"manca.db"_qs), u"non esiste"_qs},
        {"1", u"postgresql://anna@localhost:5432/liq"_qs, u"non è un file SQLite"_qs},
        {"2", u"/tmp/liq.db"_qs, u"non è un indirizzo PostgreSQL"_qs},
        {"2", u"postgresql://anna@localhost"_qs, u"manca il nome del database"_qs},
        // nobody listens on port 1: the server cannot be reached
        {"2", u"postgresql://anna@127.0.0.1:1/liq"_qs, u"Impossibile aprire il database"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.database.toStdString());
        h.writeHandOver(u"x"_qs, Engine::Sqlite);
        h.store->write(HandOver::MenuSettings, HandOver::DBType, QString::fromUtf8(c.dbType));
        h.store->write(HandOver::MenuSettings, HandOver::Database, c.database);
        h.messages.clear();
        h.ends.clear();
        RecordingWindow w;
        Program &p = h.makeProgram();
        EXPECT_EQ(p.start(w), Program::Outcome::Stopped);
        ASSERT_EQ(h.messages.shown().size(), 1u);
        EXPECT_TRUE(h.messages.shown().front().text.contains(c.message))
            << h.messages.shown().front().text.toStdString();
        EXPECT_FALSE(p.context().hasDatabase());
        EXPECT_EQ(h.ends, std::vector<int>{1});
        EXPECT_FALSE(QFile::exists(h.dir.filePath(u"manca.db"_qs))); // no file is created
    }
}

} // namespace
