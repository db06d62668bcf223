#pragma once

class QDialog;

namespace liqiva {

// A dialog opened by a user who may look but not change: every box is read-only, every
// choice disabled and "OK" gone, so the only way out is the one that stores nothing.
void lockForReading(QDialog &dialog);

} // namespace liqiva
