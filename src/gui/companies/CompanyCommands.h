#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace liqiva {

class Connection;
class MessageService;

// The main window's commands of one's own company and users: "Nuova azienda...", "Apri anno
// IVA..." and "Utenti e diritti...". Only an administrator has them.
namespace CompanyCommands {
const QStringList &keys();
// An administrator of the archive: the commands are enabled for this user.
bool mayUse(Connection &db, int user);
// Runs the command of the key; false when the key is not one of them. Refusals and failures
// are the caller's to show.
bool run(const QString &key, Connection &db, MessageService &messages, int user, int company, QWidget *parent);
// "Apri anno IVA": the year after the company's last one, or the year asked; gives its caption.
QString openYear(Connection &db, int company, int year, int user);
int nextYear(Connection &db, int company);
} // namespace CompanyCommands

} // namespace liqiva
