#include "support/TestDatabase.h"

#include "domain/demo/DemoCompany.h"
#include "database/Schema.h"
#include "support/PgServer.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>

namespace liqiva::test {

namespace {
QAtomicInt serial;

QTemporaryDir &tempDir()
{
    static QTemporaryDir dir;
    return dir;
}

void fill(Connection &db, Content content)
{
    if (content == Content::Schema)
        createSchema(db);
    else if (content == Content::Demo)
        createDemo(db);
}

QString contentName(Content c)
{
    return c == Content::Empty ? u"empty"_qs : c == Content::Schema ? u"schema"_qs : u"demo"_qs;
}

// A ready SQLite file per content, copied for each test.
QString sqliteTemplate(Content content)
{
    const QString path = tempDir().filePath(u"template-"_qs + contentName(content) + u".db"_qs);
    if (!QFile::exists(path)) {
        auto db = Connection::open(u"sqlite:"_qs + path, Connection::Create::Yes);
        fill(*db, content);
        db->executeRaw(u"PRAGMA wal_checkpoint(TRUNCATE)"_qs);
        db->executeRaw(u"PRAGMA journal_mode=DELETE"_qs);
    }
    return path;
}

// From PostgreSQL 15 a copy of a small template is much faster file by file (the
// throwaway server runs without fsync).
QString fileCopy()
{
    static const QString clause = [] {
        auto admin = Connection::open(PgServer::instance().adminUrl());
        return admin->scalar(u"SHOW server_version_num"_qs).toInt() >= 150000 ? u" STRATEGY = FILE_COPY"_qs : QString();
    }();
    return clause;
}

QString pgTemplate(Content content)
{
    static std::set<Content> made;
    const QString name = u"liqiva_template_"_qs + contentName(content);
    if (!made.count(content)) {
        PgServer &pg = PgServer::instance();
        {
            auto admin = Connection::open(pg.adminUrl());
            admin->executeRaw(u"DROP DATABASE IF EXISTS "_qs + name);
            admin->executeRaw(u"CREATE DATABASE "_qs + name);
        }
        {
            auto db = Connection::open(pg.urlFor(name));
            fill(*db, content);
        }
        made.insert(content);
    }
    return name;
}
} // namespace

std::unique_ptr<TestDatabase> TestDatabase::create(Engine engine, Content content)
{
    std::unique_ptr<TestDatabase> t(new TestDatabase());
    const int n = serial.fetchAndAddOrdered(1);
    if (engine == Engine::Sqlite) {
        t->m_file = tempDir().filePath(QStringLiteral("test-%1.db").arg(n));
        if (content != Content::Empty)
            QFile::copy(sqliteTemplate(content), t->m_file);
        t->m_url = u"sqlite:"_qs + t->m_file;
        t->m_db = Connection::open(t->m_url, Connection::Create::Yes);
    } else {
        PgServer &pg = PgServer::instance();
        t->m_pgName = QStringLiteral("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(n);
        {
            auto admin = Connection::open(pg.adminUrl());
            admin->executeRaw(u"DROP DATABASE IF EXISTS "_qs + t->m_pgName);
            if (content == Content::Empty)
                admin->executeRaw(u"CREATE DATABASE "_qs + t->m_pgName);
            else
                admin->executeRaw(u"CREATE DATABASE "_qs + t->m_pgName + u" TEMPLATE "_qs + pgTemplate(content) + fileCopy());
        }
        t->m_url = pg.urlFor(t->m_pgName);
        t->m_db = Connection::open(t->m_url);
    }
    return t;
}

TestDatabase::~TestDatabase()
{
    m_db.reset();
    if (!m_file.isEmpty()) {
        QFile::remove(m_file);
        QFile::remove(m_file + u"-wal"_qs);
        QFile::remove(m_file + u"-shm"_qs);
    }
    if (!m_pgName.isEmpty()) {
        try {
            auto admin = Connection::open(PgServer::instance().adminUrl());
            admin->executeRaw(u"DROP DATABASE IF EXISTS "_qs + m_pgName + u" WITH (FORCE)"_qs);
        } catch (...) {
        }
    }
}

std::string engineName(const ::testing::TestParamInfo<Engine> &info)
{
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

} // namespace liqiva::test
