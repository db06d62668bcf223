#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace liqiva {

class Connection;

// The server roles of a shared PostgreSQL database and the users of the suite they are
// (table RuoloServerUtente). A connection whose role is mapped acts only for that role's user;
// a mapped database refuses a connection whose role has no user. On SQLite, or with no row in
// the table, anyone acts for any user, as before.
class ServerRoles {
public:
    explicit ServerRoles(Connection &db) : m_db(db) {}

    // The user of the connecting role; nothing when the database maps no roles.
    std::optional<int> userOfConnection();
    // Refuses (Refusal) acting for a user other than the connecting role's.
    void requireActingUser(int user);
    // Whether the connected role holds the privilege ("DELETE") on the table: always on SQLite
    // and for the tables' owner; on a shared server a search-only role holds only SELECT.
    bool roleMay(const QString &privilege, const QString &table);

    // Maps a role (a lower-case server name) to a user, replacing the role's earlier user.
    void map(const QString &role, int user, int byUser);

    // Gives each mapped role the table privileges its user's rights need, and nothing else:
    // search only, SELECT; save and print also INSERT, UPDATE and DELETE on every table but the
    // users' and their rights; the administrators every privilege. Every role may keep its
    // session's rows (the usage register, the count of wrong passwords). The password hashes
    // are the administrators' to read; any other role sees and changes only its own user's
    // row (row security). Gives one line per role.
    QStringList grantPrivileges();

    // A role name the server takes without quoting surprises: lower-case letters, digits and
    // underscores, from a letter or underscore, at most 63 characters.
    static bool validRoleName(const QString &role);

private:
    void protectPasswordHashes(const QStringList &administrators);
    Connection &m_db;
};

} // namespace liqiva
