#include "suite/Messages.h"
#include "database/Connection.h"
#include "database/OpenTransactions.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <gtest/gtest-spi.h>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class MessagesInTransaction : public EngineTest {};

ScriptedMessages *g_messages = nullptr;

// A message waits for a person, and an open transaction keeps its rows (on SQLite the whole
// file) locked meanwhile: every message service refuses to show one while a transaction of
// its thread is open, however the transaction ended before.
TEST_P(MessagesInTransaction, AreRefused)
{
    auto t = TestDatabase::create(engine());
    Connection &db = t->db();
    ScriptedMessages messages;
    g_messages = &messages;
    struct {
        const char *what;
        std::function<void()> before, after;
    } cases[] = {
        {"a transaction", [&] { db.begin(); }, [&] { db.commit(); }},
        {"a savepoint inside it", [&] { db.begin(), db.begin(); }, [&] { db.commit(), db.rollback(); }},
        {"a transaction object", nullptr, nullptr},
        {"a transaction left open by a closed connection",
         [&] {
             auto other = t->connectAgain();
             other->begin();
             other->close();
         },
         nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.before) {
            Transaction tx(db);
            EXPECT_EQ(openTransactionsInThread(), 1);
            EXPECT_NONFATAL_FAILURE(g_messages->inform(u"Registrazione effettuata."_qs), "transaction is open");
            continue;
        }
        c.before();
        if (c.after) {
            EXPECT_EQ(openTransactionsInThread(), 1);
            EXPECT_NONFATAL_FAILURE(g_messages->warn(u"Attenzione."_qs), "transaction is open");
            c.after();
        }
        EXPECT_EQ(openTransactionsInThread(), 0);
        EXPECT_FALSE(checkNoOpenTransaction("test"));
        messages.inform(u"Dopo la transazione."_qs); // shown: nothing is open any more
    }
    EXPECT_EQ(openTransactionsInThread(), 0);
    g_messages = nullptr;
#ifndef QT_NO_DEBUG
    // A debug build stops at once, whichever service would show it.
    EXPECT_DEATH(
        {
            db.begin();
            ConsoleMessages console;
            console.inform(u"Attenzione."_qs);
        },
        "transaction is open");
#endif
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(MessagesInTransaction);

} // namespace
