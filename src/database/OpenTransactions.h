#pragma once

namespace liqiva {

// How many connections of this thread have a transaction open. A message box or a question
// shown while one is open would keep the rows (or, on SQLite, the whole file) locked for as
// long as the person takes to answer: the message services refuse it.
int openTransactionsInThread();

// Stops the program in a debug build when a transaction of this thread is open; called by
// every message service before it shows anything (the tests' service fails the test).
// Returns true when the check found one open.
bool checkNoOpenTransaction(const char *where);

} // namespace liqiva
