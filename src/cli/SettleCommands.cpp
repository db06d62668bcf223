#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "document/SavedSettlements.h"

#include <QJsonArray>

namespace liqiva::cli {

namespace {

int runList(const CliArgs &args)
{
    auto db = openDatabase(args);
    const int company = args.integer(u"company"_qs);
    const auto list = listSavedSettlements(*db, company);
    if (args.flag(u"json"_qs)) {
        QJsonArray rows;
        for (const SavedSettlement &s : list) {
            QJsonObject o;
            o.insert(u"IDRisultatoLiquidazioneIva"_qs, s.idRisultatoLiquidazioneIva);
            o.insert(u"IDPeriodoIva"_qs, s.idPeriodoIva);
            o.insert(u"IDMese"_qs, s.idMese);
            o.insert(u"IDAttivitaAzienda"_qs, s.idAttivitaAzienda);
            o.insert(u"Periodo"_qs, s.periodo);
            o.insert(u"PeriodoIva"_qs, s.periodoIva);
            o.insert(u"Anno"_qs, s.anno);
            o.insert(u"Mesi"_qs, s.mesi);
            o.insert(u"AttivitaAzienda"_qs, s.attivitaAzienda);
            o.insert(u"CodiceAttivita"_qs, s.codiceAttivita);
            o.insert(u"DescrizioneAttivita"_qs, s.descrizioneAttivita);
            o.insert(u"MetodoCalcoloAccontoIva"_qs, s.metodoCalcoloAccontoIva);
            rows.append(o);
        }
        QJsonObject root;
        root.insert(u"company"_qs, company);
        root.insert(u"settlements"_qs, rows);
        printJson(root);
        return 0;
    }
    if (list.empty()) {
        out(u"Nessuna liquidazione salvata."_qs);
        return 0;
    }
    out(QStringLiteral("%1  %2  %3  %4").arg(u"Chiave"_qs, 7).arg(u"Periodo"_qs, -22).arg(u"Anno"_qs, -5).arg(u"Attività"_qs));
    for (const SavedSettlement &s : list)
        out(QStringLiteral("%1  %2  %3  %4")
                .arg(s.idRisultatoLiquidazioneIva, 7)
                .arg(s.mesi, -22)
                .arg(s.anno, -5)
                .arg(s.attivitaAzienda));
    return 0;
}

} // namespace

const std::vector<Command> &settleCommands()
{
    static const std::vector<Command> table = {
        {"list", "list    --db URL --company N [--json]   le liquidazioni salvate, come le elenca la ricerca",
         {u"json"_qs}, runList},
    };
    return table;
}

} // namespace liqiva::cli
