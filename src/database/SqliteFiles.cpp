#include "database/SqliteFiles.h"

#include <QFile>
#include <QFileInfo>

#include <mutex>
#include <vector>

#if defined(__linux__)
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>

#include <atomic>
#include <map>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#define LIQIVA_GUARD_LOCKS 1
#endif

namespace liqiva {

namespace {

// A file by the name its folder really has (links resolved), also when the file itself does
// not exist yet.
QString realName(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

std::mutex namesMutex;
std::vector<QString> openNames; // one entry per open connection

} // namespace

void registerDatabaseFile(const QString &path)
{
    const QString name = realName(path);
    std::lock_guard lock(namesMutex);
    openNames.push_back(name);
}

void releaseDatabaseFile(const QString &path)
{
    const QString name = realName(path);
    std::lock_guard lock(namesMutex);
    for (auto it = openNames.begin(); it != openNames.end(); ++it)
        if (*it == name) {
            openNames.erase(it);
            return;
        }
}

#if defined(LIQIVA_GUARD_LOCKS)

namespace {

using OpenCall = int (*)(const char *, int, int);
using CloseCall = int (*)(int);
using FcntlCall = int (*)(int, int, ...);

OpenCall realOpen = nullptr;
CloseCall realClose = nullptr;
FcntlCall realFcntl = nullptr;

using FileId = std::pair<dev_t, ino_t>;

// One descriptor of our own per file SQLite has open, holding that file's locks, and how many
// of SQLite's descriptors of the file are open.
struct Held {
    int fd = -1;
    int users = 0;
};

std::mutex heldMutex;
std::map<FileId, Held> held;     // by file
std::map<int, FileId> sqliteFds; // SQLite's descriptors and their file
pid_t owner = 0;                 // the process the descriptors belong to

// After a fork without exec the child's copies describe the parent's open files: forgotten,
// so that the child never takes or drops locks on the parent's behalf. Called with the mutex.
// A fork sets forked (in the child), so that the check costs no system call on every lock.
std::atomic<bool> forked{false};

void forgetAfterFork()
{
    if (!forked.load(std::memory_order_relaxed) || owner == getpid())
        return;
    forked.store(false, std::memory_order_relaxed);
    for (const auto &[id, h] : held)
        realClose(h.fd);
    held.clear();
    sqliteFds.clear();
    owner = getpid();
}

int guardedOpen(const char *path, int flags, int mode)
{
    const int fd = realOpen(path, flags, mode);
    if (fd < 0)
        return fd;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return fd;
    const int savedErrno = errno;
    std::lock_guard lock(heldMutex);
    forgetAfterFork();
    const FileId id{st.st_dev, st.st_ino};
    auto it = held.find(id);
    if (it == held.end()) {
        // Not inherited by the programs the process starts (a child holding it would keep
        // the locks alive).
        const int own = realFcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (own < 0) {
            errno = savedErrno;
            return fd; // SQLite's own process-wide locks then apply to this file
        }
        it = held.emplace(id, Held{own, 0}).first;
    }
    ++it->second.users;
    sqliteFds[fd] = id;
    errno = savedErrno;
    return fd;
}

int guardedClose(int fd)
{
    int ownToClose = -1;
    {
        std::lock_guard lock(heldMutex);
        forgetAfterFork();
        const auto f = sqliteFds.find(fd);
        if (f != sqliteFds.end()) {
            const auto h = held.find(f->second);
            if (h != held.end() && --h->second.users == 0) {
                ownToClose = h->second.fd;
                held.erase(h);
            }
            sqliteFds.erase(f);
        }
    }
    const int rc = realClose(fd);
    const int savedErrno = errno;
    if (ownToClose >= 0)
        realClose(ownToClose);
    errno = savedErrno;
    return rc;
}

int lockDescriptor(int fd)
{
    std::lock_guard lock(heldMutex);
    forgetAfterFork();
    const auto f = sqliteFds.find(fd);
    if (f == sqliteFds.end())
        return -1;
    const auto h = held.find(f->second);
    return h == held.end() ? -1 : h->second.fd;
}

int guardedFcntl(int fd, int cmd, ...)
{
    va_list ap;
    va_start(ap, cmd);
    if (cmd == F_SETLK || cmd == F_SETLKW || cmd == F_GETLK) {
        auto *lock = va_arg(ap, struct flock *);
        va_end(ap);
        const int own = lockDescriptor(fd);
        if (own < 0)
            return realFcntl(fd, cmd, lock);
        // The same lock, owned by our descriptor's open file description instead of the
        // process: only closing that descriptor releases it.
        struct flock ofd = *lock;
        ofd.l_pid = 0;
        const int ofdCmd = cmd == F_SETLK ? F_OFD_SETLK : cmd == F_SETLKW ? F_OFD_SETLKW : F_OFD_GETLK;
        const int rc = realFcntl(own, ofdCmd, &ofd);
        if (rc == 0 && cmd == F_GETLK)
            *lock = ofd;
        return rc;
    }
    switch (cmd) {
    case F_GETFD:
    case F_SETFD:
    case F_GETFL:
    case F_SETFL:
    case F_DUPFD:
    case F_DUPFD_CLOEXEC: {
        const int arg = va_arg(ap, int);
        va_end(ap);
        return realFcntl(fd, cmd, arg);
    }
    default: {
        void *arg = va_arg(ap, void *);
        va_end(ap);
        return realFcntl(fd, cmd, arg);
    }
    }
}

// Open-file-description locks came with Linux 3.15: tried on a file of our own first.
bool descriptionLocksWork()
{
    FILE *probe = std::tmpfile();
    if (!probe)
        return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    const bool works = fcntl(fileno(probe), F_OFD_GETLK, &lock) == 0;
    std::fclose(probe);
    return works;
}

bool installed = false;

} // namespace

void guardSqliteLocks()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_vfs *vfs = sqlite3_vfs_find("unix");
        if (!vfs || vfs->iVersion < 3 || !vfs->xSetSystemCall || !vfs->xGetSystemCall || !descriptionLocksWork())
            return;
        realOpen = reinterpret_cast<OpenCall>(vfs->xGetSystemCall(vfs, "open"));
        realClose = reinterpret_cast<CloseCall>(vfs->xGetSystemCall(vfs, "close"));
        realFcntl = reinterpret_cast<FcntlCall>(vfs->xGetSystemCall(vfs, "fcntl"));
        if (!realOpen || !realClose || !realFcntl)
            return;
        owner = getpid();
        pthread_atfork(nullptr, nullptr, [] { forked.store(true, std::memory_order_relaxed); });
        // The three calls are shared by every variant of SQLite's unix file layer.
        if (vfs->xSetSystemCall(vfs, "open", reinterpret_cast<sqlite3_syscall_ptr>(guardedOpen)) != SQLITE_OK)
            return;
        if (vfs->xSetSystemCall(vfs, "close", reinterpret_cast<sqlite3_syscall_ptr>(guardedClose)) != SQLITE_OK ||
            vfs->xSetSystemCall(vfs, "fcntl", reinterpret_cast<sqlite3_syscall_ptr>(guardedFcntl)) != SQLITE_OK) {
            vfs->xSetSystemCall(vfs, nullptr, nullptr); // every call back to SQLite's own
            return;
        }
        installed = true;
    });
}

bool sqliteLocksGuarded(const QString &path)
{
    struct stat st;
    if (!installed || stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    std::lock_guard lock(heldMutex);
    return owner == getpid() && held.count(FileId{st.st_dev, st.st_ino}) > 0;
}

#else

void guardSqliteLocks() {}

bool sqliteLocksGuarded(const QString &)
{
    return false;
}

#endif

bool isOpenDatabaseFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    if (sqliteLocksGuarded(path))
        return true;
    const QString name = realName(path);
    std::lock_guard lock(namesMutex);
    for (const QString &db : openNames)
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            if (name == db + QLatin1String(suffix))
                return true;
    return false;
}

} // namespace liqiva
