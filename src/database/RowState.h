#pragma once

#include <QString>

namespace liqiva {

// The row-state column VirtualDelete of every table the program writes.
namespace RowState {
constexpr int Live = 0;      // visible to every reader
constexpr int Working = 2;   // a user's unconfirmed row; owner = IDUtenteUltimaVariazione
constexpr int SetAside = 3;  // the confirmed version a save replaces and an undo restores
// Negative values: copies kept by the table-editing protocol, keyed by the negated key.

// The fragments of the statements, as the system writes them; table names the table or the
// alias in front of the column ("RLI" gives "RLI.VirtualDelete = 0").
// "VirtualDelete = <state>", for a WHERE or a SET.
QString equals(int state, const QString &table = {});
// "(VirtualDelete = 0 OR VirtualDelete = 2)": the saved row and anyone's working row.
QString liveOrWorking(const QString &table = {});
// "VirtualDelete >= 0": every row but the copies of the table-editing protocol.
QString notCopy(const QString &table = {});
} // namespace RowState

} // namespace liqiva
