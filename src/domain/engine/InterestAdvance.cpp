#include "domain/engine/InterestAdvance.h"

#include "domain/engine/ActivitySettings.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/engine/CounterQueries.h"
#include "domain/engine/SettlementIdentity.h"

namespace liqiva {

namespace {

// The amount of one type in the settlement of a month; 0 when there is none.
Money storedAmount(Connection &db, int tipoRisultato, int idPeriodoIva, int idAttivitaAzienda, int idMese)
{
    Recordset rs =
        db.openRecordset(u"SELECT Importo FROM RisultatoLiquidazioneIva, RisultatoLiquidazioneIvaXTipo WHERE "
                         u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
                         u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva "
                         u"AND IDAttivitaAzienda = "_qs +
                         sqlParam(idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(idPeriodoIva) +
                         u" AND RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva = "_qs +
                         sqlParam(tipoRisultato) + u" AND IDMese = "_qs + sqlParam(idMese));
    return rs.eof() ? Money() : Money::fromVariant(rs.field(u"Importo"_qs));
}

} // namespace

Percent fnPercInteressi(Connection &db, int idAttivitaAzienda, int idPeriodoIva, int quarter, int anno)
{
    return quarterlyInterestRate(readActivitySettings(db, idAttivitaAzienda, idPeriodoIva), quarter, anno);
}

Money fnImportoPeriodoPrecedente(Connection &db, int tipoRisultato, int idPeriodoIva, int idAttivitaAzienda, int idMese)
{
    return fnImportoPeriodoPrecedente(db, tipoRisultato, idPeriodoIva, idAttivitaAzienda, idMese,
                                      fnTipoLiquidazioneIva(db, idAttivitaAzienda, idPeriodoIva));
}

Money fnImportoPeriodoPrecedente(Connection &db, int tipoRisultato, int idPeriodoIva, int idAttivitaAzienda, int idMese,
                                 int tipoLiquidazioneIva)
{
    const bool quarterly = tipoLiquidazioneIva != 0;
    if (idMese <= (quarterly ? 3 : 1))
        return {};
    int preceding = idMese - (quarterly ? 3 : 1);
    if (idMese == Month::DecemberAdvance)
        preceding = quarterly ? 9 : 11;

    Money amount = storedAmount(db, tipoRisultato, idPeriodoIva, idAttivitaAzienda, preceding);
    if (tipoRisultato == AmountType::IvaDaVersare) {
        amount -= storedAmount(db, AmountType::VersamentoPeriodico, idPeriodoIva, idAttivitaAzienda, preceding);
        if (amount < Money())
            amount = Money();
    }
    return amount;
}

int fnPeriodoIvaAnnoPrecedente(Connection &db, int idAttivitaAzienda, int anno, int *tipoLiquidazioneIva)
{
    Recordset rs = db.openRecordset(
        u"SELECT PeriodoIva.IDPeriodoIva, AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva FROM PeriodoIva "
        u"INNER JOIN AttivitaAziendaPerPeriodoIva ON PeriodoIva.IDPeriodoIva = "
        u"AttivitaAziendaPerPeriodoIva.IDPeriodoIva "
        u"WHERE PeriodoIva.VirtualDelete = 0 AND AttivitaAziendaPerPeriodoIva.VirtualDelete = 0 AND "
        u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = "_qs +
        sqlParam(idAttivitaAzienda) + u" AND PeriodoIva.Anno = "_qs + sqlParam(anno));
    if (rs.eof())
        return 0;
    if (tipoLiquidazioneIva)
        *tipoLiquidazioneIva = rs.integer(u"TipoLiquidazioneIva"_qs);
    return rs.integer(u"IDPeriodoIva"_qs);
}

} // namespace liqiva
