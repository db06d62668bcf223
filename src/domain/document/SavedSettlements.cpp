#include "domain/document/SavedSettlements.h"

#include "database/Connection.h"
#include "database/SqlValue.h"

namespace liqiva {

namespace {

QString activityAndMethodColumns()
{
    return u", AttivitaAzienda.AttivitaAzienda"_qs + u", CodiceAttivita.CodiceAttivita"_qs
        + u", CodiceAttivita.DescrizioneAttivita"_qs
        + u", ISNULL(RisultatoLiquidazioneIva.MetodoCalcoloAccontoIva, 0) AS MetodoCalcoloAccontoIva"_qs;
}

// The joins up to the activity code; the monthly select adds the month names.
QString joins(bool withMonths)
{
    return QString(withMonths ? u" (((((RisultatoLiquidazioneIva INNER JOIN AttivitaAzienda"_qs
                              : u" (((RisultatoLiquidazioneIva INNER JOIN AttivitaAzienda"_qs)
        + u" ON RisultatoLiquidazioneIva.IDAttivitaAzienda = AttivitaAzienda.IDAttivitaAzienda)"_qs
        + u" INNER JOIN PeriodoIva"_qs + u" ON RisultatoLiquidazioneIva.IDPeriodoIva = PeriodoIva.IDPeriodoIva)"_qs
        + u" INNER JOIN AttivitaAziendaPerPeriodoIva"_qs
        + u" ON (PeriodoIva.IDPeriodoIva = AttivitaAziendaPerPeriodoIva.IDPeriodoIva)"_qs
        + u" AND (AttivitaAzienda.IDAttivitaAzienda = AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda))"_qs
        + u" LEFT JOIN CodiceAttivita"_qs
        + u" ON AttivitaAziendaPerPeriodoIva.IDCodiceAttivita = CodiceAttivita.IDCodiceAttivita"_qs
        + (withMonths ? u")"_qs + u" INNER JOIN Mese"_qs + u" ON RisultatoLiquidazioneIva.IDMese = Mese.IDMese)"_qs
                      : QString());
}

QString groupByYearRows()
{
    return u" Group By"_qs + u" CodiceAttivita.DescrizioneAttivita"_qs + u", CodiceAttivita.CodiceAttivita"_qs
        + u", AttivitaAzienda.AttivitaAzienda"_qs + u", PeriodoIva.IDPeriodoIva"_qs + u", PeriodoIva.Anno"_qs
        + u", RisultatoLiquidazioneIva.IDMese"_qs + u", RisultatoLiquidazioneIva.IDAttivitaAzienda"_qs
        + u", RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva"_qs + u", PeriodoIva.PeriodoIva"_qs
        + u", PeriodoIva.Anno"_qs + u", ISNULL(RisultatoLiquidazioneIva.MetodoCalcoloAccontoIva, 0)"_qs;
}

} // namespace

SqlStatement browseStatement(int firm, int dbType)
{
    const SqlStatement company = sqlParam(firm);
    const bool desktop = dbType == 1;
    const QString yearOnly = desktop ? u", Str(PeriodoIva.Anno) AS Periodo"_qs
                                     : u", CONVERT(varchar(12),PeriodoIva.Anno) AS Periodo"_qs;
    SqlStatement sql =
        u"SELECT"_qs + u" RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva"_qs + u", PeriodoIva.IDPeriodoIva"_qs +
        u", RisultatoLiquidazioneIva.IDMese"_qs + u", RisultatoLiquidazioneIva.IDAttivitaAzienda"_qs +
        (desktop
             ? u", Str(RisultatoLiquidazioneIva.IDMese) + ' - ' + Str(PeriodoIva.Anno) AS Periodo"_qs
             : u", CONVERT(varchar(12),RisultatoLiquidazioneIva.IDMese) + ' - ' + CONVERT(varchar(12),PeriodoIva.Anno) AS Periodo"_qs) +
        u", PeriodoIva.PeriodoIva, PeriodoIva.Anno"_qs + u", Mese AS Mesi"_qs + activityAndMethodColumns() +
        u" From"_qs + joins(true) + u" WHERE"_qs + u" RisultatoLiquidazioneIva.IDAttivitaAzienda Is NOT Null"_qs +
        u" AND PeriodoIva.IDAzienda = "_qs + company + u" AND (RisultatoLiquidazioneIva.IDMese) Is Not Null"_qs +
        u" Group By"_qs + u" CodiceAttivita.DescrizioneAttivita"_qs + u", CodiceAttivita.CodiceAttivita"_qs +
        u", AttivitaAzienda.AttivitaAzienda"_qs + u", PeriodoIva.IDPeriodoIva"_qs +
        u", RisultatoLiquidazioneIva.IDMese"_qs + u", RisultatoLiquidazioneIva.IDAttivitaAzienda"_qs +
        u", RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva"_qs + u", PeriodoIva.PeriodoIva"_qs +
        u", PeriodoIva.Anno"_qs + u", Mese"_qs + u", ISNULL(RisultatoLiquidazioneIva.MetodoCalcoloAccontoIva, 0)"_qs;

    sql += u" Union"_qs + u" SELECT"_qs + u" RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva"_qs
        + u", PeriodoIva.IDPeriodoIva"_qs + u", RisultatoLiquidazioneIva.IDMese"_qs
        + u", RisultatoLiquidazioneIva.IDAttivitaAzienda"_qs + yearOnly + u", PeriodoIva.PeriodoIva"_qs
        + u", PeriodoIva.Anno"_qs + u", 'Tutti i mesi' AS Mesi"_qs + activityAndMethodColumns() + u" From"_qs
        + joins(false) + u" WHERE"_qs + u" RisultatoLiquidazioneIva.IDAttivitaAzienda Is NOT Null"_qs
        + u" AND PeriodoIva.IDAzienda = "_qs + company + u" AND (RisultatoLiquidazioneIva.IDMese) Is Null"_qs
        + u" AND RisultatoLiquidazioneIva.AccontoIva = 0"_qs + groupByYearRows();

    sql += u" Union"_qs + u" SELECT"_qs + u" RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva"_qs
        + u", PeriodoIva.IDPeriodoIva"_qs + u", "_qs + u"13"_qs + u" AS IDMese"_qs
        + u", RisultatoLiquidazioneIva.IDAttivitaAzienda"_qs + yearOnly + u", PeriodoIva.PeriodoIva"_qs
        + u", PeriodoIva.Anno"_qs + u", 'Dicembre Acconto' AS Mesi"_qs + activityAndMethodColumns() + u" From"_qs
        + joins(false) + u" WHERE"_qs + u" RisultatoLiquidazioneIva.IDAttivitaAzienda Is NOT Null"_qs
        + u" AND PeriodoIva.IDAzienda = "_qs + company + u" AND (RisultatoLiquidazioneIva.IDMese) Is Null"_qs
        + u" AND RisultatoLiquidazioneIva.AccontoIva <> 0"_qs + groupByYearRows();

    sql += u" ORDER BY RisultatoLiquidazioneIva.IDMese,PeriodoIva.Anno"_qs;
    return sql;
}

std::vector<SavedSettlement> listSavedSettlements(Connection &db, int idAzienda)
{
    std::vector<SavedSettlement> out;
    for (Recordset rs = db.openRecordset(browseStatement(idAzienda, db.dbType())); !rs.eof(); rs.moveNext()) {
        SavedSettlement s;
        s.idRisultatoLiquidazioneIva = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
        s.idPeriodoIva = rs.integer(u"IDPeriodoIva"_qs);
        s.idMese = rs.integer(u"IDMese"_qs);
        s.idAttivitaAzienda = rs.integer(u"IDAttivitaAzienda"_qs);
        s.periodo = rs.text(u"Periodo"_qs);
        s.periodoIva = rs.text(u"PeriodoIva"_qs);
        s.anno = rs.integer(u"Anno"_qs);
        s.mesi = rs.text(u"Mesi"_qs);
        s.attivitaAzienda = rs.text(u"AttivitaAzienda"_qs);
        s.codiceAttivita = rs.text(u"CodiceAttivita"_qs);
        s.descrizioneAttivita = rs.text(u"DescrizioneAttivita"_qs);
        s.metodoCalcoloAccontoIva = rs.integer(u"MetodoCalcoloAccontoIva"_qs);
        out.push_back(std::move(s));
    }
    const QHash<int, Money> balances = settlementBalances(db, idAzienda);
    for (SavedSettlement &s : out)
        if (const auto it = balances.constFind(s.idRisultatoLiquidazioneIva); it != balances.cend())
            s.saldo = *it;
    return out;
}

QHash<int, Money> settlementBalances(Connection &db, int idAzienda)
{
    QHash<int, Money> out;
    Recordset rs = db.openRecordset(
        u"SELECT RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva, RisultatoLiquidazioneIvaXTipo.Importo"_qs
        u" FROM (RisultatoLiquidazioneIvaXTipo INNER JOIN RisultatoLiquidazioneIva"_qs
        u" ON RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva)"_qs
        u" INNER JOIN PeriodoIva ON RisultatoLiquidazioneIva.IDPeriodoIva = PeriodoIva.IDPeriodoIva"_qs
        u" WHERE RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva = 1"_qs
        u" AND RisultatoLiquidazioneIvaXTipo.VirtualDelete = 0"_qs
        u" AND NOT RisultatoLiquidazioneIvaXTipo.Importo IS NULL"_qs
        u" AND PeriodoIva.IDAzienda = "_qs +
        QString::number(idAzienda));
    for (; !rs.eof(); rs.moveNext())
        out.insert(rs.integer(u"IDRisultatoLiquidazioneIva"_qs), Money::fromVariant(rs.field(u"Importo"_qs)));
    return out;
}

} // namespace liqiva
