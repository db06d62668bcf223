#include "support/ScriptedMessages.h"

#include "database/OpenTransactions.h"

#include <gtest/gtest.h>

namespace liqiva {

Answer ScriptedMessages::messageBox(const QString &text, Buttons buttons, Icon icon, const QString &title)
{
    // A message waits for a person: shown while a transaction is open, it would keep the
    // rows locked for as long as the person takes.
    if (openTransactionsInThread() > 0)
        ADD_FAILURE() << "a message shown while a database transaction is open: " << text.toStdString();
    m_shown.push_back({text, buttons, icon, title});
    Answer a;
    if (!m_answers.empty()) {
        a = m_answers.front();
        m_answers.pop_front();
    } else {
        a = (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Answer::Yes : Answer::Ok;
    }
    return a;
}

QStringList ScriptedMessages::texts() const
{
    QStringList out;
    for (const Shown &s : m_shown)
        out << s.text;
    return out;
}

} // namespace liqiva
