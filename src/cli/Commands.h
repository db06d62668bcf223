#pragma once

#include "cli/CliArgs.h"

namespace liqiva::cli {

// Each command returns the exit code: 0 done, 1 refused or failed (reason on standard
// error, thrown as Refusal or DbError), 2 bad arguments (thrown as UsageError).
struct Command {
    const char *name;
    const char *usage;   // the command line, then what the command does
    QStringList options; // names that take a value
    QStringList flags;   // switches without a value
    int (*run)(const CliArgs &args);
    bool takesPaths = false; // words after the options are paths (import)
};

// The commands, one table per source file that defines them.
const std::vector<Command> &schemaCommands();        // schema, demo
const std::vector<Command> &launchCommands();        // launch
const std::vector<Command> &settleCommands();        // settle, show, delete, list
const std::vector<Command> &printCommands();         // print, export
const std::vector<Command> &communicationCommands(); // communication, year
const std::vector<Command> &batchCommands();         // batch
const std::vector<Command> &companyCommands();       // company create, year open (two words)
const std::vector<Command> &importCommands();        // import, import undo, import list

} // namespace liqiva::cli
