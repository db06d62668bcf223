#include "database/KeyReservation.h"

#include "database/Connection.h"
#include "database/DbError.h"

namespace liqiva {

bool isDuplicateKey(const DbError &e)
{
    const long long code = e.nativeNumber();
    return code == 1555 || code == 2067 || code == 23505;
}

// SQLite tells a primary-key clash (1555) from a unique-index clash (2067); both are a
// duplicate key for the reservation.
bool isDuplicateKey(const DbError &e, long long duplicate, Engine engine)
{
    const long long code = e.nativeNumber();
    if (code == duplicate)
        return true;
    return engine == Engine::Sqlite && (duplicate == 1555 || duplicate == 2067) && (code == 1555 || code == 2067);
}

long long nativeErrorOf(Connection &db, int errorKind)
{
    const QString sql = u"SELECT ErroreNativoPerBaseDati.ErroreNativo FROM ErroreBrevanto "_qs +
                        u"INNER JOIN (BaseDati INNER JOIN ErroreNativoPerBaseDati ON BaseDati.IDBaseDati = "
                        u"ErroreNativoPerBaseDati.IDBaseDati) "_qs +
                        u"ON ErroreBrevanto.IDErroreBrevanto = ErroreNativoPerBaseDati.IDErroreBrevanto"_qs +
                        u" WHERE BaseDati.IDBaseDati = ?"_qs + u" AND ErroreBrevanto.IDErroreBrevanto = ?"_qs;
    Recordset rs = db.openRecordset(sql, {db.dbType(), errorKind});
    if (rs.eof())
        throw DbError(QStringLiteral("Errore nativo non definito per il tipo %1 sul database %2.")
                          .arg(errorKind)
                          .arg(db.dbType()),
                      QString(), sql);
    return static_cast<long long>(rs.number(0));
}

QString injectKeyColumn(const QString &insertSql, const QString &table, const QString &keyColumn)
{
    qsizetype p1 = insertSql.indexOf(table, 0, Qt::CaseInsensitive);
    qsizetype p2 = insertSql.indexOf(u"VALUES"_qs, 0, Qt::CaseInsensitive);
    if (p1 < 0 || p2 < 0 || p2 < p1)
        return insertSql;
    p1 = insertSql.indexOf(u'(', p1);
    if (p1 < 0 || p1 > p2)
        return insertSql;
    QString out = insertSql.left(p1 + 1) + keyColumn + u',' + insertSql.mid(p1 + 1, p2 - p1 - 1);
    const qsizetype open = insertSql.indexOf(u'(', p2);
    if (open < 0)
        return insertSql;
    out += insertSql.mid(p2, open - p2 + 1) + u"?,"_qs + insertSql.mid(open + 1);
    return out;
}

namespace {

// On PostgreSQL a key another transaction has inserted and not yet committed makes the insert
// wait for it. Two saves that each hold a key the other one wants (a row written without the
// reservation's claim) wait for each other, and the server ends one wait with a deadlock:
// inside a transaction that only means the key is taken, and the next one is tried after the
// savepoint has let go of the wait.
bool isKeyDeadlock(const DbError &e, Engine engine, bool guarded)
{
    return guarded && engine == Engine::Postgres && e.nativeCode() == u"40P01"_qs;
}

// The same number for a table's name in every process.
int tableNumber(const QString &table)
{
    quint32 h = 2166136261u;
    for (const QChar c : table.toLower())
        h = (h ^ c.unicode()) * 16777619u;
    return int(h);
}

// A key that another PostgreSQL transaction is inserting, not committed yet, is passed over
// at once instead of waited for: each key is claimed for the transaction before its insert.
bool claimedElsewhere(Connection &db, const QString &table, long long key)
{
    return !db.scalar(u"SELECT pg_try_advisory_xact_lock(?, ?)"_qs, {tableNumber(table), int(key)}).toBool();
}

// The first key to try: the table's largest key + 1 (1 for an empty table or one whose largest
// key is 0 or less). With claim (PostgreSQL, inside a transaction) the same statement claims
// it; claimed says whether the claim took.
long long firstKey(Connection &db, const QString &table, const QString &keyColumn, bool claim, bool &claimed)
{
    claimed = false;
    if (!claim) {
        const QVariant top = db.scalar(u"SELECT"_qs + u" MAX ("_qs + keyColumn + u" )"_qs + u" FROM "_qs + table);
        const long long key = top.isNull() ? 1 : static_cast<long long>(top.toDouble()) + 1;
        return key <= 0 ? 1 : key;
    }
    Recordset rs = db.openRecordsetRaw(
        u"SELECT k, CASE WHEN k <= 2147483647 THEN pg_try_advisory_xact_lock(?, CAST(k AS INTEGER)) ELSE FALSE END "
        u"FROM (SELECT GREATEST(COALESCE(CAST(MAX("_qs +
            keyColumn + u") AS BIGINT), 0) + 1, 1) AS k FROM "_qs + table + u") AS top"_qs,
        {tableNumber(table)});
    claimed = rs.field(1).toBool();
    return rs.field(0).toLongLong();
}

} // namespace

int nextKey(Connection &db, const QString &table, const QString &keyColumn, const QString &insertSql,
            const SqlParams &params)
{
    const bool guarded = db.transactionDepth() > 0;
    // On PostgreSQL a failed statement aborts the whole transaction: each key is claimed and
    // each insert goes in a savepoint of its own (a nested transaction, whose statements are
    // the same at every call). On SQLite the open transaction holds the write lock (no one
    // else takes a key meanwhile) and a failed INSERT undoes only itself: no savepoint is
    // needed.
    const bool claim = guarded && db.engine() == Engine::Postgres;
    bool claimed = false;
    long long key = firstKey(db, table, keyColumn, claim, claimed);
    bool firstClaimTried = claim;

    // A key beyond what the key columns hold is refused before anything is written: it would
    // wrap to a negative key on one engine and fail on the other.
    if (key > 2147483647LL)
        throw DbError(u"La tabella "_qs + table + u" ha esaurito le chiavi ("_qs + keyColumn +
                          u" ha raggiunto 2147483647): non è stato scritto nulla."_qs,
                      QString());

    long long duplicate = -1; // read only when a clash happens
    int deadlocks = 0;
    const QString sql = injectKeyColumn(insertSql, table, keyColumn);
    for (;; ++key) {
        if (key > 2147483647LL)
            throw DbError(u"La tabella "_qs + table + u" ha esaurito le chiavi: non è stato scritto nulla."_qs,
                          QString());
        if (claim) {
            const bool mine = firstClaimTried ? claimed : !claimedElsewhere(db, table, key);
            firstClaimTried = false;
            if (!mine)
                continue;
        }
        SqlParams values = params;
        values.prepend(key);
        if (claim)
            db.begin();
        try {
            db.execute(sql, values);
            if (claim)
                db.commit();
            return int(key);
        } catch (const DbError &e) {
            if (claim)
                db.rollback();
            if (duplicate < 0)
                duplicate = nativeErrorOf(db, ErrorKind::DuplicateKey);
            const bool waitedForKey = isKeyDeadlock(e, db.engine(), guarded) && ++deadlocks <= 100;
            if (!waitedForKey && !isDuplicateKey(e, duplicate, db.engine()))
                throw;
        }
    }
}

} // namespace liqiva
