#include "support/PgServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace liqiva::test {

namespace {
std::unique_ptr<PgServer> server;

QString findBinDir()
{
    const QString fromEnv = qEnvironmentVariable("LIQIVA_PG_BINDIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    QDir root(u"/usr/lib/postgresql"_qs);
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toDouble() > b.toDouble(); });
    for (const QString &v : versions) {
        const QString bin = root.filePath(v + u"/bin"_qs);
        if (QFile::exists(bin + u"/initdb"_qs))
            return bin;
    }
    return QString();
}

// Runs a program (as the server's user when we are root); throws with its output on failure.
void runTool(const QString &runAs, const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (runAs.isEmpty())
        p.start(program, args);
    else
        p.start(u"runuser"_qs, QStringList{u"-u"_qs, runAs, u"--"_qs, program} + args);
    if (!p.waitForStarted(30000) || !p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit
        || p.exitCode() != 0)
        throw std::runtime_error(QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll())).toStdString());
}
} // namespace

PgServer &PgServer::instance()
{
    if (!server) {
        server.reset(new PgServer());
        server->start();
    }
    return *server;
}

void PgServer::stopIfStarted()
{
    server.reset();
}

PgServer::PgServer() = default;

PgServer::~PgServer()
{
    stop();
}

QString PgServer::urlFor(const QString &database) const
{
    QString url = m_adminUrl;
    const qsizetype slash = url.indexOf(u'/', url.indexOf(u"://"_qs) + 3);
    const qsizetype query = url.indexOf(u'?');
    return url.left(slash + 1) + database + (query >= 0 ? url.mid(query) : QString());
}

void PgServer::start()
{
    const QString external = qEnvironmentVariable("LIQIVA_TEST_PG");
    if (!external.isEmpty()) {
        m_adminUrl = external;
        return;
    }
    m_binDir = findBinDir();
    if (m_binDir.isEmpty())
        throw std::runtime_error("PostgreSQL server programs not found (install postgresql, or set LIQIVA_PG_BINDIR)");
    // initdb refuses to run as root: the server runs as the postgres user (or nobody).
    if (geteuid() == 0) {
        QProcess id;
        id.start(u"id"_qs, {u"-u"_qs, u"postgres"_qs});
        id.waitForFinished();
        m_runAs = id.exitCode() == 0 ? u"postgres"_qs : u"nobody"_qs;
    }

    char templ[] = "/tmp/liqiva-pg-XXXXXX";
    if (!mkdtemp(templ))
        throw std::runtime_error("cannot create a temporary folder for PostgreSQL");
    m_dir = QString::fromLocal8Bit(templ);
    m_owned = true;
    if (!m_runAs.isEmpty())
        runTool(QString(), u"chown"_qs, {m_runAs, m_dir});
    const QString data = m_dir + u"/data"_qs;
    runTool(m_runAs, m_binDir + u"/initdb"_qs,
            {u"-D"_qs, data, u"-A"_qs, u"trust"_qs, u"-U"_qs, u"postgres"_qs, u"-E"_qs, u"UTF8"_qs,
             u"--locale=C"_qs, u"--no-sync"_qs});
    const QString options = QStringLiteral("-k %1 -c listen_addresses='' -p 5432 -c fsync=off "
                                           "-c full_page_writes=off -c synchronous_commit=off "
                                           "-c max_connections=200 -c shared_buffers=128MB")
                                .arg(m_dir);
    runTool(m_runAs, m_binDir + u"/pg_ctl"_qs,
            {u"-D"_qs, data, u"-o"_qs, options, u"-l"_qs, m_dir + u"/server.log"_qs, u"-w"_qs, u"-t"_qs,
             u"60"_qs, u"start"_qs});
    m_adminUrl = QStringLiteral("postgresql://postgres@localhost:5432/postgres?host=%1").arg(m_dir);
}

void PgServer::stop()
{
    if (!m_owned)
        return;
    m_owned = false;
    try {
        runTool(m_runAs, m_binDir + u"/pg_ctl"_qs,
                {u"-D"_qs, m_dir + u"/data"_qs, u"-m"_qs, u"immediate"_qs, u"-w"_qs, u"stop"_qs});
    } catch (...) {
    }
    QDir(m_dir).removeRecursively();
}

} // namespace liqiva::test
