#pragma once

#include "database/Engine.h"
#include "suite/Messages.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

class QObject;

namespace liqiva {

class Connection;

// The suite's utility services, one object created at start-up and passed to whoever
// needs it. Most operations forward to the program's own helpers, so that the call sites
// read as the suite's calls and every caller gets the same answer.
class UtilityServices {
public:
    explicit UtilityServices(MessageService &messages) : m_messages(messages) {}

    // Message box with text, buttons, icon and title; returns the button chosen.
    Answer messageBox(const QString &text, Buttons buttons = Buttons::Ok, Icon icon = Icon::Information,
                      const QString &title = applicationTitle())
    {
        return m_messages.messageBox(text, buttons, icon, title);
    }
    MessageService &messages() { return m_messages; }

    // Gives a form the suite's look. Qt's own style is the suite's look here: nothing to do.
    void applyWindowStyle(QObject &form);

    // Whether the user may run the function. The function's object type is read from
    // Funzione; the user may run it when an action from 1 to 5 on that type, or on type 1
    // (every type), is granted to the user directly or through one of the user's groups,
    // in any branch, on rows not deleted. An unknown function is not allowed. Database
    // errors are thrown to the caller.
    bool hasRight(int idUser, int idFunction, Connection &db);

    // The key of the row chosen in a data-bound combo, as text; the combo hands over the
    // bound key value. No choice (a null or invalid value) gives the empty text; whole
    // numbers are written without decimals.
    static QString chosenKey(const QVariant &boundKey);

    // Prepares the desktop engine's connection before it is opened. SQLite needs nothing
    // (no password, no system database): the value is accepted and ignored.
    void prepareDesktopEngine(const QString &value);

private:
    MessageService &m_messages;
};

} // namespace liqiva
