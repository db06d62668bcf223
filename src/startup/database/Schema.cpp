#include "startup/database/Schema.h"

#include "startup/database/Connection.h"

namespace liqiva {

void createSchema(Connection &db)
{
    const char *statements[] = {
        "CREATE TABLE IF NOT EXISTS ErroreBrevanto (IDErroreBrevanto INTEGER NOT NULL PRIMARY KEY, VirtualDelete SMALLINT DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS BaseDati (IDBaseDati INTEGER NOT NULL PRIMARY KEY, VirtualDelete SMALLINT DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS ErroreNativoPerBaseDati (IDBaseDati INTEGER NOT NULL, IDErroreBrevanto INTEGER NOT NULL, ErroreNativo INTEGER, PRIMARY KEY (IDBaseDati, IDErroreBrevanto))",
    };
    for (const char *s : statements)
        db.executeRaw(QString::fromUtf8(s));
    if (db.scalar(u"SELECT COUNT(*) FROM BaseDati"_qs).toInt() == 0) {
        db.executeRaw(u"INSERT INTO ErroreBrevanto (IDErroreBrevanto) VALUES (1)"_qs);
        db.executeRaw(u"INSERT INTO BaseDati (IDBaseDati) VALUES (1)"_qs);
        db.executeRaw(u"INSERT INTO BaseDati (IDBaseDati) VALUES (2)"_qs);
        db.executeRaw(u"INSERT INTO ErroreNativoPerBaseDati VALUES (1, 1, 1555)"_qs);
        db.executeRaw(u"INSERT INTO ErroreNativoPerBaseDati VALUES (2, 1, 23505)"_qs);
    }
}

} // namespace liqiva
