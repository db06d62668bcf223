#pragma once

#include "database/Connection.h"

#include <QString>
#include <memory>

namespace liqiva {

class HandOverStore;

// The suite's connection provider: opens the shared database named in the installation's
// settings (MenuSettings/Database: the SQLite file path for DBType 1, a PostgreSQL
// connection string for any other DBType). Every failure is thrown as a StartupError whose
// text says what is wrong: no database configured, a connection string that does not suit
// the database type or cannot be read, a missing file, a server that does not answer.
class ConnectionProvider {
public:
    static std::unique_ptr<Connection> open(const HandOverStore &store, int dbType);
    // The location for a Database value and a DBType, checked (throws StartupError).
    static DatabaseLocation locate(const QString &database, int dbType);
};

} // namespace liqiva
