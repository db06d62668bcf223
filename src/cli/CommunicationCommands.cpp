#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "communication/PeriodicCommunication.h"
#include "document/CompanyDirectory.h"
#include "startup/rights/UserRights.h"

namespace liqiva::cli {

namespace {

// The communication of a company's quarter: built from the saved settlements, validated
// against the official schema and only then written. Nothing is written on a refusal.
int runCommunication(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int company = args.key(u"company"_qs);
    const int year = args.integer(u"year"_qs, 2000, 2099);
    const int quarter = args.integer(u"quarter"_qs, 1, 4);
    const QString path = args.value(u"out"_qs);
    if (path.isEmpty())
        throw UsageError{u"manca --out FILE.xml"_qs};
    auto db = openDatabase(args);
    CompanyDirectory directory(*db);
    if (!directory.userExists(user))
        throw Refusal(QStringLiteral("L'utente %1 non esiste: indicare con --user un utente del database.").arg(user));
    if (!directory.companyExists(company))
        throw Refusal(QStringLiteral("L'azienda %1 non esiste: indicare con --company un'azienda del database.").arg(company));
    requireRight(*db, user, company, UserRights::Search);
    const PeriodicCommunicationData data = loadPeriodicCommunication(*db, company, year, quarter);
    writePeriodicCommunication(data, path);
    out(QStringLiteral("Comunicazione liquidazioni periodiche IVA %1, %2° trimestre %3: %4 moduli scritti in %5.")
            .arg(data.azienda)
            .arg(quarter)
            .arg(year)
            .arg(data.modules.size())
            .arg(path));
    return 0;
}

} // namespace

const std::vector<Command> &communicationCommands()
{
    static const std::vector<Command> table = {
        {"communication",
         "communication --db URL --user N --company N --year Y --quarter Q --out FILE.xml  la comunicazione delle "
         "liquidazioni periodiche IVA del trimestre, verificata sullo schema ufficiale",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"year"_qs, u"quarter"_qs, u"out"_qs},
         {},
         runCommunication},
    };
    return table;
}

} // namespace liqiva::cli
