#pragma once

#include "database/Engine.h"
#include "database/SqlValue.h"

#include <QString>

namespace liqiva {

class Connection;

// Error kinds of the suite's native-error tables.
namespace ErrorKind {
constexpr int DuplicateKey = 1;
}

// The native error number that stands for an error kind on the connection's engine,
// read from the suite's native-error tables. Throws DbError when there is no row.
long long nativeErrorOf(Connection &db, int errorKind);

class DbError;

// True when e is a primary-key or unique clash: SQLite's extended codes 1555 and 2067,
// PostgreSQL's SQLSTATE 23505.
bool isDuplicateKey(const DbError &e);

// True when e is the duplicate key the suite's tables name for the engine (`duplicate`, from
// nativeErrorOf); on SQLite a primary-key clash and a unique-index clash are the same thing.
bool isDuplicateKey(const DbError &e, long long duplicate, Engine engine);

// Adds the key column as the first column and a placeholder for the key as the first value
// of an INSERT. Positions are found case-insensitively; the table name's first occurrence
// is used.
QString injectKeyColumn(const QString &insertSql, const QString &table, const QString &keyColumn);

// Inserts a row with the next free key of the table and returns that key. The key is
// MAX + 1 (1 for an empty table or one whose largest key is 0 or less); a duplicate key
// caused by another user taking the same key meanwhile is retried with the next one.
// Any other error is thrown as DbError. params are the values of the INSERT's placeholders;
// the key is bound before them.
int nextKey(Connection &db, const QString &table, const QString &keyColumn, const QString &insertSql,
            const SqlParams &params = {});
inline int nextKey(Connection &db, const QString &table, const QString &keyColumn, const SqlStatement &insert)
{
    return nextKey(db, table, keyColumn, insert.text, insert.params);
}

} // namespace liqiva
