#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "companies/CompanySetup.h"
#include "companies/VatYear.h"
#include "startup/database/Connection.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

namespace liqiva::cli {

namespace {

QJsonObject readJsonFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Refusal(
            QStringLiteral("Il file %1 non si apre (%2): nulla è stato scritto.").arg(path, file.errorString()));
    const QByteArray bytes = file.read(4 << 20);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        const int line = int(bytes.left(error.offset).count('\n')) + 1;
        throw Refusal(QStringLiteral("Il file %1 non è JSON valido alla riga %2 (%3): nulla è stato scritto.")
                          .arg(path)
                          .arg(line)
                          .arg(error.errorString()));
    }
    if (!doc.isObject())
        throw Refusal(QStringLiteral("Il file %1 deve contenere un oggetto { ... }: nulla è stato scritto.").arg(path));
    return doc.object();
}

int runCompanyCreate(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    if (!args.has(u"input"_qs))
        throw UsageError{u"manca --input FILE.json"_qs};
    // The file is read and checked before the database is touched.
    const CompanySetup setup = CompanySetup::fromJson(readJsonFile(args.value(u"input"_qs)));
    auto db = openDatabase(args);
    requireUser(*db, user);
    const CreatedCompany made = createCompany(*db, setup, user);
    out(QStringLiteral("Azienda %1 creata: %2, partita IVA %3, anno IVA %4 (chiave %5).")
            .arg(made.company)
            .arg(setup.name, setup.vatNumber)
            .arg(setup.firstYear)
            .arg(made.vatYear));
    for (size_t k = 0; k < made.activities.size(); ++k)
        out(QStringLiteral("  attività %1 \"%2\", filiale %3 \"%4\"")
                .arg(made.activities[k])
                .arg(setup.activities[k].name)
                .arg(made.branches[k])
                .arg(setup.activities[k].branch));
    return 0;
}

int runYearOpen(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int company = args.key(u"company"_qs);
    const int year = args.integer(u"year"_qs, 2000, 2100);
    auto db = openDatabase(args);
    requireUserOfCompany(*db, user, company, u"NewSave"_qs);
    const int key = openVatYear(*db, company, year, user);
    out(QStringLiteral("Anno IVA %1 aperto per l'azienda %2 (chiave %3), con le impostazioni del %4.")
            .arg(year)
            .arg(company)
            .arg(key)
            .arg(year - 1));
    return 0;
}

} // namespace

const std::vector<Command> &companyCommands()
{
    static const std::vector<Command> table = {
        {"company create",
         "company create --db URL --user N --input FILE.json   crea un'azienda: anagrafica, dichiarante, "
         "versamenti minimi, attività e filiali, primo anno IVA, registro delle liquidazioni, codici IVA",
         {u"db"_qs, u"user"_qs, u"input"_qs},
         {},
         runCompanyCreate},
        {"year open",
         "year open --db URL --user N --company N --year Y   apre l'anno IVA Y con le impostazioni delle attività "
         "dell'anno Y-1",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"year"_qs},
         {},
         runYearOpen},
    };
    return table;
}

} // namespace liqiva::cli
