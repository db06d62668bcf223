#pragma once

#include "domain/printing/PrintedReport.h"

#include <QString>

namespace liqiva {

class Connection;
class SettlementDocument;

// The company on the page header: its name and VAT number.
struct CompanyHeading {
    QString name;
    QString vatNumber;
};
CompanyHeading readCompanyHeading(Connection &db, int idAzienda);

// Adds the pages of one filled settlement to a report: the period, the detail rows by VAT
// code with their totals (only the tables that have rows), the credit and debit summaries,
// the declaration grid with the closing amounts, and the payment data.
void addSettlementPages(PageBuilder &pages, const SettlementDocument &doc);

// The caption of a settlement in the page header ("Gennaio 2024 - Negozio al dettaglio").
QString settlementCaption(const SettlementDocument &doc);

} // namespace liqiva
