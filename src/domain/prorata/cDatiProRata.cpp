#include "domain/prorata/cDatiProRata.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"
#include "domain/engine/Amounts.h"
#include "domain/engine/CounterQueries.h"
#include "suite/AccountingEntry.h"
#include "suite/Messages.h"
#include "suite/Rounding.h"

#include <QDateTime>

namespace liqiva {

cDatiProRata::cDatiProRata(Connection &db) : m_db(&db) {}

cDatiProRata::~cDatiProRata() = default;
cDatiProRata::cDatiProRata(cDatiProRata &&) noexcept = default;
cDatiProRata &cDatiProRata::operator=(cDatiProRata &&) noexcept = default;

AccountingEntry &cDatiProRata::ObjectPNC()
{
    if (!m_pnc) {
        m_pnc = std::make_unique<AccountingEntry>(*m_db, m_idAzienda, m_idUtente);
        if (m_idRisultato > 0) {
            const QVariant linked = m_db->scalar(
                u"SELECT IDOggettoProRata, IDTipoOggettoProRata FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                {sqlValue(m_idRisultato)});
            if (!linked.isNull() && linked.toInt() > 0)
                m_pnc->Load(linked.toInt());
        }
    }
    return *m_pnc;
}

void cDatiProRata::setOperazioniImponibili(Money v)
{
    m_imponibili = v;
    m_imponibiliCalcolate = v == m_imponibiliContatori;
    m_perc = CalcolaPercProRata(m_imponibili, m_esenti);
}

void cDatiProRata::setOperazioniEsenti(Money v)
{
    m_esenti = v;
    m_esentiCalcolate = v == m_esentiContatori;
    m_perc = CalcolaPercProRata(m_imponibili, m_esenti);
}

Percent cDatiProRata::CalcolaPercProRata(Money imponibili, Money esenti)
{
    if (imponibili.isZero() || esenti.isZero())
        return Percent::points(imponibili > Money() ? 100 : 0);
    const Money total = imponibili + esenti;
    // First to the thousandth of a point, then to the whole point, half to even both times
    // (81.4996 is 81.500 and then 82).
    const Percent result = total.isZero() ? Percent::points(100)
                                          : Percent::ratio(imponibili, total, Percent::Thousandth, RoundMode::HalfEven)
                                                .rounded(Percent::Point, RoundMode::HalfEven);
    if (!(result > Percent::points(-100) && result < Percent::points(100)))
        return Percent::points(imponibili > esenti ? 100 : 0);
    return result;
}

Money cDatiProRata::CalcolaIvaDetraibile(Money ivaAcquisti, Percent percentuale) const
{
    if (ivaAcquisti.isZero() || percentuale.isZero())
        return {};
    return percentuale.of(ivaAcquisti, m_decimali ? Step::Cent : Step::Lira, RoundMode::HalfAwayFromZero);
}

// ---- counter totals ------------------------------------------------------------------

SqlStatement cDatiProRata::periodFilter() const
{
    // RiportoSuChiusuraIVA is qualified: the statements join the VAT codes.
    const CounterPeriod period{m_idAttivita, m_idPeriodoIva, m_idMese, m_metodo};
    return u" WHERE ContatoreIva.RiportoSuChiusuraIVA <> 0"_qs + sqlYearCondition(m_idPeriodoIva) +
           sqlPeriodFilter(period);
}

Money cDatiProRata::sumOf(const SqlStatement &sql, const QString &field)
{
    Recordset rs = m_db->openRecordset(sql);
    return rs.eof() ? Money() : Money::fromVariant(rs.field(field));
}

// The sales of the period that count for the pro-rata, of the VAT types a condition chooses.
Money cDatiProRata::operazioniProRata(const QString &vatTypeCondition)
{
    return sumOf(u"SELECT SUM(Imponibile) AS TotaleImponibile"_qs +
                     u" FROM ContatoreIva INNER JOIN Iva ON ContatoreIva.IDIva = Iva.IDIva"_qs + periodFilter() +
                     u" AND IDTipoContatoreIva >= 2 AND IDTipoContatoreIva <= 7"_qs +
                     u" AND Iva.NoCalcoloProRata = 0"_qs + vatTypeCondition,
                 u"TotaleImponibile"_qs);
}

Money cDatiProRata::CalcolaOperazioniImponibili()
{
    return operazioniProRata(u" AND (Iva.IDTipoIva <> 3 OR Iva.IDTipoIva IS NULL)"_qs);
}

Money cDatiProRata::CalcolaOperazioniEsenti()
{
    return operazioniProRata(u" AND Iva.IDTipoIva = 3"_qs);
}

Money cDatiProRata::CalcolaIvaIndetraibileContabilizzata()
{
    return sumOf(u"SELECT SUM(Importo) AS TotaleImporto"_qs +
                     u" FROM ContatoreIva INNER JOIN Iva ON ContatoreIva.IDIva = Iva.IDIva"_qs + periodFilter() +
                     u" AND IDTipoContatoreIva = 11"_qs,
                 u"TotaleImporto"_qs);
}

Money cDatiProRata::CalcolaIvaDetratta()
{
    return sumOf(u"SELECT SUM(Importo) AS TotaleImporto"_qs +
                     u" FROM RisultatoLiquidazioneIvaXTipo INNER JOIN RisultatoLiquidazioneIva ON "
                     "RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
                     "RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva"_qs +
                     u" WHERE IDTipoRisultatoLiquidazioneIva = 13"_qs + u" AND IDMese <> 0"_qs +
                     u" AND IDMese IS NOT NULL"_qs + u" AND IDPeriodoIva = "_qs + sqlParam(m_idPeriodoIva) +
                     u" AND IDAttivitaAzienda = "_qs + sqlParam(m_idAttivita),
                 u"TotaleImporto"_qs);
}

// ---- loading ---------------------------------------------------------------------------

void cDatiProRata::resetFigures()
{
    m_gestione = false;
    m_ivaIndCosto = false;
    m_perc = Percent();
    m_imponibili = m_esenti = m_imponibiliContatori = m_esentiContatori = Money();
    m_imponibiliCalcolate = m_esentiCalcolate = false;
    m_ivaIndCont = m_ivaDetratta = Money();
}

void cDatiProRata::LoadDati(int idRisultatoLiquidazioneIva, const ActivitySettings *settings)
{
    m_idRisultato = idRisultatoLiquidazioneIva;
    m_pnc.reset();
    resetFigures();
    if (settings && settings->is(m_idAttivita, m_idPeriodoIva)) {
        // The activity's row of the year as the fill read it.
        if (settings->found) {
            m_gestione = settings->gestioneProRata && !settings->articolo34;
            m_perc = Percent::fromVariant(settings->percentualeProRata);
            m_ivaIndCosto = settings->ivaIndComeCostoAccessorio;
        }
    } else {
        Recordset rs = m_db->openRecordset(
            u"SELECT Articolo34, GestioneProRata, PercentualeProRata, IvaIndComeCostoAccessorio FROM "
            "AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda = ? AND IDPeriodoIva = ?"_qs,
            {sqlValue(m_idAttivita), sqlValue(m_idPeriodoIva)});
        if (!rs.eof()) {
            // The special regime of article 34 excludes the pro-rata.
            m_gestione = rs.number(u"GestioneProRata"_qs) != 0 && rs.number(u"Articolo34"_qs) == 0;
            m_perc = Percent::fromVariant(rs.field(u"PercentualeProRata"_qs));
            m_ivaIndCosto = rs.number(u"IvaIndComeCostoAccessorio"_qs) != 0;
        }
    }
    if (!m_gestione) {
        m_perc = Percent::points(100);
        return;
    }
    if (m_idMese == 0) {
        bool typed46 = false, typed47 = false;
        {
            Recordset rs = m_db->openRecordset(
                u"SELECT IDTipoRisultatoLiquidazioneIva, Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = ? AND (IDTipoRisultatoLiquidazioneIva = ? OR IDTipoRisultatoLiquidazioneIva = ?)"_qs,
                {sqlValue(m_idRisultato), sqlValue(AmountType::OperazioniImponibiliProRata),
                 sqlValue(AmountType::OperazioniEsentiProRata)});
            for (; !rs.eof(); rs.moveNext()) {
                const Money v = Money::fromVariant(rs.field(u"Importo"_qs));
                if (rs.integer(u"IDTipoRisultatoLiquidazioneIva"_qs) == AmountType::OperazioniImponibiliProRata) {
                    m_imponibili = v;
                    m_imponibiliCalcolate = false;
                    typed46 = true;
                } else {
                    m_esenti = v;
                    m_esentiCalcolate = false;
                    typed47 = true;
                }
            }
        }
        m_imponibiliContatori = CalcolaOperazioniImponibili();
        if (!typed46) {
            m_imponibili = m_imponibiliContatori;
            m_imponibiliCalcolate = true;
        }
        m_esentiContatori = CalcolaOperazioniEsenti();
        if (!typed47) {
            m_esenti = m_esentiContatori;
            m_esentiCalcolate = true;
        }
        m_perc = CalcolaPercProRata(m_imponibili, m_esenti);
        m_ivaDetratta = CalcolaIvaDetratta();
    } else {
        m_ivaIndCont = CalcolaIvaIndetraibileContabilizzata();
    }
}

// ---- the window's figures ---------------------------------------------------------------

cDatiProRata::StornoPeriodo cDatiProRata::CalcolaStornoPeriodo() const
{
    StornoPeriodo s;
    s.ivaSuAcquisti = m_totaleIvaAcquisti;
    s.ivaDetraibile = CalcolaIvaDetraibile(m_totaleIvaAcquisti, m_perc);
    s.ivaIndetraibile = s.ivaSuAcquisti - s.ivaDetraibile;
    s.ivaIndetraibileContabilizzata = m_ivaIndCont;
    s.ivaIndetraibileDaStornare = s.ivaIndetraibile - s.ivaIndetraibileContabilizzata;
    return s;
}

cDatiProRata::ConguaglioAnnuale cDatiProRata::CalcolaConguaglioAnnuale(Money imponibili, Money esenti,
                                                                       Money ivaAcquisti, Money ivaDetratta) const
{
    ConguaglioAnnuale c;
    c.percentuale = CalcolaPercProRata(imponibili, esenti);
    c.ivaDetraibile = CalcolaIvaDetraibile(ivaAcquisti, c.percentuale);
    const Money d = c.ivaDetraibile - ivaDetratta;
    if (d <= Money()) {
        c.ivaDaRecuperare = Money();
        c.ivaDaVersare = -d;
    } else {
        c.ivaDaRecuperare = d;
        c.ivaDaVersare = Money();
    }
    return c;
}

void cDatiProRata::Aggiorna(Money imponibili, Money esenti, Percent percentuale)
{
    setOperazioniImponibili(imponibili);
    setOperazioniEsenti(esenti);
    if (m_imponibili != m_imponibiliContatori)
        m_imponibiliCalcolate = false;
    if (m_esenti != m_esentiContatori)
        m_esentiCalcolate = false;
    m_perc = percentuale;
}

// ---- saving ----------------------------------------------------------------------------

void cDatiProRata::SaveOperazioni()
{
    if (m_idRisultato <= 0)
        return;
    const SqlStatement key = sqlParam(m_idRisultato);
    const SqlStatement audit = sqlParam(m_idUtente) + u", "_qs + sqlParam(QDateTime::currentDateTime());
    Transaction tx(*m_db);
    const auto store = [&](int type, bool typed, Money value) {
        m_db->execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "_qs +
                      sqlParam(type) + u" AND IDRisultatoLiquidazioneIva = "_qs + key);
        if (!typed)
            return;
        nextKey(
            *m_db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, "
            "Importo, DataVersamento, IDConcessionarioEsattoriale, IDBancaPerAnagrafica, IDUtenteUltimaVariazione, "
            "DataUltimaVariazione, VirtualDelete) VALUES ("_qs +
                sqlParam(type) + u", "_qs + key + u", "_qs + sqlParam(value) + u", NULL, NULL, NULL, "_qs + audit +
                u", 0)"_qs);
    };
    // Only the annual settlement of an activity with the pro-rata keeps typed operations.
    const bool annual = m_idMese == 0 && m_gestione;
    store(AmountType::OperazioniImponibiliProRata, annual && !m_imponibiliCalcolate, m_imponibili);
    store(AmountType::OperazioniEsentiProRata, annual && !m_esentiCalcolate, m_esenti);
    tx.commit();
}

int cDatiProRata::AnnoPercentuale() const
{
    const int anno =
        m_db->scalar(u"SELECT Anno FROM PeriodoIva WHERE IDPeriodoIva = ?"_qs, {sqlValue(m_idPeriodoIva)}).toInt();
    if (anno == 0)
        return 0;
    return m_idMese == 0 ? anno + 1 : anno;
}

QString cDatiProRata::questionAggiornaPercentuale(int anno)
{
    return u"Si vuole aggiornare la percentuale pro-rata per l'anno "_qs + QString::number(anno) + u"?"_qs;
}

QString cDatiProRata::msgPercentualeNonAggiornata(int anno)
{
    return u"Attenzione! Non è stato possibile aggiornare il valore"_qs + u"\r\n"_qs +
           u"della percentuale pro-rata. Verificare che sia stato"_qs + u"\r\n"_qs +
           u"creato il periodo IVA per l'anno "_qs + QString::number(anno) + u" e che sia stata"_qs + u"\r\n"_qs +
           u"attivata la gestione del pro-rata."_qs;
}

cDatiProRata::Aggiornamento cDatiProRata::PreparaAggiornamento() const
{
    if (!m_gestione)
        return {};
    const int anno = AnnoPercentuale();
    int id = 0;
    bool gestione = false;
    Percent stored;
    {
        Recordset rs = m_db->openRecordset(
            u"SELECT IDAttivitaAziendaPerPeriodoIva, GestioneProRata, PercentualeProRata FROM "
            u"AttivitaAziendaPerPeriodoIva "
            "INNER JOIN PeriodoIva ON AttivitaAziendaPerPeriodoIva.IDPeriodoIva = PeriodoIva.IDPeriodoIva WHERE "
            "IDAttivitaAzienda = ? AND PeriodoIva.Anno = ? AND PeriodoIva.VirtualDelete = 0 AND AttivitaAziendaPerPeriodoIva.VirtualDelete = 0"_qs,
            {sqlValue(m_idAttivita), sqlValue(anno)});
        if (!rs.eof()) {
            id = rs.integer(u"IDAttivitaAziendaPerPeriodoIva"_qs);
            gestione = rs.number(u"GestioneProRata"_qs) != 0;
            stored = Percent::fromVariant(rs.field(u"PercentualeProRata"_qs));
        }
    }
    if (id == 0 || !gestione)
        return {notice(msgPercentualeNonAggiornata(anno)), 0};
    if (stored == m_perc)
        return {};
    return {Question{questionAggiornaPercentuale(anno)}, id};
}

void cDatiProRata::ScriviPercentuale(int id)
{
    m_db->execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET PercentualeProRata = "_qs + sqlParam(m_perc.toMoney()) +
                  u", IDUtenteUltimaVariazione = "_qs + sqlParam(m_idUtente) + u", DataUltimaVariazione = "_qs +
                  sqlParam(QDateTime::currentDateTime()) + u" WHERE IDAttivitaAziendaPerPeriodoIva = "_qs +
                  sqlParam(id));
}

} // namespace liqiva
