#pragma once

#include "database/Engine.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace liqiva {

class Connection;

// Creates every table, index and reference row the program reads or writes, on the
// connection's engine. Idempotent: running it on an existing database adds what is
// missing (tables, columns, indexes, reference rows whose key is absent) and changes
// nothing else. Runs in one transaction: on any error nothing is changed.
//
// The statements come from the files schema/*.sql, embedded as resources under
// ":/schema/" and run in name order, written in a portable DDL whose type words are
// mapped per engine:
//
//   KEY          INTEGER NOT NULL PRIMARY KEY
//   LONG         INTEGER                      (32-bit)
//   SHORT        SMALLINT                     (16-bit)
//   BOOL         SMALLINT                     (0 false, any other value true)
//   MONEY        NUMERIC(19,4) on PostgreSQL; on SQLite TEXT COLLATE IMPORTO, the exact decimal
//                compared by value (SqliteDecimal.h); an earlier REAL column is converted
//   DOUBLE       DOUBLE PRECISION on PostgreSQL, REAL on SQLite
//   TEXT(n)      VARCHAR(n)
//   MEMO         TEXT
//   DATETIME     TIMESTAMP on PostgreSQL, TEXT (ISO date and time) on SQLite
//   ROWSTATE     VirtualDelete SHORT NOT NULL DEFAULT 0, DataUltimaVariazione DATETIME,
//                IDUtenteUltimaVariazione LONG
//
// A statement ends with ';' at the end of a line; lines starting with "--" are comments.
// An INSERT is a reference row: it runs only when no row with its key exists.
void createSchema(Connection &db);

// A table as the schema files declare it.
struct SchemaTable {
    QString name;
    QStringList keyColumns; // the primary key, in order
    QStringList columns;    // every column in declaration order, the row-state ones included
};

// The tables of the embedded schema files, in the order they are created.
std::vector<SchemaTable> schemaTables();

// The longest text a column of the embedded schema takes: n for TEXT(n), 0 for MEMO (no
// bound), -1 for a column that is not text or that the schema does not declare.
int schemaTextLength(const QString &table, const QString &column);

// Whether a column of the embedded schema is a currency column (MONEY).
bool schemaAmountColumn(const QString &table, const QString &column);

// The parts below are exposed for the tests and for tools that print the schema.

// Splits a schema file into its statements (without the closing ';').
QStringList splitSchemaScript(const QString &text);

// Maps one statement of the portable DDL to an engine; statements other than CREATE
// TABLE pass unchanged. Throws DbError naming the table and column of an unknown type.
QString translateSchemaStatement(const QString &statement, Engine engine);

} // namespace liqiva
