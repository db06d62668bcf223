// The windows' sign-in: a user with a password gives it before the program opens its window;
// wrong ones are said and asked again, five in a row lock the user, giving up stops the start.

#include "domain/companies/Passwords.h"
#include "startup/StartupFixture.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class SignIn : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Schema);
        addStartupRows(t->db());
        h.writeHandOver(t->url(), engine());
    }

    // Starts the program with the answers a person gives to the sign-in, in order (nothing:
    // "Annulla"); counts the questions.
    Program::Outcome start(std::vector<std::optional<QString>> answers, bool canAsk = true)
    {
        asked = 0;
        const QString file = u"/opt/brevanto/liquidazione-iva"_qs;
        ProgramEnvironment env{*h.store, h.messages, h.texts, h.errors, file, QStringList{file}, u"1.0.0"_qs};
        if (canAsk)
            env.askPassword = [this, answers](int user, const QString &userName) -> std::optional<QString> {
                EXPECT_EQ(user, testUser);
                EXPECT_EQ(userName, u"anna"_qs);
                return asked < int(answers.size()) ? answers[asked++] : std::nullopt;
            };
        h.program = std::make_unique<Program>(env);
        h.program->setEndHandler([](int) {});
        h.messages.clear();
        h.writeHandOver(t->url(), engine());
        return h.program->start(window);
    }

    std::unique_ptr<TestDatabase> t;
    StartupHarness h;
    RecordingWindow window;
    int asked = 0;
};

} // namespace

TEST_P(SignIn, AUserWithAPasswordGivesItBeforeTheWindowOpens)
{
    // Without a password nothing is asked, as before.
    EXPECT_EQ(start({}), Program::Outcome::Running) << h.messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(asked, 0);
    h.program.reset();
    UserPasswords(t->db()).setPassword(testUser, u"la-mia-password"_qs, testUser);

    const QString right = u"la-mia-password"_qs, wrong = u"un'altra"_qs;
    const struct {
        const char *label;
        std::vector<std::optional<QString>> answers;
        bool canAsk;
        Program::Outcome outcome;
        int asked;
        const char *lastMessage; // a part of it; empty: no message
    } cases[] = {
        {"the right one", {right}, true, Program::Outcome::Running, 1, ""},
        {"a wrong one, then the right one",
         {wrong, right},
         true,
         Program::Outcome::Running,
         2,
         "Password errata per l'utente 7 (1 di 5"},
        {"given up", {std::nullopt}, true, Program::Outcome::Stopped, 1, ""},
        {"nobody to ask", {}, false, Program::Outcome::Stopped, 0, "ha una password"},
        {"five wrong ones",
         {wrong, wrong, wrong, wrong, wrong, right},
         true,
         Program::Outcome::Stopped,
         5,
         "bloccato per cinque minuti"},
        {"the right one while locked", {right}, true, Program::Outcome::Stopped, 1, "è bloccato fino alle"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(start(c.answers, c.canAsk), c.outcome) << h.messages.texts().join(u'\n').toStdString();
        EXPECT_EQ(asked, c.asked);
        const QStringList shown = h.messages.texts();
        if (*c.lastMessage)
            EXPECT_TRUE(!shown.isEmpty() && shown.last().contains(QString::fromUtf8(c.lastMessage)))
                << shown.join(u'\n').toStdString();
        else
            EXPECT_TRUE(shown.isEmpty() || c.outcome != Program::Outcome::Running) << shown.join(u'\n').toStdString();
        EXPECT_EQ(window.shown, c.outcome == Program::Outcome::Running);
        window.shown = false;
        h.program.reset();
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SignIn);
