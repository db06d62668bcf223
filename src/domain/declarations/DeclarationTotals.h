#pragma once

#include "suite/Rounding.h"

#include "domain/engine/SettlementIdentity.h"
#include "suite/Money.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace liqiva {

class AltriDatiDip;
class Connection;
class Recordset;
class DatiCADI;

// The declaration figures of a settlement filled from the VAT counters of its activity, the
// ventilated receipts of its report rows (rebuilt before), its stored import amounts and
// its declaration flags. Every total is rounded to the currency step (0.01 in euro, 1 in
// lire) half away from zero; an empty sum counts 0. The settlement's year is
// SettlementIdentity::anno; tipoLiquidazioneIva is the activity's settlement type in the
// VAT year (0 monthly, else quarterly).
// The flags of the settlement row that the periodic declaration shows.
struct DeclarationFlags {
    bool dichiarazioneIntegrativa = false;
    bool correttivaNeiTermini = false;
    bool variazioniImponibile = false;
    bool contribuentiLiqTrim = false;
    bool aliquotaMediaLettA = false;
    bool operazioniNonImponibiliLettB = false;
    bool acquistoBeniAmmortizzabiliLettC = false;
    bool creditoRimborsoInEuro = false;
    bool versamentoInEuro = false;
    bool versamentoNonEffettuato = false;

    // Their columns of RisultatoLiquidazioneIva, each after the given prefix ("R.").
    static QString columns(const QString &prefix = QString());
    // From a record set that selected columns().
    static DeclarationFlags of(const Recordset &rs);
};

class DeclarationTotals {
public:
    DeclarationTotals(Connection &db, const SettlementIdentity &settlement, int tipoLiquidazioneIva, Step currencyStep);

    // The periodic declaration: VP1 and VP2 from the counters of the settlement's months,
    // VP3 from the stored amounts 34 and 35, the flags from the settlement row.
    void LoadAltriDatiDip(AltriDatiDip &dip);
    // The annual communication: the totals of the months the settlement covers, the
    // imports from the stored amounts 34, 35, 48 and 49, the exceptional-events flag.
    void LoadDatiCADI(DatiCADI &cadi);
    // Both, reading the counters once when they take the same months.
    void LoadBoth(AltriDatiDip &dip, DatiCADI &cadi);
    // The receipts split by rate that both count, when the caller has them from the rebuild
    // (otherwise they are read from the settlement's report rows).
    void setVentilatedReceipts(Money amount) { m_ventilated = amount; }
    // The flags of the settlement row, when the caller read them with the row.
    void setFlags(const DeclarationFlags &flags) { m_flags = flags; }
    // The stored amounts both read (storedTypes(): the first live row of each type), when the
    // caller read them with other rows of the settlement.
    void setStoredAmounts(std::map<int, Money> amounts) { m_stored = std::move(amounts); }
    static const std::vector<int> &storedTypes();

    // The counter months of the periodic declaration, written as a condition.
    SqlStatement periodicMonths() const;
    // The months the annual communication sums: first and last.
    std::pair<int, int> annualMonthRange() const;

private:
    SqlStatement commonFilter(const QString &from, const SqlStatement &months) const;
    // The taxable totals of the counter rows of the given kinds that each condition takes.
    std::vector<Money> sums(const QString &from, const SqlStatement &months, const SqlStatement &kinds,
                            const QStringList &conditions);
    Money ventilatedReceipts();
    Money storedAmount(int amountType);
    const DeclarationFlags &flags();
    Money rounded(Money v) const;
    SqlStatement annualMonths() const;
    void fillPeriodic(AltriDatiDip &dip, const std::vector<Money> &totals);
    void fillAnnual(DatiCADI &cadi, const std::vector<Money> &totals);

    Connection &m_db;
    SettlementIdentity m_s;
    int m_tipo;
    Step m_step;
    // Read once for both sets of figures.
    std::optional<Money> m_ventilated;
    std::optional<std::map<int, Money>> m_stored;
    std::optional<DeclarationFlags> m_flags;
};

} // namespace liqiva
