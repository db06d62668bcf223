#pragma once

#include "domain/document/ReportView.h"
#include "domain/engine/ActivitySettings.h"
#include "domain/engine/ReportRebuild.h"

namespace liqiva {

class Connection;

// What the summaries need besides the header record.
struct SummaryInputs {
    bool gestioneArt36 = false;
    int idPeriodoIva = 0;
    int idAttivitaAzienda = 0;
    // Flat-rate compensation groups (only shown with the special agricultural regime).
    QList<CompensationGroup> compensation;
    // The activity in the VAT year as the caller read it; null: read here.
    const ActivitySettings *activityYear = nullptr;
};

// Reads the report rows and the header record of a settlement into the detail grids (a
// line for every report row whose two amounts in the grid's columns do not cancel out,
// then a totals line) and the credit and debit summaries, in their fixed order.
ReportView readReport(Connection &db, int idRisultatoLiquidazioneIva, const SummaryInputs &inputs);

// For the printed report: zero totals of the header record become NULL.
void blankZeroTotals(Connection &db, int idRisultatoLiquidazioneIva);

} // namespace liqiva
