#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

class QComboBox;
class QLineEdit;

namespace liqiva {

// "Accesso": the password of a user who has one, asked when the program starts; in the start
// of our own also the user's name. The text typed is never shown, stored or written anywhere.
class frmAccesso : public QDialog {
    Q_OBJECT
public:
    // The hand-over's user, named.
    frmAccesso(int user, const QString &userName, QWidget *parent = nullptr);
    // The start of our own: the name typed or chosen among the archive's users; without
    // withPassword the password is not asked (no user of the archive has one).
    frmAccesso(const QStringList &userNames, const QString &lastUser, bool withPassword, QWidget *parent = nullptr);

    QString password() const;
    QString userName() const;

    // Shows the dialog; the password, or nothing when the person gives up.
    static std::optional<QString> ask(int user, const QString &userName);

private:
    void build(QWidget *userField, bool withPassword);
    QComboBox *m_user = nullptr;
    QLineEdit *m_password = nullptr;
};

} // namespace liqiva
