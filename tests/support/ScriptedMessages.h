#pragma once

#include "suite/Messages.h"

#include <deque>

namespace liqiva {

// The message service of the tests: answers from a queue (Ok/Yes by default when it is
// empty) and records every text it was shown, for the test to check.
class ScriptedMessages : public MessageService {
public:
    struct Shown {
        QString text;
        Buttons buttons;
        Icon icon;
        QString title;
    };
    Answer messageBox(const QString &text, Buttons buttons, Icon icon, const QString &title) override;
    void answer(Answer a) { m_answers.push_back(a); }
    const std::deque<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); }

private:
    std::deque<Answer> m_answers;
    std::deque<Shown> m_shown;
};

} // namespace liqiva
