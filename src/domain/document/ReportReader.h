#pragma once

#include "domain/document/ReportView.h"
#include "domain/engine/ActivitySettings.h"
#include "domain/engine/ReportRebuild.h"

namespace liqiva {

// What the summaries need besides the header record.
struct SummaryInputs {
    bool gestioneArt36 = false;
    // Flat-rate compensation groups (only shown with the special agricultural regime).
    QList<CompensationGroup> compensation;
    // The activity in the VAT year as the caller read it.
    ActivitySettings activityYear;
};

// The report rows and the header of a settlement as the rebuild computed them, as detail
// grids (a line for every row whose two amounts in the grid's columns do not cancel out, then
// a totals line) and the credit and debit summaries, in their fixed order.
ReportView reportView(const ReportRows &rows, const ReportHeader &header, const SummaryInputs &inputs);

} // namespace liqiva
