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

// Filters as the readers write them.
inline QString liveOrWorking() { return QStringLiteral("(VirtualDelete = 0 OR VirtualDelete = 2)"); }
inline QString notSetAside() { return QStringLiteral("VirtualDelete >= 0"); }
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
