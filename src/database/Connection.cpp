#include "database/Connection.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "database/OpenTransactions.h"
#include "database/SqlDialect.h"
#include "database/SqliteDecimal.h"
#include "database/SqliteFiles.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sqlite3.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace liqiva {

namespace {
// The transactions this thread's connections hold open (outer ones: a savepoint adds none).
thread_local int t_openTransactions = 0;
} // namespace

int openTransactionsInThread()
{
    return t_openTransactions;
}

bool checkNoOpenTransaction(const char *where)
{
    Q_UNUSED(where);
    if (t_openTransactions == 0)
        return false;
    Q_ASSERT_X(false, where, "a message shown while a database transaction is open");
    return true;
}

namespace {

QAtomicInt connectionSerial;

// SQLite runs inside this process, and every statement with a GROUP BY or a UNION takes and
// gives back some tens of kilobytes for its temporary b-tree. With the C library's default
// settings each give-back returns the top of the heap to the system and the next statement
// faults the same pages in again: on a settlement fill that cost more than the statements
// themselves (three quarters of the fill's processor time on a virtual machine). The process
// keeps up to 32 MiB of freed heap instead, and takes blocks up to 8 MiB from the heap.
void keepFreedHeap()
{
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 8 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
    });
#endif
}

[[noreturn]] void fail(const QSqlError &err, const QString &sql)
{
    QString text = err.databaseText().trimmed();
    if (text.isEmpty())
        text = err.text().trimmed();
    throw DbError(text, err.nativeErrorCode(), sql);
}

} // namespace

DatabaseLocation DatabaseLocation::parse(const QString &url)
{
    DatabaseLocation loc;
    if (url.startsWith(u"sqlite:"_qs, Qt::CaseInsensitive)) {
        loc.engine = Engine::Sqlite;
        loc.path = url.mid(7);
        if (loc.path.startsWith(u"//"_qs))
            loc.path = loc.path.mid(2);
        if (loc.path.isEmpty())
            throw DbError(QStringLiteral("Indirizzo del database non valido: manca il percorso del file SQLite (%1).")
                              .arg(maskPassword(url)),
                          QString());
        return loc;
    }
    if (url.startsWith(u"postgresql://"_qs, Qt::CaseInsensitive) ||
        url.startsWith(u"postgres://"_qs, Qt::CaseInsensitive)) {
        const QUrl u(url);
        if (!u.isValid())
            // QUrl's own reason repeats the whole address, password included: not shown.
            throw DbError(QStringLiteral("Indirizzo del database non valido: %1. Si attende "
                                         "postgresql://utente@host:porta/database, con la porta da 1 a 65535.")
                              .arg(maskPassword(url)),
                          QString());
        loc.engine = Engine::Postgres;
        loc.host = u.host();
        loc.port = u.port(5432);
        loc.database = u.path().mid(1);
        loc.user = u.userName();
        loc.password = u.password();
        const QUrlQuery q(u);
        if (q.hasQueryItem(u"host"_qs))
            loc.host = q.queryItemValue(u"host"_qs, QUrl::FullyDecoded);
        if (loc.database.isEmpty())
            throw DbError(QStringLiteral("Indirizzo del database non valido: manca il nome del database (%1).")
                              .arg(maskPassword(url)),
                          QString());
        return loc;
    }
    throw DbError(QStringLiteral("Indirizzo del database non valido: \"%1\". Si attende sqlite:PERCORSO oppure "
                                 "postgresql://utente@host:porta/database.")
                      .arg(maskPassword(url)),
                  QString());
}

QString DatabaseLocation::toString() const
{
    if (engine == Engine::Sqlite)
        return u"sqlite:"_qs + path;
    QString s = u"postgresql://"_qs;
    if (!user.isEmpty())
        s += user + u"@"_qs;
    if (!host.startsWith(u'/'))
        s += host;
    s += u":"_qs + QString::number(port) + u"/"_qs + database;
    if (host.startsWith(u'/'))
        s += u"?host="_qs + host;
    return s;
}

Connection::Connection(const DatabaseLocation &where)
    : m_where(where), m_name(QStringLiteral("liqiva-%1").arg(connectionSerial.fetchAndAddOrdered(1))),
      m_trace(!qEnvironmentVariableIsEmpty("LIQIVA_TRACE_SQL"))
{
}

