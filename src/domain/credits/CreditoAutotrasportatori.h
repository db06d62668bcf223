#pragma once

#include "suite/Rounding.h"

#include "domain/engine/SettlementIdentity.h"
#include "suite/Money.h"

#include <QString>

namespace liqiva {

class Amounts;

// The truckers' credit of one settlement: the credit available to it, the part it uses and
// the residual (available - used), as the settlement window, its dialog and the save need
// them. What is still available is kept per activity and VAT year in
// AttivitaAziendaPerPeriodoIva.CreditoIvaAutotrasportatori; the part a settlement uses is
// its amount of type 4.
//
// The credit is consumed by the settlements of a month or a quarter, and only those give it
// back when they are deleted. The annual settlement shows the year's use and the December
// advance is a payment on account: neither writes the credit (their Save does nothing).
class CreditoAutotrasportatori {
public:
    CreditoAutotrasportatori(Connection &db, int idUser);

    // ---- texts of the dialog and its messages ------------------------------------------
    static QString caption() { return QStringLiteral("Credito autotrasportatori  utilizzato"); }
    static QString lblCreditoUtilizzato() { return QStringLiteral("Credito utilizzato:"); }
    static QString lblCreditoResiduo() { return QStringLiteral("Credito residuo:"); }
    static QString msgNonValido();
    // Range of the two currency fields.
    static constexpr Money ImportoMinimo = Money::units(-9000000000LL);
    static constexpr Money ImportoMassimo = Money::units(99999999999LL);

    // ---- the figures --------------------------------------------------------------------
    const SettlementIdentity &identity() const { return m_id; }
    // The credit this settlement may use: what the activity's year still has plus what the
    // settlement itself already uses (so that editing it again does not count it twice).
    Money Disponibile() const { return m_disponibile; }
    Money Utilizzato() const { return m_utilizzato; }
    // Disponibile - Utilizzato: the activity's remaining credit once the settlement is saved.
    Money Residuo() const { return m_residuo; }
    // The used credit as the settlement holds it elsewhere (from 2000 on, its amounts).
    void setUtilizzato(Money v)
    {
        m_utilizzato = v;
        m_residuo = m_disponibile - v;
    }
    // The residual the dialog shows while the used credit is being typed.
    Money ResiduoPer(Money utilizzato) const;
    // The settlement consumes the credit (a month or a quarter).
    bool consumaCredito() const { return m_id.idMese >= 1 && m_id.idMese <= 12; }

    // ---- operations ----------------------------------------------------------------------
    // Reads the available and the used credit of a settlement: the activity's remaining
    // credit, what the settlement already uses (types 4, 6 and 7 of its period) and the used
    // credit of its report header. The button of the settlement window runs it, and the
    // save runs it again before it writes (the credit may have moved meanwhile).
    // currencyStep: the cent in euro, the lira in lire.
    void Load(const SettlementIdentity &id, Step currencyStep);

    // OK of the dialog: the used credit must be a number, not negative and, unless it is 0,
    // not above the available credit. On success the used and the residual credit change;
    // otherwise a Refusal with the reason and nothing changes. Annulla simply does not call it.
    void Conferma(Money utilizzato);

    // The truckers' step of the settlement save, for a month or a quarter: the amount of
    // type 4 (updated, inserted, or deleted when it falls to 0) and the activity's remaining
    // credit set to the residual. Runs in one transaction (a savepoint inside the save's).
    //
    // With amounts given, the type-4 row and the settlement amounts are made to agree, so
    // that their own Save that follows books nothing twice: for years before 2000 the used
    // credit read from the report header goes into amounts.CreAutotraspUti; from 2000 on,
    // when the special credits are composed in the prospectus, the amounts' used credit is
    // the one written. Without amounts the used credit of Load/Conferma is written.
    void Save(Amounts *amounts = nullptr);

    // The give-back of the delete: for a month or a quarter of a year before 2000 with a
    // type-4 amount, that amount returns to the activity's available credit (from 2000 on
    // the settlement amounts give it back themselves). Returns the amount given back.
    static Money RestituisciCredito(Connection &db, int idUser, const SettlementIdentity &id);

private:
    Money rounded(Money v) const;
    void writeTypeFour(Money importo);

    Connection &m_db;
    int m_idUser;
    SettlementIdentity m_id;
    Step m_step = Step::Cent;
    Money m_disponibile;
    Money m_utilizzato;
    Money m_residuo;
};

} // namespace liqiva
