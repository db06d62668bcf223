#include "domain/engine/ActivitySettings.h"

#include "database/Connection.h"
#include "database/SqlValue.h"

namespace liqiva {

ActivitySettings readActivitySettings(Connection &db, int idAttivitaAzienda, int idPeriodoIva)
{
    ActivitySettings y;
    y.idAttivitaAzienda = idAttivitaAzienda;
    y.idPeriodoIva = idPeriodoIva;
    // The VAT year's row is read even when the activity does not have the year.
    Recordset rs = db.openRecordset(
        u"SELECT PeriodoIva.GestioneArt36, PeriodoIva.PeriodoIva, PeriodoIva.PercInteressiLiqTrim, "
        u"A.IDAttivitaAziendaPerPeriodoIva, "
        u"A.TipoLiquidazioneIva, A.ExArticolo7374, A.CalcoloInteressi, A.Articolo34, A.Autotrasportatore, "
        u"A.AltriCrediti, A.CreditoIvaAutotrasportatori, A.AltriCreditiImposta FROM PeriodoIva LEFT JOIN "
        u"AttivitaAziendaPerPeriodoIva AS A ON A.IDPeriodoIva = PeriodoIva.IDPeriodoIva AND A.IDAttivitaAzienda = ? "
        u"WHERE PeriodoIva.IDPeriodoIva = ?"_qs,
        {sqlValue(idAttivitaAzienda), sqlValue(idPeriodoIva)});
    if (rs.eof())
        return y;
    auto flag = [&rs](const QString &column) { return !rs.isNull(column) && rs.number(column) != 0; };
    y.gestioneArt36 = flag(u"GestioneArt36"_qs);
    y.periodoIva = rs.text(u"PeriodoIva"_qs);
    y.percInteressiLiqTrim = Percent::fromVariant(rs.field(u"PercInteressiLiqTrim"_qs));
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
    return y;
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
