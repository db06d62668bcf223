#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace liqiva {

// A rule of the system says no: the operation is refused with a message for the user and
// nothing of it is written. Not a database error (DbError): the windows and the command show
// it as it stands, without the words of a failure.
class Refusal : public std::exception {
public:
    explicit Refusal(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace liqiva
