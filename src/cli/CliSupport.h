#pragma once

#include "cli/CliArgs.h"
#include "database/Connection.h"
#include "suite/Money.h"

#include <QJsonObject>
#include <memory>
#include <optional>

namespace liqiva::cli {

// The location of --db; a missing or unreadable address is a UsageError (its password is
// never shown).
DatabaseLocation databaseLocation(const CliArgs &args);

// Opens the database of --db; it must exist and hold the program's tables. Nothing is
// created: a refusal says what is wrong and how to create the database.
std::unique_ptr<Connection> openDatabase(const CliArgs &args);

// The function of the settlement program (the object type of its rights hangs from it).
int settlementFunction(Connection &db);

// Refuses (Refusal) unless the user holds the right (UserRights::NewSave, Delete, Search,
// Print) on the settlement in the company's prevailing branch, as the windows read them.
void requireRight(Connection &db, int user, int company, const QString &right);
// Refuses unless the user exists.
void requireUser(Connection &db, int user);
// Opens the database of --db (as openDatabase) and refuses unless the user and the company
// exist and the user holds the right in the company: the opening of a command on a company.
std::unique_ptr<Connection> openForCompany(const CliArgs &args, int user, int company, const QString &right);

// A record of the current row with the column names as the schema writes them (PostgreSQL
// gives them in lower case); numbers as numbers, dates as ISO text, NULL as null.
QJsonObject recordToJson(const Recordset &rs, const QString &table);

// Prints a JSON value on standard output, indented.
void printJson(const QJsonObject &object);

// The closing amounts as settle prints them after one settlement and batch after many (their
// totals): the amount to pay under its caption and the credit carried on, one aligned line
// each, in the currency's form; an amount that is not there is left blank.
void printClosingAmounts(const QString &toPayCaption, std::optional<Money> toPay, std::optional<Money> credit,
                         bool euro = true);
// The same amounts in JSON, named after their amount types (IvaDaVersare, CreDimLiquiSucc);
// null when not there.
void insertClosingAmounts(QJsonObject &object, std::optional<Money> toPay, std::optional<Money> credit);

} // namespace liqiva::cli
