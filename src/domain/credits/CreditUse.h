#pragma once

#include "domain/credits/Prospetto.h"
#include "suite/Money.h"

#include <QString>
#include <QVector>
#include <optional>

namespace liqiva {

class Amounts;
class Connection;

// The credits used in a settlement ("frmCreUse"): the company's VAT credits of the year in
// two groups, the annual credit (IDTipoCreditoIVA 1) and the infra-annual credit (2), each
// with what was left at the end of the month before, the movements of the settlement's
// months by cause, the amount the settlement takes into its deduction and what is left. The
// amounts used become the declaration's "Credito compens. portato in detraz. nella liquidaz.".
class CreditUse {
public:
    struct Cause {
        int idCausaleCredito = 0;
        QString text;
        QString sign; // "+" or "-"
        Money amount; // the movements of the settlement's months
    };
    struct Group {
        int idTipoCreditoIva = 0;
        QString title;
        Money residuoPrecedente;
        QVector<Cause> causes;
        Money daUtilizzare;
        // What the group holds before the settlement takes its part.
        Money disponibile() const;
        Money residuoMese() const { return disponibile() - daUtilizzare; }
    };

    // Reads the causes and the movements of the company's year up to the settlement's month
    // (13 the advance and 0 the year count as December), less what the company's other
    // saved settlements of the year before this one took.
    CreditUse(Connection &db, Amounts &amounts, int idAzienda, int anno, int idMese, bool readOnly = false);

    static constexpr Money MaxUse = Money::units(99999999);

    int groupCount() const { return int(m_groups.size()); }
    const Group &group(int i) const { return m_groups[i]; }
    bool readOnly() const { return m_readOnly; }
    // Types the amount a group gives the settlement (0 to 99999999); a Refusal changes nothing.
    void setDaUtilizzare(int group, Money value);
    Money creditoResiduoTotale() const;
    // The amount used in the settlement: both groups together.
    Money Value() const;

    std::optional<CreditProblem> IsValid() const; // row: the group
    void store();

    static QString caption() { return u"Utilizzo crediti IVA"_qs; }
    static QString lblUsed() { return u"Credito IVA compensabile portato in detrazione nella liquidazione"_qs; }
    static QString msgOutOfRange();
    static QString msgSuperaDisponibile(const QString &group);

private:
    Amounts &m_amounts;
    bool m_readOnly;
    QVector<Group> m_groups;
};

} // namespace liqiva
