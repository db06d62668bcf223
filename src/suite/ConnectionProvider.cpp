#include "suite/ConnectionProvider.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "suite/HandOverStore.h"
#include "suite/StartupError.h"

namespace liqiva {

DatabaseLocation ConnectionProvider::locate(const QString &database, int dbType)
{
    const QString value = database.trimmed();
    if (value.isEmpty())
        throw StartupError(u"Il database non è configurato: manca la chiave Database nella sezione MenuSettings."_qs);
    const bool desktop = dbType == int(Engine::Sqlite);
    const bool looksLikeUrl = value.contains(u"://"_qs);
    // The value may hold a password: messages show it masked.
    try {
        if (desktop) {
            if (looksLikeUrl)
                throw StartupError(QStringLiteral("Il database configurato (%1) non è un file SQLite, ma il tipo di "
                                                  "database (DBType) è 1.")
                                       .arg(maskPassword(value)));
            // Accept the path as it stands, or with the "sqlite:" prefix of the command line.
            return DatabaseLocation::parse(value.startsWith(u"sqlite:"_qs, Qt::CaseInsensitive) ? value
                                                                                                : u"sqlite:"_qs + value);
        }
        if (!looksLikeUrl)
            throw StartupError(QStringLiteral("Il database configurato (%1) non è un indirizzo PostgreSQL "
                                              "(postgresql://utente@host:porta/database), ma il tipo di database "
                                              "(DBType) è %2.")
                                   .arg(maskPassword(value))
                                   .arg(dbType));
        DatabaseLocation loc = DatabaseLocation::parse(value);
        if (loc.engine != Engine::Postgres)
            throw StartupError(QStringLiteral("Il database configurato (%1) non è un indirizzo PostgreSQL.").arg(maskPassword(value)));
        return loc;
    } catch (const DbError &e) {
        throw StartupError(e.message());
    }
}

std::unique_ptr<Connection> ConnectionProvider::open(const HandOverStore &store, int dbType)
{
    const DatabaseLocation where = locate(store.read(HandOver::MenuSettings, HandOver::Database), dbType);
    try {
        return Connection::open(where);
    } catch (const DbError &e) {
        throw StartupError(e.message(), e.nativeNumber());
    }
}

} // namespace liqiva
