#pragma once

#include <QString>

namespace liqiva {

// SQLite's locks between processes are POSIX record locks. They belong to the whole process,
// and the kernel drops every one of them on a file as soon as any descriptor of that file is
// closed in the process: a file dialog that looks into the database file, a check that reads
// its header, a copy. Another process then believes it is alone, checkpoints the write-ahead
// log and deletes it under the program, whose later saves are lost.
//
// On Linux the guard routes SQLite's locks to open-file-description locks held on one
// descriptor of each file that the guard keeps open while SQLite has the file open: the locks
// stay the process's own, as SQLite expects, but no other descriptor can drop them. Elsewhere
// the guard does nothing.

// Installs the guard into SQLite's file layer; Connection::open calls it before the first
// SQLite file is opened. Safe to call more than once.
void guardSqliteLocks();

// True when the guard holds the locks of that file now (SQLite has it open in this process).
bool sqliteLocksGuarded(const QString &path);

// The database files SQLite has open through a Connection, by name: registered when the
// connection opens and released when it closes.
void registerDatabaseFile(const QString &path);
void releaseDatabaseFile(const QString &path);

// Is path a file of a database open in this process: the database itself, or its -wal,
// -shm or -journal, by name or (on Linux) as the same file under another name? Such a file
// must never be written or replaced by anything but SQLite.
bool isOpenDatabaseFile(const QString &path);

} // namespace liqiva
