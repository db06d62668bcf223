#pragma once

#include "suite/Money.h"

#include <optional>

class QLineEdit;
class QString;
class QWidget;

namespace liqiva {

class MessageService;

// The amount typed in a field of a dialog: empty is 0. A text that is no amount is said
// with its message, the field gets the focus with its text selected, and nothing comes back.
std::optional<Money> typedAmount(MessageService &messages, QLineEdit *field, bool euro);

// A field of a dialog for an amount, aligned on the right and at least minimumWidth wide; one
// that is not editable is only shown (read-only, out of the tab order).
QLineEdit *amountField(const QString &name, QWidget *parent, bool editable, int minimumWidth);

} // namespace liqiva
