#pragma once

#include "database/Connection.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QListWidget;
class QLineEdit;
class QSpinBox;

namespace liqiva {

class HandOverStore;
class MessageService;

// "Apri archivio": the archives opened before, "Nuovo archivio..." (a new SQLite file with its
// tables), "Apri..." (a file that exists) and "Server PostgreSQL...". It closes with the
// archive open.
class frmApriArchivio : public QDialog {
    Q_OBJECT
public:
    frmApriArchivio(HandOverStore &store, MessageService &messages, QWidget *parent = nullptr);
    ~frmApriArchivio() override;

    // The archive opened, once the dialog is accepted.
    std::unique_ptr<Connection> takeConnection() { return std::move(m_db); }

    // The file chooser (forNew: a file to create); the tests answer in its place.
    std::function<QString(bool forNew)> chooseFile;
    // The server dialog; the tests answer in its place. The address and the password typed.
    std::function<std::optional<std::pair<QString, QString>>()> askServer;

    void openRecent();
    void newArchive();
    void openFile();
    void openServer();

private:
    // Opens (or creates) through the action; accepts the dialog when it succeeded.
    template <typename Open> void tryOpen(const QString &remembered, Open &&open);

    HandOverStore &m_store;
    MessageService &m_messages;
    QListWidget *m_recent;
    std::unique_ptr<Connection> m_db;
};

// "Server PostgreSQL": host, port, database, role and password. The password is only used to
// connect; left empty, the server's password file (~/.pgpass) and PGPASSWORD answer, as for
// every client of the server. The other fields start from PGHOST, PGPORT, PGDATABASE, PGUSER.
class frmServerPostgres : public QDialog {
    Q_OBJECT
public:
    explicit frmServerPostgres(QWidget *parent = nullptr);
    QString address() const; // throws Refusal when the database is missing
    QString password() const;

private:
    QLineEdit *m_host, *m_database, *m_user, *m_password;
    QSpinBox *m_port;
};

// What the start of our own ends with: the archive open and the user signed in, the hand-over
// block written for the program.
struct OwnStartChoice {
    std::unique_ptr<Connection> db;
    int user = 0;
};

// The start of our own, window by window: the archive, the sign-in (when a user of the
// archive has a password; a new archive's first user is made here), "Nuova azienda..." when
// the archive has no company yet, the company and branch when there are several. Nothing
// when the person gives up.
class OwnStartWindows {
public:
    OwnStartWindows(HandOverStore &store, MessageService &messages, QString section)
        : m_store(store), m_messages(messages), m_section(std::move(section))
    {
    }
    std::optional<OwnStartChoice> run();

    // The steps after the archive, for the tests: on an open archive.
    std::optional<OwnStartChoice> afterArchive(std::unique_ptr<Connection> db);

private:
    HandOverStore &m_store;
    MessageService &m_messages;
    QString m_section;
};

} // namespace liqiva
