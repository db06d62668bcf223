#pragma once

#include "suite/Money.h"

#include <optional>

class QLineEdit;

namespace liqiva {

class MessageService;

// The amount typed in a field of a dialog: empty is 0. A text that is no amount is said
// with its message, the field gets the focus with its text selected, and nothing comes back.
std::optional<Money> typedAmount(MessageService &messages, QLineEdit *field, bool euro);

} // namespace liqiva
