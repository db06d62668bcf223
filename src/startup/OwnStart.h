#pragma once

#include "database/Connection.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace liqiva {

class HandOverStore;

// The start of our own, beside the suite's hand-over: the program started with no hand-over
// (from the desktop, or with no arguments) chooses an archive, signs its user in and picks the
// company and branch, then writes the hand-over block the program reads as the launcher's. The
// windows ask; this class does the rest. A password never reaches the store: the connection
// opened here (on PostgreSQL with the password asked) is handed to the program in the process.
class OwnStart {
public:
    // No hand-over waits in the program's section: the start is ours.
    static bool wanted(const HandOverStore &store, const QString &section);

    // The archives opened before, the latest first (SQLite files and PostgreSQL addresses
    // without a password).
    static QStringList recentArchives(const HandOverStore &store);
    static void rememberArchive(HandOverStore &store, const QString &location);
    static constexpr int kRecentArchives = 8;

    // A new SQLite archive: the file must not exist; its tables and reference rows are created
    // as `liqiva schema` creates them. Throws Refusal or DbError; on failure no file is left.
    static std::unique_ptr<Connection> createArchive(const QString &path);
    // An archive that exists, by its location (a file path or a PostgreSQL address). The
    // password, when given, only opens the connection.
    static std::unique_ptr<Connection> openArchive(const QString &location, const QString &password = {});
    // The PostgreSQL address of a server, database and role, without a password.
    static QString serverAddress(const QString &host, int port, const QString &database, const QString &user);

    struct User {
        int id = 0;
        QString name;
        bool hasPassword = false;
    };
    static std::vector<User> users(Connection &db);
    // The sign-in is skipped when no user of the database has a password.
    static bool anyPassword(Connection &db);
    // The user of a name (case is ignored); refused (Refusal) when there is none.
    static User userNamed(Connection &db, const QString &name);

    // A branch of a company, with the activity it belongs to.
    struct Place {
        int company = 0;
        QString companyName;
        int branch = 0;
        QString branchName;
        int activity = 0;
    };
    static std::vector<Place> places(Connection &db);
    static QString placeCaption(const Place &p);

    // Writes the hand-over block for the user and the place, as the launcher writes it (the
    // password key stays empty).
    static void writeHandOver(HandOverStore &store, const QString &section, Connection &db, const User &user,
                              const Place &place);
};

} // namespace liqiva
