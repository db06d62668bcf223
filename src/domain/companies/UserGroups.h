#pragma once

#include <QString>
#include <vector>

namespace liqiva {

class Connection;
class RowWriter;

// The three groups every database gets and what each may do, in every branch:
//   consultazione     search
//   elaborazione      search, new and save, print
//   amministrazione   every right, and the users and their groups
namespace Groups {
inline const QString Search = QStringLiteral("consultazione");
inline const QString Work = QStringLiteral("elaborazione");
inline const QString Admin = QStringLiteral("amministrazione");
} // namespace Groups

// The users and their groups. The write operations run in one transaction each.
class UserGroups {
public:
    explicit UserGroups(Connection &db) : m_db(db) {}

    // Makes the three groups that are missing, each with its rights in every branch of the
    // database. When the administrators' group is new, the users who already hold every
    // right on every object (action 1 on object type 1) become its members, so that an
    // existing database keeps its administrators.
    void ensureGroups(RowWriter &w);

    // The rights of the three groups in a new branch.
    void grantInBranch(RowWriter &w, int branch);

    bool isAdministrator(int user);
    int userCount();

    // A new user in a group; the first user of a database is an administrator whatever the
    // group asked. Refused when the name is taken. Gives the user's key.
    int addUser(const QString &name, const QString &group, int byUser);

    // Puts the user in the group, or takes the user out of it; the last administrator
    // stays one.
    void setMembership(int member, const QString &group, bool remove, int byUser);

private:
    int groupKey(const QString &name);
    Connection &m_db;
};

} // namespace liqiva
