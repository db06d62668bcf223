#include "domain/credits/CreditoCompensabile.h"

#include "domain/engine/Amounts.h"

namespace liqiva {

CreditoCompensabile::CreditoCompensabile(Amounts &amounts, Money usedInSettlement, bool readOnly)
    : m_amounts(amounts), m_readOnly(readOnly), m_inizio(amounts.CICInizio()), m_utiLiqui(usedInSettlement),
      m_utiF24(amounts.CICUtiF24())
{
    m_print = m_printBefore = amounts.chkPrintCIC();
}

QString CreditoCompensabile::label(int field)
{
    switch (field) {
    case Inizio:
        return u"Credito Iva compensabile all'inizio del periodo:"_qs;
    case UtiLiqui:
        return u"Credito Iva compensabile utilizzato nel periodo nella liquidazione Iva:"_qs;
    case UtiF24:
        return u"Credito Iva compensabile utilizzato nel periodo con il modello F24:"_qs;
    case Fine:
        return u"Credito Iva compensabile alla fine del periodo:"_qs;
    }
    return {};
}

Money CreditoCompensabile::value(int field) const
{
    switch (field) {
    case Inizio:
        return m_inizio;
    case UtiLiqui:
        return m_utiLiqui;
    case UtiF24:
        return m_utiF24;
    case Fine:
        return m_inizio - m_utiLiqui - m_utiF24;
    }
    return {};
}

void CreditoCompensabile::setValue(int field, Money v)
{
    Prospetto::checkTyping(isLocked(field), v);
    (field == Inizio ? m_inizio : m_utiF24) = v;
}

std::optional<CreditProblem> CreditoCompensabile::IsValid() const
{
    if (value(Fine) < Money())
        return CreditProblem{msgSuperaCredito(), m_utiF24.isZero() ? int(Inizio) : int(UtiF24)};
    return std::nullopt;
}

void CreditoCompensabile::store()
{
    if (m_readOnly)
        return;
    m_amounts.setCICInizio(m_inizio);
    m_amounts.setCICUtiLiqui(m_utiLiqui);
    m_amounts.setCICUtiF24(m_utiF24);
    m_amounts.setCICFine(value(Fine));
    // The company's setting: one statement, written only when it changed.
    if (m_print != m_printBefore) {
        m_amounts.setChkPrintCIC(m_print);
        m_printBefore = m_print;
    }
}

QString CreditoCompensabile::msgSuperaCredito()
{
    return u"Il credito Iva compensabile utilizzato nella liquidazione e con il modello F24 non può superare il "
           u"credito all'inizio del periodo."_qs;
}

} // namespace liqiva
