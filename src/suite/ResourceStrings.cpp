#include "suite/ResourceStrings.h"

#include <QHash>

namespace liqiva {

namespace {

const QHash<int, QString> &texts()
{
    static const QHash<int, QString> table = {
        {ResourceStrings::RegistryApplicationName, QStringLiteral("Brevanto")},
        {ResourceStrings::NoUserOrCompany,
         QStringLiteral("Utente o azienda non specificati: il programma deve essere avviato dal menu di Brevanto.")},
        {ResourceStrings::SaveChangesQuestion, QStringLiteral("Salvare le modifiche apportate a")},
        {ResourceStrings::DatabaseTypeMissing,
         QStringLiteral("Il tipo di database non è configurato (MenuSettings, DBType): impossibile avviare il "
                        "programma. Avviarlo dal menu di Brevanto oppure verificare l'installazione.")},
        {ResourceStrings::ModuleDidNotStart,
         QStringLiteral("Il programma richiesto non si è avviato entro il tempo previsto.")},
    };
    return table;
}

} // namespace

QString ResourceStrings::text(int number) const
{
    const auto it = texts().constFind(number);
    if (it == texts().constEnd())
        return QStringLiteral("[testo %1 non disponibile]").arg(number);
    return *it;
}

bool ResourceStrings::has(int number) const
{
    return texts().contains(number);
}

} // namespace liqiva
