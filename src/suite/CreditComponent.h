#pragma once

#include "suite/Money.h"

namespace liqiva {

class Connection;

// Our stand-in for the suite's credit component: the balance of a company's VAT credit
// movements of a year up to a month, each movement signed by its cause ("+" or "-"). The
// annual settlement adds the balance at December to the credit it carries on: the credit
// brought into the year and not used, refunded or compensated by then.
class CreditComponent {
public:
    CreditComponent(Connection &db, int idAzienda) : m_db(db), m_idAzienda(idAzienda) {}

    // The suite component works in modes; only the balance mode is ours.
    int mode() const { return m_mode; }
    int setMode(int mode)
    {
        const int previous = m_mode;
        m_mode = mode;
        return previous;
    }

    Money credit(int anno, int mese) const;

private:
    Connection &m_db;
    int m_idAzienda;
    int m_mode = 0;
};

} // namespace liqiva
