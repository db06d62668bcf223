#pragma once

#include "suite/Money.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace liqiva {

class AccountingEntry;
class cDatiProRata;

// The accounting entry of the pro-rata adjustment ("Dati Prima nota"): what its dialog
// proposes (fiscal years, branches, causes, the accounts of the year's chart and the default
// accounts for the amount), the checks of "Crea registrazione" with their messages, and the
// booking itself with the link to the settlement. The dialog only shows and edits.
class DatiPNC {
public:
    struct Voce {
        int id = 0;
        QString codice;
        QString descrizione;
    };
    // What the user chooses.
    struct Dati {
        int idFiliale = 0;
        int idEsercizio = 0;
        QDate dataRegistrazione;
        int numeroRegistrazione = 0;
        int idCausaleContabile = 0;
        int idContoDare = 0;
        int idContoAvere = 0;
        QString note;
    };

    // importoStorno: the amount to book, signed (for the annual settlement the VAT to
    // recover, or minus the VAT to pay back; for a period the undeductible VAT to reverse).
    DatiPNC(cDatiProRata &proRata, Money importoStorno);

    Money ImportoStorno() const { return m_importo; }
    // The amount the entry books for the pro-rata shown: for the year (with the operations
    // given) the VAT to recover, or minus the VAT to pay back; for a period the undeductible
    // VAT still to reverse.
    static Money ImportoDaStornare(const cDatiProRata &p, Money imponibili, Money esenti);
    // The amount of the entry already booked (its first row), when there is one.
    std::optional<Money> ImportoContabilizzato() const;
    bool RegistrazioneEsistente() const;

    // ---- what the dialog offers -------------------------------------------------------
    QList<Voce> Esercizi() const;     // current and previous open fiscal years
    int EsercizioPredefinito() const; // the current one (0 without)
    QList<Voce> Filiali() const;      // the company's branches
    int FilialePredefinita() const;   // the first branch of the settlement's activity
    QList<Voce> Causali() const;
    int PianoDeiConti(int idEsercizio) const;
    QList<Voce> Conti(int idEsercizio) const; // the accounts of the year's chart
    // The default debit and credit accounts for the branch and the amount, each only when it
    // belongs to the year's chart (0 otherwise).
    std::pair<int, int> ContiPredefiniti(int idFiliale, int idEsercizio) const;
    bool ContoNelPiano(int idConto, int idEsercizio) const;
    // What the dialog starts with: the stored entry, or the defaults.
    Dati Proposta() const;
    // Codes to keys, for the command line's input (0 when not found).
    int ContoDaCodice(const QString &codice, int idEsercizio) const;
    int CausaleDaCodice(const QString &codice) const;
    int EsercizioDaData(const QDate &data) const;

    // ---- "Crea registrazione" -----------------------------------------------------------
    // The checks before anything is written: the mandatory data, the date in the fiscal year,
    // the number valid and free. A refusal is a Refusal with its message and, for the number,
    // the next free number in `proposta`. The caller then asks whether an existing entry may
    // be replaced (EsisteRegistrazione, questionAggiorna), writes with Registra and says
    // msgRegistrazioneEffettuata.
    void Verifica(const Dati &d, int *proposta = nullptr) const;
    // True when the settlement has its entry already: writing replaces it (asked first).
    bool EsisteRegistrazione();
    // Writes the entry (checked already) and links it to the settlement in one transaction
    // (a savepoint inside the caller's); a Refusal when another user took its number
    // meanwhile, and then nothing is written (the next free number in `proposta`).
    void Registra(const Dati &d, int *proposta = nullptr);

    static QString msgDatiObbligatori();
    static QString questionAggiorna();
    static QString msgRegistrazioneEffettuata();

private:
    AccountingEntry &entry() const;

    cDatiProRata &m_p;
    Money m_importo;
};

} // namespace liqiva
