#include "gui/companies/frmAccesso.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace liqiva {

frmAccesso::frmAccesso(int user, const QString &userName, QWidget *parent) : QDialog(parent)
{
    auto *name = new QLabel(
        userName.isEmpty() ? QString::number(user) : QStringLiteral("%1 (%2)").arg(userName).arg(user), this);
    name->setObjectName(u"lblUtente"_qs);
    build(name, true);
}

frmAccesso::frmAccesso(const QStringList &userNames, const QString &lastUser, bool withPassword, QWidget *parent)
    : QDialog(parent)
{
    m_user = new QComboBox(this);
    m_user->setObjectName(u"cboUtente"_qs);
    m_user->setEditable(true);
    m_user->addItems(userNames);
    m_user->setInsertPolicy(QComboBox::NoInsert);
    m_user->setMinimumContentsLength(20);
    m_user->setCurrentText(lastUser.isEmpty() && !userNames.isEmpty() ? userNames.first() : lastUser);
    build(m_user, withPassword);
}

void frmAccesso::build(QWidget *userField, bool withPassword)
{
    setObjectName(u"frmAccesso"_qs);
    setWindowTitle(u"Accesso - Liquidazione I.V.A."_qs);
    auto *form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    form->addRow(u"&Utente:"_qs, userField);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"txtPassword"_qs);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMinimumWidth(220);
    if (withPassword)
        form->addRow(u"&Password:"_qs, m_password);
    else
        m_password->hide();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"OK"_qs);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdOK"_qs);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"Annulla"_qs);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(u"cmdAnnulla"_qs);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    if (m_user && withPassword && !m_user->currentText().isEmpty())
        m_password->setFocus();
    else if (m_user)
        m_user->setFocus();
    else
        m_password->setFocus();
}

QString frmAccesso::password() const
{
    return m_password->text();
}

QString frmAccesso::userName() const
{
    return m_user ? m_user->currentText().trimmed() : QString();
}

std::optional<QString> frmAccesso::ask(int user, const QString &userName)
{
    frmAccesso dialog(user, userName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}

} // namespace liqiva
