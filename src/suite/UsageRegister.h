#pragma once

#include "database/SqlValue.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

class QTimer;

namespace liqiva {

class Connection;
class ResourceStrings;

// One registration: a session works on an object (type and key; key -1 stands for every
// object of the type) in a mode. The meaning of the modes belongs to the callers (1 for the
// object types a program works on, 2 for a document open in a window); they are stored as
// given.
struct UsageEntry {
    int id = 0;
    int objectType = 0;
    int key = 0;
    int mode = 0;
    int idUser = 0;
    int idBranch = 0;
    int idFunction = 0;
    QString session;
    QString host;
    long long processId = 0;
    QDateTime started;   // UTC
    QDateTime heartbeat; // UTC
};

// The suite's usage register, kept in the shared database (table UtilizzoOggetto), so that
// every user of one database sees the others' registrations.
//
// Each register is one session: a random token, the host name and the process id. Its rows
// carry a heartbeat, refreshed by heartbeat() (startHeartbeat() calls it on a timer). A row
// of another session is stale, ignored by readers and removed by them, when
//  - its heartbeat is older than staleAfterSeconds() (300 by default) by the database's
//    clock, or
//  - it was written on this host by another process that no longer runs (checked where the
//    platform can tell; elsewhere the heartbeat rule alone applies).
// A program that ends normally releases its rows; one that crashes stops refreshing them
// and its rows go stale, so nothing stays blocked for good.
//
// Until the context is given (setContext) every call does nothing: the fatal-error routine
// may release before the start-up got that far.
class UsageRegister {
public:
    UsageRegister();
    ~UsageRegister();
    UsageRegister(const UsageRegister &) = delete;
    UsageRegister &operator=(const UsageRegister &) = delete;

    // The context of the start-up: database, resource texts, user, branch, function.
    void setContext(Connection &db, const ResourceStrings &texts, int idUser, int idBranch, int idFunction);
    // The object type of the program's documents.
    void setObjectType(int objectType) { m_objectType = objectType; }
    int objectType() const { return m_objectType; }
    bool hasContext() const { return m_db != nullptr; }
    // Forgets the database (before it is closed); later calls do nothing.
    void clearContext();

    // Registers the session's use of an object. Registering the same object and mode twice
    // keeps one row (its heartbeat is refreshed).
    void registerUse(int objectType, int key, int mode);
    // Releases the session's registrations of the object type: key -1 releases every key of
    // the type, mode 0 every mode. Returns the number of rows removed.
    int release(int objectType, int key, int mode);
    // Releases every registration of the session.
    int releaseAll();

    // The live registrations of everyone on the object type (key -1: every key; otherwise
    // the rows of that key and those of key -1), oldest first. Stale rows are removed.
    std::vector<UsageEntry> list(int objectType, int key = -1);
    // The keys of the object type that live sessions (this one included) hold open as
    // documents (mode 2).
    QSet<int> heldKeys(int objectType);
    // The name of the user whose other live session holds the object open as a document
    // (mode 2); empty when no other session does.
    QString holderOf(int objectType, int key);
    // The live registrations of other sessions that cover the object.
    std::vector<UsageEntry> usedByOthers(int objectType, int key);

    // Refreshes the heartbeat of the session's rows.
    void heartbeat();
    void startHeartbeat(int intervalMs = 60000);
    // Removes the stale rows of other sessions; returns how many.
    int purgeStale();

    void setStaleAfterSeconds(int seconds) { m_staleAfter = seconds; }
    int staleAfterSeconds() const { return m_staleAfter; }
    QString session() const { return m_session; }
    static QString thisHost();
    static long long thisProcess();
    // Whether a process of this host still runs; true where the platform cannot tell.
    static bool processRuns(long long processId);

private:
    QDateTime databaseNow();
    std::vector<UsageEntry> read(const SqlStatement &where);
    bool isStale(const UsageEntry &e, const QDateTime &now) const;

    Connection *m_db = nullptr;
    const ResourceStrings *m_texts = nullptr;
    int m_idUser = 0;
    int m_idBranch = 0;
    int m_idFunction = 0;
    int m_objectType = 0;
    int m_staleAfter = 300;
    QString m_session;
    std::unique_ptr<QTimer> m_timer;
};

} // namespace liqiva
