#pragma once

#include "suite/Messages.h"

class QWidget;

namespace liqiva {

// The message boxes of the windows: a QMessageBox with the given title (always
// "Liquidazione I.V.A." in this program), buttons and icon, over the active window.
class MessageBoxService : public MessageService {
public:
    Answer messageBox(const QString &text, Buttons buttons, Icon icon, const QString &title) override;
};

} // namespace liqiva
