#include "domain/engine/ActivitySettings.h"

#include "database/Connection.h"
#include "database/SqlValue.h"

namespace liqiva {

QString ActivitySettings::columns()
{
    return u"PeriodoIva.GestioneArt36, PeriodoIva.PeriodoIva, PeriodoIva.PercInteressiLiqTrim, "
           u"A.IDAttivitaAziendaPerPeriodoIva, "
           u"A.TipoLiquidazioneIva, A.ExArticolo7374, A.CalcoloInteressi, A.Articolo34, A.Autotrasportatore, "
           u"A.AltriCrediti, A.CreditoIvaAutotrasportatori, A.AltriCreditiImposta, A.GestioneProRata, "
           u"A.PercentualeProRata, A.IvaIndComeCostoAccessorio, AA.IDAttivitaAzienda AS NamedActivity, "
           u"AA.AttivitaAzienda, C.CodiceAttivita, C.DescrizioneAttivita, "
           u"(SELECT Cfg.ScorporoCorrispettiviGiornaliero FROM ConfigurazioneContabile AS Cfg "
           u"WHERE Cfg.IDAzienda = PeriodoIva.IDAzienda LIMIT 1) AS ScorporoCorrispettiviGiornaliero"_qs;
}

QString ActivitySettings::joins(const QString &activity)
{
    return u" LEFT JOIN AttivitaAziendaPerPeriodoIva AS A ON A.IDPeriodoIva = PeriodoIva.IDPeriodoIva "
           u"AND A.IDAttivitaAzienda = "_qs +
           activity +
           u") LEFT JOIN AttivitaAzienda AS AA ON AA.IDAttivitaAzienda = A.IDAttivitaAzienda) "
           u"LEFT JOIN CodiceAttivita AS C ON C.IDCodiceAttivita = A.IDCodiceAttivita"_qs;
}

ActivitySettings ActivitySettings::of(const Recordset &rs, int idAttivitaAzienda, int idPeriodoIva)
{
    ActivitySettings y;
    y.idAttivitaAzienda = idAttivitaAzienda;
    y.idPeriodoIva = idPeriodoIva;
    auto flag = [&rs](const QString &column) { return !rs.isNull(column) && rs.number(column) != 0; };
    y.gestioneArt36 = flag(u"GestioneArt36"_qs);
    y.periodoIva = rs.text(u"PeriodoIva"_qs);
    y.percInteressiLiqTrim = Percent::fromVariant(rs.field(u"PercInteressiLiqTrim"_qs));
    y.scorporoCorrispettiviGiornaliero = rs.number(u"ScorporoCorrispettiviGiornaliero"_qs) != 0;
    y.found = !rs.isNull(u"IDAttivitaAziendaPerPeriodoIva"_qs);
    if (!y.found)
        return y;
    y.tipoLiquidazioneIva = rs.isNull(u"TipoLiquidazioneIva"_qs) ? 0 : rs.integer(u"TipoLiquidazioneIva"_qs);
    y.exArticolo7374 = flag(u"ExArticolo7374"_qs);
    y.calcoloInteressi = flag(u"CalcoloInteressi"_qs);
    y.articolo34 = flag(u"Articolo34"_qs);
    y.autotrasportatore = flag(u"Autotrasportatore"_qs);
    y.altriCrediti = flag(u"AltriCrediti"_qs);
    y.creditoIvaAutotrasportatori = rs.field(u"CreditoIvaAutotrasportatori"_qs);
    y.altriCreditiImposta = rs.field(u"AltriCreditiImposta"_qs);
    y.gestioneProRata = rs.number(u"GestioneProRata"_qs) != 0;
    y.percentualeProRata = rs.field(u"PercentualeProRata"_qs);
    y.ivaIndComeCostoAccessorio = rs.number(u"IvaIndComeCostoAccessorio"_qs) != 0;
    if (!rs.isNull(u"NamedActivity"_qs)) {
        y.attivitaAzienda = rs.text(u"AttivitaAzienda"_qs);
        y.codiceAttivita = rs.text(u"CodiceAttivita"_qs);
        y.descrizioneAttivita = rs.text(u"DescrizioneAttivita"_qs);
    }
    return y;
}

ActivitySettings readActivitySettings(Connection &db, int idAttivitaAzienda, int idPeriodoIva)
{
    // The VAT year's row is read even when the activity does not have the year.
    Recordset rs = db.openRecordset(u"SELECT "_qs + ActivitySettings::columns() + u" FROM ((PeriodoIva"_qs +
                                        ActivitySettings::joins(u"?"_qs) + u" WHERE PeriodoIva.IDPeriodoIva = ?"_qs,
                                    {sqlValue(idAttivitaAzienda), sqlValue(idPeriodoIva)});
    if (rs.eof()) {
        ActivitySettings y;
        y.idAttivitaAzienda = idAttivitaAzienda;
        y.idPeriodoIva = idPeriodoIva;
        return y;
    }
    return ActivitySettings::of(rs, idAttivitaAzienda, idPeriodoIva);
}

Percent quarterlyInterestRate(const ActivitySettings &year, int quarter, int anno)
{
    if (!year.calcoloInteressi || quarter == 4)
        return {};
    if (!year.percInteressiLiqTrim.isZero())
        return year.percInteressiLiqTrim;
    return anno > 2000 ? Percent::points(1) : Percent::fromRaw(Percent::Scale * 3 / 2);
}

ActivitySettings activitySettings(Connection &db, const ActivitySettings *known, int idAttivitaAzienda,
                                  int idPeriodoIva)
{
    if (known && known->is(idAttivitaAzienda, idPeriodoIva))
        return *known;
    return readActivitySettings(db, idAttivitaAzienda, idPeriodoIva);
}

} // namespace liqiva
