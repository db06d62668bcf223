#pragma once

#include "domain/credits/Prospetto.h"
#include "suite/Money.h"

#include <QString>
#include <optional>

namespace liqiva {

class Amounts;
class Connection;

// "Credito Iva compensabile" (frmCIC): the compensable VAT credit of the period, at its
// start, used in the settlement (the declaration's compensable credit in deduction, shown
// only), used in the F24 form, and at its end; with the company's print flag.
class CreditoCompensabile {
public:
    enum Field { Inizio, UtiLiqui, UtiF24, Fine };

    CreditoCompensabile(Amounts &amounts, Money usedInSettlement, bool readOnly = false);

    static QString caption() { return u"Credito Iva compensabile"_qs; }
    static QString label(int field);

    Money value(int field) const;
    bool isLocked(int field) const { return m_readOnly || field == UtiLiqui || field == Fine; }
    // Types the start or the F24 use (0 to 9999999999999); a Refusal changes nothing.
    void setValue(int field, Money value);
    bool printFlag() const { return m_print; }
    void setPrintFlag(bool on) { m_print = on; }
    bool readOnly() const { return m_readOnly; }

    std::optional<CreditProblem> IsValid() const; // row: the field
    // Leaves the amounts in the settlement amounts and writes the company's print flag when
    // it changed (one transaction).
    void store();

    static QString msgSuperaCredito();

private:
    Amounts &m_amounts;
    bool m_readOnly;
    Money m_inizio, m_utiLiqui, m_utiF24;
    bool m_print = false;
    bool m_printBefore = false;
};

} // namespace liqiva
