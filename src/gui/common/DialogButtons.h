#pragma once

#include <tuple>
#include <utility>

class QBoxLayout;
class QDialog;
class QPushButton;

namespace liqiva {

// The "OK" and "Annulla" buttons of a dialog, on the right at the bottom of its layout:
// "OK" (cmdOk) is the default, "Annulla" (cmdAnnulla) closes the dialog storing nothing.
// The caller connects "OK" to its own check and store.
std::pair<QPushButton *, QPushButton *> addOkCancel(QDialog &dialog, QBoxLayout &layout);

} // namespace liqiva
