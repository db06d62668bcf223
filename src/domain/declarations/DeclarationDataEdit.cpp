#include "domain/declarations/DeclarationDataEdit.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"

namespace liqiva {

namespace {
int annoDi(Connection &db, int idPeriodoIva)
{
    return db.scalar(u"SELECT Anno FROM PeriodoIva WHERE IDPeriodoIva = ?"_qs, {sqlValue(idPeriodoIva)}).toInt();
}
} // namespace

DatiDipEdit::DatiDipEdit(Connection &db, AltriDatiDip &dip, bool soggettoRimborso, bool decimali)
    : m_db(db), m_dip(dip), m_soggetto(soggettoRimborso), m_decimali(decimali)
{
    SqlStatement sql = u"SELECT ExArticolo7374 FROM AttivitaAziendaPerPeriodoIva"_qs + u" WHERE IDPeriodoIva = "_qs +
                       sqlParam(dip.IDPeriodoIva);
    if (!dip.UnicaCompensata)
        sql += u" AND IDAttivitaAzienda = "_qs + sqlParam(dip.IDAttivitaAzienda);
    Recordset rs = m_db.openRecordset(sql);
    for (; !rs.eof(); rs.moveNext())
        m_regime7374 = m_regime7374 || rs.number(u"ExArticolo7374"_qs) != 0;
}

QString DatiDipEdit::msgImpostaMaggiore()
{
    return QStringLiteral("Il valore dell'imposta non può essere maggiore dell'imponibile.");
}

QString DatiDipEdit::msgSelezionareVoce()
{
    return QStringLiteral("Selezionare almeno una voce: ") + u"\n"_qs + u"     'Aliquota media lett. a)', "_qs +
           u"\n"_qs + u"     'Operazioni non imponibili lett. b)', "_qs + u"\n"_qs +
           u"     'Acquisto beni ammortizzabili lett. c)'."_qs;
}

int DatiDipEdit::Anno() const
{
    return annoDi(m_db, m_dip.IDPeriodoIva);
}

QString DatiDipEdit::Titolo() const
{
    return m_dip.Caption.isEmpty() ? titolo() : titolo() + u" - "_qs + m_dip.Caption;
}

AltriDatiDip DatiDipEdit::Mostrati() const
{
    AltriDatiDip d = m_dip;
    for (Money *m : {&d.VP1_OperazioniAttive, &d.VP1_CessioniIntracomunitarie, &d.VP2_OperazioniPassive,
                     &d.VP2_AcquistiIntracomunitari, &d.VP3_Imponibile, &d.VP3_Imposta})
        *m = declarationShown(*m, m_decimali);
    if (!m_regime7374)
        d.ContribuentiLiquidazioneTrim = false;
    if (!m_soggetto)
        d.AliquotaMediaLettA = d.OperazioniNonImpLettB = d.CreditoARimborsoInEuro = d.AcquistiBeniAmmLettC = false;
    if (m_decimali)
        d.VersamentoInEuro = true;
    return d;
}

DatiDipEdit::Campo DatiDipEdit::Errato(const AltriDatiDip &shown) const
{
    if (!ImpostaValida(shown.VP3_Imponibile, shown.VP3_Imposta))
        return Campo::Imposta;
    if (RimborsoAbilitato() && !shown.AliquotaMediaLettA && !shown.OperazioniNonImpLettB && !shown.AcquistiBeniAmmLettC)
        return Campo::AliquotaMedia;
    return Campo::Nessuno;
}

void DatiDipEdit::Conferma(const AltriDatiDip &shown)
{
    switch (Errato(shown)) {
    case Campo::Imposta:
        throw Refusal(msgImpostaMaggiore());
    case Campo::AliquotaMedia:
        throw Refusal(msgSelezionareVoce());
    case Campo::Nessuno:
        break;
    }
    m_dip.VP3_Imponibile = declarationStored(shown.VP3_Imponibile, m_decimali);
    m_dip.VP3_Imposta = declarationStored(shown.VP3_Imposta, m_decimali);
    m_dip.DichiarazioneIntegrativa = shown.DichiarazioneIntegrativa;
    m_dip.CorrettivaNeiTermini = shown.CorrettivaNeiTermini;
    m_dip.VariazioniPeriodiPrec = shown.VariazioniPeriodiPrec;
    m_dip.ContribuentiLiquidazioneTrim = m_regime7374 && shown.ContribuentiLiquidazioneTrim;
    m_dip.AliquotaMediaLettA = shown.AliquotaMediaLettA;
    m_dip.OperazioniNonImpLettB = shown.OperazioniNonImpLettB;
    m_dip.CreditoARimborsoInEuro = shown.CreditoARimborsoInEuro;
    m_dip.AcquistiBeniAmmLettC = shown.AcquistiBeniAmmLettC;
    m_dip.VersamentoInEuro = m_decimali || shown.VersamentoInEuro;
    m_dip.VersamentoNonEffettuato = shown.VersamentoNonEffettuato;
}

DatiCADIEdit::DatiCADIEdit(Connection &db, DatiCADI &cadi, bool decimali) : m_db(db), m_cadi(cadi), m_decimali(decimali)
{
}

QString DatiCADIEdit::questionImpostaMaggiore()
{
    return QStringLiteral("Il valore dell'imposta non può essere maggiore dell'imponibile.") + u"\n"_qs +
           QStringLiteral("Proseguire ugualmente?");
}

int DatiCADIEdit::Anno() const
{
    return annoDi(m_db, m_cadi.IDPeriodoIva);
}

DatiCADI DatiCADIEdit::Mostrati() const
{
    DatiCADI d = m_cadi;
    for (Money *m : {&d.OperazioniAttive, &d.OperazioniNonImponibili, &d.OperazioniEsenti,
                     &d.OperazioniIntracomunitarie, &d.OperazioniBeniStrumentali, &d.OperazioniPassive,
                     &d.AcquistiNonImponibili, &d.AcquistiEsenti, &d.AcquistiIntracomunitarie,
                     &d.AcquistiBeniStrumentali, &d.Imponibile, &d.Imposta, &d.ImponibileRottami, &d.ImpostaRottami})
        *m = declarationShown(*m, m_decimali);
    return d;
}

std::optional<Question> DatiCADIEdit::Domanda(const DatiCADI &shown) const
{
    if (shown.Imposta > shown.Imponibile || shown.ImpostaRottami > shown.ImponibileRottami)
        return Question{questionImpostaMaggiore()};
    return std::nullopt;
}

void DatiCADIEdit::Conferma(const DatiCADI &shown)
{
    m_cadi.Imponibile = declarationStored(shown.Imponibile, m_decimali);
    m_cadi.Imposta = declarationStored(shown.Imposta, m_decimali);
    m_cadi.ImponibileRottami = declarationStored(shown.ImponibileRottami, m_decimali);
    m_cadi.ImpostaRottami = declarationStored(shown.ImpostaRottami, m_decimali);
    m_cadi.EventiEccezionali = shown.EventiEccezionali;
}

} // namespace liqiva
