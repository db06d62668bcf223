#pragma once

#include "domain/engine/ActivitySettings.h"
#include "domain/engine/CounterQueries.h"
#include "domain/engine/ReportHeader.h"
#include "domain/engine/ReportRebuild.h"
#include "domain/engine/ReportRows.h"

namespace liqiva {

// Everything one rebuild works on, handed from step to step of the driver.
struct ReportState {
    ReportState(EngineContext &c, const SettlementIdentity &i, const ReportInputs &in) : ctx(c), id(i), inputs(in) {}

    EngineContext &ctx;
    const SettlementIdentity &id;
    const ReportInputs &inputs;

    CounterPeriod period;     // the counters' period (previous VAT year for the historical advance)
    int idCampo = 0;          // the header record
    ActivitySettings year;        // the activity in the settlement's own VAT year
    int tipoLiquidazioneIva = 0; // the activity's settlement type of the settlement's own VAT year
    bool printPeriodicPayment = false; // RipStampaVersamentiPeriodici of a live settlement
    bool printAdvancePayment = false;  // RipStampaVersamentiInAcconto of a live settlement
    ReportRows rows;
    ReportHeader header;
    QList<CompensationGroup> groups;
    bool ventilationAnomaly = false;
    Money ventilatedForDeclaration; // split receipts of the VAT codes the declaration reports
    QStringList messages;     // shown once the transaction is committed

    Connection &db() { return ctx.db; }
    // Amounts in lire: the company keeps its accounts in lire, or the year is before 2000.
    bool lira() const { return !ctx.euro || id.lireRules(); }
    Step unit() const { return currencyStep(!lira()); }
};

// The row builders, in the order the driver calls them: purchases, sales and receipts from
// one read of the counters, then the split of receipts.
void sbRigheContatori(ReportState &state);
void sbRigheVentilazione(ReportState &state);

// The header steps that follow them.
void sbCampiPeriodo(ReportState &state);
void sbCampiVersamenti(ReportState &state);
void sbCampiPeriodoPrecedente(ReportState &state);

// The compensation classes of the period with their deductible VAT.
QList<CompensationGroup> readCompensationGroups(Connection &db, const CounterPeriod &period, Step unit);

} // namespace liqiva
