#pragma once

#include "suite/Money.h"

#include <QString>

namespace liqiva {

class Connection;

// Counter kinds of ContatoreIva (IDTipoContatoreIva) that the engine reads.
namespace CounterKind {
constexpr int Purchases = 1;
constexpr int SalesInvoices = 2;
constexpr int SalesWithReceipts = 3;
constexpr int SalesWithReceiptsToSplit = 4;
constexpr int Receipts = 5;
constexpr int ReceiptsToSplit = 6;
constexpr int SalesSuspended = 7;
constexpr int PurchasesSuspended = 8;
constexpr int CollectionsOfSuspended = 9;
constexpr int PaymentsOfSuspended = 10;
constexpr int SplitSales = 12;
constexpr int SplitSalesSuspended = 13;
constexpr int SplitSalesCollected = 14;
constexpr int SplitPurchases = 15;
} // namespace CounterKind

// Customer class selector of the sales query (IDClassificazioneIvaCF).
namespace CustomerClass {
constexpr int Any = 0;           // no condition
constexpr int IntraEu = 1;       // class 6
constexpr int Others = 2;        // neither 6 nor 14, or empty
constexpr int ReverseCharge = 3; // class 14
} // namespace CustomerClass

// The period a counter query selects. idPeriodoIva is the VAT year whose counters are read:
// for the December advance with the historical method it is the previous VAT year.
// idMese: 1..12 (a quarter by its last month), 13 the December advance, below 1 the year.
// The advance method counts only for month 13, as a truth value: non-zero takes the whole
// last month or quarter, zero the counter rows marked as advance.
struct CounterPeriod {
    int idAttivitaAzienda = 0;
    int idPeriodoIva = 0;
    int idMese = 0;
    int metodoCalcoloAccontoIva = 0;
};

// Fragments shared by the builders.
// " AND Anno IN (SELECT Anno FROM PeriodoIva WHERE IDPeriodoIva = p)"
SqlStatement sqlYearCondition(int idPeriodoIva);
// " AND IDFiliale IN (SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = a)"
SqlStatement sqlBranchCondition(int idAttivitaAzienda);
// The months of the period, chosen by the activity's settlement type of the VAT year through
// two EXISTS alternatives (monthly, quarterly), without the branch condition.
SqlStatement sqlPeriodMonths(const CounterPeriod &period);
// The months the period filter selects restated as one range on IDMese (" AND (IDMese > x AND
// IDMese <= y)", or " AND IDMese <= y" for the cumulative filter), for the index; empty when
// there is none.
SqlStatement sqlMonthRange(const CounterPeriod &period, bool cumulative);
// The period filter: the months of the period, their range, then the branch condition.
SqlStatement sqlPeriodFilter(const CounterPeriod &period);
// The months from January to the end of the period (the weights of the ventilation),
// without the branch condition.
SqlStatement sqlCumulativeFilter(const CounterPeriod &period);

// Purchases by VAT code of one counter kind, fully deductible codes only. otherPurchases
// chooses the account class (not 7, or 7 = goods for resale); kinds 8, 10 and 15 have no
// account class condition. Columns IDIva, DescrizioneSuRegistroIVA, IMP, IVA.
SqlStatement fnSqlContatoriPerIva(int tipoContatore, const CounterPeriod &period, bool otherPurchases);
// Purchases of kinds 1, 8 and 10 with non-deductible VAT, a row per account class: G (1 goods
// for resale, 0 the other purchases), IMP, IVA.
SqlStatement fnSqlAcquistiIndetraibili(const CounterPeriod &period);
// Sales by VAT code of one counter kind and customer class: IDIva, DescrizioneSuRegistroIVA, IMP, IVA.
SqlStatement fnSqlVenditePerIva(const CounterPeriod &period, int tipoContatore, int customerClass);

// The purchases of every kind of the report in one statement: the rows of
// fnSqlContatoriPerIva for the kinds 1, 8, 10 and 15, grouped also by kind (column K) and by
// goods (column G: 1 for the account class 7, else 0), so that each call of the builder is
// one selection of its groups.
SqlStatement fnSqlAcquistiPerIvaPerTipo(const CounterPeriod &period);
// The sales of every kind of the report in one statement: the rows of fnSqlVenditePerIva
// for the kinds 2, 3, 4, 7, 9, 12, 13 and 14, grouped also by kind (column K) and customer
// class (column C: 6 intra-EU, 14 reverse charge, 0 the others and the empty class).
SqlStatement fnSqlVenditePerIvaPerTipo(const CounterPeriod &period);
// Receipts by VAT code: IDIva, AliquotaIva, DescrizioneSuRegistroIVA, IMP, IVA, ordered by IDIva.
SqlStatement fnSqlCorrispettiviPerIva(const CounterPeriod &period);
// The four statements above in one, each a part (column Part: 1 purchases, 2 non-deductible
// purchases, 3 sales, 4 receipts) with the columns K, CL (G or C), IDIva,
// DescrizioneSuRegistroIVA, IMP, IVA and AliquotaIva (receipts only), in no given order.
SqlStatement fnSqlContatoriDelReport(const CounterPeriod &period);
// The gross receipts to split by rate of the period: one value.
SqlStatement fnSqlTotaleCorrDaVentilare(const CounterPeriod &period);
// The ventilation weights: purchases of goods with a non-zero rate from January to the end
// of the period, late invoices weighing their taxable amount only. Columns IDIva,
// IDIvaVentilazione, DescrizioneSuRegistroIVA, Imponibile, Acqu, TotaleAcq, AliquotaIva; a
// VAT code may come back twice.
SqlStatement fnSqlAcquistiPerVentilazione(const CounterPeriod &period);
// The split of receipts in one statement: at least one row, every row with the receipts to
// split (Receipts, NULL when there are none); then one row per weight (IDIva,
// IDIvaVentilazione, TotaleAcq; NULL without weights) with the code it is weighed under
// (VIDIva, VAliquotaIva, VDescrizione, VNoRiporto).
SqlStatement fnSqlVentilazione(const CounterPeriod &period);
// The purchase VAT that stays deductible under the flat-rate compensation: TotaleIva.
SqlStatement fnSqlTotaleIvaInDetrazione(const CounterPeriod &period);
// Sales of kinds 2 to 7 by compensation class: IDCompensazioneIva, PercentualeCompensazione,
// TotaleVendite, IvaDetraibile.
SqlStatement fnSqlCompensazioneIva(const CounterPeriod &period);
// The VAT of late purchase invoices: one value. tipoLiquidazioneIva is the activity's
// settlement type of the current VAT year (0 monthly), read by fnTipoLiquidazioneIva.
SqlStatement fnSqlIvaFattureInRitardo(int tipoLiquidazioneIva, const CounterPeriod &period);
// The result (type 1) of the preceding period when it ended in a credit, had no result or
// stayed below the minimum payment; for the first period the opening credit of January.
// One column Importo. For the December advance the preceding period is November or the
// third quarter.
SqlStatement fnSqlRisultatoPrecedente(int tipoLiquidazioneIva, int idAttivitaAzienda, int idPeriodoIva, int idMese,
                                      Money dImpMinIva);
// The year-to-date sum of one stored amount type over the live settlements: one value.
SqlStatement fnSqlSommaPerTipoRisultato(int idAttivitaAzienda, int idPeriodoIva, int tipoRisultato);

// The activity's settlement type in a VAT year (0 monthly, non-zero quarterly), 0 when the
// activity has no row for the year.
int fnTipoLiquidazioneIva(Connection &db, int idAttivitaAzienda, int idPeriodoIva);

} // namespace liqiva
