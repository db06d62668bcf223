#pragma once

#include <QDateTime>
#include <QString>

namespace liqiva {

class Connection;

// The users' passwords: only a slow salted hash of each is kept (Argon2id), in a table of our
// own beside the suite's users. Five wrong passwords in a row lock the user out for five
// minutes. A user without a password signs in without one, as before passwords existed.
// No text here ever carries a password.
class UserPasswords {
public:
    static constexpr int kWrongInARow = 5;
    static constexpr int kLockSeconds = 5 * 60;

    explicit UserPasswords(Connection &db) : m_db(db) {}

    bool hasPassword(int user);

    // Refuses (Refusal) a wrong password, or any while the user is locked out; counts the
    // wrong ones and locks the user at the fifth in a row; a right one clears the count.
    void signIn(int user, const QString &password, const QDateTime &now = QDateTime::currentDateTimeUtc());

    // Stores the hash of a new password (at least 8 characters), clearing the count and the lock.
    void setPassword(int user, const QString &password, int byUser);

    // Why a text cannot be a password, or an empty text when it can.
    static QString problemOf(const QString &password);

    // The hash as stored, and its check: exposed for the tests.
    static QString hash(const QString &password);
    static bool matches(const QString &hash, const QString &password);

private:
    Connection &m_db;
};

} // namespace liqiva
