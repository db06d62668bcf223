#pragma once

#include <QString>
#include <stdexcept>

namespace liqiva {

// A database error as the program sees it: the engine's message and its native error
// (SQLite extended result code, or the PostgreSQL SQLSTATE read as a number).
class DbError : public std::runtime_error {
public:
    DbError(const QString &message, const QString &nativeCode, const QString &statement = {})
        : std::runtime_error(message.toStdString()), m_message(message), m_nativeCode(nativeCode),
          m_statement(statement) {}
    // The same error, said as the failure of what the program was doing ("Impossibile salvare
    // ...: "): explainDbError puts the context before its explanation.
    DbError(const DbError &cause, const QString &context) : DbError(cause) { m_context = context + m_context; }

    QString message() const { return m_message; }
    QString nativeCode() const { return m_nativeCode; }
    // The native code as a number; 0 when the engine gave none or it is not numeric.
    long long nativeNumber() const { return m_nativeCode.toLongLong(); }
    QString statement() const { return m_statement; }
    QString context() const { return m_context; }

private:
    QString m_message;
    QString m_nativeCode;
    QString m_statement;
    QString m_context;
};

} // namespace liqiva
