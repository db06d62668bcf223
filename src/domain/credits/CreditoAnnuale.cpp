#include "domain/credits/CreditoAnnuale.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"
#include "suite/Money.h"
#include "suite/Refusal.h"
#include "suite/Rounding.h"

#include <QVector>

namespace liqiva {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool within(Money v, Money low, Money high)
{
    return v >= low && v <= high;
}

// The statements of the credit tables, as the suite writes them.
SqlStatement sqlMovimentiAutomatici(int idAzienda, int annoCredito)
{
    return u"SELECT IDMovimentoCredito, IDCausaleCredito, Importo FROM MovimentoCredito INNER JOIN Credito ON "
           "MovimentoCredito.IDCredito = Credito.IDCredito WHERE Credito.Anno = "_qs +
           sqlParam(annoCredito) + u" AND Credito.IDMese = 1 AND Credito.IDAzienda = "_qs + sqlParam(idAzienda) +
           u" AND (IDCausaleCredito = 1 OR IDCausaleCredito = 2) AND Automatico <> 0"_qs;
}

SqlStatement sqlTestata(int idAzienda, int annoCredito)
{
    return u"SELECT IDCredito FROM Credito WHERE IDAzienda = "_qs + sqlParam(idAzienda) + u" AND Anno = "_qs +
           sqlParam(annoCredito) + u" AND IDMese = 1"_qs;
}

SqlStatement sqlAggiornaMovimento(int idMovimento, Money importo)
{
    return u"UPDATE MovimentoCredito SET Importo = "_qs + sqlParam(importo) + u" WHERE IDMovimentoCredito = "_qs +
           sqlParam(idMovimento);
}

} // namespace

CreditoAnnuale::CreditoAnnuale(Connection &db, int idAzienda) : m_db(db), m_idAzienda(idAzienda) {}

QString CreditoAnnuale::msgRimborsoSuperiore()
{
    return QStringLiteral("L'importo richiesto a rimborso è superiore al credito annuale.");
}

QString CreditoAnnuale::msgSostituireCredito()
{
    return u"Il credito da riportare nell'anno successivo è già"_qs + kCrLf +
           u"presente nella tabella Crediti IVA. Confermando,"_qs + kCrLf +
           u"l'importo del credito sarà sostituito."_qs + kCrLf + u"Si vuole procedere?"_qs;
}

QString CreditoAnnuale::msgSostituireRimborso()
{
    return u"L'importo del credito richiesto a rimborso è già"_qs + kCrLf +
           u"presente nella tabella Crediti IVA. Confermando,"_qs + kCrLf +
           u"l'importo del rimborso sarà sostituito."_qs + kCrLf + u"Si vuole procedere?"_qs;
}

QString CreditoAnnuale::msgCreditoFuoriLimiti()
{
    return QStringLiteral("Il credito annuale I.V.A. deve essere un importo compreso tra -9.000.000.000 e "
                          "9.000.000.000.");
}

QString CreditoAnnuale::msgRimborsoFuoriLimiti()
{
    return QStringLiteral("L'importo richiesto a rimborso deve essere compreso tra 0 e 9.000.000.000.");
}

QString CreditoAnnuale::msgAnnoNonValido()
{
    return QStringLiteral("Impossibile riportare il credito annuale: anno o azienda non validi.");
}

QString CreditoAnnuale::msgMovimentiRimasti(int annoCredito)
{
    return u"Attenzione! Esistono movimenti di credito legati a Gennaio "_qs + QString::number(annoCredito) + u"."_qs +
           kCrLf + u"Verificare le liquidazioni successive ed i movimenti del credito."_qs;
}

Step CreditoAnnuale::currencyStep() const
{
    return liqiva::currencyStep(m_roundValueDIP == 1);
}

Money CreditoAnnuale::rounded(Money v) const
{
    return roundTo(v, currencyStep(), RoundMode::HalfAwayFromZero);
}

