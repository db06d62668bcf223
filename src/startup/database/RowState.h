#pragma once

#include "startup/database/Engine.h"

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

// The audit columns written with every insert or update, for the current user and time.
struct Audit {
    int idUser = 0;
    Engine engine = Engine::Sqlite;

    // ", DataUltimaVariazione, IDUtenteUltimaVariazione" for a column list
    static QString columns();
    // ", <now>, <user>" for the VALUES list
    QString values() const;
    // "DataUltimaVariazione = <now>, IDUtenteUltimaVariazione = <user>" for an UPDATE
    QString assignments() const;
};

} // namespace liqiva