namespace {

// Why an SQLite file that should already hold a database cannot be one, before SQLite
// touches it (SQLite would take an empty file for a new database and write to it); empty
// when it may be opened.
QString unusableSqliteFile(const QString &path, Connection::Create create)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("%1 è una cartella, non un file di database.").arg(path);
    if (!info.exists())
        return create == Connection::Create::Yes ? QString() : QStringLiteral("Il database %1 non esiste.").arg(path);
    // A database this process has open is one already; its header is not read, since without
    // the lock guard closing any descriptor of the file would drop the process's locks.
    if (isOpenDatabaseFile(path) && !sqliteLocksGuarded(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Impossibile leggere il file del database %1: controllare i permessi (%2).")
            .arg(path, file.errorString());
    if (file.size() == 0)
        return create == Connection::Create::Yes
                   ? QString()
                   : QStringLiteral("Il file %1 è vuoto: non contiene un database.").arg(path);
    static const QByteArray header("SQLite format 3", 16); // with its closing zero byte
    if (file.read(header.size()) != header)
        return QStringLiteral("Il file %1 non è un database SQLite: non è stato modificato.").arg(path);
    return {};
}

} // namespace

std::unique_ptr<Connection> Connection::open(const DatabaseLocation &where, Create create)
{
    std::unique_ptr<Connection> c(new Connection(where));
    if (where.engine == Engine::Sqlite) {
        keepFreedHeap();
        // Before the first file is opened, so that every file SQLite opens is guarded.
        guardSqliteLocks();
        const QString problem = unusableSqliteFile(where.path, create);
        if (!problem.isEmpty())
            throw DbError(problem, QString());
        c->m_db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, c->m_name);
        c->m_db.setDatabaseName(where.path);
        // Several processes share one file: wait for a writer instead of failing at once.
        c->m_db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=60000"_qs);
    } else {
        c->m_db = QSqlDatabase::addDatabase(u"QPSQL"_qs, c->m_name);
        c->m_db.setHostName(where.host);
        c->m_db.setPort(where.port);
        c->m_db.setDatabaseName(where.database);
        c->m_db.setUserName(where.user);
        c->m_db.setPassword(where.password);
        // A server that does not answer fails the opening after this many seconds.
        c->m_db.setConnectOptions(u"connect_timeout=10"_qs);
    }
    if (!c->m_db.isValid())
        throw DbError(QStringLiteral("Il driver del database non è disponibile (%1).")
                          .arg(where.engine == Engine::Sqlite ? u"QSQLITE"_qs : u"QPSQL"_qs),
                      QString());
    // The engine's own words go in brackets after a sentence that says what to do.
    auto cannotOpen = [&](const QString &engineText, const QString &code) {
        return DbError(QStringLiteral("Impossibile aprire il database %1. %2")
                           .arg(where.toString(), explainDbError(DbError(engineText, code))),
                       code);
    };
    if (!c->m_db.open()) {
        const QSqlError err = c->m_db.lastError();
        QString text = err.databaseText().trimmed();
        if (text.isEmpty())
            text = err.text().trimmed();
        throw cannotOpen(text, err.nativeErrorCode());
    }
    if (where.engine == Engine::Sqlite) {
        registerDatabaseFile(where.path);
        c->m_registered = true;
    }
    try {
        if (where.engine == Engine::Sqlite) {
            const QVariant handle = c->m_db.driver()->handle();
            if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
                throw DbError(u"Il driver SQLite non espone la connessione."_qs, QString());
            c->m_sqlite = *static_cast<sqlite3 *const *>(handle.constData());
            installSqliteDecimal(c->m_sqlite);
            c->executeRaw(u"PRAGMA journal_mode=WAL"_qs);
            c->executeRaw(u"PRAGMA synchronous=NORMAL"_qs);
        } else {
            c->executeRaw(u"SET client_min_messages TO WARNING"_qs);
            // The statements are kept prepared and run again with new values: planned once
            // for any value (from version 12), not again at each of their first five runs,
            // which made the first fills of a session several times slower.
            c->executeRaw(u"SELECT set_config('plan_cache_mode', 'force_generic_plan', false) "
                          u"WHERE current_setting('server_version_num')::int >= 120000"_qs);
        }
    } catch (const DbError &e) {
        throw cannotOpen(e.message(), e.nativeCode());
    }
    return c;
}

