#include "suite/CreditComponent.h"

#include "database/Connection.h"
#include "database/SqlValue.h"

namespace liqiva {

Money CreditComponent::credit(int anno, int mese) const
{
    const SqlStatement sql =
        u"SELECT SUM(CASE WHEN CausaleCredito.Segno = '-' THEN -MovimentoCredito.Importo "_qs
        u"ELSE MovimentoCredito.Importo END) AS Saldo FROM (MovimentoCredito INNER JOIN Credito ON "_qs
        u"MovimentoCredito.IDCredito = Credito.IDCredito) INNER JOIN CausaleCredito ON "_qs
        u"MovimentoCredito.IDCausaleCredito = CausaleCredito.IDCausaleCredito WHERE Credito.IDAzienda = "_qs +
        sqlParam(m_idAzienda) + u" AND Credito.Anno = "_qs + sqlParam(anno) + u" AND Credito.IDMese <= "_qs +
        sqlParam(mese) + u" AND MovimentoCredito.VirtualDelete = 0 AND Credito.VirtualDelete = 0"_qs;
    return Money::fromVariant(m_db.scalar(sql));
}

} // namespace liqiva