void CreditoAnnuale::LoadDati(int anno, Money creditoAnnualeIva, int roundValueDIP)
{
    m_anno = anno;
    m_credito = creditoAnnualeIva;
    m_roundValueDIP = roundValueDIP;
    m_rimborso = Money();
    m_salvati = false;
    m_idMovCredito = 0;
    m_idMovRimborso = 0;

    // A year whose next one the database cannot hold has no movements (Valida refuses it).
    if (anno < 1 || anno >= 32767)
        return;
    Recordset rs = m_db.openRecordset(sqlMovimentiAutomatici(m_idAzienda, anno + 1));
    for (; !rs.eof(); rs.moveNext()) {
        m_salvati = true;
        const int id = rs.integer(u"IDMovimentoCredito"_qs);
        // Should a cause appear twice (written by hand elsewhere), the first one read stands.
        if (rs.integer(u"IDCausaleCredito"_qs) == CausaleCredito::Rimborso) {
            if (m_idMovRimborso == 0) {
                m_idMovRimborso = id;
                m_rimborso = Money::fromVariant(rs.field(u"Importo"_qs));
            }
        } else if (m_idMovCredito == 0) {
            m_idMovCredito = id;
        }
    }
}

QString CreditoAnnuale::RimborsoChanged(Money rimborso)
{
    m_rimborso = rimborso;
    return rounded(rimborso) > rounded(m_credito) ? msgRimborsoSuperiore() : QString();
}

int CreditoAnnuale::findOrCreateHeader()
{
    const int annoCredito = m_anno + 1;
    const QVariant found = m_db.scalar(sqlTestata(m_idAzienda, annoCredito));
    if (!found.isNull())
        return found.toInt();
    return nextKey(m_db, u"Credito"_qs, u"IDCredito"_qs,
                   u"INSERT INTO Credito (IDAzienda, Anno, IDMese) VALUES (?, ?, 1)"_qs,
                   {sqlValue(m_idAzienda), sqlValue(annoCredito)});
}

int CreditoAnnuale::insertMovement(int idCredito, int causale, Money importo)
{
    return nextKey(m_db, u"MovimentoCredito"_qs, u"IDMovimentoCredito"_qs,
                   u"INSERT INTO MovimentoCredito (IDCredito, IDCausaleCredito, Importo, Automatico) VALUES ("_qs +
                       sqlParam(idCredito) + u", "_qs + sqlParam(causale) + u", "_qs + sqlParam(importo) + u", -1)"_qs);
}

void CreditoAnnuale::Save(const QList<bool> &risposte)
{
    Write(Prepare(risposte));
}

CreditoAnnuale::Campo CreditoAnnuale::Errato() const
{
    if (m_idAzienda <= 0 || m_anno < 1 || m_anno >= 32767)
        return Campo::Anno;
    if (!within(m_credito, CreditoMinimo, CreditoMassimo))
        return Campo::Credito;
    if (!within(m_rimborso, Money(), RimborsoMassimo))
        return Campo::Rimborso;
    return Campo::Nessuno;
}

void CreditoAnnuale::Valida() const
{
    // Bad input: a refusal, nothing written, the dialog stays open.
    switch (Errato()) {
    case Campo::Anno:
        throw Refusal(msgAnnoNonValido());
    case Campo::Credito:
        throw Refusal(msgCreditoFuoriLimiti());
    case Campo::Rimborso:
        throw Refusal(msgRimborsoFuoriLimiti());
    case Campo::Nessuno:
        break;
    }
}

QList<Question> CreditoAnnuale::Domande() const
{
    QList<Question> domande;
    if (m_salvati && m_idMovCredito > 0)
        domande << Question{msgSostituireCredito(), Buttons::OkCancel};
    if (m_salvati && m_idMovRimborso >= 1)
        domande << Question{msgSostituireRimborso(), Buttons::OkCancel};
    return domande;
}

CreditoAnnuale::Plan CreditoAnnuale::Prepare(const QList<bool> &risposte) const
{
    Valida();
    const Money credito = rounded(m_credito);
    const Money rimborso = rounded(m_rimborso);
    // The answers to Domande, in their order.
    qsizetype next = 0;
    const auto yes = [&] { return next < risposte.size() && risposte[next++]; };

    // What to write. The questions were all asked before the first write, so that no
    // transaction stays open while the user decides.
    using Act = MovementAct;
    Act creditAct = Act::Nothing;
    Act refundAct = Act::Nothing;
    if (!m_salvati) {
        creditAct = Act::Insert;
        refundAct = !rimborso.isZero() ? Act::Insert : Act::Nothing;
    } else {
        if (m_idMovCredito > 0) {
            if (yes())
                creditAct = Act::Update;
        } else {
            // Only a refund movement is left (the carried credit was removed elsewhere): the
            // credit is recorded again rather than lost.
            creditAct = Act::Insert;
        }
        if (m_idMovRimborso < 1) {
            refundAct = !rimborso.isZero() ? Act::Insert : Act::Nothing;
        } else if (yes()) {
            refundAct = rimborso.isZero() ? Act::Delete : Act::Update;
        }
    }

    return Plan{creditAct, refundAct, credito, rimborso};
}