Connection::~Connection()
{
    close();
}

void Connection::close()
{
    if (m_db.isValid()) {
        if (m_db.isOpen()) {
            while (m_depth > 0) {
                try {
                    rollback();
                } catch (...) {
                    break;
                }
            }
            // Closing ends a transaction that could not be rolled back as well.
            if (m_depth > 0) {
                --t_openTransactions;
                m_depth = 0;
            }
            // after the rollback: a statement freed inside an aborted PostgreSQL transaction
            // fails there too
            m_failedStatements.clear();
            dropPrepared();
            m_db.close();
        }
        dropPrepared();
        m_sqlite = nullptr;
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    if (m_registered) {
        releaseDatabaseFile(m_where.path);
        m_registered = false;
    }
}

void Connection::setCommandTimeout(int seconds)
{
    m_timeoutSeconds = seconds;
    if (m_where.engine == Engine::Postgres && seconds > 0)
        executeRaw(QStringLiteral("SET statement_timeout = %1").arg(qint64(seconds) * 1000));
}

// A statement with values is prepared once per connection and kept by its text, the least
// recently used going past maxPrepared. A kept statement whose result set is still open
// (a nested result set of the same statement) is left to it: a fresh statement serves the
// new one and is dropped when done.
Connection::Ran Connection::prepared(const QString &sql)
{
    const auto it = m_prepared.find(sql);
    if (it != m_prepared.end() && !*it->busy) {
        it->lastUse = ++m_uses;
        ++m_reused;
        return {it->query, it->busy, it->names};
    }
    auto q = std::make_shared<QSqlQuery>(m_db);
    q->setForwardOnly(true);
    q->setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!q->prepare(sql))
        fail(q->lastError(), sql);
    auto busy = std::make_shared<bool>(false);
    auto names = std::make_shared<std::shared_ptr<const FieldNames>>();
    if (it == m_prepared.end()) {
        if (m_prepared.size() >= maxPrepared)
            dropLeastRecentlyUsed();
        m_prepared.insert(sql, Prepared{q, busy, ++m_uses, names});
    }
    return {q, busy, names};
}

void Connection::dropLeastRecentlyUsed()
{
    auto oldest = m_prepared.end();
    for (auto it = m_prepared.begin(); it != m_prepared.end(); ++it)
        if (!*it->busy && (oldest == m_prepared.end() || it->lastUse < oldest->lastUse))
            oldest = it;
    if (oldest != m_prepared.end())
        m_prepared.erase(oldest);
}

// A kept statement that failed is not kept any longer (inside a PostgreSQL transaction it is
// freed after the rollback, see m_failedStatements).
void Connection::forgetPrepared(const QString &sql, const std::shared_ptr<QSqlQuery> &query)
{
    const auto it = m_prepared.find(sql);
    if (it != m_prepared.end() && it->query == query)
        m_prepared.erase(it);
}

void Connection::dropPrepared()
{
    dropSqliteStatements();
    m_prepared.clear();
}

// Every statement: the connection must be open; it is counted, traced when asked and timed
// for the observer.
void Connection::startStatement(const QString &sql, QElapsedTimer &clock)
{
    if (!m_db.isOpen())
        throw DbError(QStringLiteral("La connessione al database non è aperta."), QString(), sql);
    ++m_statements;
    if (m_trace)
        std::fprintf(stderr, "sql: %s\n", qPrintable(sql));
    if (m_observer)
        clock.start();
}

