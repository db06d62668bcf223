// The save and the delete of a settlement. Each runs in one transaction: on any error
// nothing of it stays and the settlement is as it was, with the reason shown.

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "database/KeyReservation.h"
#include "database/RowState.h"
#include "database/SqlValue.h"
#include "domain/communication/PeriodicCommunication.h"
#include "domain/credits/CreditoAnnuale.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/WorkingRecords.h"
#include "domain/engine/Amounts.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "domain/prorata/cDatiProRata.h"
#include "suite/AccountingEntry.h"
#include "suite/BusyCounter.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QLocale>

namespace liqiva {

namespace {

QString flag(bool v)
{
    return v ? u"1"_qs : u"0"_qs;
}

// A text or NULL.
SqlStatement textOrNull(const QString &v)
{
    return v.trimmed().isEmpty() ? u"NULL"_qs : sqlParam(v.trimmed());
}

SqlStatement keyOrNull(int key)
{
    return key > 0 ? sqlParam(key) : u"NULL"_qs;
}

} // namespace

QString SettlementDocument::msgAnotherSavedSettlement()
{
    return QStringLiteral(
        "Impossibile salvare: per il periodo indicato esiste già un'altra liquidazione I.V.A. salvata.");
}

QString SettlementDocument::msgSettlementGone()
{
    return u"La liquidazione I.V.A. è stata eliminata da un altro utente: non è stato scritto nulla. "
           u"Chiudere la finestra ed elaborarla di nuovo."_qs;
}

QString SettlementDocument::msgSettlementReplaced()
{
    return u"La liquidazione I.V.A. è stata eliminata e al suo posto ne è stata salvata un'altra: non è stato "
           u"scritto nulla. Chiudere la finestra ed elaborarla di nuovo."_qs;
}

QString SettlementDocument::msgSavedElsewhere()
{
    return u"La liquidazione I.V.A. è stata salvata in un'altra finestra o da un altro comando dello stesso utente "
           u"dopo che è stata aperta: non è stato scritto nulla. Chiudere la finestra e riaprirla."_qs;
}

QString SettlementDocument::msgCommunicatedChanged(const QDateTime &when)
{
    return QStringLiteral("La liquidazione I.V.A. è stata inviata con la comunicazione delle liquidazioni periodiche "
                          "il %1: salvata con questi importi, la comunicazione del trimestre andrà inviata di nuovo.")
               .arg(QLocale(QLocale::Italian).toString(when, u"dd/MM/yyyy"_qs)) +
           u"\r\n"_qs + u"Si vuole salvare la liquidazione?"_qs;
}

QString SettlementDocument::msgCommunicationToResend()
{
    return u"La liquidazione I.V.A. era stata inviata con la comunicazione delle liquidazioni periodiche e ora ha "
           u"importi diversi: la comunicazione del trimestre va inviata di nuovo."_qs;
}

QString SettlementDocument::msgChangedByOther(const QString &user)
{
    return u"La liquidazione I.V.A. è stata modificata dall'utente '"_qs + user +
           u"' dopo che è stata aperta: non è stato scritto nulla. Chiudere la finestra e riaprirla."_qs;
}

QString SettlementDocument::msgHeldByOther(const QString &user)
{
    return u"La liquidazione I.V.A. è aperta dall'utente '"_qs + user +
           u"': non si può eliminare finché non la chiude."_qs;
}

QString SettlementDocument::userName(int idUser)
{
    const QVariant name = m_ctx.db.scalar(u"SELECT Utente FROM Utente WHERE IDUtente = ?"_qs, {idUser});
    return name.isNull() ? QString::number(idUser) : name.toString();
}

std::optional<SettlementDocument::RowAsRead> SettlementDocument::readRow(Connection &db, int key)
{
    Recordset rs =
        db.openRecordset(u"SELECT IDAttivitaAzienda, IDPeriodoIva, IDMese, AccontoIva, MetodoCalcoloAccontoIva, "
                         u"VirtualDelete, IDUtenteUltimaVariazione, DataUltimaVariazione FROM "
                         u"RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                         {key});
    if (rs.eof())
        return std::nullopt;
    RowAsRead row;
    row.idAttivitaAzienda = rs.integer(u"IDAttivitaAzienda"_qs);
    row.idPeriodoIva = rs.integer(u"IDPeriodoIva"_qs);
    row.idMese = rs.isNull(u"IDMese"_qs)
                     ? (rs.number(u"AccontoIva"_qs) != 0 ? Month::DecemberAdvance : Month::WholeYear)
                     : rs.integer(u"IDMese"_qs);
    row.metodo = row.idMese == Month::DecemberAdvance ? rs.integer(u"MetodoCalcoloAccontoIva"_qs) : 0;
    row.virtualDelete = rs.integer(u"VirtualDelete"_qs);
    row.stamp = stampOf(rs);
    return row;
}

QString SettlementDocument::stampOf(const Recordset &rs)
{
    return rs.field(u"IDUtenteUltimaVariazione"_qs).toString() + u"|"_qs +
           rs.field(u"DataUltimaVariazione"_qs).toString();
}

bool SettlementDocument::holdsRow(const RowAsRead &row) const
{
    return row.idAttivitaAzienda == m_id.idAttivitaAzienda && row.idPeriodoIva == m_id.idPeriodoIva &&
           row.idMese == m_id.idMese && row.metodo == m_id.metodoCalcoloAccontoIva && row.stamp == m_rowStamp;
}

void SettlementDocument::readRowStamp()
{
    const std::optional<RowAsRead> row = readRow(m_ctx.db, key());
    m_rowStamp = row ? row->stamp : QString();
}

void SettlementDocument::lockAndCheckRow()
{
    // The activity's year first, then the settlement row: the saves and deletes of one
    // activity and year take their turn, and no other user's write comes between this check
    // and the writes that follow it.
    m_ctx.db.execute(
        u"UPDATE AttivitaAziendaPerPeriodoIva SET IDAttivitaAzienda = IDAttivitaAzienda WHERE IDAttivitaAzienda = "_qs +
        sqlParam(m_id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(m_id.idPeriodoIva));
    m_ctx.db.execute(
        u"UPDATE RisultatoLiquidazioneIva SET VirtualDelete = VirtualDelete WHERE IDRisultatoLiquidazioneIva = "_qs +
        sqlParam(key()));
    const std::optional<RowAsRead> row = readRow(m_ctx.db, key());
    if (!row)
        throw Refusal(msgSettlementGone());
    if (row->idAttivitaAzienda != m_id.idAttivitaAzienda || row->idPeriodoIva != m_id.idPeriodoIva ||
        row->idMese != m_id.idMese || row->metodo != m_id.metodoCalcoloAccontoIva)
        throw Refusal(msgSettlementReplaced());
    if (row->stamp != m_rowStamp) {
        // Saved since it was opened: by another user, or by this user in another window or
        // command (four commands saving one new period at once).
        const int owner = row->stamp.section(u'|', 0, 0).toInt();
        throw Refusal(owner == m_ctx.idUser ? msgSavedElsewhere() : msgChangedByOther(userName(owner)));
    }
}

QString SettlementDocument::msgSaveFailed(const QString &reason)
{
    return u"Impossibile salvare la liquidazione I.V.A.: "_qs + reason;
}

QString SettlementDocument::msgDeleteFailed(const QString &reason)
{
    return u"Impossibile eliminare la liquidazione I.V.A.: "_qs + reason;
}

// The check before saving: another saved settlement of the same period refuses the save.
void SettlementDocument::fnValidateFields()
{
    if (anotherSavedSettlement())
        throw Refusal(msgAnotherSavedSettlement());
    // The payments' texts go into their columns whole or not at all.
    for (const auto &[p, where] : {std::pair{&m_payments.periodic, u"Versamento periodico"_qs},
                                   std::pair{&m_payments.advance, u"Versamento in acconto"_qs}}) {
        if (const QString fault = paymentTextFault(*p, where); !fault.isEmpty())
            throw Refusal(fault);
    }
}

bool SettlementDocument::anotherSavedSettlement()
{
    SqlStatement period;
    if (m_id.isAnnual())
        period = u"IDMese IS NULL AND AccontoIva = 0"_qs;
    else if (m_id.isAdvance())
        period = u"IDMese IS NULL AND AccontoIva <> 0"_qs;
    else
        period = u"IDMese = "_qs + sqlParam(m_id.idMese);
    const QVariant other = m_ctx.db.scalar(
        u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE "_qs + period +
        u" AND IDAttivitaAzienda = "_qs + sqlParam(m_id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs +
        sqlParam(m_id.idPeriodoIva) + u" AND IDRisultatoLiquidazioneIva <> "_qs + sqlParam(key()) + u" AND "_qs +
        RowState::equals(RowState::Live));
    return !other.isNull();
}

SaveQuestions SettlementDocument::saveQuestions()
{
    using Kind = SaveQuestions::Kind;
    SaveQuestions q;
    if (key() <= 0)
        return q;
    BusyScope busy;
    try {
        fnValidateFields();
        // The amount paid against the amount to pay.
        const Payment &paid = m_payments.periodic;
        const Money toPay = importoDaVersare();
        // A periodic debt not above the minimum payment is not paid: it goes with the next period.
        const bool notPaid = !m_id.lireRules() && m_id.idMese >= 1 && m_id.idMese <= 12 && !(toPay > m_dImpMinIva);
        if (!notPaid && roundTo(paid.importo - toPay, Step::Cent, RoundMode::HalfAwayFromZero) != Money()) {
            q.first << Question{u"L'importo da versare è diverso dall'importo versato."_qs + u"\r\n"_qs +
                                u"Si vuole aggiornare l'importo versato?"_qs};
            q.firstKinds << Kind::UpdatePaid;
        }
        // The annual credit carried into the next year and the pro-rata percentage of the year.
        if (m_id.isAnnual()) {
            q.annual = true;
            q.annualCredit =
                annualCreditToCarry(m_ctx.db, m_ctx.idAzienda, m_id.anno, creditoResiduo(), euro() ? 1 : 0);
            if (q.annualCredit) {
                for (const Question &replace : q.annualCredit->Domande()) {
                    q.then << replace;
                    q.thenKinds << Kind::ReplaceAnnualCredit;
                }
            }
        }
        if (const cDatiProRata::Aggiornamento percentage = m_proRata->PreparaAggiornamento(); percentage.domanda) {
            q.then << *percentage.domanda;
            q.thenKinds << (percentage.idAttivitaAziendaPerPeriodoIva > 0 ? Kind::ProRataPercentage
                                                                          : Kind::ProRataNotice);
            q.proRataRow = percentage.idAttivitaAziendaPerPeriodoIva;
        }
        // A settlement sent with the quarter's communication: saved with other figures, the
        // communication must be sent again. The mark is taken off in the transaction when the
        // figures written do differ.
        if (const std::optional<QDateTime> sent = communicationDate(m_ctx.db, key());
            sent && communicatedFigures(m_ctx.db, key()) != figuresAfterSave()) {
            q.then << Question{msgCommunicatedChanged(*sent)};
            q.thenKinds << Kind::ResendCommunication;
        }
    } catch (const DbError &e) {
        throw DbError(e, msgSaveFailed(QString()));
    }
    return q;
}

namespace {

// What the answers to the save's questions decide, read in the order the questions were put.
struct SaveDecisions {
    bool updatePaid = false;
    QList<bool> replaceAnnualCredit;
    int proRataYear = 0;
    bool resendAgreed = false;
    bool abandoned = false; // the communication is not to be sent again: no save
};

SaveDecisions decisionsOf(const SaveQuestions &questions, const SaveAnswers &answers)
{
    using Kind = SaveQuestions::Kind;
    SaveDecisions d;
    for (qsizetype i = 0; i < questions.firstKinds.size(); ++i)
        d.updatePaid = d.updatePaid || (questions.firstKinds[i] == Kind::UpdatePaid && answers.first.value(i));
    for (qsizetype i = 0; i < questions.thenKinds.size(); ++i) {
        const bool yes = answers.then.value(i);
        switch (questions.thenKinds[i]) {
        case Kind::ReplaceAnnualCredit:
            d.replaceAnnualCredit << yes;
            break;
        case Kind::ProRataPercentage:
            d.proRataYear = yes ? questions.proRataRow : 0;
            break;
        case Kind::ResendCommunication:
            d.resendAgreed = yes;
            d.abandoned = !yes;
            break;
        case Kind::UpdatePaid:
        case Kind::ProRataNotice:
            break;
        }
    }
    return d;
}

} // namespace

bool SettlementDocument::fnChildSave(const SaveQuestions &questions, const SaveAnswers &answers,
                                     const std::function<void()> &alongside)
{
    m_notices.clear();
    if (key() <= 0)
        return false;
    BusyScope busy;
    const SaveDecisions decided = decisionsOf(questions, answers);
    if (decided.updatePaid)
        m_payments.periodic.importo = importoDaVersare();
    if (decided.abandoned)
        return false;
    const int proRataYear = decided.proRataYear;
    const bool resendAgreed = decided.resendAgreed;
    std::optional<DeferredWrite> annualCredit;
    if (questions.annual)
        annualCredit = annualCreditWrite(m_ctx.db, m_ctx.idAzienda, m_id.anno, questions.annualCredit,
                                         decided.replaceAnnualCredit);

    // Then the writes, in one transaction that shows nothing and waits for no one.
    QStringList after;
    try {
        Transaction tx(m_ctx.db);
        lockAndCheckRow();
        // Checked again now that the activity's year is ours: another user may have saved the
        // same period meanwhile.
        if (anotherSavedSettlement())
            throw Refusal(msgAnotherSavedSettlement());
        checkTruckersCredit();
        // The row is locked: no communication marks it before the commit.
        const bool communicated = communicationDate(m_ctx.db, key()).has_value();
        const std::vector<Money> figuresBefore =
            communicated ? communicatedFigures(m_ctx.db, key()) : std::vector<Money>();
        if (annualCredit)
            after << (*annualCredit)();

        saveSettlementRow();
        saveTypedRows();
        m_amounts->setIDRisultatoLiquidazioneIva(key());
        m_amounts->Save();
        saveDeclarationData();
        saveCompensation();
        m_proRata->SaveOperazioni();
        if (proRataYear > 0)
            m_proRata->ScriviPercentuale(proRataYear);
        if (!m_id.isAdvance())
            moveLastSettledMonth();
        if (m_id.isAdvance()) {
            m_altreOperazioni->setIDRisultatoLiquidazioneIva(key());
            if (!m_altreOperazioni->ConfirmModified())
                throw Refusal(msgSaveFailed(u"le altre operazioni non sono complete."_qs));
        }
        updateReportPrintFields();

        m_ctx.db.execute(u"UPDATE RisultatoLiquidazioneIva SET "_qs + RowState::equals(RowState::Live) +
                         u" WHERE IDRisultatoLiquidazioneIva = "_qs + sqlParam(key()));
        WorkingRecords::confirmSaved(m_ctx.db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIva"_qs,
                                     key(), m_ctx.idUser);
        // The figures the communication carried changed: its mark goes (communicated meanwhile
        // by another user, without the question, the user is told afterwards).
        if (communicated && communicatedFigures(m_ctx.db, key()) != figuresBefore &&
            clearCommunicated(m_ctx.db, key(), m_ctx.idUser) && !resendAgreed)
            after << msgCommunicationToResend();
        // What the caller saves with the settlement (an accounting entry): all or nothing.
        if (alongside)
            alongside();
        tx.commit();
    } catch (const DbError &e) {
        throw DbError(e, msgSaveFailed(QString()));
    }
    readRowStamp();
    m_notices = after;
    return true;
}

// The truckers' credit used may not go beyond what the activity's year still has, now that
// the year is ours: another settlement may have used it since this one was filled.
void SettlementDocument::checkTruckersCredit()
{
    if (!truckersCreditEnabled())
        return;
    const Money used = fromAmounts(m_amounts->CreAutotraspUti());
    if (used <= Money())
        return;
    const Money left = Money::fromVariant(m_ctx.db.scalar(
        u"SELECT CreditoIvaAutotrasportatori FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda = "_qs +
        sqlParam(m_id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(m_id.idPeriodoIva)));
    const Money own = Money::fromVariant(m_ctx.db.scalar(
        u"SELECT SUM(Importo) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 4 AND "
        u"IDRisultatoLiquidazioneIva = "_qs +
        sqlParam(key())));
    if (used > left + own)
        throw Refusal(msgSaveFailed(Amounts::msgCreditoUtilizzatoMaggiore()));
}

void SettlementDocument::saveSettlementRow()
{
    // The declaration flags go to the variant of the declaration that applies: the special
    // regimes of articles 73/74 of a monthly activity, the quarterly declaration, or the
    // plain one.
    const bool regime7374 = fieldToNumber(m_ctx.db.scalar(
                                u"SELECT ExArticolo7374 FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs +
                                sqlParam(m_id.idPeriodoIva) + u" AND IDAttivitaAzienda = "_qs +
                                sqlParam(m_id.idAttivitaAzienda) + u" AND TipoLiquidazioneIva = 0"_qs)) != 0;
    const QString suffix = regime7374 ? u"7374"_qs : (m_tipoLiquidazione != 0 ? u"Trim"_qs : QString());
    const AltriDatiDip &dip = *m_datiDip;
    const SqlStatement now = sqlParam(QDateTime::currentDateTime());
    const QString contribuenti =
        suffix == u"Trim"_qs ? u"ContribuentiLiqTrimestraleTrim"_qs : u"ContribuentiLiqTrim"_qs + suffix;
    m_ctx.db.execute(u"UPDATE RisultatoLiquidazioneIva SET RipStampaVersamentiPeriodici = "_qs +
                     flag(m_payments.periodic.riportaInStampa) + u", RipStampaVersamentiInAcconto = "_qs +
                     flag(m_payments.advance.riportaInStampa) + u", SoggettoRimborsoLiqIva"_qs + suffix + u" = "_qs +
                     flag(m_soggetto) + u", IDUtenteUltimaVariazione = "_qs + sqlParam(m_ctx.idUser) +
                     u", DataUltimaVariazione = "_qs +
                     sqlParam(QVariant::fromValue(SqlTimestamp{QDateTime::currentDateTime()})) +
                     u", AliquotaMediaLettA"_qs + suffix + u" = "_qs + flag(dip.AliquotaMediaLettA) +
                     u", OperazioniNonImponibiliLettB"_qs + suffix + u" = "_qs + flag(dip.OperazioniNonImpLettB) +
                     u", AcquistoBeniAmmortizzabiliLettC"_qs + suffix + u" = "_qs + flag(dip.AcquistiBeniAmmLettC) +
                     u", CreditoRimborsoInEuro"_qs + suffix + u" = "_qs + flag(dip.CreditoARimborsoInEuro) +
                     u", DichiarazioneIntegrativa"_qs + suffix + u" = "_qs + flag(dip.DichiarazioneIntegrativa) +
                     u", CorrettivaNeiTermini"_qs + suffix + u" = "_qs + flag(dip.CorrettivaNeiTermini) +
                     u", VariazioniImponibile"_qs + suffix + u" = "_qs + flag(dip.VariazioniPeriodiPrec) + u", "_qs +
                     contribuenti + u" = "_qs + flag(dip.ContribuentiLiquidazioneTrim) + u", VersamentoInEuro"_qs +
                     suffix + u" = "_qs + flag(dip.VersamentoInEuro) + u", VersamentoNonEffettuato"_qs + suffix +
                     u" = "_qs + flag(dip.VersamentoNonEffettuato || m_datiCadi->EventiEccezionali) +
                     u" WHERE IDRisultatoLiquidazioneIva = "_qs + sqlParam(key()));
}

// One typed row of the settlement: updated, inserted, or deleted when its amount fell away.
void SettlementDocument::saveTypedRow(int type, Money amount, bool keep, const QString &paymentColumns,
                                      const SqlStatement &paymentValues, const SqlStatement &paymentAssignments)
{
    const SqlStatement now = sqlParam(QDateTime::currentDateTime());
    const QVariant existing = m_ctx.db.scalar(
        u"SELECT IDRisultatoLiquidazioneIvaXTip FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "_qs +
        sqlParam(type) + u" AND IDRisultatoLiquidazioneIva = "_qs + sqlParam(key()));
    if (!keep) {
        if (!existing.isNull())
            m_ctx.db.execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIvaXTip = "_qs +
                             sqlParam(existing.toInt()));
        return;
    }
    if (existing.isNull()) {
        const SqlStatement values = paymentValues.isEmpty() ? u"NULL, NULL, NULL"_qs : paymentValues;
        nextKey(
            m_ctx.db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, Importo, DataVersamento, IDConcessionarioEsattoriale, IDBancaPerAnagrafica"_qs +
                paymentColumns + u", IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES ("_qs +
                sqlParam(type) + u", "_qs + sqlParam(key()) + u", "_qs + sqlParam(amount) + u", "_qs + values +
                u", "_qs + sqlParam(m_ctx.idUser) + u", "_qs + now + u", 0)"_qs);
    } else {
        const SqlStatement assignments =
            paymentAssignments.isEmpty()
                ? u" ,DataVersamento = NULL ,IDConcessionarioEsattoriale = NULL ,IDBancaPerAnagrafica = NULL"_qs
                : paymentAssignments;
        m_ctx.db.execute(u"UPDATE RisultatoLiquidazioneIvaXTipo SET Importo = "_qs + sqlParam(amount) + assignments +
                         u" ,IDUtenteUltimaVariazione = "_qs + sqlParam(m_ctx.idUser) +
                         u" ,DataUltimaVariazione = "_qs + now + u" WHERE IDRisultatoLiquidazioneIvaXTip = "_qs +
                         sqlParam(existing.toInt()));
    }
}

void SettlementDocument::savePaymentRow(int type, const Payment &p)
{
    const bool keep =
        !p.importo.isZero() || p.dataVersamento.has_value() || p.idCab > 0 || p.idConcessionarioEsattoriale > 0;
    const SqlStatement date = p.dataVersamento ? sqlParam(*p.dataVersamento) : u"NULL"_qs;
    const SqlStatement place = sqlParam(paymentPlaceCode(p.place));
    saveTypedRow(type, p.importo, keep, u", IDCab, CodiceAzienda, LuogoVersamento"_qs,
                 date + u", "_qs + keyOrNull(p.idConcessionarioEsattoriale) + u", NULL, "_qs + keyOrNull(p.idCab) +
                     u", "_qs + textOrNull(p.codiceAzienda) + u", "_qs + place,
                 u" ,DataVersamento = "_qs + date + u" ,IDConcessionarioEsattoriale = "_qs +
                     keyOrNull(p.idConcessionarioEsattoriale) + u" ,IDBancaPerAnagrafica = NULL ,IDCab = "_qs +
                     keyOrNull(p.idCab) + u" ,CodiceAzienda = "_qs + textOrNull(p.codiceAzienda) +
                     u" ,LuogoVersamento = "_qs + place);
}

void SettlementDocument::saveTypedRows()
{
    Money totCredito, totDebito, totDaVersare, totIvaCredito, totIvaDebito;
    {
        Recordset h = m_ctx.db.openRecordset(
            u"SELECT * FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + sqlParam(key()));
        if (!h.eof()) {
            totCredito = Money::fromVariant(h.field(u"TotCredito"_qs));
            totDebito = Money::fromVariant(h.field(u"TotDebito"_qs));
            totDaVersare = Money::fromVariant(h.field(u"TotDaVersare"_qs));
            totIvaCredito = Money::fromVariant(h.field(u"TotIvaCredito"_qs));
            totIvaDebito = Money::fromVariant(h.field(u"TotIvaDebito"_qs));
        }
    }
    // The balance (type 1): a credit is stored negative. From 2000 it is the settlement's one
    // figure (what it leaves to pay, or the credit it carries); the lire years keep the
    // header's balance, which their next period reads. This also removes the working row
    // that the new settlement was created with.
    const Money balance = !m_id.lireRules() ? saldo() : !totCredito.isZero() ? -totCredito : totDebito;
    m_ctx.db.execute(
        u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 1 AND IDRisultatoLiquidazioneIva = "_qs +
        sqlParam(key()));
    const SqlStatement now = sqlParam(QDateTime::currentDateTime());
    nextKey(
        m_ctx.db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
        u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, Importo, DataVersamento, IDConcessionarioEsattoriale, IDBancaPerAnagrafica, IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES (1, "_qs +
            sqlParam(key()) + u", "_qs + sqlParam(balance) + u", NULL, NULL, NULL, "_qs + sqlParam(m_ctx.idUser) +
            u", "_qs + now + u", 0)"_qs);

    // Types 8, 9, 10, 13 and 14 here; the quarterly interest (3) and the truckers' credit
    // used (4) are amounts of the settlement and are written with them.
    savePaymentRow(8, m_payments.periodic);
    const bool advanceCounts = m_id.isAdvance() || m_id.isAnnual() || m_id.idMese == 12;
    savePaymentRow(9, advanceCounts ? m_payments.advance : Payment{});
    saveTypedRow(10, totDaVersare, !totDaVersare.isZero());
    saveTypedRow(13, totIvaCredito, !totIvaCredito.isZero());
    saveTypedRow(14, totIvaDebito, !totIvaDebito.isZero());
}

void SettlementDocument::saveDeclarationData()
{
    // The declaration's own amounts: imports without VAT at customs (34, 35) from the
    // periodic declaration, scrap (48, 49) from the annual communication.
    // (The objects hold the amounts as stored, also in lire.)
    saveTypedRow(34, m_datiDip->VP3_Imponibile, !m_datiDip->VP3_Imponibile.isZero());
    saveTypedRow(35, m_datiDip->VP3_Imposta, !m_datiDip->VP3_Imposta.isZero());
    saveTypedRow(48, m_datiCadi->ImponibileRottami, !m_datiCadi->ImponibileRottami.isZero());
    saveTypedRow(49, m_datiCadi->ImpostaRottami, !m_datiCadi->ImpostaRottami.isZero());
}

void SettlementDocument::saveCompensation()
{
    m_ctx.db.execute(u"DELETE FROM RisultatoLiquidazioneIvaArt34 WHERE IDRisultatoLiquidazioneIva = "_qs +
                     sqlParam(key()));
    for (const CompensationGroup &c : m_compensation)
        nextKey(
            m_ctx.db, u"RisultatoLiquidazioneIvaArt34"_qs, u"IDRisultatoLiquidazioneIvaArt34"_qs,
            u"INSERT INTO RisultatoLiquidazioneIvaArt34 (IDRisultatoLiquidazioneIva, IDCompensazioneIva, PercentualeCompensazione, TotaleVendite, IvaDetraibile) VALUES ("_qs +
                sqlParam(key()) + u", "_qs + sqlParam(c.idCompensazioneIva) + u", "_qs +
                sqlParam(c.percentualeCompensazione) + u", "_qs + sqlParam(c.totaleVendite) + u", "_qs +
                sqlParam(c.ivaDetraibile) + u")"_qs);
}

void SettlementDocument::moveLastSettledMonth()
{
    // The marker only moves forward.
    m_ctx.db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET IDMeseUltimaLiquidazione = "_qs + sqlParam(m_id.idMese) +
                     u",IDUtenteUltimaVariazione = "_qs + sqlParam(m_ctx.idUser) + u",DataUltimaVariazione = "_qs +
                     sqlParam(QDateTime::currentDateTime()) + u" WHERE IDPeriodoIva = "_qs +
                     sqlParam(m_id.idPeriodoIva) + u" AND IDAttivitaAzienda = "_qs + sqlParam(m_id.idAttivitaAzienda) +
                     u" AND (IDMeseUltimaLiquidazione IS NULL OR IDMeseUltimaLiquidazione < "_qs +
                     sqlParam(m_id.idMese) + u")"_qs);
}

// The declaration figures the save writes into the report header.
std::vector<std::pair<const char *, Money>> SettlementDocument::declarationFigures() const
{
    const DeclarationGrid &g = m_dip;
    return {
        {"IVAEsigibile", g.debit(DeclarationGrid::IvaEsigibile)},
        {"IVADetraibile", g.credit(DeclarationGrid::IvaDetratta)},
        {"TotAcquistiIvaSplit", g.debit(DeclarationGrid::IvaAcquistiSplit)},
        {"IvaSplitPayment", g.credit(DeclarationGrid::IvaVenditeSplit)},
        {"VarImpoPeriodoPrecDeb", g.debit(DeclarationGrid::VariazioniImposta)},
        {"VarImpoPeriodoPrecCre", g.credit(DeclarationGrid::VariazioniImposta)},
        {"IvaNoVersataPrec", g.debit(DeclarationGrid::IvaNonVersata)},
        {"IvaVersataEccesso", g.credit(DeclarationGrid::IvaNonVersata)},
        {"CreditoInDetrazione", g.credit(DeclarationGrid::CreditoInDetrazione)},
        {"CreditiSpeciali", g.credit(DeclarationGrid::CreditiSpeciali)},
        {"IntLiquiTrimDovuti", g.debit(DeclarationGrid::InteressiTrimestrali)},
        {"AccontoVersato", g.credit(DeclarationGrid::AccontoVersato)},
        {"CreInfraRimborso", creditoInfrannualeRimborso()},
        {"CreInfraF24", creditoInfrannualeF24()},
        {"CreditoResiduo", creditoResiduo()},
        {"CICInizio", fromAmounts(m_amounts->CICInizio())},
        {"CICUtiLiqui", fromAmounts(m_amounts->CICUtiLiqui())},
        {"CICUtiF24", fromAmounts(m_amounts->CICUtiF24())},
        {"CICFine", fromAmounts(m_amounts->CICFine())},
        {"IntLiquiAnnualiDovuti", interessiAnnuali()},
    };
}

// The figures of communicatedFigures() as this save will leave them: the header's from the
// declaration grid where the save writes them, the rest as the fill left them, and the amounts.
std::vector<Money> SettlementDocument::figuresAfterSave() const
{
    std::vector<Money> stored = communicatedFigures(m_ctx.db, m_id.idRisultatoLiquidazioneIva);
    const QStringList &columns = communicatedHeaderColumns();
    for (const auto &[column, value] : declarationFigures()) {
        const qsizetype at = columns.indexOf(QString::fromLatin1(column));
        if (at >= 0)
            stored[size_t(at)] = value;
    }
    stored[size_t(columns.size())] = importoDaVersare();
    stored[size_t(columns.size()) + 1] = creditoResiduo();
    return stored;
}

void SettlementDocument::updateReportPrintFields()
{
    auto payment = [this](const Payment &p, bool print, const QString &date, const QString &amount, const QString &bank,
                          const QString &abi, const QString &cab, const QString &conc,
                          const QString &company) -> SqlStatement {
        if (!print)
            return date + u" = NULL, "_qs + bank + u" = NULL, "_qs + amount + u" = NULL, "_qs + abi + u" = NULL, "_qs +
                   cab + u" = NULL, "_qs + conc + u" = NULL, "_qs + company + u" = NULL"_qs;
        return date + u" = "_qs + (p.dataVersamento ? sqlParam(*p.dataVersamento) : u"NULL"_qs) + u", "_qs + bank +
               u" = NULL, "_qs + amount + u" = "_qs + sqlParam(p.importo) + u", "_qs + abi + u" = "_qs +
               textOrNull(p.abi) + u", "_qs + cab + u" = "_qs + textOrNull(p.cab) + u", "_qs + conc + u" = "_qs +
               textOrNull(p.codiceConcessione) + u", "_qs + company + u" = "_qs + textOrNull(p.codiceAzienda);
    };
    SqlStatement sql = u"UPDATE CampoReportLiquidazioneIva SET "_qs +
                       payment(m_payments.periodic, m_payments.periodic.riportaInStampa, u"DataVersamentiPeriodici"_qs,
                               u"ImpVersatoVersamentiPeriodici"_qs, u"BancaVersamentiPeriodici"_qs, u"AbiVerPer"_qs,
                               u"CabVerPer"_qs, u"CodConcEsatVerPer"_qs, u"CodiceAziendaVerPer"_qs) +
                       u", "_qs +
                       payment(m_payments.advance, m_payments.advance.riportaInStampa, u"DataVersamentiInAcconto"_qs,
                               u"ImpVersatoVersamentiInAcconto"_qs, u"BancaVersamentiInAcconto"_qs, u"AbiVerAcc"_qs,
                               u"CabVerAcc"_qs, u"CodConcEsatVerAcc"_qs, u"CodiceAziendaVerAcc"_qs);
    for (const auto &[column, value] : declarationFigures())
        sql += u", "_qs + QString::fromLatin1(column) + u" = "_qs + sqlParam(value);
    m_ctx.db.execute(sql + u" WHERE IDRisultatoLiquidazioneIva = "_qs + sqlParam(key()));
}

bool SettlementDocument::sbChildDelete()
{
    m_notices.clear();
    if (key() <= 0)
        return false;
    BusyScope busy;
    const SqlStatement k = sqlParam(key());
    const SqlStatement now = sqlParam(QDateTime::currentDateTime());
    QStringList after; // shown once the transaction is over
    if (m_ctx.heldByOther) {
        const QString holder = m_ctx.heldByOther(key());
        if (!holder.isEmpty())
            throw Refusal(msgHeldByOther(holder));
    }
    try {
        Transaction tx(m_ctx.db);
        lockAndCheckRow();
        if (m_id.isAnnual()) {
            if (removeCreditoAnnuale(m_ctx.db, m_ctx.idAzienda, m_id.anno).testateRimaste > 0)
                after << CreditoAnnuale::msgMovimentiRimasti(m_id.anno + 1);
        } else if (!m_id.isAdvance() && m_id.lireRules()) {
            // The truckers' credit used goes back to the activity's year.
            const QVariant used = m_ctx.db.scalar(
                u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 4 AND IDRisultatoLiquidazioneIva = "_qs +
                k);
            if (!used.isNull())
                m_ctx.db.execute(
                    u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = CreditoIvaAutotrasportatori + "_qs +
                    sqlParam(fieldToNumber(used)) + u",IDUtenteUltimaVariazione = "_qs + sqlParam(m_ctx.idUser) +
                    u",DataUltimaVariazione = "_qs + now + u" WHERE IDAttivitaAzienda = "_qs +
                    sqlParam(m_id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(m_id.idPeriodoIva));
        }
        if (!m_id.lireRules()) {
            m_amounts->setIDRisultatoLiquidazioneIva(key());
            m_amounts->Delete();
        }
        // The accounting entry of the pro-rata adjustment goes with the settlement.
        const QVariant entry = m_ctx.db.scalar(
            u"SELECT IDOggettoProRata FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + k);
        if (!entry.isNull() && entry.toInt() > 0)
            AccountingEntry::Delete(m_ctx.db, entry.toInt());
        for (const char *table : {"RisultatoLiquidazioneIva", "RigaReportLiquidazioneIva", "CampoReportLiquidazioneIva",
                                  "RisultatoLiquidazioneIvaXTipo", "RisultatoLiquidazioneIvaArt34"})
            m_ctx.db.execute(u"DELETE FROM "_qs + QString::fromLatin1(table) +
                             u" WHERE IDRisultatoLiquidazioneIva = "_qs + k);
        if (m_id.isAdvance())
            m_ctx.db.execute(u"DELETE FROM AltreOperazioniPerAcconto WHERE IDRisultatoLiquidazioneIva = "_qs + k);
        // A settlement that is gone was not communicated: its key may be taken again by the
        // next new settlement, which must not inherit the mark.
        m_ctx.db.execute(u"DELETE FROM ComunicazioneLiquidazioneIva WHERE IDComunicazioneLiquidazioneIva = "_qs + k);

        // The last settled month falls back to the highest month still stored.
        const SqlStatement where = u" WHERE IDPeriodoIva = "_qs + sqlParam(m_id.idPeriodoIva) +
                                   u" AND IDAttivitaAzienda = "_qs + sqlParam(m_id.idAttivitaAzienda);
        const QVariant marker =
            m_ctx.db.scalar(u"SELECT IDMeseUltimaLiquidazione FROM AttivitaAziendaPerPeriodoIva"_qs + where);
        if (!marker.isNull() && marker.toInt() == m_id.idMese) {
            // Saved settlements only: a working row of an unsaved one does not hold the marker.
            const QVariant highest = m_ctx.db.scalar(u"SELECT MAX(IDMese) FROM RisultatoLiquidazioneIva"_qs + where +
                                                     u" AND "_qs + RowState::equals(RowState::Live));
            m_ctx.db.execute(
                u"UPDATE AttivitaAziendaPerPeriodoIva SET IDMeseUltimaLiquidazione = NULL ,IDUtenteUltimaVariazione = "_qs +
                sqlParam(m_ctx.idUser) + u" ,DataUltimaVariazione = "_qs + now + where);
            if (!highest.isNull())
                m_ctx.db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET IDMeseUltimaLiquidazione = "_qs +
                                 sqlParam(highest.toInt()) + u" ,IDUtenteUltimaVariazione = "_qs +
                                 sqlParam(m_ctx.idUser) + u" ,DataUltimaVariazione = "_qs + now + where);
        }
        tx.commit();
    } catch (const DbError &e) {
        throw DbError(e, msgDeleteFailed(QString()));
    }
    m_notices = after;
    m_id.idRisultatoLiquidazioneIva = 0;
    return true;
}

void SettlementDocument::sbRemoveTrashRecord()
{
    if (key() > 0)
        WorkingRecords::removeDocumentRows(m_ctx.db, m_ctx.idUser, key());
}

} // namespace liqiva