void CreditoAnnuale::Write(const Plan &plan)
{
    using Act = MovementAct;
    Act creditAct = plan.credit;
    Act refundAct = plan.refund;
    const Money credito = plan.credito;
    const Money rimborso = plan.rimborso;
    int idCredito = m_idMovCredito;
    int idRimborso = m_idMovRimborso;
    Transaction tx(m_db);
    int header = 0;
    auto headerKey = [&]() {
        if (header == 0)
            header = findOrCreateHeader();
        return header;
    };
    // A movement to replace that another user removed meanwhile is written again: the user
    // has just confirmed the amount.
    if (creditAct == Act::Update && m_db.execute(sqlAggiornaMovimento(m_idMovCredito, credito)) == 0)
        creditAct = Act::Insert;
    if (creditAct == Act::Insert)
        idCredito = insertMovement(headerKey(), CausaleCredito::CreditoAnnuale, credito);

    if (refundAct == Act::Update && m_db.execute(sqlAggiornaMovimento(m_idMovRimborso, rimborso)) == 0)
        refundAct = Act::Insert;
    if (refundAct == Act::Insert) {
        idRimborso = insertMovement(headerKey(), CausaleCredito::Rimborso, rimborso);
    } else if (refundAct == Act::Delete) {
        m_db.execute(u"DELETE FROM MovimentoCredito WHERE IDMovimentoCredito = ?"_qs, {sqlValue(m_idMovRimborso)});
        idRimborso = 0;
    }
    tx.commit();

    // The dialog's state follows what is now stored, so that a second OK asks again.
    m_idMovCredito = idCredito;
    m_idMovRimborso = idRimborso;
    m_salvati = m_idMovCredito > 0 || m_idMovRimborso > 0;
}

CreditoAnnualeRimosso removeCreditoAnnuale(Connection &db, int idAzienda, int anno)
{
    CreditoAnnualeRimosso done;
    const int annoCredito = anno + 1;
    Transaction tx(db);
    QVector<int> headers;
    {
        Recordset rs =
            db.openRecordset(u"SELECT IDCredito FROM Credito WHERE IDMese = 1 AND IDAzienda = ? AND Anno = ?"_qs,
                             {sqlValue(idAzienda), sqlValue(annoCredito)});
        for (; !rs.eof(); rs.moveNext())
            headers.append(rs.integer(u"IDCredito"_qs));
    }
    for (int key : headers) {
        done.movimentiRimossi += db.execute(
            u"DELETE FROM MovimentoCredito WHERE (IDCausaleCredito = 1 OR IDCausaleCredito = 2) AND Automatico <> 0 "
            "AND IDCredito = ?"_qs,
            {sqlValue(key)});
        const bool left =
            !db.scalar(u"SELECT IDMovimentoCredito FROM MovimentoCredito WHERE IDCredito = ?"_qs, {sqlValue(key)})
                 .isNull();
        if (left) {
            ++done.testateRimaste;
        } else {
            db.execute(u"DELETE FROM Credito WHERE IDCredito = ?"_qs, {sqlValue(key)});
            ++done.testateRimosse;
        }
    }
    tx.commit();
    return done;
}

std::shared_ptr<CreditoAnnuale> annualCreditToCarry(Connection &db, int idAzienda, int anno, Money creditoAnnualeIva,
                                                    int roundValueDIP)
{
    if (!(creditoAnnualeIva > Money()))
        return nullptr;
    auto c = std::make_shared<CreditoAnnuale>(db, idAzienda);
    c->LoadDati(anno, creditoAnnualeIva, roundValueDIP);
    return c;
}

DeferredWrite annualCreditWrite(Connection &db, int idAzienda, int anno, const std::shared_ptr<CreditoAnnuale> &credit,
                                const QList<bool> &risposte)
{
    if (!credit) {
        return [&db, idAzienda, anno]() {
            QStringList after;
            if (removeCreditoAnnuale(db, idAzienda, anno).testateRimaste > 0)
                after << CreditoAnnuale::msgMovimentiRimasti(anno + 1);
            return after;
        };
    }
    return [credit, plan = credit->Prepare(risposte)]() {
        credit->Write(plan);
        return QStringList();
    };
}

} // namespace liqiva