Connection::Ran Connection::run(const QString &sql, const SqlParams &params, Keep keep)
{
    QElapsedTimer clock;
    startStatement(sql, clock);
    Ran ran;
    bool ok = false;
    // PostgreSQL prepares only the statements that read or change rows (no BEGIN, no SET).
    const bool kept = !params.isEmpty() || (keep == Keep::Auto && m_where.engine == Engine::Sqlite);
    if (!kept) {
        ran.query = std::make_shared<QSqlQuery>(m_db);
        ran.query->setForwardOnly(true);
        ran.query->setNumericalPrecisionPolicy(QSql::HighPrecision);
        ok = ran.query->exec(sql);
    } else {
        ran = prepared(sql);
        for (qsizetype k = 0; k < params.size(); ++k)
            ran.query->bindValue(int(k), sqlBindValue(params[k], m_where.engine));
        *ran.lease = true;
        ok = ran.query->exec();
    }
    if (m_observer)
        m_observer(sql, clock.nsecsElapsed());
    if (!ok) {
        const QSqlError err = ran.query->lastError();
        ran.query->finish();
        if (ran.lease)
            *ran.lease = false;
        if (kept)
            forgetPrepared(sql, ran.query);
        if (m_where.engine == Engine::Postgres && m_depth > 0 && kept)
            m_failedStatements.push_back(std::move(ran.query));
        fail(err, sql);
    }
    return ran;
}

QString Connection::translated(const QString &sql)
{
    auto it = m_translated.constFind(sql);
    if (it == m_translated.constEnd()) {
        if (m_translated.size() >= maxTranslated)
            m_translated.clear();
        it = m_translated.insert(sql, translateSql(sql, engine()));
    }
    return *it;
}

Recordset Connection::openRecordset(const QString &sql, const SqlParams &params)
{
    return openRecordsetRaw(translated(sql), params);
}

Recordset Connection::openRecordsetRaw(const QString &sql, const SqlParams &params)
{
    Ran ran = run(sql, params);
    return Recordset(std::move(ran.query), std::move(ran.lease), std::move(ran.names));
}

int Connection::execute(const QString &sql, const SqlParams &params)
{
    const QString text = translated(sql);
    if (text.trimmed().isEmpty())
        return 0;
    return executeRaw(text, params);
}

int Connection::executeRaw(const QString &sql, const SqlParams &params)
{
    if (m_sqlite && !params.isEmpty())
        return executeSqlite(sql, params);
    Ran ran = run(sql, params);
    const int rows = ran.query->numRowsAffected();
    ran.query->finish();
    if (ran.lease)
        *ran.lease = false;
    return rows;
}

void Connection::dropSqliteStatements()
{
    for (sqlite3_stmt *stmt : std::as_const(m_sqliteStatements))
        sqlite3_finalize(stmt);
    m_sqliteStatements.clear();
}

