#pragma once

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "suite/Refusal.h"

#include <QString>

namespace liqiva {

// What an action of the domain was refused or failed with, as the windows and the command
// say it; empty when it ran to its end.
template <typename Action> QString failureOf(Action &&action)
{
    try {
        action();
        return {};
    } catch (const Refusal &r) {
        return r.message();
    } catch (const DbError &e) {
        return explainDbError(e);
    }
}

} // namespace liqiva
