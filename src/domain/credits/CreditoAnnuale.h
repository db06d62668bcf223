#pragma once

#include "suite/Rounding.h"

#include <QStringList>
#include <functional>
#include <optional>

#include <QString>

#include "suite/Money.h"
#include "suite/Questions.h"

#include <QList>
#include <memory>

namespace liqiva {

class Connection;

// Causes of the credit movements written for the annual credit.
namespace CausaleCredito {
constexpr int CreditoAnnuale = 1; // annual credit carried into the next year
constexpr int Rimborso = 2;       // refund requested
} // namespace CausaleCredito

// The annual VAT credit carried into January of the following year and the part of it
// claimed as a refund: what the annual credit dialog shows and what its OK writes in the
// suite's credit tables (one header in Credito for the company, Anno = year + 1, IDMese = 1,
// and the automatic movements of cause 1 and 2 in MovimentoCredito, Automatico = -1).
//
// Amounts are currency: they are rounded to the cent in euro (RoundValueDIP 1) and to the
// unit otherwise before they are compared or written.
class CreditoAnnuale {
public:
    CreditoAnnuale(Connection &db, int idAzienda);

    // ---- texts of the dialog and its messages ------------------------------------------
    static QString caption() { return QStringLiteral("Riporto credito annuale I.V.A. anno successivo"); }
    static QString lblCreditoAnnuale() { return QStringLiteral("Credito annuale I.V.A."); }
    static QString lblRimborso() { return QStringLiteral("Importo richiesto a rimborso"); }
    static QString msgRimborsoSuperiore();
    static QString msgSostituireCredito();
    static QString msgSostituireRimborso();
    static QString msgCreditoFuoriLimiti();
    static QString msgRimborsoFuoriLimiti();
    static QString msgAnnoNonValido();
    // The warning of the removal when movements entered elsewhere are left on the header.
    static QString msgMovimentiRimasti(int annoCredito);

    // Ranges of the two currency fields.
    static constexpr Money CreditoMinimo = Money::units(-9000000000LL);
    static constexpr Money CreditoMassimo = Money::units(9000000000LL);
    static constexpr Money RimborsoMassimo = Money::units(9000000000LL);

    // ---- properties --------------------------------------------------------------------
    int IDAzienda() const { return m_idAzienda; }
    // The year of the annual settlement; the credit goes into Anno + 1.
    int Anno() const { return m_anno; }
    void setAnno(int v) { m_anno = v; }
    Money CreditoAnnualeIva() const { return m_credito; }
    void setCreditoAnnualeIva(Money v) { m_credito = v; }
    // The refund; setting it does not warn (see RimborsoChanged).
    Money Rimborso() const { return m_rimborso; }
    void setRimborso(Money v) { m_rimborso = v; }
    // 1 when amounts are in euro (two decimals); anything else gives whole units.
    int RoundValueDIP() const { return m_roundValueDIP; }
    void setRoundValueDIP(int v) { m_roundValueDIP = v; }
    // Automatic movements of the year already exist.
    bool CreditiSalvati() const { return m_salvati; }
    void setCreditiSalvati(bool v) { m_salvati = v; }
    // Keys of the automatic movements of cause 1 and 2; 0 when there is none.
    int IDMovCreditoAnnuale() const { return m_idMovCredito; }
    void setIDMovCreditoAnnuale(int v) { m_idMovCredito = v; }
    int IDMovCreditoARimborso() const { return m_idMovRimborso; }
    void setIDMovCreditoARimborso(int v) { m_idMovRimborso = v; }

    // The currency step of the amounts: 0.01 in euro, 1 otherwise.
    Step currencyStep() const;

    // ---- operations ----------------------------------------------------------------------
    // What the settlement window does before it shows the dialog: takes the year, the annual
    // credit and the currency, and reads the automatic movements already written for
    // January of the following year (the recorded refund, the keys, CreditiSalvati).
    void LoadDati(int anno, Money creditoAnnualeIva, int roundValueDIP);

    // The refund field changed: keeps the value; the warning to show when it is above the
    // annual credit (empty otherwise).
    [[nodiscard]] QString RimborsoChanged(Money rimborso);

    // The checks of the OK: which value is refused, Nessuno when none.
    enum class Campo { Nessuno, Anno, Credito, Rimborso };
    Campo Errato() const;
    // The same checks: a Refusal with the message of the refused value.
    void Valida() const;

    // What the OK asks before replacing movements already saved, in order (the carried
    // credit, then the refund; OK or Cancel, Cancel keeps that movement as it is). The caller
    // asks them before anything is written and gives the answers back in the same order.
    QList<Question> Domande() const;

    // The OK of the dialog: checks the two amounts (a Refusal, nothing written, when one is
    // out of range) and writes the header and the movements in one transaction, replacing a
    // saved movement where the answer to its question was yes. A database error rolls
    // everything back and is thrown (DbError); the properties then stay as they were.
    void Save(const QList<bool> &risposte);

    // The same OK in two steps, for a caller whose own transaction holds the writes: the
    // checks (a Refusal) and what to write now, the writes later without a word to the user.
    struct Plan;
    Plan Prepare(const QList<bool> &risposte) const;
    void Write(const Plan &plan);

private:
    Money rounded(Money v) const;
    int findOrCreateHeader();
    int insertMovement(int idCredito, int causale, Money importo);

    Connection &m_db;
    int m_idAzienda;
    int m_anno = 0;
    Money m_credito;
    Money m_rimborso;
    int m_roundValueDIP = 1; // 1 in euro, 0 in lire
    bool m_salvati = false;
    int m_idMovCredito = 0;
    int m_idMovRimborso = 0;
};

enum class MovementAct { Nothing, Insert, Update, Delete };
struct CreditoAnnuale::Plan {
    MovementAct credit = MovementAct::Nothing;
    MovementAct refund = MovementAct::Nothing;
    Money credito;
    Money rimborso;
};

// What the removal of the annual credit did.
struct CreditoAnnualeRimosso {
    int movimentiRimossi = 0; // automatic movements deleted
    int testateRimosse = 0;   // headers deleted
    int testateRimaste = 0;   // headers kept because other movements are left on them
};

// Removes the automatic movements of the annual credit of a year (the credit carried into
// January of anno + 1) and the header when nothing else is left on it; when movements
// entered elsewhere remain, the header stays (testateRimaste) and the caller shows
// msgMovimentiRimasti for January of anno + 1 after the work is committed. One
// transaction, a savepoint inside the caller's. Database errors are thrown (DbError) after
// the rollback.
CreditoAnnualeRimosso removeCreditoAnnuale(Connection &db, int idAzienda, int anno);

// The annual credit step of the save of an annual settlement. First the credit to carry
// over, loaded with the refund already recorded, for the caller to show (the dialog) and to
// ask its questions (Domande); nullptr when the credit is not above zero (the step then
// removes the annual credit of the year).
std::shared_ptr<CreditoAnnuale> annualCreditToCarry(Connection &db, int idAzienda, int anno, Money creditoAnnualeIva,
                                                    int roundValueDIP);
// Then the write, checked now (a Refusal when the amounts are refused) and run later inside
// the save's transaction; it gives back the messages to show after the commit.
using DeferredWrite = std::function<QStringList()>;
DeferredWrite annualCreditWrite(Connection &db, int idAzienda, int anno, const std::shared_ptr<CreditoAnnuale> &credit,
                                const QList<bool> &risposte);
// A caller's editing of the credit to carry over before its questions (the dialog, the
// command line's refund): false abandons the save.
using AnnualCreditEditor = std::function<bool(CreditoAnnuale &)>;

} // namespace liqiva
