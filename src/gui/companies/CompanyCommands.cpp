#include "gui/companies/CompanyCommands.h"

#include "database/Connection.h"
#include "domain/companies/UserGroups.h"
#include "domain/companies/VatYear.h"
#include "gui/companies/frmNuovaAzienda.h"
#include "gui/companies/frmUtenti.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QDate>
#include <QInputDialog>

namespace liqiva {

const QStringList &CompanyCommands::keys()
{
    static const QStringList k = {u"Mnu_NuovaAzienda"_qs, u"Mnu_ApriAnnoIva"_qs, u"Mnu_Utenti"_qs};
    return k;
}

bool CompanyCommands::mayUse(Connection &db, int user)
{
    try {
        return UserGroups(db).isAdministrator(user);
    } catch (...) {
        return false;
    }
}

int CompanyCommands::nextYear(Connection &db, int company)
{
    const QVariant last =
        db.scalar(u"SELECT MAX(Anno) FROM PeriodoIva WHERE IDAzienda = ? AND VirtualDelete = 0"_qs, {company});
    return last.isNull() ? QDate::currentDate().year() : last.toInt() + 1;
}

QString CompanyCommands::openYear(Connection &db, int company, int year, int user)
{
    openVatYear(db, company, year, user);
    return QStringLiteral("L'anno IVA %1 è aperto: le impostazioni di ogni attività sono quelle del %2.")
        .arg(year)
        .arg(year - 1);
}

bool CompanyCommands::run(const QString &key, Connection &db, MessageService &messages, int user, int company,
                          QWidget *parent)
{
    if (!keys().contains(key))
        return false;
    if (!mayUse(db, user))
        throw Refusal(u"Solo un utente del gruppo amministrazione può gestire aziende, anni IVA e utenti."_qs);
    if (key == u"Mnu_NuovaAzienda"_qs) {
        frmNuovaAzienda dialog(db, messages, user, parent);
        dialog.exec();
    } else if (key == u"Mnu_Utenti"_qs) {
        frmUtenti dialog(db, messages, user, parent);
        dialog.exec();
    } else {
        bool ok = false;
        const int year = QInputDialog::getInt(parent, u"Apri anno IVA"_qs, u"Anno IVA da aprire:"_qs,
                                              nextYear(db, company), 2000, 2100, 1, &ok);
        if (ok)
            messages.inform(openYear(db, company, year, user));
    }
    return true;
}

} // namespace liqiva
