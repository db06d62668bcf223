#include "support/ScriptedMessages.h"

namespace liqiva {

Answer ScriptedMessages::messageBox(const QString &text, Buttons buttons, Icon icon, const QString &title)
{
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
