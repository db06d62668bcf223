#pragma once

#include <QDialog>

class QTableWidget;

namespace liqiva {

class Connection;
class MessageService;

// "Utenti e diritti": the users of the archive with their groups and whether they have a
// password; a new user, a password set or reset, a user put in or taken out of a group. Only
// an administrator opens it; the last administrator stays one.
class frmUtenti : public QDialog {
    Q_OBJECT
public:
    frmUtenti(Connection &db, MessageService &messages, int user, QWidget *parent = nullptr);

    void refresh();
    // The selected user's key, or 0.
    int selectedUser() const;
    bool selectUser(const QString &name);

    // The actions of the buttons; the dialogs they ask through are the tests' to answer.
    void newUser(const QString &name, const QString &group);
    void setPassword(const QString &password, const QString &repeated);
    void setMembership(const QString &group, bool remove);

private:
    Connection &m_db;
    MessageService &m_messages;
    int m_user;
    QTableWidget *m_users;
};

} // namespace liqiva
