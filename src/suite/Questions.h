#pragma once

#include "suite/Messages.h"

#include <QList>
#include <QString>

namespace liqiva {

// A question (or a notice) that a write needs put to the user before it writes: the domain
// returns it, the caller puts it with its MessageService (a window with a box, the command
// from --yes) and passes the answer back to the write. The domain never puts it itself.
struct Question {
    QString text;
    Buttons buttons = Buttons::YesNo;
    Icon icon = Icon::Question;
    bool operator==(const Question &) const = default;
};

// A notice: only OK.
inline Question notice(const QString &text, Icon icon = Icon::Warning)
{
    return Question{text, Buttons::Ok, icon};
}

// Puts the question; true for Yes or OK (a notice is always true).
inline bool ask(MessageService &messages, const Question &q)
{
    const Answer a = messages.messageBox(q.text, q.buttons, q.icon, applicationTitle());
    return a == Answer::Yes || a == Answer::Ok;
}

// Puts the questions in their order until one is answered no; true when every one was
// answered yes (or OK).
inline bool askEach(MessageService &messages, const QList<Question> &questions)
{
    for (const Question &q : questions)
        if (!ask(messages, q))
            return false;
    return true;
}

// Puts the questions in their order; the answers in the same order.
inline QList<bool> askAll(MessageService &messages, const QList<Question> &questions)
{
    QList<bool> answers;
    for (const Question &q : questions)
        answers << ask(messages, q);
    return answers;
}

} // namespace liqiva
