#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "domain/communication/PeriodicCommunication.h"
#include "domain/document/InputText.h"
#include "domain/overview/YearOverview.h"
#include "suite/WholeFile.h"
#include "suite/rights/UserRights.h"

#include <QJsonArray>

namespace liqiva::cli {

namespace {

// The communication of a company's quarter: built from the saved settlements, validated
// against the official schema and only then written; its settlements are then marked
// communicated. Nothing is written on a refusal.
int runCommunication(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int company = args.key(u"company"_qs);
    const int year = args.integer(u"year"_qs, 2000, 2099);
    const int quarter = args.integer(u"quarter"_qs, 1, 4);
    const QString path = args.value(u"out"_qs);
    if (path.isEmpty())
        throw UsageError{u"manca --out FILE.xml"_qs};
    const WholeFile::Replace replace = args.flag(u"yes"_qs) ? WholeFile::Replace::Yes : WholeFile::Replace::No;
    // Refused before any work: a folder, a device, an existing file without --yes.
    WholeFile::check(path, replace);
    // Writing the file marks the quarter's settlements communicated: a write.
    auto db = openForCompany(args, user, company, UserRights::NewSave);
    const PeriodicCommunicationData data = loadPeriodicCommunication(*db, company, year, quarter);
    out(communicationWrittenText(data, communicate(*db, data, path, user, replace), path));
    return 0;
}

// A year of the company's settlements: one row per activity, one cell per period.
int runYear(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int company = args.key(u"company"_qs);
    const int year = args.integer(u"year"_qs, 1900, 2099);
    auto db = openForCompany(args, user, company, UserRights::Search);
    const YearOverview o = loadYearOverview(*db, company, year);
    if (args.flag(u"json"_qs)) {
        QJsonArray rows;
        for (const YearRow &r : o.rows) {
            QJsonArray cells;
            for (const YearCell &c : r.cells) {
                QJsonObject cell;
                cell.insert(u"IDMese"_qs, c.period);
                cell.insert(u"Periodo"_qs, yearPeriodCaption(c.period, r.quarterly));
                cell.insert(u"Stato"_qs, yearCellStateText(c.state));
                cell.insert(u"IDRisultatoLiquidazioneIva"_qs, c.key ? QJsonValue(c.key) : QJsonValue(QJsonValue::Null));
                cell.insert(u"Importo"_qs, c.amount ? QJsonValue(c.amount->toDouble()) : QJsonValue(QJsonValue::Null));
                cells.append(cell);
            }
            QJsonObject row;
            row.insert(u"IDAttivitaAzienda"_qs, r.idAttivitaAzienda);
            row.insert(u"AttivitaAzienda"_qs, r.attivitaAzienda);
            row.insert(u"TipoLiquidazione"_qs, r.quarterly ? u"Trimestrale"_qs : u"Mensile"_qs);
            row.insert(u"celle"_qs, cells);
            rows.append(row);
        }
        QJsonObject root;
        root.insert(u"company"_qs, company);
        root.insert(u"year"_qs, year);
        root.insert(u"activities"_qs, rows);
        printJson(root);
        return 0;
    }
    // One block per activity: a line per period with its state and its amount (to pay, or
    // a credit with a minus).
    for (const YearRow &r : o.rows) {
        out(QStringLiteral("%1 (%2)").arg(r.attivitaAzienda, r.quarterly ? u"trimestrale"_qs : u"mensile"_qs));
        for (const YearCell &c : r.cells)
            out(QStringLiteral("  %1 %2 %3 %4")
                    .arg(yearPeriodCaption(c.period, r.quarterly), -9)
                    .arg(yearCellStateText(c.state), -23)
                    .arg(formatAmount(c.amount, true), 14)
                    .arg(c.key ? QStringLiteral("(%1)").arg(c.key) : QString()));
    }
    return 0;
}

} // namespace

const std::vector<Command> &communicationCommands()
{
    static const std::vector<Command> table = {
        {"communication",
         "communication --db URL --user N --company N --year Y --quarter Q --out FILE.xml [--yes]  la comunicazione "
         "delle liquidazioni periodiche IVA del trimestre, verificata sullo schema ufficiale; un file esistente si "
         "sostituisce solo con --yes",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"year"_qs, u"quarter"_qs, u"out"_qs},
         {u"yes"_qs},
         runCommunication},
        {"year",
         "year    --db URL --user N --company N --year Y [--json]  l'anno delle liquidazioni a colpo d'occhio: "
         "per attività, ogni periodo con il suo stato e l'importo",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"year"_qs},
         {u"json"_qs},
         runYear},
    };
    return table;
}

} // namespace liqiva::cli
