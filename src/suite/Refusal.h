#pragma once

#include <QString>

namespace liqiva {

// A rule of the system says no: the operation is refused with a message for the user and
// nothing of it is written. Not a database error.
struct Refusal {
    QString message;
};

} // namespace liqiva
