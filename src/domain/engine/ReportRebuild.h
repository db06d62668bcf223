#pragma once

#include "domain/engine/ReportHeader.h"
#include "domain/engine/ReportRows.h"
#include "domain/engine/SettlementIdentity.h"
#include "suite/Money.h"
#include "suite/Percent.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace liqiva {

// A class of the flat-rate compensation of the special agricultural regime: the sales of the
// period at one compensation percentage and the VAT they make deductible.
struct CompensationGroup {
    int idCompensazioneIva = 0;
    Percent percentualeCompensazione;
    Money totaleVendite;
    // TotaleVendite x PercentualeCompensazione / 100 rounded to the currency unit, 0 when the
    // class had no sales.
    Money ivaDetraibile;
};

// What the rebuild takes from the settlement document, as plain values.
struct ReportInputs {
    // The period caption of the document (the text after "Periodo: " in its title), e.g.
    // "APR-MAG-GIU 1999" or "Dicembre Acconto 2024 - Analitico".
    QString periodCaption;
    // The deduction percentage of the pro-rata (100 without pro-rata).
    Percent percProRata = Percent::points(100);
    // The VAT of the other operations of the December advance (TotaleImposta), when the
    // document has them.
    std::optional<Money> otherOperationsVat;
    // The truckers' credit the document already holds after its dialog: used and residual.
    // They count when their sum is 1 or more.
    Money truckersCreditUsed;
    Money truckersCreditResidual;
    // The flat-rate compensation classes the document keeps; when absent the engine reads
    // them from the counters itself.
    std::optional<QList<CompensationGroup>> compensationGroups;
    // False when the document hides its tab of receipts to split: the ventilation is skipped.
    bool ventilationShown = true;
};

// What the rebuild leaves besides the two report tables.
struct ReportOutcome {
    int idCampoReportLiquidazioneIva = 0;
    // The VAT year whose counters were read: the previous one for the December advance with
    // the historical method (0 when the activity has none), else the settlement's own.
    int idPeriodoIvaContatori = 0;
    int tipoLiquidazioneIvaContatori = 0;
    int rowsWritten = 0;
    // The flat-rate compensation classes used (special agricultural regime only).
    QList<CompensationGroup> compensationGroups;
    // The split of receipts could not be closed to 100 %: no ventilation rows were written.
    bool ventilationAnomaly = false;
    // The warnings of the rebuild, for the caller to show (the transaction is committed).
    QStringList messages;
    // The rows and the header as the rebuild computed them, so that the caller shows them
    // without reading them back. The header keeps its zero totals, which the record holds as
    // NULL for the print.
    ReportRows rows;
    ReportHeader header;
    // The payment print flags of the settlement row, as read under the rebuild's lock (false
    // for a deleted row).
    bool printPeriodicPayment = false;
    bool printAdvancePayment = false;
    // The receipts split by rate that the declaration counts: the taxable amounts of the
    // rows whose VAT code is reported in the declaration.
    Money ventilatedForDeclaration;
};

// Rebuilds the report of a settlement: deletes its report rows, writes them again from the
// VAT counters (purchases, sales, receipts, receipts split by rate) together with the header
// record, then fills the period fields, the payment fields and the preceding period's fields
// of the header. Everything runs in one transaction and is rolled back whole on an error,
// which is thrown (DbError) to the caller. Bad identity or inputs are refused with a DbError
// whose message says why, before anything is written.
ReportOutcome sbRicalcolaReportLiquidazione(EngineContext &ctx, const SettlementIdentity &id,
                                            const ReportInputs &inputs);

// The flat-rate compensation classes of a settlement's period, with their deductible VAT,
// for the document to keep.
QList<CompensationGroup> fnRaggruppamentiArt34(EngineContext &ctx, const SettlementIdentity &id);

// The VAT year whose counters a settlement reads: for the December advance with the
// historical method the activity's VAT year of the previous calendar year (0 when there is
// none), otherwise the settlement's own. tipoLiquidazioneIva receives that year's settlement
// type when given.
int fnPeriodoIvaContatori(Connection &db, const SettlementIdentity &id, int *tipoLiquidazioneIva = nullptr);

// The literal the database in use takes as true for a Boolean column written by the engine.
int sqlTrueValue(int dbType);

} // namespace liqiva
