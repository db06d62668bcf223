#pragma once

#include "domain/engine/ActivitySettings.h"
#include "domain/engine/SettlementIdentity.h"
#include "suite/Money.h"
#include "suite/Percent.h"
#include "suite/Questions.h"

#include <QString>
#include <memory>
#include <optional>
#include <utility>

namespace liqiva {

class AccountingEntry;

// The pro-rata of deduction of one settlement: the settings of the activity's VAT year,
// the percentage computed from the taxable and exempt operations of the counters (or as
// typed by the user for the annual settlement), and the deductible and undeductible VAT.
// Amounts are exact currency.
class cDatiProRata {
public:
    explicit cDatiProRata(Connection &db);
    ~cDatiProRata();
    cDatiProRata(cDatiProRata &&) noexcept;
    cDatiProRata &operator=(cDatiProRata &&) noexcept;

    Connection &getConnection() const { return *m_db; }
    void setConnection(Connection &db) { m_db = &db; }
    // Amounts have two decimals (true) or are whole units (false).
    bool Decimali() const { return m_decimali; }
    void setDecimali(bool v) { m_decimali = v; }

    int IDUtente() const { return m_idUtente; }
    void setIDUtente(int v) { m_idUtente = v; }
    int IDAzienda() const { return m_idAzienda; }
    void setIDAzienda(int v) { m_idAzienda = v; }
    int IDAttivitaAzienda() const { return m_idAttivita; }
    void setIDAttivitaAzienda(int v) { m_idAttivita = v; }
    int IDPeriodoIva() const { return m_idPeriodoIva; }
    void setIDPeriodoIva(int v) { m_idPeriodoIva = v; }
    // 0 the annual settlement, 1..12 a month (a quarter by its last month), 13 the December advance.
    int IDMese() const { return m_idMese; }
    void setIDMese(int v) { m_idMese = v; }
    int MetodoCalcoloAccontoIva() const { return m_metodo; }
    void setMetodoCalcoloAccontoIva(int v) { m_metodo = v; }
    int IDRisultatoLiquidazioneIva() const { return m_idRisultato; }
    void setIDRisultatoLiquidazioneIva(int v) { m_idRisultato = v; }

    // The keys, the month and the advance method of a settlement at once.
    void setSettlement(const SettlementIdentity &s)
    {
        m_idAzienda = s.idAzienda;
        m_idAttivita = s.idAttivitaAzienda;
        m_idPeriodoIva = s.idPeriodoIva;
        m_idMese = s.idMese;
        m_metodo = s.metodoCalcoloAccontoIva;
        m_idRisultato = s.idRisultatoLiquidazioneIva;
    }

    bool GestioneProRata() const { return m_gestione; }
    bool IvaIndComeCostoAccessorio() const { return m_ivaIndCosto; }

    Percent PercProRata() const { return m_perc; }
    void setPercProRata(Percent v) { m_perc = v; }
    // Setting either operations total records whether it still equals the counters and
    // computes the percentage again.
    Money OperazioniImponibili() const { return m_imponibili; }
    void setOperazioniImponibili(Money v);
    Money OperazioniEsenti() const { return m_esenti; }
    void setOperazioniEsenti(Money v);
    Money OperazioniImponibiliDaContatori() const { return m_imponibiliContatori; }
    void setOperazioniImponibiliDaContatori(Money v) { m_imponibiliContatori = v; }
    Money OperazioniEsentiDaContatori() const { return m_esentiContatori; }
    void setOperazioniEsentiDaContatori(Money v) { m_esentiContatori = v; }
    bool OperazioniImponibiliCalcolate() const { return m_imponibiliCalcolate; }
    void setOperazioniImponibiliCalcolate(bool v) { m_imponibiliCalcolate = v; }
    bool OperazioniEsentiCalcolate() const { return m_esentiCalcolate; }
    void setOperazioniEsentiCalcolate(bool v) { m_esentiCalcolate = v; }
    Money IvaIndetraibileContabilizzata() const { return m_ivaIndCont; }
    void setIvaIndetraibileContabilizzata(Money v) { m_ivaIndCont = v; }
    Money IvaDetratta() const { return m_ivaDetratta; }
    void setIvaDetratta(Money v) { m_ivaDetratta = v; }
    Money TotaleIvaAcquisti() const { return m_totaleIvaAcquisti; }
    void setTotaleIvaAcquisti(Money v) { m_totaleIvaAcquisti = v; }

