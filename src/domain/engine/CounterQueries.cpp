#include "domain/engine/CounterQueries.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/engine/SettlementIdentity.h"

namespace liqiva {

namespace {

// The two alternatives of the period filter: the activity settles monthly, or quarterly,
// in the VAT year. Each is written as an uncorrelated EXISTS, so the statement needs no
// preliminary read of the settlement type.
SqlStatement activityOfType(const CounterPeriod &period, bool monthly)
{
    return u"EXISTS (SELECT IDAttivitaAziendaPerPeriodoIva FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs +
           sqlParam(period.idPeriodoIva) + u" AND IDAttivitaAzienda = "_qs + sqlParam(period.idAttivitaAzienda) +
           (monthly ? u" AND TipoLiquidazioneIva = 0)"_qs : u" AND TipoLiquidazioneIva <> 0)"_qs);
}

// The period filter as its two alternatives, each with the months it counts: the activity
// settles monthly in the VAT year, or quarterly.
SqlStatement byActivityType(const CounterPeriod &period, const SqlStatement &monthly, const SqlStatement &quarterly)
{
    return u" AND (("_qs + activityOfType(period, true) + monthly + u")"_qs + u" OR ( "_qs +
           activityOfType(period, false) + quarterly + u"))"_qs;
}

bool wholeMonth(const CounterPeriod &period)
{
    return period.metodoCalcoloAccontoIva != 0;
}

const QString otherPurchasesClass = u" (IDClassificazioneIvaConto <> 7 OR IDClassificazioneIvaConto IS NULL)"_qs;
const QString goodsClass = u" IDClassificazioneIvaConto = 7"_qs;
// The ordinary counter rows, without the copies made for the December advance.
const QString ordinaryRows = u" AND AccontoIva = 0"_qs;

} // namespace

SqlStatement sqlYearCondition(int idPeriodoIva)
{
    return u" AND Anno IN (SELECT Anno FROM PeriodoIva WHERE IDPeriodoIva = "_qs + sqlParam(idPeriodoIva) + u")"_qs;
}

SqlStatement sqlBranchCondition(int idAttivitaAzienda)
{
    return u" AND IDFiliale IN (SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = "_qs +
           sqlParam(idAttivitaAzienda) + u")"_qs;
}

SqlStatement sqlPeriodMonths(const CounterPeriod &period)
{
    const int m = period.idMese;
    if (m < 1)
        return ordinaryRows;

    // Only the analytical December advance reads the advance copies; every other period
    // counts the ordinary rows alone, so that no operation is counted twice.
    if (m != Month::DecemberAdvance)
        return byActivityType(period, u" AND IDMese = "_qs + sqlParam(m) + ordinaryRows,
                              u" AND (IDMese > "_qs + sqlParam(m - 3) + u" AND IDMese <= "_qs + sqlParam(m) + u")"_qs +
                                  ordinaryRows);
    if (wholeMonth(period))
        return byActivityType(period, u" AND IDMese = 12"_qs + ordinaryRows,
                              u" AND (IDMese = 10 OR IDMese = 11 OR IDMese = 12)"_qs + ordinaryRows);
    return byActivityType(period, u" AND AccontoIva <> 0"_qs,
                          u" AND (IDMese = 10 OR IDMese = 11 OR AccontoIva <> 0)"_qs);
}

// The months the two alternatives of the filter have in common, restated as one range that
// the index on (kind, year, branch, month) can use: the engines cannot see through the
// alternatives, and without it a query reads every month of the year. The range follows from
// each alternative, so the rows selected are the same. Empty when the rows are told by
// AccontoIva alone or the whole year counts.
SqlStatement sqlMonthRange(const CounterPeriod &period, bool cumulative)
{
    const int m = period.idMese;
    if (m < 1 || (m == Month::DecemberAdvance && !wholeMonth(period)))
        return {};
    const int last = m == Month::DecemberAdvance ? 12 : m;
    if (cumulative)
        return u" AND IDMese <= "_qs + sqlParam(last);
    return u" AND (IDMese > "_qs + sqlParam(last - 3) + u" AND IDMese <= "_qs + sqlParam(last) + u")"_qs;
}

SqlStatement sqlPeriodFilter(const CounterPeriod &period)
{
    return sqlPeriodMonths(period) + sqlMonthRange(period, false) + sqlBranchCondition(period.idAttivitaAzienda);
}

SqlStatement sqlCumulativeFilter(const CounterPeriod &period)
{
    const int m = period.idMese;
    if (m < 1)
        return ordinaryRows;

    if (m != Month::DecemberAdvance)
        return byActivityType(period, u" AND IDMese <= "_qs + sqlParam(m) + ordinaryRows,
                              u" AND (IDMese >= 1 AND IDMese <= "_qs + sqlParam(m) + u")"_qs + ordinaryRows);
    if (wholeMonth(period))
        return byActivityType(period, u" AND IDMese <= 12"_qs + ordinaryRows, u" AND IDMese <= 12"_qs + ordinaryRows);
    const QString advanceCopies = u" AND (IDMese <= 11 OR AccontoIva <> 0)"_qs;
    return byActivityType(period, advanceCopies, advanceCopies);
}

SqlStatement fnSqlContatoriPerIva(int tipoContatore, const CounterPeriod &period, bool otherPurchases)
{
    SqlStatement s =
        u"SELECT ContatoreIva.IDIva, DescrizioneSuRegistroIVA, SUM(Imponibile) AS IMP, SUM(Importo) AS IVA "
        u"FROM ContatoreIva, Iva WHERE"_qs;
    if (tipoContatore != CounterKind::PurchasesSuspended && tipoContatore != CounterKind::PaymentsOfSuspended &&
        tipoContatore != CounterKind::SplitPurchases)
        s += (otherPurchases ? otherPurchasesClass : goodsClass) + u" AND "_qs;
    s += u" AcquistiSolaVentilazione = 0 AND  RiportoSuChiusuraIVA <> 0"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND ContatoreIva.IDIva = Iva.IDIva AND IDTipoContatoreIva = "_qs + sqlParam(tipoContatore);
    s += u" AND (Iva.PercIndetraibilita = 0 OR Iva.PercIndetraibilita IS NULL)"_qs;
    s += u" GROUP BY ContatoreIva.IDIva, DescrizioneSuRegistroIVA"_qs;
    return s;
}

SqlStatement fnSqlAcquistiIndetraibili(const CounterPeriod &period)
{
    // For the whole year this statement keeps the two alternatives of the settlement type,
    // each with " AND AccontoIva = 0": an activity without a row for the year finds nothing.
    SqlStatement months;
    if (period.idMese < 1)
        months = u" AND (("_qs + activityOfType(period, true) + u" AND AccontoIva = 0) OR ("_qs +
                 activityOfType(period, false) + u" AND AccontoIva = 0))"_qs;
    else
        months = sqlPeriodMonths(period);

    // G parts the goods for resale (1) from the other purchases (0, a row without a class too).
    const QString goods = u"CASE WHEN"_qs + goodsClass + u" THEN 1 ELSE 0 END"_qs;
    SqlStatement s = u"SELECT "_qs + goods +
                     u" AS G, SUM(Imponibile) AS IMP, SUM(Importo) As IVA From ContatoreIva Where ("_qs +
                     u" (IDTipoContatoreIva = 1 OR IDTipoContatoreIva = 8 OR IDTipoContatoreIva = 10)"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += months;
    s += sqlMonthRange(period, false);
    s += sqlBranchCondition(period.idAttivitaAzienda);
    s += u" ) AND IDIva NOT IN ( SELECT IDIva From Iva Where PercIndetraibilita = 0 OR PercIndetraibilita IS NULL)"_qs;
    s += u" GROUP BY "_qs + goods;
    return s;
}

SqlStatement fnSqlVenditePerIva(const CounterPeriod &period, int tipoContatore, int customerClass)
{
    SqlStatement s =
        u"SELECT ContatoreIva.IDIva, DescrizioneSuRegistroIVA, SUM(Imponibile) AS IMP, SUM(Importo) AS IVA "
        u"FROM ContatoreIva, Iva WHERE RiportoSuChiusuraIVA <> 0"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND ContatoreIva.IDIva = Iva.IDIva AND IDTipoContatoreIva = "_qs + sqlParam(tipoContatore);
    switch (customerClass) {
    case CustomerClass::IntraEu:
        s += u" AND IDClassificazioneIvaCF = 6"_qs;
        break;
    case CustomerClass::ReverseCharge:
        s += u" AND IDClassificazioneIvaCF = 14"_qs;
        break;
    case CustomerClass::Others:
        s += u" AND ((IDClassificazioneIvaCF <> 6 AND ContatoreIva.IDClassificazioneIvaCF <> 14) OR "
             u"IDClassificazioneIvaCF Is Null)"_qs;
        break;
    default:
        break;
    }
    s += u" GROUP BY ContatoreIva.IDIva, DescrizioneSuRegistroIVA"_qs;
    return s;
}

SqlStatement fnSqlAcquistiPerIvaPerTipo(const CounterPeriod &period)
{
    const QString goods = u"CASE WHEN IDClassificazioneIvaConto = 7 THEN 1 ELSE 0 END"_qs;
    SqlStatement s =
        u"SELECT IDTipoContatoreIva AS K, "_qs + goods +
        u" AS G, ContatoreIva.IDIva, DescrizioneSuRegistroIVA, SUM(Imponibile) AS IMP, SUM(Importo) AS IVA "
        u"FROM ContatoreIva, Iva WHERE AcquistiSolaVentilazione = 0 AND  RiportoSuChiusuraIVA <> 0"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND ContatoreIva.IDIva = Iva.IDIva AND IDTipoContatoreIva IN ("_qs + sqlParam(CounterKind::Purchases) +
         u", "_qs + sqlParam(CounterKind::PurchasesSuspended) + u", "_qs + sqlParam(CounterKind::PaymentsOfSuspended) +
         u", "_qs + sqlParam(CounterKind::SplitPurchases) + u")"_qs;
    s += u" AND (Iva.PercIndetraibilita = 0 OR Iva.PercIndetraibilita IS NULL)"_qs;
    s += u" GROUP BY IDTipoContatoreIva, "_qs + goods + u", ContatoreIva.IDIva, DescrizioneSuRegistroIVA"_qs;
    s += u" ORDER BY ContatoreIva.IDIva"_qs;
    return s;
}

SqlStatement fnSqlVenditePerIvaPerTipo(const CounterPeriod &period)
{
    const QString customerClass =
        u"CASE WHEN IDClassificazioneIvaCF = 6 THEN 6 WHEN IDClassificazioneIvaCF = 14 THEN 14 ELSE 0 END"_qs;
    SqlStatement s =
        u"SELECT IDTipoContatoreIva AS K, "_qs + customerClass +
        u" AS C, ContatoreIva.IDIva, DescrizioneSuRegistroIVA, SUM(Imponibile) AS IMP, SUM(Importo) AS IVA "
        u"FROM ContatoreIva, Iva WHERE RiportoSuChiusuraIVA <> 0"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND ContatoreIva.IDIva = Iva.IDIva AND IDTipoContatoreIva IN (2, 3, 4, 7, 9, 12, 13, 14)"_qs;
    s += u" GROUP BY IDTipoContatoreIva, "_qs + customerClass + u", ContatoreIva.IDIva, DescrizioneSuRegistroIVA"_qs;
    s += u" ORDER BY ContatoreIva.IDIva"_qs;
    return s;
}

SqlStatement fnSqlCorrispettiviPerIva(const CounterPeriod &period)
{
    SqlStatement s = u"SELECT ContatoreIva.IDIva, AliquotaIva, DescrizioneSuRegistroIVA, SUM(Imponibile) AS IMP, "
                     u"SUM(Importo) AS IVA FROM ContatoreIva, Iva WHERE RiportoSuChiusuraIVA <> 0"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND ContatoreIva.IDIva = Iva.IDIva AND IDTipoContatoreIva = 5"
         u" AND NOT (ContatoreIva.Importo = 0 AND ContatoreIva.Imponibile = 0)"
         u" GROUP BY ContatoreIva.IDIva, DescrizioneSuRegistroIVA, AliquotaIva ORDER BY ContatoreIva.IDIva"_qs;
    return s;
}

SqlStatement fnSqlContatoriDelReport(const CounterPeriod &period)
{
    // The receipts first: their columns give the types of the NULLs of the other parts.
    return u"SELECT 4 AS Part, 5 AS K, 0 AS CL, IDIva, DescrizioneSuRegistroIVA, IMP, IVA, AliquotaIva FROM ("_qs +
           fnSqlCorrispettiviPerIva(period) +
           u") AS R4 UNION ALL SELECT 1, K, G, IDIva, DescrizioneSuRegistroIVA, IMP, IVA, NULL FROM ("_qs +
           fnSqlAcquistiPerIvaPerTipo(period) + u") AS R1 UNION ALL SELECT 2, 0, G, 0, NULL, IMP, IVA, NULL FROM ("_qs +
           fnSqlAcquistiIndetraibili(period) +
           u") AS R2 UNION ALL SELECT 3, K, C, IDIva, DescrizioneSuRegistroIVA, IMP, IVA, NULL FROM ("_qs +
           fnSqlVenditePerIvaPerTipo(period) + u") AS R3"_qs;
}

SqlStatement fnSqlTotaleCorrDaVentilare(const CounterPeriod &period)
{
    SqlStatement s = u"SELECT SUM(Imponibile) FROM ContatoreIva WHERE IDTipoContatoreIva = 6"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND NOT (ContatoreIva.Importo = 0 AND ContatoreIva.Imponibile = 0)"_qs;
    return s;
}

SqlStatement fnSqlAcquistiPerVentilazione(const CounterPeriod &period)
{
    const SqlStatement conditions = u" IDTipoContatoreIva = 1 AND RiportoSuChiusuraIVA <> 0"_qs +
                                    u" AND IDClassificazioneIvaConto = 7"_qs + sqlYearCondition(period.idPeriodoIva) +
                                    sqlCumulativeFilter(period) + sqlMonthRange(period, true) +
                                    sqlBranchCondition(period.idAttivitaAzienda) +
                                    u" AND ContatoreIva.IDIva = Iva.IDIva AND Iva.AliquotaIva <> 0"_qs;
    const QString groupBy = u" GROUP BY ContatoreIva.IDIva, Iva.IDIva, Iva.DescrizioneSuRegistroIVA, "
                            u"Iva.AliquotaIva,Iva.IDIvaVentilazione"_qs;

    // Late invoices weigh with their taxable amount only, the others with taxable plus VAT.
    SqlStatement s =
        u"SELECT Iva.IDIva, Iva.IDIvaVentilazione, DescrizioneSuRegistroIVA, SUM(Imponibile) AS 'Imponibile', "
        u"0 AS Acqu, SUM(Imponibile) AS TotaleAcq, Iva.AliquotaIva FROM ContatoreIva, Iva WHERE"_qs;
    s += conditions + u" AND FatturaInRitardo <> 0"_qs + groupBy;
    s += u" UNION SELECT Iva.IDIva, Iva.IDIvaVentilazione, DescrizioneSuRegistroIVA, SUM(Imponibile), SUM(Importo), "
         u"SUM(Imponibile) + SUM(Importo), Iva.AliquotaIva FROM ContatoreIva, Iva WHERE"_qs;
    s += conditions + u" AND FatturaInRitardo = 0"_qs + groupBy;
    return s;
}

SqlStatement fnSqlVentilazione(const CounterPeriod &period)
{
    return u"SELECT T.Receipts, W.IDIva, W.IDIvaVentilazione, W.TotaleAcq, V.IDIva AS VIDIva, "
           u"V.AliquotaIva AS VAliquotaIva, V.DescrizioneSuRegistroIVA AS VDescrizione, "
           u"V.NoRiportoInDichiarazione AS VNoRiporto FROM (SELECT ("_qs +
           fnSqlTotaleCorrDaVentilare(period) + u") AS Receipts) AS T LEFT JOIN ("_qs +
           fnSqlAcquistiPerVentilazione(period) +
           u") AS W ON 1 = 1 LEFT JOIN Iva AS V ON V.IDIva = "
           u"CASE WHEN W.IDIvaVentilazione <> 0 THEN W.IDIvaVentilazione ELSE W.IDIva END"_qs;
}

SqlStatement fnSqlTotaleIvaInDetrazione(const CounterPeriod &period)
{
    SqlStatement s =
        u"SELECT SUM(Importo) AS TotaleIva FROM ContatoreIva INNER JOIN Iva ON ContatoreIva.IDIva = Iva.IDIva "
        u"WHERE RiportoSuChiusuraIVA <> 0 AND AcquistiSolaVentilazione = 0"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND (IDTipoContatoreIva = 1 OR IDTipoContatoreIva = 8)"_qs;
    s += u" AND (Iva.PercIndetraibilita = 0 OR Iva.PercIndetraibilita IS NULL)"_qs;
    s += u" AND Iva.IvaSuAcquistiInDetrazione <> 0"_qs;
    return s;
}

SqlStatement fnSqlCompensazioneIva(const CounterPeriod &period)
{
    SqlStatement s =
        u"SELECT Iva.IDCompensazioneIva, CompensazioneIva.PercentualeCompensazione, "
        u"SUM(ContatoreIva.Imponibile) AS TotaleVendite, CompensazioneIva.PercentualeCompensazione AS IvaDetraibile "
        u"FROM (ContatoreIva INNER JOIN Iva ON ContatoreIva.IDIva = Iva.IDIva) INNER JOIN CompensazioneIva ON "
        u"Iva.IDCompensazioneIva = CompensazioneIva.IDCompensazioneIva WHERE RiportoSuChiusuraIVA <> 0"_qs;
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlPeriodFilter(period);
    s += u" AND IDTipoContatoreIva >= 2 AND IDTipoContatoreIva <= 7"_qs;
    s += u" AND Iva.EsclusaDallaCompensazioneIva = 0"_qs;
    s += u" GROUP BY Iva.IDCompensazioneIva, CompensazioneIva.PercentualeCompensazione"_qs;
    return s;
}

SqlStatement fnSqlIvaFattureInRitardo(int tipoLiquidazioneIva, const CounterPeriod &period)
{
    const int m = period.idMese;
    SqlStatement s = u"SELECT SUM(Importo) FROM ContatoreIva WHERE IDTipoContatoreIva = 1 AND FatturaInRitardo <> 0"_qs;
    if (m < 1) {
        s += ordinaryRows;
    } else if (tipoLiquidazioneIva == 0) {
        if (m != Month::DecemberAdvance)
            s += u" AND IDMese = "_qs + sqlParam(m) + ordinaryRows;
        else if (wholeMonth(period))
            s += u" AND IDMese = 12"_qs + ordinaryRows;
        else
            s += u" AND AccontoIva <> 0"_qs;
    } else {
        if (m != Month::DecemberAdvance)
            s +=
                u" AND (IDMese <= "_qs + sqlParam(m) + u" AND IDMese >= "_qs + sqlParam(m - 2) + u")"_qs + ordinaryRows;
        else if (wholeMonth(period))
            s += u" AND (IDMese = 10 OR IDMese = 11 OR IDMese = 12)"_qs + ordinaryRows;
        else
            s += u" AND (IDMese = 10 OR IDMese = 11 OR AccontoIva <> 0)"_qs;
    }
    // Like every other counter query, only the VAT year's rows of the activity's branches.
    s += sqlYearCondition(period.idPeriodoIva);
    s += sqlBranchCondition(period.idAttivitaAzienda);
    return s;
}

SqlStatement fnSqlRisultatoPrecedente(int tipoLiquidazioneIva, int idAttivitaAzienda, int idPeriodoIva, int idMese,
                                      Money dImpMinIva)
{
    const bool quarterly = tipoLiquidazioneIva != 0;
    SqlStatement s = u"SELECT Importo FROM RisultatoLiquidazioneIva, RisultatoLiquidazioneIvaXTipo WHERE "
                     u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
                     u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva AND IDAttivitaAzienda = "_qs +
                     sqlParam(idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(idPeriodoIva);
    if (idMese > (quarterly ? 3 : 1)) {
        int preceding = idMese - (quarterly ? 3 : 1);
        if (idMese == Month::DecemberAdvance)
            preceding = quarterly ? 9 : 11;
        s += u" AND IDMese = "_qs + sqlParam(preceding) +
             u" AND IDTipoRisultatoLiquidazioneIva = 1 AND (Importo < 0 OR Importo IS NULL OR Importo < "_qs +
             sqlParam(dImpMinIva) + u")"_qs;
    } else {
        s += u" AND IDMese = 1 AND IDTipoRisultatoLiquidazioneIva = 2 AND Importo < 0"_qs;
    }
    return s;
}

SqlStatement fnSqlSommaPerTipoRisultato(int idAttivitaAzienda, int idPeriodoIva, int tipoRisultato)
{
    return u"SELECT SUM(Importo) FROM RisultatoLiquidazioneIva LEFT JOIN RisultatoLiquidazioneIvaXTipo ON "
           u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = "
           u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva "
           u"WHERE RisultatoLiquidazioneIva.IDAttivitaAzienda = "_qs +
           sqlParam(idAttivitaAzienda) + u" AND RisultatoLiquidazioneIva.IDPeriodoIva = "_qs + sqlParam(idPeriodoIva) +
           u" AND RisultatoLiquidazioneIva.VirtualDelete = 0 AND RisultatoLiquidazioneIvaXTipo.VirtualDelete = 0 "
           u"AND IDTipoRisultatoLiquidazioneIva = "_qs +
           sqlParam(tipoRisultato);
}

int fnTipoLiquidazioneIva(Connection &db, int idAttivitaAzienda, int idPeriodoIva)
{
    Recordset rs = db.openRecordset(u"SELECT TipoLiquidazioneIva FROM AttivitaAziendaPerPeriodoIva WHERE "
                                    u"IDAttivitaAzienda = ? AND IDPeriodoIva = ?"_qs,
                                    {idAttivitaAzienda, idPeriodoIva});
    return rs.eof() ? 0 : rs.integer(u"TipoLiquidazioneIva"_qs);
}

} // namespace liqiva
