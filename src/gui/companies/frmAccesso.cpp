#include "gui/companies/frmAccesso.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace liqiva {

frmAccesso::frmAccesso(int user, const QString &userName, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmAccesso"_qs);
    setWindowTitle(u"Accesso - Liquidazione I.V.A."_qs);
    auto *form = new QFormLayout(this);
    auto *name = new QLabel(
        userName.isEmpty() ? QString::number(user) : QStringLiteral("%1 (%2)").arg(userName).arg(user), this);
    name->setObjectName(u"lblUtente"_qs);
    form->addRow(u"Utente:"_qs, name);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"txtPassword"_qs);
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(u"Password:"_qs, m_password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"OK"_qs);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdOK"_qs);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"Annulla"_qs);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(u"cmdAnnulla"_qs);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    m_password->setFocus();
}

QString frmAccesso::password() const
{
    return m_password->text();
}

std::optional<QString> frmAccesso::ask(int user, const QString &userName)
{
    frmAccesso dialog(user, userName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}

} // namespace liqiva