// As the SQLite driver binds each type; a null text, blob or date goes as NULL.
void Connection::bindSqlite(sqlite3_stmt *stmt, int place, const QVariant &value, const QString &sql)
{
    int rc = SQLITE_OK;
    const int type = value.typeId();
    if (value.isNull() || (type == QMetaType::QString && static_cast<const QString *>(value.constData())->isNull()) ||
        (type == QMetaType::QByteArray && static_cast<const QByteArray *>(value.constData())->isNull())) {
        rc = sqlite3_bind_null(stmt, place);
    } else {
        switch (type) {
        case QMetaType::QByteArray: {
            const QByteArray *bytes = static_cast<const QByteArray *>(value.constData());
            rc = sqlite3_bind_blob(stmt, place, bytes->constData(), int(bytes->size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::Int:
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt, place, value.toInt());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, place, value.toDouble());
            break;
        case QMetaType::UInt:
        case QMetaType::LongLong:
            rc = sqlite3_bind_int64(stmt, place, value.toLongLong());
            break;
        case QMetaType::QString: {
            const QString *text = static_cast<const QString *>(value.constData());
            rc = sqlite3_bind_text16(stmt, place, text->utf16(), int(text->size() * sizeof(QChar)), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString text = value.toString();
            rc = sqlite3_bind_text16(stmt, place, text.utf16(), int(text.size() * sizeof(QChar)), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw DbError(QString::fromUtf16(static_cast<const char16_t *>(sqlite3_errmsg16(m_sqlite))).trimmed(),
                      QString::number(rc), sql);
}

int Connection::executeSqlite(const QString &sql, const SqlParams &params)
{
    QElapsedTimer clock;
    startStatement(sql, clock);
    auto engineError = [&](int rc) {
        return DbError(QString::fromUtf16(static_cast<const char16_t *>(sqlite3_errmsg16(m_sqlite))).trimmed(),
                       QString::number(rc), sql);
    };
    sqlite3_stmt *stmt = m_sqliteStatements.value(sql, nullptr);
    if (stmt) {
        ++m_reused;
    } else {
        const void *tail = nullptr;
        const int rc = sqlite3_prepare16_v2(m_sqlite, sql.utf16(), int(sql.size() * sizeof(QChar)), &stmt, &tail);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(stmt);
            throw engineError(rc);
        }
        const QChar *rest = static_cast<const QChar *>(tail);
        if (rest && !QStringView(rest, sql.constData() + sql.size()).trimmed().isEmpty()) {
            sqlite3_finalize(stmt);
            throw DbError(u"Unable to execute multiple statements at a time"_qs, QString(), sql);
        }
        if (m_sqliteStatements.size() >= maxPrepared)
            dropSqliteStatements();
        m_sqliteStatements.insert(sql, stmt);
    }
    if (sqlite3_bind_parameter_count(stmt) != params.size())
        throw DbError(u"Parameter count mismatch"_qs, QString(), sql);
    try {
        for (qsizetype k = 0; k < params.size(); ++k)
            bindSqlite(stmt, int(k + 1), sqlBindValue(params[k], Engine::Sqlite), sql);
    } catch (...) {
        sqlite3_clear_bindings(stmt);
        throw;
    }
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(stmt);
    const int changes = sqlite3_changes(m_sqlite);
    if (m_observer)
        m_observer(sql, clock.nsecsElapsed());
    if (rc != SQLITE_DONE) {
        const DbError error = engineError(rc);
        // A statement that failed is not kept, as a prepared one is not.
        m_sqliteStatements.remove(sql);
        sqlite3_finalize(stmt);
        throw error;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return changes;
}

QVariant Connection::scalar(const QString &sql, const SqlParams &params)
{
    Recordset rs = openRecordset(sql, params);
    return rs.eof() ? QVariant() : rs.field(0);
}

void Connection::begin()
{
    if (m_depth == 0) {
        // On SQLite the writer lock is taken at once, so two processes that read and then
        // write never deadlock on the upgrade; the busy time-out makes the second one wait.
        executeRaw(m_where.engine == Engine::Sqlite ? u"BEGIN IMMEDIATE"_qs : u"BEGIN"_qs);
        ++t_openTransactions;
    } else {
        executeRaw(QStringLiteral("SAVEPOINT liqiva_tx%1").arg(m_depth));
    }
    ++m_depth;
}

void Connection::commit()
{
    if (m_depth <= 0)
        throw DbError(QStringLiteral("Nessuna transazione aperta."), QString());
    if (m_depth == 1) {
        executeRaw(u"COMMIT"_qs);
        --t_openTransactions;
    } else
        executeRaw(QStringLiteral("RELEASE SAVEPOINT liqiva_tx%1").arg(m_depth - 1));
    --m_depth;
}

void Connection::rollback()
{
    if (m_depth <= 0)
        return;
    --m_depth;
    if (m_depth == 0) {
        --t_openTransactions;
        executeRaw(u"ROLLBACK"_qs);
    } else {
        executeRaw(QStringLiteral("ROLLBACK TO SAVEPOINT liqiva_tx%1").arg(m_depth));
        executeRaw(QStringLiteral("RELEASE SAVEPOINT liqiva_tx%1").arg(m_depth));
    }
    m_failedStatements.clear();
}

void Connection::executeOnce(const QString &sql)
{
    Ran ran = run(sql, {}, Keep::No);
    ran.query->finish();
}

QString Connection::savepoint()
{
    const QString name = QStringLiteral("liqiva_sp%1").arg(++m_savepoints);
    executeOnce(u"SAVEPOINT "_qs + name);
    return name;
}

void Connection::releaseSavepoint(const QString &name)
{
    executeOnce(u"RELEASE SAVEPOINT "_qs + name);
}

void Connection::rollbackToSavepoint(const QString &name)
{
    executeOnce(u"ROLLBACK TO SAVEPOINT "_qs + name);
    executeOnce(u"RELEASE SAVEPOINT "_qs + name);
    m_failedStatements.clear();
}

} // namespace liqiva
