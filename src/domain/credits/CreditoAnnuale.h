#pragma once

#include "suite/Rounding.h"

#include <QStringList>
#include <functional>
#include <optional>

#include <QString>

#include "suite/Money.h"

namespace liqiva {

class Connection;
class MessageService;

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
    CreditoAnnuale(Connection &db, MessageService &messages, int idAzienda);

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

    // The refund field changed: keeps the value and warns when it is above the annual credit.
    void RimborsoChanged(Money rimborso);

    // OK of the dialog. Validates the two amounts (a message and false, nothing written, when
    // one is out of range), asks before replacing movements already saved (Cancel keeps that
    // movement as it is) and writes the header and the movements in one transaction. True
    // when the dialog may close. A database error rolls everything back and is thrown
    // (DbError); the properties then stay as they were.
    bool Save();

    // The checks of the OK without its questions: which value is refused (its message shown).
    enum class Campo { Nessuno, Anno, Credito, Rimborso };
    Campo Valida();

    // The same OK in two steps, for a caller whose own transaction holds the writes: the
    // checks and the questions now (nullopt, with its message, when refused), the writes
    // later without a word to the user.
    struct Plan;
    std::optional<Plan> Prepare();
    void Write(const Plan &plan);

private:
    Money rounded(Money v) const;
    int findOrCreateHeader();
    int insertMovement(int idCredito, int causale, Money importo);

    Connection &m_db;
    MessageService &m_messages;
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
// entered elsewhere remain, the header stays and a warning naming January of anno + 1 is
// shown (after the work is committed). One transaction, a savepoint inside the caller's.
// Database errors are thrown (DbError) after the rollback.
CreditoAnnualeRimosso sbDeleteCreditoAnnuale(Connection &db, MessageService &messages, int idAzienda, int anno);
// The same removal without a word: the caller shows msgMovimentiRimasti when headers stay.
CreditoAnnualeRimosso removeCreditoAnnuale(Connection &db, int idAzienda, int anno);

// The annual credit step of the save of an annual settlement when no dialog is shown (the
// command line, the tests): a credit above zero is carried over with the refund already
// recorded, as the dialog's OK with its fields untouched would do (questions included);
// otherwise the annual credit of the year is removed. False when the OK refused the amounts.
bool sbAggiornaCreditoAnnuale(Connection &db, MessageService &messages, int idAzienda, int anno,
                              Money creditoAnnualeIva, int roundValueDIP);

// The same step split for the save of a settlement: its questions are asked now; the returned
// write runs later inside the save's transaction and gives back the messages to show after
// the commit. nullopt when the amounts are refused (the message already shown).
using DeferredWrite = std::function<QStringList()>;
// edit, when given, shows the figures to the user (the dialog) before the questions: false
// abandons the save without a word.
using AnnualCreditEditor = std::function<bool(CreditoAnnuale &)>;
std::optional<DeferredWrite> prepareCreditoAnnuale(Connection &db, MessageService &messages, int idAzienda, int anno,
                                                   Money creditoAnnualeIva, int roundValueDIP,
                                                   const AnnualCreditEditor &edit = {});

} // namespace liqiva
