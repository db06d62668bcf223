#pragma once

#include "database/Connection.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace liqiva {

// The work context: filled once at start-up from the hand-over and the database, read by
// every part of the program, passed in (never reached through a global). It owns the one
// shared connection for the life of the process.
struct WorkContext {
    // Text 1368 of the resource strings, trimmed: the application name of every settings access.
    QString registryApplicationName;
    // The section of the hand-over: the executable's name without folder and extension.
    QString executableName;
    // The command line contains "Debug": the hand-over keys are left in place.
    bool debug = false;

    QString UserName;
    QString Password;
    std::int32_t IDUser = 0;
    std::int32_t lIDFirm = 0;
    std::int32_t lIDBranch = 0;
    std::int32_t IDFunction = 0;
    std::int32_t lIDActivity = 0;
    QString FirmName;
    QString Branch;
    // Database engine as handed over: 1 the desktop engine (SQLite), any other value the
    // database server (PostgreSQL).
    std::int16_t DBType = 0;

    // Funzione.IDTipoOggetto of IDFunction and TipoOggetto.ContextHelpID of that type.
    std::int32_t objectType = 0;
    std::int32_t helpContext = 0;
    // MenuSettings/PATH followed by "\Brevanto.chm", exactly as written (no normalisation).
    QString helpFile;

    std::unique_ptr<Connection> database;

    Connection &db() { return *database; }
    bool hasDatabase() const { return database != nullptr; }
};

} // namespace liqiva
