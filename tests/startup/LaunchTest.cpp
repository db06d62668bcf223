// liqiva launch and the program together: the launcher writes the hand-over, the program
// reads it and cleans up. Runs the built executables (LIQIVA_BIN_DIR, set by CTest).

#include "startup/StartupFixture.h"
#include "support/LiqivaRun.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Launch : public EngineTest {
protected:
    void SetUp() override
    {
        const QString program = liqivaProgram();
        if (program.isEmpty() || !QFileInfo::exists(QFileInfo(program).dir().filePath(u"liquidazione-iva"_qs)))
            GTEST_SKIP() << "LIQIVA_BIN_DIR does not hold liqiva and liquidazione-iva";
        t = TestDatabase::create(engine(), Content::Schema);
        addStartupRows(t->db());
    }
    // liqiva launch with the hand-over kept in the harness's folder.
    LiqivaRun launch(const QStringList &args)
    {
        return runLiqiva(QStringList{u"launch"_qs, u"--db"_qs, t->url()} + args, h.dir.path());
    }
    QStringList ids(int function) const
    {
        return {u"--user"_qs,     QString::number(testUser),     u"--company"_qs,  QString::number(testCompany),
                u"--branch"_qs,   QString::number(testBranch),   u"--function"_qs, QString::number(function),
                u"--activity"_qs, QString::number(testActivity), u"--wait"_qs};
    }
    // The store as the program left it (a fresh object reads the file again).
    std::unique_ptr<HandOverStore> store() const
    {
        return HandOverStore::inFolder(ResourceStrings().registryApplicationName(), h.dir.path());
    }

    std::unique_ptr<TestDatabase> t;
    StartupHarness h;
};

TEST_P(Launch, HandsOverTheWorkContextAndTheProgramCleansUp)
{
    // With Debug the program leaves the block as the launcher wrote it.
    const LiqivaRun r = launch(ids(otherFunction) + QStringList{u"--debug"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    auto s = store();
    const QString section = u"liquidazione-iva"_qs;
    EXPECT_EQ(s->read(section, HandOver::UserName), u"anna"_qs);
    EXPECT_EQ(s->read(section, HandOver::IDUser), QString::number(testUser));
    EXPECT_EQ(s->read(section, HandOver::lIDFirm), QString::number(testCompany));
    EXPECT_EQ(s->read(section, HandOver::lIDBranch), QString::number(testBranch));
    EXPECT_EQ(s->read(section, HandOver::IDFunction), QString::number(otherFunction));
    EXPECT_EQ(s->read(section, HandOver::lIDActivity), QString::number(testActivity));
    EXPECT_EQ(s->read(section, HandOver::FirmName), u"Ditta Prova S.r.l."_qs);
    EXPECT_EQ(s->read(section, HandOver::Branch), u"Sede"_qs);
    EXPECT_EQ(s->read(section, HandOver::hExe), u"1"_qs); // the shutdown ran
    EXPECT_EQ(s->read(HandOver::MenuSettings, HandOver::DBType), QString::number(int(engine())));
    const QString database = s->read(HandOver::MenuSettings, HandOver::Database);
    if (engine() == Engine::Sqlite)
        EXPECT_EQ(u"sqlite:"_qs + database, t->url());
    else
        EXPECT_EQ(database, t->url());
    EXPECT_FALSE(s->read(HandOver::MenuSettings, HandOver::Path).isEmpty());
    // Without Debug nothing of the block outlives the program: the start-up's test.
}

TEST_P(Launch, RefusesUnknownKeysAndWritesNothing)
{
    struct {
        QStringList args;
        int exitCode;
        const char *message;
    } cases[] = {
        {{u"--company"_qs, u"424242"_qs}, 1, "Azienda"},
        {{u"--user"_qs, u"424242"_qs, u"--company"_qs, QString::number(testCompany)}, 1, "Utente"},
        {{u"--company"_qs, QString::number(testCompany), u"--branch"_qs, QString::number(testBranch), u"--activity"_qs,
          u"424242"_qs},
         1,
         "AttivitaAzienda"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const LiqivaRun r = launch(c.args + QStringList{u"--wait"_qs});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(store()->containsSection(u"liquidazione-iva"_qs));
        EXPECT_FALSE(store()->containsSection(HandOver::MenuSettings));
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Launch);

} // namespace
