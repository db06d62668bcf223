#pragma once

#include <QString>

namespace liqiva::test {

// A throwaway PostgreSQL server for the tests: initdb in a temporary folder, run as a
// non-root user, listening only on a private Unix socket; stopped and removed at the end.
// When LIQIVA_TEST_PG is set (a postgresql:// URL of a server that may create databases)
// that server is used instead.
class PgServer {
public:
    // The server of this test program, started on first use. Throws std::runtime_error
    // when no server can be started.
    static PgServer &instance();
    static void stopIfStarted();

    // Location of the maintenance database "postgres".
    QString adminUrl() const { return m_adminUrl; }
    // Location of another database on the same server.
    QString urlFor(const QString &database) const;

    ~PgServer();

private:
    PgServer();
    void start();
    void stop();

    QString m_dir;
    QString m_binDir;
    QString m_runAs;
    QString m_adminUrl;
    bool m_owned = false;
};

} // namespace liqiva::test
