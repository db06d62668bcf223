#include "domain/credits/CreditoAutotrasportatori.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"
#include "domain/engine/Amounts.h"
#include "suite/Money.h"
#include "suite/Refusal.h"
#include "suite/Rounding.h"

#include <QDateTime>

namespace liqiva {

CreditoAutotrasportatori::CreditoAutotrasportatori(Connection &db, int idUser) : m_db(db), m_idUser(idUser) {}

QString CreditoAutotrasportatori::msgNonValido()
{
    return QStringLiteral("Il credito utilizzato non è un importo valido.");
}

Money CreditoAutotrasportatori::rounded(Money v) const
{
    return roundTo(v, m_step, RoundMode::HalfAwayFromZero);
}

Money CreditoAutotrasportatori::ResiduoPer(Money utilizzato) const
{
    return m_disponibile - utilizzato;
}

void CreditoAutotrasportatori::Load(const SettlementIdentity &id, Step currencyStep)
{
    m_id = id;
    m_step = currencyStep;
    const SqlStatement activity = sqlParam(id.idAttivitaAzienda);
    const SqlStatement year = sqlParam(id.idPeriodoIva);

    // What the activity's year still has (0 without a row)...
    Money available = Money::fromVariant(m_db.scalar(
        u"SELECT CreditoIvaAutotrasportatori FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda = "_qs +
        activity + u" AND IDPeriodoIva = "_qs + year));
    // ...plus what this settlement already uses. Only the settlements of a month or a quarter
    // store a use of their own.
    if (consumaCredito()) {
        available += Money::fromVariant(m_db.scalar(
            u"SELECT SUM(Importo) AS CreditoAutotrasportatori FROM RisultatoLiquidazioneIvaXTipo INNER JOIN "
            "RisultatoLiquidazioneIva ON RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = "
            "RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva WHERE IDAttivitaAzienda = "_qs +
            activity + u" AND IDPeriodoIva = "_qs + year +
            u" AND IDTipoRisultatoLiquidazioneIva IN (4,6,7) AND IDMese = "_qs + sqlParam(id.idMese) +
            u" AND AccontoIva = 0"_qs));
    }
    m_disponibile = available;

    // The used credit is the one of the report header, as the last fill computed it.
    m_utilizzato = Money();
    Recordset rs = m_db.openRecordset(
        u"SELECT CampoReportLiquidazioneIva.CreditoAutotrasportatori, "
        "AttivitaAziendaPerPeriodoIva.CreditoIvaAutotrasportatori AS CreditoResiduo FROM CampoReportLiquidazioneIva, "
        "AttivitaAziendaPerPeriodoIva WHERE AttivitaAziendaPerPeriodoIva.IDPeriodoIva = "_qs +
        year + u" AND AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = "_qs + activity +
        u" AND IDRisultatoLiquidazioneIva = "_qs + sqlParam(id.idRisultatoLiquidazioneIva));
    if (!rs.eof())
        m_utilizzato = Money::fromVariant(rs.field(u"CreditoAutotrasportatori"_qs));
    m_residuo = m_disponibile - m_utilizzato;
}

void CreditoAutotrasportatori::Conferma(Money utilizzato)
{
    if (utilizzato < ImportoMinimo || utilizzato > ImportoMassimo)
        throw Refusal(msgNonValido());
    const Money used = rounded(utilizzato);
    if (used < Money())
        throw Refusal(Amounts::msgCreditoUtilizzatoNegativo());
    if (!used.isZero() && used > m_disponibile)
        throw Refusal(Amounts::msgCreditoUtilizzatoMaggiore());
    m_utilizzato = used;
    m_residuo = m_disponibile - used;
}

void CreditoAutotrasportatori::writeTypeFour(Money importo)
{
    const SqlStatement key = sqlParam(m_id.idRisultatoLiquidazioneIva);
    const SqlStatement user = sqlParam(m_idUser);
    const SqlStatement now = sqlParam(QDateTime::currentDateTime());
    const QVariant existing =
        m_db.scalar(u"SELECT IDRisultatoLiquidazioneIvaXTip FROM RisultatoLiquidazioneIvaXTipo WHERE "
                    "IDTipoRisultatoLiquidazioneIva = 4 AND IDRisultatoLiquidazioneIva = "_qs +
                    key);
    if (!existing.isNull()) {
        const SqlStatement row = sqlParam(existing.toInt());
        if (importo.isZero()) {
            m_db.execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIvaXTip = "_qs + row);
        } else {
            m_db.execute(u"UPDATE RisultatoLiquidazioneIvaXTipo SET Importo = "_qs + sqlParam(importo) +
                         u" ,DataVersamento = NULL ,IDConcessionarioEsattoriale = NULL ,IDBancaPerAnagrafica = NULL "
                         ",IDUtenteUltimaVariazione = "_qs +
                         user + u" ,DataUltimaVariazione = "_qs + now + u" WHERE IDRisultatoLiquidazioneIvaXTip = "_qs +
                         row);
        }
    } else if (!importo.isZero()) {
        nextKey(
            m_db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, "
            "Importo, DataVersamento, IDConcessionarioEsattoriale, IDBancaPerAnagrafica, IDUtenteUltimaVariazione, "
            "DataUltimaVariazione, VirtualDelete) VALUES (4, "_qs +
                key + u", "_qs + sqlParam(importo) + u", NULL, NULL, NULL, "_qs + user + u", "_qs + now + u", 0)"_qs);
    }
}

void CreditoAutotrasportatori::Save(Amounts *amounts)
{
    if (!consumaCredito() || m_id.idRisultatoLiquidazioneIva <= 0)
        return;
    Money used = m_utilizzato;
    if (amounts) {
        // The amounts object's unit: thousands of lire where it does not hold units.
        const long long unit = amounts->ImpUnita() ? 1 : 1000;
        if (m_id.lireRules())
            amounts->setCreAutotraspUti(Money::fromRaw(used.raw() / unit));
        else
            used = amounts->CreAutotraspUti() * unit;
    }
    const Money residual = m_disponibile - used;

    Transaction tx(m_db);
    writeTypeFour(used);
    m_db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = "_qs + sqlParam(residual) +
                 u" WHERE IDPeriodoIva = "_qs + sqlParam(m_id.idPeriodoIva) + u" AND IDAttivitaAzienda = "_qs +
                 sqlParam(m_id.idAttivitaAzienda));
    tx.commit();
    m_utilizzato = used;
    m_residuo = residual;
}

Money CreditoAutotrasportatori::RestituisciCredito(Connection &db, int idUser, const SettlementIdentity &id)
{
    if (!id.lireRules() || id.idMese < 1 || id.idMese > 12 || id.idRisultatoLiquidazioneIva <= 0)
        return {};
    const QVariant found =
        db.scalar(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 4 AND "
                  "IDRisultatoLiquidazioneIva = ?"_qs,
                  {sqlValue(id.idRisultatoLiquidazioneIva)});
    if (found.isNull())
        return {};
    const Money amount = Money::fromVariant(found);
    // An activity whose credit column is empty gets the amount, not an empty column back.
    db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = "
               "COALESCE(CreditoIvaAutotrasportatori, 0) + "_qs +
               sqlParam(amount) + u",IDUtenteUltimaVariazione = "_qs + sqlParam(idUser) +
               u",DataUltimaVariazione = "_qs + sqlParam(QDateTime::currentDateTime()) +
               u" WHERE IDAttivitaAzienda = "_qs + sqlParam(id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs +
               sqlParam(id.idPeriodoIva));
    return amount;
}

} // namespace liqiva
