#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace liqiva {

class Connection;

// The four named rights of the current user on the settlement's object type, read once
// per run from the actions granted to the user's groups and to the user directly, in the
// branch. Action 1 grants all four; actions above 5 carry no right.
class UserRights {
public:
    static inline const QString NewSave = QStringLiteral("NewSave"); // action 2
    static inline const QString Delete = QStringLiteral("Delete");   // action 3
    static inline const QString Search = QStringLiteral("Search");   // action 4
    static inline const QString Print = QStringLiteral("Print");     // action 5

    // Reads the rights of a user for an object type in a branch.
    static UserRights read(Connection &db, int idUser, int idBranch, int objectType);
    // Every right, for tools that act for the suite (the command line).
    static UserRights all();
    // The rights of one user in many branches (a batch over many companies): the user's
    // groups are read once, then one statement per branch.
    class Reader {
    public:
        Reader(Connection &db, int idUser, int objectType);
        UserRights in(int idBranch);

    private:
        Connection &m_db;
        int m_idUser;
        int m_objectType;
        QList<QVariant> m_groups;
    };

    bool has(const QString &right) const;
    // The message for an operation refused for want of a right ("Diritti non sufficienti
    // per ..."), in the words the program uses for the VAT-data rebuild.
    static QString refusal(const QString &right);
    // The same, saying whose right lacks where and whom to ask.
    static QString refusal(const QString &right, int idUser, int idBranch, int idAzienda);
    bool newSave() const { return m_flags[1]; }
    bool canDelete() const { return m_flags[2]; }
    bool search() const { return m_flags[3]; }
    bool print() const { return m_flags[4]; }

    // Sets the flag of one action as the reader does (for tests of the appliers).
    void grant(int action);

private:
    bool m_flags[5] = {false, false, false, false, false};
};

} // namespace liqiva
