#include "suite/UsageRegister.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>
#include <QTimer>
#include <QUuid>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

namespace liqiva {

namespace {

const QString table = QStringLiteral("UtilizzoOggetto");

QDateTime utcFrom(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (v.typeId() == QMetaType::QDateTime) {
        const QDateTime d = v.toDateTime();
        // The column holds the database's UTC clock without a zone: take the fields as UTC.
        return QDateTime(d.date(), d.time(), Qt::UTC);
    }
    QString s = v.toString().trimmed();
    s.replace(u'T', u' ');
    QDateTime d = QDateTime::fromString(s.left(19), u"yyyy-MM-dd HH:mm:ss"_qs);
    if (!d.isValid())
        return {};
    return QDateTime(d.date(), d.time(), Qt::UTC);
}

} // namespace

UsageRegister::UsageRegister() : m_session(QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

UsageRegister::~UsageRegister() = default;

void UsageRegister::setContext(Connection &db, const ResourceStrings &texts, int idUser, int idBranch, int idFunction)
{
    m_db = &db;
    m_texts = &texts;
    m_idUser = idUser;
    m_idBranch = idBranch;
    m_idFunction = idFunction;
}

void UsageRegister::clearContext()
{
    if (m_timer)
        m_timer->stop();
    m_db = nullptr;
}

QString UsageRegister::thisHost()
{
    return QSysInfo::machineHostName().left(255);
}

long long UsageRegister::thisProcess()
{
    return QCoreApplication::applicationPid();
}

bool UsageRegister::processRuns(long long processId)
{
#ifdef Q_OS_UNIX
    if (processId <= 0)
        return false;
#ifdef Q_OS_LINUX
    // A process that was killed stays a zombie until its parent reaps it (an orphan's new
    // parent may never do so): it runs no more.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close >= 0 && close + 2 < line.size() && (line.at(close + 2) == 'Z' || line.at(close + 2) == 'X'))
            return false;
    }
#endif
    if (::kill(static_cast<pid_t>(processId), 0) == 0)
        return true;
    return errno == EPERM; // it exists but belongs to someone else
#else
    Q_UNUSED(processId);
    return true;
#endif
}

QDateTime UsageRegister::databaseNow()
{
    // The database's clock, so that hosts with different clocks agree on the age of a row.
    const QString sql = m_db->engine() == Engine::Sqlite
                            ? u"SELECT strftime('%Y-%m-%d %H:%M:%S', 'now')"_qs
                            : u"SELECT to_char(CURRENT_TIMESTAMP AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS')"_qs;
    Recordset rs = m_db->openRecordsetRaw(sql);
    const QDateTime now = rs.eof() ? QDateTime() : utcFrom(rs.field(0));
    return now.isValid() ? now : QDateTime::currentDateTimeUtc();
}

void UsageRegister::registerUse(int objectType, int key, int mode)
{
    if (!m_db)
        return;
    const SqlStatement now = sqlParam(databaseNow());
    const SqlStatement mine = u" WHERE Sessione = "_qs + sqlParam(m_session) + u" AND IDTipoOggetto = "_qs +
                              sqlParam(objectType) + u" AND IDOggetto = "_qs + sqlParam(key) + u" AND Modalita = "_qs +
                              sqlParam(mode);
    if (m_db->execute(u"UPDATE "_qs + table + u" SET DataUltimoSegnale = "_qs + now + mine) > 0)
        return;
    const SqlStatement insert =
        u"INSERT INTO "_qs + table +
        u" (IDTipoOggetto, IDOggetto, Modalita, IDUtente, IDFiliale, IDFunzione, Sessione, Host, IDProcesso,"_qs
        u" DataInizio, DataUltimoSegnale, VirtualDelete, DataUltimaVariazione, IDUtenteUltimaVariazione) VALUES ("_qs +
        sqlParam(objectType) + u", "_qs + sqlParam(key) + u", "_qs + sqlParam(mode) + u", "_qs + sqlParam(m_idUser) +
        u", "_qs + sqlParam(m_idBranch) + u", "_qs + sqlParam(m_idFunction) + u", "_qs + sqlParam(m_session) +
        u", "_qs + sqlParam(thisHost()) + u", "_qs + sqlParam(thisProcess()) + u", "_qs + now + u", "_qs + now +
        u", 0, "_qs + now + u", "_qs + sqlParam(m_idUser) + u")"_qs;
    nextKey(*m_db, table, u"IDUtilizzoOggetto"_qs, insert);
}

int UsageRegister::release(int objectType, int key, int mode)
{
    if (!m_db)
        return 0;
    SqlStatement sql = u"DELETE FROM "_qs + table + u" WHERE Sessione = "_qs + sqlParam(m_session) +
                       u" AND IDTipoOggetto = "_qs + sqlParam(objectType);
    if (key != -1)
        sql += u" AND IDOggetto = "_qs + sqlParam(key);
    if (mode != 0)
        sql += u" AND Modalita = "_qs + sqlParam(mode);
    return m_db->execute(sql);
}

int UsageRegister::releaseAll()
{
    if (!m_db)
        return 0;
    return m_db->execute(u"DELETE FROM "_qs + table + u" WHERE Sessione = "_qs + sqlParam(m_session));
}

std::vector<UsageEntry> UsageRegister::read(const SqlStatement &where)
{
    std::vector<UsageEntry> out;
    Recordset rs = m_db->openRecordset(u"SELECT * FROM "_qs + table + where + u" ORDER BY IDUtilizzoOggetto"_qs);
    for (; !rs.eof(); rs.moveNext()) {
        UsageEntry e;
        e.id = rs.integer(u"IDUtilizzoOggetto"_qs);
        e.objectType = rs.integer(u"IDTipoOggetto"_qs);
        e.key = rs.integer(u"IDOggetto"_qs);
        e.mode = rs.integer(u"Modalita"_qs);
        e.idUser = rs.integer(u"IDUtente"_qs);
        e.idBranch = rs.integer(u"IDFiliale"_qs);
        e.idFunction = rs.integer(u"IDFunzione"_qs);
        e.session = rs.text(u"Sessione"_qs);
        e.host = rs.text(u"Host"_qs);
        e.processId = rs.field(u"IDProcesso"_qs).toLongLong();
        e.started = utcFrom(rs.field(u"DataInizio"_qs));
        e.heartbeat = utcFrom(rs.field(u"DataUltimoSegnale"_qs));
        out.push_back(e);
    }
    return out;
}

bool UsageRegister::isStale(const UsageEntry &e, const QDateTime &now) const
{
    if (e.session == m_session)
        return false;
    if (!e.heartbeat.isValid() || e.heartbeat.secsTo(now) > m_staleAfter)
        return true;
    if (e.host.compare(thisHost(), Qt::CaseInsensitive) == 0 && e.processId != thisProcess() &&
        !processRuns(e.processId))
        return true;
    return false;
}

int UsageRegister::purgeStale()
{
    if (!m_db)
        return 0;
    const QDateTime now = databaseNow();
    int removed = 0;
    for (const UsageEntry &e : read(SqlStatement())) {
        if (isStale(e, now))
            removed += m_db->execute(u"DELETE FROM "_qs + table + u" WHERE IDUtilizzoOggetto = "_qs + sqlParam(e.id) +
                                     u" AND Sessione = "_qs + sqlParam(e.session));
    }
    return removed;
}

std::vector<UsageEntry> UsageRegister::list(int objectType, int key)
{
    if (!m_db)
        return {};
    purgeStale();
    SqlStatement where = u" WHERE IDTipoOggetto = "_qs + sqlParam(objectType);
    if (key != -1)
        where += u" AND (IDOggetto = "_qs + sqlParam(key) + u" OR IDOggetto = -1)"_qs;
    return read(where);
}

std::vector<UsageEntry> UsageRegister::usedByOthers(int objectType, int key)
{
    std::vector<UsageEntry> out;
    for (UsageEntry &e : list(objectType, key)) {
        if (e.session != m_session)
            out.push_back(std::move(e));
    }
    return out;
}

QSet<int> UsageRegister::heldKeys(int objectType)
{
    QSet<int> keys;
    if (!m_db)
        return keys;
    for (const UsageEntry &e : list(objectType))
        if (e.mode == 2 && e.key > 0)
            keys.insert(e.key);
    return keys;
}

QString UsageRegister::holderOf(int objectType, int key)
{
    if (!m_db)
        return {};
    for (const UsageEntry &e : usedByOthers(objectType, key)) {
        if (e.mode != 2 || e.key != key)
            continue;
        const QVariant name = m_db->scalar(u"SELECT Utente FROM Utente WHERE IDUtente = ?"_qs, {sqlValue(e.idUser)});
        return name.isNull() || name.toString().isEmpty() ? QString::number(e.idUser) : name.toString();
    }
    return {};
}

void UsageRegister::heartbeat()
{
    if (!m_db)
        return;
    m_db->execute(u"UPDATE "_qs + table + u" SET DataUltimoSegnale = "_qs + sqlParam(databaseNow()) +
                  u" WHERE Sessione = "_qs + sqlParam(m_session));
}

void UsageRegister::startHeartbeat(int intervalMs)
{
    if (!m_timer) {
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] {
            try {
                heartbeat();
            } catch (const DbError &e) {
                // A missed beat is made up by the next one; the rows go stale only after
                // several minutes without one.
                qWarning("Registro utilizzo: segnale non aggiornato: %s", qPrintable(e.message()));
            }
        });
    }
    m_timer->start(intervalMs);
}

} // namespace liqiva