    // Loads the settings and computes the derived values; the keys, the month and the
    // advance method must be set first.
    // settings, when they are the activity's of the year, stand for its row (not read again).
    void LoadDati(int idRisultatoLiquidazioneIva, const ActivitySettings *settings = nullptr);
    void Refresh() { LoadDati(m_idRisultato); }

    // The percentage rule: 100 without exempt operations (when the taxable ones are
    // positive), a whole percentage rounded half to even otherwise, and 100 or 0 when the
    // result leaves the open range -100..100.
    static Percent CalcolaPercProRata(Money imponibili, Money esenti);
    // The deductible share of a VAT amount, rounded to the currency (half away from zero).
    Money CalcolaIvaDetraibile(Money ivaAcquisti, Percent percentuale) const;

    Money CalcolaOperazioniImponibili();
    Money CalcolaOperazioniEsenti();
    Money CalcolaIvaIndetraibileContabilizzata();
    Money CalcolaIvaDetratta();

    // ---- what the pro-rata window shows ---------------------------------------------------
    struct StornoPeriodo {
        Money ivaSuAcquisti, ivaDetraibile, ivaIndetraibile, ivaIndetraibileContabilizzata, ivaIndetraibileDaStornare;
    };
    // The undeductible VAT of a periodic settlement still to be reversed in the books.
    StornoPeriodo CalcolaStornoPeriodo() const;
    struct ConguaglioAnnuale {
        Percent percentuale;
        Money ivaDetraibile, ivaDaRecuperare, ivaDaVersare;
    };
    // The annual adjustment for the given operations: the actual percentage, the VAT
    // deductible for the year, and the VAT to recover or to pay back against the VAT
    // already deducted.
    ConguaglioAnnuale CalcolaConguaglioAnnuale(Money imponibili, Money esenti, Money ivaAcquisti,
                                               Money ivaDetratta) const;
    // The operations of the annual settlement the user typed over (taxable, exempt), nothing
    // when both are the counters'.
    std::optional<std::pair<Money, Money>> OperazioniDigitate() const
    {
        if (m_idMese != 0 || !m_gestione || (m_imponibiliCalcolate && m_esentiCalcolate))
            return std::nullopt;
        return std::make_pair(m_imponibili, m_esenti);
    }
    // The user confirms the annual figures ("Aggiorna").
    void Aggiorna(Money imponibili, Money esenti, Percent percentuale);

    // The accounting entry of the adjustment: on first use read from the settlement's link
    // (IDOggettoProRata); empty when none is booked. Read again after each LoadDati.
    AccountingEntry &ObjectPNC();

    // ---- saving -----------------------------------------------------------------------
    // Stores the operations of the annual settlement the user typed over (types 46 and 47);
    // operations equal to the counters are not stored, so they are computed again next time.
    void SaveOperazioni();
    // The calendar year whose percentage the save offers to update: the following year
    // after an annual settlement, the settlement's own year otherwise. 0 without a VAT year.
    int AnnoPercentuale() const;
    // The save offers to store the percentage for that year: what it puts to the user first
    // and the row it writes when the answer is yes. A warning (and no row) when the year has
    // no VAT year or no pro-rata; nothing when this activity does not use the pro-rata or the
    // stored percentage is already the same.
    struct Aggiornamento {
        std::optional<Question> domanda;
        int idAttivitaAziendaPerPeriodoIva = 0; // 0: nothing to write
    };
    Aggiornamento PreparaAggiornamento() const;
    // The write, inside the save's transaction, of the row the user said yes to.
    void ScriviPercentuale(int idAttivitaAziendaPerPeriodoIva);

    static QString questionAggiornaPercentuale(int anno);
    static QString msgPercentualeNonAggiornata(int anno);

private:
    SqlStatement periodFilter() const;
    Money operazioniProRata(const QString &vatTypeCondition);
    Money sumOf(const SqlStatement &sql, const QString &field);
    void resetFigures();

    Connection *m_db;
    bool m_decimali = true;
    int m_idUtente = 0;
    int m_idAzienda = 0;
    int m_idAttivita = 0;
    int m_idPeriodoIva = 0;
    int m_idMese = 0;
    int m_metodo = 0;
    int m_idRisultato = 0;
    bool m_gestione = false;
    bool m_ivaIndCosto = false;
    Percent m_perc;
    Money m_imponibili;
    Money m_esenti;
    Money m_imponibiliContatori;
    Money m_esentiContatori;
    bool m_imponibiliCalcolate = false;
    bool m_esentiCalcolate = false;
    Money m_ivaIndCont;
    Money m_ivaDetratta;
    Money m_totaleIvaAcquisti;
    std::unique_ptr<AccountingEntry> m_pnc;
};

} // namespace liqiva
