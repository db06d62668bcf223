#pragma once

#include <QString>
#include <memory>

namespace liqiva {

// Stand-ins for the two shared service objects the start-up creates for the persistence of
// the settlement amounts: a session described by a name, a kind and a time-out, and the
// host that is handed the session and then configured. The host lives until the end of the
// program; the end-of-program routine releases it.
class ServiceSession {
public:
    ServiceSession(const QString &name, int kind, int timeoutSeconds)
        : m_name(name), m_kind(kind), m_timeout(timeoutSeconds) {}
    QString name() const { return m_name; }
    int kind() const { return m_kind; }
    int timeoutSeconds() const { return m_timeout; }

private:
    QString m_name;
    int m_kind;
    int m_timeout;
};

class ServiceHost {
public:
    void attach(std::unique_ptr<ServiceSession> session) { m_session = std::move(session); }
    // Configured only once a session is attached.
    void configure() { m_configured = m_session != nullptr; }
    bool configured() const { return m_configured; }
    const ServiceSession *session() const { return m_session.get(); }

private:
    std::unique_ptr<ServiceSession> m_session;
    bool m_configured = false;
};

} // namespace liqiva
