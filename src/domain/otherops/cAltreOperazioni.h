#pragma once

#include "suite/Money.h"
#include "suite/Percent.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace liqiva {

class Connection;

// One operation made but not yet invoiced, or invoiced but not yet registered, counted in
// the December advance: a row of AltreOperazioniPerAcconto with the rate's code and
// register description for display.
struct AltraOperazione {
    int IDAltreOperazioniPerAcconto = 0;
    int IDRisultatoLiquidazioneIva = 0;
    int IDIva = 0;
    Money Imponibile;
    Money Imposta;
    QString Annotazioni;
    QString Iva;
    QString DescrizioneSuRegistroIVA;
};

// The operations of one VAT rate summed.
struct AltreOperazioniGruppo {
    int IDIva = 0;
    QString DescrizioneSuRegistroIVA;
    Money Imponibile;
    Money Imposta;
};

// The other operations of one settlement. Edits stay in memory (add, modify, undo,
// delete) until ConfirmModified writes them all in one transaction; closing the settlement
// without saving simply drops the object.
class cAltreOperazioni {
public:
    static QString msgNoSettlement() { return QStringLiteral("Impossibile salvare! Indicare una liquidazione IVA."); }
    static QString msgNoRate() { return QStringLiteral("Impossibile salvare! Indicare un'aliquota IVA."); }
    // The most rows a settlement takes from an input file.
    static constexpr int MassimoRighe = 100000;
    // The note of a row against its column (control characters, UTF-16): a Refusal naming
    // the field. Save checks it with the caption "Note".
    static void CheckAnnotazioni(const QString &field, const QString &text);

    explicit cAltreOperazioni(Connection &db);

    Connection &getConnection() const { return *m_db; }
    void setConnection(Connection &db) { m_db = &db; }
    // The user written into the audit columns.
    int IDUtente() const { return m_idUtente; }
    void setIDUtente(int v) { m_idUtente = v; }
    int IDRisultatoLiquidazioneIva() const { return m_idRisultato; }
    void setIDRisultatoLiquidazioneIva(int v) { m_idRisultato = v; }

    // The edit buffer: the fields of the current row.
    int IDIva() const { return m_buffer.IDIva; }
    void setIDIva(int v) { m_buffer.IDIva = v; }
    Money Imponibile() const { return m_buffer.Imponibile; }
    void setImponibile(Money v) { m_buffer.Imponibile = v; }
    Money Imposta() const { return m_buffer.Imposta; }
    void setImposta(Money v) { m_buffer.Imposta = v; }
    QString Annotazioni() const { return m_buffer.Annotazioni; }
    void setAnnotazioni(const QString &v) { m_buffer.Annotazioni = v; }
    // Number of the current row (0 for a row being added).
    int IDAltreOperazioniPerAcconto() const { return m_buffer.IDAltreOperazioniPerAcconto; }

    Money TotaleImponibile() const { return groups().totaleImponibile; }
    Money TotaleImposta() const { return groups().totaleImposta; }
    // While set, cursor moves leave the edit buffer alone.
    bool LockMoveComplete() const { return m_lockMove; }
    void setLockMoveComplete(bool v) { m_lockMove = v; }

    // The rows as they stand in memory (deleted ones left out), and their sums by rate.
    QVector<AltraOperazione> DocumentData() const;
    const QVector<AltreOperazioniGruppo> &DocumentDataGroup() const { return groups().rows; }

    void Add();
    void UndoAdd() { m_adding = false; }
    bool isAdding() const { return m_adding; }
    // Cancels the unconfirmed changes of the current row (a row added and not confirmed goes).
    void UndoModified();
    // Validates the edit buffer and writes it into the rows in memory; a new row gets the
    // next number of the settlement. A row without settlement or rate is refused (Refusal).
    bool Save();
    // Deletes the current row (in memory).
    void Delete();
    // Deletes every row (in memory).
    void DeleteAll();
    // Writes every pending change to the database in one transaction, then loads again.
    // Refused (Refusal, nothing written) when a pending row has no settlement or no rate.
    bool ConfirmModified();
    // Loads the rows of the settlement, dropping the pending changes.
    void Refresh();
    bool hasPendingChanges() const;

    int Count() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    bool atBOF() const { return m_pos < 0; }
    bool atEOF() const { return m_pos >= Count(); }
    int AbsolutePosition() const { return m_pos; }

    void GroupAltreOperazioni();

    // The tax of a taxable amount at a rate: rounded to the cent (half away from zero) in
    // euro, to the unit (half up) in lire. None for a zero taxable amount: the tax is then
    // left as typed.
    static std::optional<Money> CalcolaImposta(Money imponibile, Percent aliquotaIva, bool decimali);

    // The rates a row may take: only the fully deductible ones, key and code.
    struct Aliquota {
        int IDIva = 0;
        QString Iva;
        QString Descrizione; // DescrizioneSuRegistroIVA
    };
    static QVector<Aliquota> AliquoteDetraibili(Connection &db);
    // The percentage of a rate (0 for an unknown one).
    static Percent AliquotaIva(Connection &db, int idIva);
    // The key of a rate by its code; nullopt when no deductible rate has it.
    static std::optional<int> IDIvaDaCodice(Connection &db, const QString &codice);

private:
    enum class Status { Unchanged, Modified, New, Deleted };
    struct Row {
        AltraOperazione data;
        AltraOperazione original;
        Status status = Status::Unchanged;
    };

    struct Groups {
        QVector<AltreOperazioniGruppo> rows;
        Money totaleImponibile;
        Money totaleImposta;
    };
    const QVector<int> &visibleRows() const { return m_visible; }
    // After rows were removed or deleted: the visible rows and the greatest number again.
    void reindex();
    const Groups &groups() const;
    int currentIndex() const; // into m_rows, -1 when at BOF/EOF
    void moved();
    // A row without a settlement or a rate is refused (Refusal).
    static void validate(int idRisultato, int idIva);

    Connection *m_db;
    int m_idUtente = 0;
    int m_idRisultato = 0;
    int m_loadedKey = 0;
    AltraOperazione m_buffer;
    bool m_adding = false;
    bool m_lockMove = false;
    QVector<Row> m_rows;
    QVector<int> m_visible; // indexes into m_rows of the rows not deleted, in order
    int m_greatest = 0;     // the greatest number among them
    int m_pos = -1;         // position among the visible rows
    // The sums by rate, made again when asked after a change (a list of rows is read in
    // linear time).
    mutable Groups m_groups;
    mutable bool m_groupsStale = false;
    // The code and description of the rates met, until the next Refresh.
    QHash<int, std::pair<QString, QString>> m_rateTexts;
};

} // namespace liqiva
