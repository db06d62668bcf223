#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

namespace liqiva {

// "Accesso": the password of a user who has one, asked when the program starts. The text
// typed is never shown, stored or written anywhere.
class frmAccesso : public QDialog {
    Q_OBJECT
public:
    frmAccesso(int user, const QString &userName, QWidget *parent = nullptr);

    QString password() const;

    // Shows the dialog; the password, or nothing when the person gives up.
    static std::optional<QString> ask(int user, const QString &userName);

private:
    QLineEdit *m_password;
};

} // namespace liqiva
