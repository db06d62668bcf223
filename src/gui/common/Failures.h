#pragma once

#include "suite/Messages.h"

#include <QString>
#include <exception>

namespace liqiva {

// The one place where the windows show what went wrong in an action of the user: a refusal
// of the system as a warning with its reason, a database error or any other failure as an
// error, a lack of memory with the suite's words.
void showFailure(MessageService &messages, std::exception_ptr failure);

// Runs an action of the windows; true when it ran to its end, false when it failed and the
// user was told why.
template <typename Action> bool runShowingFailures(MessageService &messages, Action &&action)
{
    try {
        action();
        return true;
    } catch (...) {
        showFailure(messages, std::current_exception());
        return false;
    }
}

// The same, a database error said as the failure of `context` ("Impossibile leggere ...: ").
void showFailure(MessageService &messages, const QString &context, std::exception_ptr failure);
template <typename Action> bool runShowingFailures(MessageService &messages, const QString &context, Action &&action)
{
    try {
        action();
        return true;
    } catch (...) {
        showFailure(messages, context, std::current_exception());
        return false;
    }
}

} // namespace liqiva
