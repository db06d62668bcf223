// The windows' sign-in: a user with a password gives it before the program opens its window;
// wrong ones are said and asked again, giving up stops the start (the lock after five wrong
// ones is the password's, checked through the command in the users' test).

#include "domain/companies/Passwords.h"
#include "startup/StartupFixture.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class SignIn : public HandedOverTest {
protected:
    // Starts the program with the answers a person gives to the sign-in, in order (nothing:
    // "Annulla"); counts the questions.
    Program::Outcome start(std::vector<std::optional<QString>> answers, bool canAsk = true)
    {
        asked = 0;
        h.makeProgram({}, [&](ProgramEnvironment &env) {
            if (canAsk)
                env.askPassword = [this, answers](int user, const QString &userName) -> std::optional<QString> {
                    EXPECT_EQ(user, testUser);
                    EXPECT_EQ(userName, u"anna"_qs);
                    return asked < int(answers.size()) ? answers[asked++] : std::nullopt;
                };
        });
        h.messages.clear();
        h.writeHandOver(t->url(), engine());
        return h.program->start(window);
    }

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
