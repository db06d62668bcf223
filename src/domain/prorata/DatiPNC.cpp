#include "domain/prorata/DatiPNC.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/prorata/cDatiProRata.h"
#include "suite/AccountingEntry.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QDateTime>

namespace liqiva {

namespace {

QList<DatiPNC::Voce> voci(Connection &db, const SqlStatement &sql, const QString &id, const QString &code,
                          const QString &description)
{
    QList<DatiPNC::Voce> out;
    Recordset rs = db.openRecordset(sql);
    for (; !rs.eof(); rs.moveNext())
        out.append({rs.integer(id), code.isEmpty() ? QString() : rs.text(code),
                    description.isEmpty() ? QString() : rs.text(description)});
    return out;
}
} // namespace

DatiPNC::DatiPNC(cDatiProRata &proRata, Money importoStorno) : m_p(proRata), m_importo(importoStorno) {}

Money DatiPNC::ImportoDaStornare(const cDatiProRata &p, Money imponibili, Money esenti)
{
    if (p.IDMese() != 0)
        return p.CalcolaStornoPeriodo().ivaIndetraibileDaStornare;
    const cDatiProRata::ConguaglioAnnuale c =
        p.CalcolaConguaglioAnnuale(imponibili, esenti, p.TotaleIvaAcquisti(), p.IvaDetratta());
    return !c.ivaDaRecuperare.isZero() ? c.ivaDaRecuperare : -c.ivaDaVersare;
}

QString DatiPNC::msgDatiObbligatori()
{
    return QStringLiteral(
        "Per la registrazione in contabilità è necessario impostare tutte le informazioni obbligatorie.");
}

QString DatiPNC::questionAggiorna()
{
    return QStringLiteral("Attenzione! La registrazione di storno risulta già effettuata.") + u"\n"_qs +
           QStringLiteral("Si vuole aggiornare?");
}

QString DatiPNC::msgRegistrazioneEffettuata()
{
    return QStringLiteral("Registrazione effettuata correttamente.");
}

AccountingEntry &DatiPNC::entry() const
{
    return m_p.ObjectPNC();
}

bool DatiPNC::RegistrazioneEsistente() const
{
    return entry().HasTestata();
}

std::optional<Money> DatiPNC::ImportoContabilizzato() const
{
    const AccountingEntry &e = entry();
    if (e.Righe().isEmpty())
        return std::nullopt;
    return e.Righe().first().Importo;
}

QList<DatiPNC::Voce> DatiPNC::Esercizi() const
{
    return voci(m_p.getConnection(),
                u"SELECT IDEsercizio, Esercizio  From Esercizio"_qs +
                    u"  WHERE ( IDTipoEsercizio = 1 Or IDTipoEsercizio = 2 ) And IDAzienda = "_qs +
                    sqlParam(m_p.IDAzienda()) + u" ORDER BY Esercizio"_qs,
                u"IDEsercizio"_qs, QString(), u"Esercizio"_qs);
}

int DatiPNC::EsercizioPredefinito() const
{
    return m_p.getConnection()
        .scalar(u"SELECT IDEsercizio FROM Esercizio"_qs + u" WHERE IDTipoEsercizio = 1 AND IDAzienda = "_qs +
                sqlParam(m_p.IDAzienda()))
        .toInt();
}

int DatiPNC::EsercizioDaData(const QDate &data) const
{
    for (const Voce &v : Esercizi())
        if (entry().DataInEsercizio(v.id, data))
            return v.id;
    return 0;
}

QList<DatiPNC::Voce> DatiPNC::Filiali() const
{
    return voci(m_p.getConnection(),
                u"SELECT IDFiliale, Filiale FROM Filiale WHERE IDAzienda = "_qs + sqlParam(m_p.IDAzienda()) +
                    u" AND VirtualDelete = 0 ORDER BY IDFiliale"_qs,
                u"IDFiliale"_qs, QString(), u"Filiale"_qs);
}

int DatiPNC::FilialePredefinita() const
{
    return m_p.getConnection()
        .scalar(u"SELECT MIN(IDFiliale) FROM Filiale WHERE IDAttivitaAzienda = "_qs +
                sqlParam(m_p.IDAttivitaAzienda()) + u" AND VirtualDelete = 0"_qs)
        .toInt();
}

QList<DatiPNC::Voce> DatiPNC::Causali() const
{
    return voci(m_p.getConnection(),
                u"SELECT IDCausaleContabile, CausaleContabile, DescrizioneCausale FROM CausaleContabile WHERE "
                u"VirtualDelete = 0 ORDER BY CausaleContabile"_qs,
                u"IDCausaleContabile"_qs, u"CausaleContabile"_qs, u"DescrizioneCausale"_qs);
}

int DatiPNC::CausaleDaCodice(const QString &codice) const
{
    for (const Voce &v : Causali())
        if (v.codice.compare(codice.trimmed(), Qt::CaseInsensitive) == 0)
            return v.id;
    return 0;
}

int DatiPNC::PianoDeiConti(int idEsercizio) const
{
    return m_p.getConnection()
        .scalar(u"SELECT IDPianoDeiConti FROM PianoDeiConti"_qs + u" WHERE TipoPDC = 1 AND IDAzienda = "_qs +
                sqlParam(m_p.IDAzienda()) + u" AND IDEsercizio = "_qs + sqlParam(idEsercizio))
        .toInt();
}

QList<DatiPNC::Voce> DatiPNC::Conti(int idEsercizio) const
{
    return voci(
        m_p.getConnection(),
        u"SELECT DISTINCT ContoPDC.IDContoPDC, ContoPDC.ContoPDC, ContoPDC.DescrizioneConto FROM (ContoPDC INNER "
        u"JOIN ContoPerPDC ON ContoPDC.IDContoPDC = ContoPerPDC.IDContoPDC) INNER JOIN ElementoPDC ON "
        u"ContoPerPDC.IDElementoPDC = ElementoPDC.IDElementoPDC WHERE ElementoPDC.IDPianoDeiConti = "_qs +
            sqlParam(PianoDeiConti(idEsercizio)) + u" ORDER BY ContoPDC.ContoPDC"_qs,
        u"IDContoPDC"_qs, u"ContoPDC"_qs, u"DescrizioneConto"_qs);
}

int DatiPNC::ContoDaCodice(const QString &codice, int idEsercizio) const
{
    for (const Voce &v : Conti(idEsercizio))
        if (v.codice == codice.trimmed())
            return v.id;
    return 0;
}

bool DatiPNC::ContoNelPiano(int idConto, int idEsercizio) const
{
    if (idConto <= 0)
        return false;
    Recordset rs =
        m_p.getConnection().openRecordset(u"SELECT ContoPDC.ContoPDC, ElementoPDC.IDPianoDeiConti"_qs +
                                          u" FROM (ContoPDC INNER JOIN ContoPerPDC ON ContoPDC.IDContoPDC = "
                                          u"ContoPerPDC.IDContoPDC) INNER JOIN ElementoPDC "
                                          u"ON ContoPerPDC.IDElementoPDC = ElementoPDC.IDElementoPDC"_qs +
                                          u" WHERE ContoPDC.IDContoPDC = "_qs + sqlParam(idConto) + u" AND"_qs +
                                          u" ElementoPDC.IDPianoDeiConti = "_qs + sqlParam(PianoDeiConti(idEsercizio)));
    return !rs.eof();
}

std::pair<int, int> DatiPNC::ContiPredefiniti(int idFiliale, int idEsercizio) const
{
    Recordset rs = m_p.getConnection().openRecordset(
        u"SELECT IDContoPDC_CostoIvaInd, IDContoPDC_StornoRecuperoIva, IDContoPDC_IvaAcquisti FROM ContoAutomatico"_qs +
        u" WHERE IDFiliale = "_qs + sqlParam(idFiliale));
    if (rs.eof())
        return {0, 0};
    const int costo = rs.integer(u"IDContoPDC_CostoIvaInd"_qs);
    const int storno = rs.integer(u"IDContoPDC_StornoRecuperoIva"_qs);
    const int acquisti = rs.integer(u"IDContoPDC_IvaAcquisti"_qs);
    rs.close();
    const bool positive = m_importo > Money();
    std::pair<int, int> accounts;
    if (m_p.IDMese() == 0)
        accounts = positive ? std::make_pair(acquisti, storno) : std::make_pair(costo, acquisti);
    else
        accounts = positive ? std::make_pair(costo, acquisti) : std::make_pair(acquisti, storno);
    if (!ContoNelPiano(accounts.first, idEsercizio))
        accounts.first = 0;
    if (!ContoNelPiano(accounts.second, idEsercizio))
        accounts.second = 0;
    return accounts;
}

DatiPNC::Dati DatiPNC::Proposta() const
{
    Dati d;
    const AccountingEntry &e = entry();
    if (const auto &t = e.storedTestata()) {
        d.idFiliale = t->IDFiliale;
        d.idEsercizio = t->IDEsercizio;
        d.dataRegistrazione = t->DataRegistrazione;
        d.numeroRegistrazione = t->NumeroRegistrazione;
        d.idCausaleContabile = t->IDCausaleContabile;
        for (const AccountingEntry::Riga &r : e.Righe()) {
            if (r.Segno == u"D"_qs && d.idContoDare == 0) {
                d.idContoDare = r.IDContoPDC;
                d.note = r.DescrizioneAggiuntiva;
            } else if (r.Segno == u"A"_qs && d.idContoAvere == 0) {
                d.idContoAvere = r.IDContoPDC;
            }
        }
        return d;
    }
    d.idFiliale = FilialePredefinita();
    // The adjustment belongs to the settlement's period: booked on its last day, in the
    // fiscal year that holds that day (the company's current one when none does).
    const int anno = m_p.getConnection()
                         .scalar(u"SELECT Anno FROM PeriodoIva WHERE IDPeriodoIva = ?"_qs, {m_p.IDPeriodoIva()})
                         .toInt();
    if (anno > 0) {
        const int mese = m_p.IDMese() >= 1 && m_p.IDMese() <= 12 ? m_p.IDMese() : 12;
        const QDate first(anno, mese, 1);
        d.dataRegistrazione = first.addDays(first.daysInMonth() - 1);
    } else {
        d.dataRegistrazione = QDate::currentDate();
    }
    d.idEsercizio = EsercizioDaData(d.dataRegistrazione);
    if (d.idEsercizio <= 0)
        d.idEsercizio = EsercizioPredefinito();
    const auto [dare, avere] = ContiPredefiniti(d.idFiliale, d.idEsercizio);
    d.idContoDare = dare;
    d.idContoAvere = avere;
    return d;
}

void DatiPNC::Verifica(const Dati &d, int *proposta) const
{
    if (d.idFiliale <= 0 || d.idEsercizio <= 0 || !d.dataRegistrazione.isValid() || d.numeroRegistrazione == 0 ||
        d.idCausaleContabile <= 0 || d.idContoDare <= 0 || d.idContoAvere <= 0)
        throw Refusal(msgDatiObbligatori());
    AccountingEntry &e = entry();
    if (!e.DataInEsercizio(d.idEsercizio, d.dataRegistrazione))
        throw Refusal(AccountingEntry::msgDataFuoriEsercizio());
    const bool valid = AccountingEntry::NumeroValido(d.numeroRegistrazione);
    if (!valid || e.NumeroUtilizzato(d.numeroRegistrazione, d.dataRegistrazione.year(), e.Key())) {
        if (proposta)
            *proposta = e.ProssimoNumero(d.dataRegistrazione.year());
        throw Refusal(valid ? AccountingEntry::msgNumeroUtilizzato() : AccountingEntry::msgNumeroNonValido());
    }
}

bool DatiPNC::EsisteRegistrazione()
{
    return entry().HasTestata();
}

void DatiPNC::Registra(const Dati &d, int *proposta)
{
    AccountingEntry &e = entry();
    Connection &db = m_p.getConnection();
    const QDate today = QDate::currentDate();
    QString causale;
    for (const Voce &v : Causali())
        if (v.id == d.idCausaleContabile)
            causale = v.descrizione;
    const int keyBefore = e.Key();
    AccountingEntry::Testata &t = e.testata();
    t.IDEsercizio = d.idEsercizio;
    t.IDFiliale = d.idFiliale;
    t.DataRegistrazione = d.dataRegistrazione;
    t.NumeroRegistrazione = d.numeroRegistrazione;
    t.FatturainRitardo = false;
    t.IDUtenteUltimaVariazione = m_p.IDUtente();
    t.DataUltimaVariazione = today;
    t.VirtualDelete = 0;
    t.IDCausaleContabile = d.idCausaleContabile;
    t.DescrizioneCausale = causale;
    t.IDStatoPerCentroCP = 3;
    const Money amount = m_importo < Money() ? -m_importo : m_importo;
    auto row = [&](const QString &sign, int account) {
        AccountingEntry::Riga r;
        r.Segno = sign;
        r.IDContoPDC = account;
        r.Importo = amount;
        r.DescrizioneAggiuntiva = d.note;
        r.IDUtenteUltimaVariazione = m_p.IDUtente();
        r.DataUltimaVariazione = today;
        r.VirtualDelete = 0;
        return r;
    };
    e.Righe() = {row(u"D"_qs, d.idContoDare), row(u"A"_qs, d.idContoAvere)};

    try {
        Transaction tx(db);
        e.Save();
        db.execute(u"UPDATE"_qs + u" RisultatoLiquidazioneIva"_qs + u" SET"_qs + u" VirtualDelete = 0"_qs +
                   u" ,IDUtenteUltimaVariazione = "_qs + sqlParam(m_p.IDUtente()) + u" ,DataUltimaVariazione = "_qs +
                   sqlParam(QDateTime::currentDateTime()) + u" ,IDOggettoProRata = "_qs + sqlParam(e.Key()) +
                   u" ,IDTipoOggettoProRata = "_qs + sqlParam(e.Type()) + u" WHERE"_qs +
                   u" IDRisultatoLiquidazioneIva = "_qs + sqlParam(m_p.IDRisultatoLiquidazioneIva()));
        tx.commit();
    } catch (const Refusal &r) {
        // Another user took the number (or the year) meanwhile: nothing was written.
        if (keyBefore > 0)
            e.Load(keyBefore);
        else
            e.Clear();
        if (proposta && r.message() == AccountingEntry::msgNumeroUtilizzato())
            *proposta = e.ProssimoNumero(d.dataRegistrazione.year());
        throw;
    } catch (...) {
        if (keyBefore > 0)
            e.Load(keyBefore);
        else
            e.Clear();
        throw;
    }
    e.Load(e.Key());
}

} // namespace liqiva
