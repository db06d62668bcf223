#pragma once

#include <QString>
#include <stdexcept>

namespace liqiva {

// A reason why the start-up cannot go on, with the text shown to the user (a missing or
// non-numeric hand-over key, a database that cannot be reached, ...).
class StartupError : public std::runtime_error {
public:
    explicit StartupError(const QString &message, long long number = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_number(number) {}
    QString message() const { return m_message; }
    long long number() const { return m_number; }

private:
    QString m_message;
    long long m_number;
};

} // namespace liqiva
