#pragma once

#include "suite/Money.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace liqiva {

class Connection;

// Our stand-in of the suite's accounting-entry component: one journal entry ("prima nota")
// of the general ledger, its header in TestataMovimentoContabile and its rows in
// RigaMovimentoContabile. The entry's own key (IDOggetto, the same number as the header's
// key) and its object type are what a caller stores to find it again.
//
// The component answers the questions of the books: whether a date belongs to a fiscal
// year, whether a registration number is valid or already taken in a year of the company,
// and the next free number.
class AccountingEntry {
public:
    // The object type of a journal entry in the suite's register of object types.
    static constexpr int TipoOggetto = 60;
    static constexpr int NumeroMassimo = 1000000000;

    struct Testata {
        int IDEsercizio = 0;
        int IDFiliale = 0;
        QDate DataRegistrazione;
        int NumeroRegistrazione = 0;
        bool FatturainRitardo = false;
        QString Annotazioni;
        int IDUtenteUltimaVariazione = 0;
        QDate DataUltimaVariazione;
        int VirtualDelete = 0;
        int IDCausaleContabile = 0;
        QString DescrizioneCausale;
        int IDStatoPerCentroCP = 0;
    };
    struct Riga {
        int NumeroRiga = 0;
        Money Importo;
        QString Segno; // "D" debit, "A" credit
        bool StampatoDefinitivo = false;
        int IDContoPDC = 0;
        int IDUtenteUltimaVariazione = 0;
        QDate DataUltimaVariazione;
        int VirtualDelete = 0;
        QString DescrizioneAggiuntiva;
    };

    AccountingEntry(Connection &db, int idAzienda, int idUtente);

    // Loads the entry of a key; false (and an empty entry) when it is no longer stored.
    bool Load(int idOggetto);
    // Forgets the entry: the next Save creates a new one.
    void Clear();
    bool HasTestata() const { return m_testata.has_value(); }
    Testata &testata();
    const std::optional<Testata> &storedTestata() const { return m_testata; }
    QList<Riga> &Righe() { return m_righe; }
    const QList<Riga> &Righe() const { return m_righe; }
    int Key() const { return m_key; }
    int Type() const { return TipoOggetto; }

    // Writes the header and the rows (a new entry gets its key; an existing one is rewritten
    // with its rows replaced), in one transaction. Throws a Refusal when the number is not
    // valid or taken by another entry of the company in the date's year, or when the date
    // lies outside the fiscal year.
    void Save();
    // The texts of an entry against their columns (length, control characters, UTF-16): a
    // Refusal naming the field. Save checks them before it writes anything.
    static void CheckTesti(const Testata &t, const QList<Riga> &righe);
    // The note of the entry's rows ("Note" of the journal entry's dialog).
    static void CheckNote(const QString &field, const QString &note);
    // Removes the entry of a key with its rows; nothing when it is not stored.
    static void Delete(Connection &db, int idOggetto);

    // ---- the questions of the books ------------------------------------------------
    static bool NumeroValido(long long numero) { return numero > 0 && numero <= NumeroMassimo; }
    bool DataInEsercizio(int idEsercizio, const QDate &data) const;
    // Another entry of the company (not `escluso`) carries the number in the year.
    bool NumeroUtilizzato(int numero, int anno, int escluso) const;
    // The first number after the highest one of the company in the year.
    int ProssimoNumero(int anno) const;

    static QString msgNumeroUtilizzato();
    static QString msgNumeroNonValido();
    static QString msgDataFuoriEsercizio();

private:
    Connection &m_db;
    int m_idAzienda;
    int m_idUtente;
    int m_key = 0;
    std::optional<Testata> m_testata;
    QList<Riga> m_righe;
};

} // namespace liqiva
