#pragma once

#include "cli/CliArgs.h"
#include "startup/database/Connection.h"

#include <QJsonObject>
#include <memory>

namespace liqiva::cli {

// Opens the database of --db; it must exist.
std::unique_ptr<Connection> openDatabase(const CliArgs &args);

// A record of the current row with the column names as the schema writes them (PostgreSQL
// gives them in lower case); numbers as numbers, dates as ISO text, NULL as null.
QJsonObject recordToJson(const Recordset &rs, const QString &table);

// Prints a JSON value on standard output, indented.
void printJson(const QJsonObject &object);

} // namespace liqiva::cli
