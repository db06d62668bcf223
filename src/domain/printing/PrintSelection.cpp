#include "domain/printing/PrintSelection.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"

namespace liqiva {

void PrintSelection::sbSetPrintOperation(const std::vector<int> &settlements, int idRegistroIva)
{
    sbDeletePrintOperation();
    int order = 0;
    for (int key : settlements) {
        Recordset rs = m_db.openRecordset(
            u" SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva, CodiceAttivita.CodiceAttivita"
            u" FROM (((RisultatoLiquidazioneIva "
            u" INNER JOIN PeriodoIva ON RisultatoLiquidazioneIva.IDPeriodoIva = PeriodoIva.IDPeriodoIva) "
            u" INNER JOIN AttivitaAzienda ON RisultatoLiquidazioneIva.IDAttivitaAzienda = "
            u"AttivitaAzienda.IDAttivitaAzienda) "
            u" INNER JOIN AttivitaAziendaPerPeriodoIva ON (AttivitaAzienda.IDAttivitaAzienda = "
            u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda) AND (PeriodoIva.IDPeriodoIva = "
            u"AttivitaAziendaPerPeriodoIva.IDPeriodoIva)) "
            u" INNER JOIN CodiceAttivita ON AttivitaAziendaPerPeriodoIva.IDCodiceAttivita = "
            u"CodiceAttivita.IDCodiceAttivita "
            u" WHERE IDRisultatoLiquidazioneIva = ?"_qs,
            {sqlValue(key)});
        // A settlement whose activity has no activity code is printed all the same.
        const QString code = rs.eof() ? QString() : rs.text(u"CodiceAttivita"_qs);
        rs.close();
        ++order;
        nextKey(
            m_db, u"TabellaRicorsione"_qs, u"IDTabellaRicorsione"_qs,
            u"INSERT INTO TabellaRicorsione (IDUtente, IDFunzione, IDOggetto, Ordine, Codice, IDRegistroIva) VALUES (?, ?, ?, ?, ?, ?)"_qs,
            {sqlValue(m_user), sqlValue(m_function), sqlValue(key), sqlValue(order), code, sqlValue(idRegistroIva)});
    }
}

std::vector<int> PrintSelection::selected()
{
    std::vector<int> keys;
    for (Recordset rs = m_db.openRecordset(
             u"SELECT IDOggetto FROM TabellaRicorsione WHERE IDUtente = ? AND IDFunzione = ? ORDER BY Ordine"_qs,
             {sqlValue(m_user), sqlValue(m_function)});
         !rs.eof(); rs.moveNext())
        keys.push_back(rs.integer(u"IDOggetto"_qs));
    return keys;
}

void PrintSelection::sbDeletePrintOperation()
{
    m_db.execute(u"DELETE FROM TabellaRicorsione WHERE IDUtente=? And IDFunzione=?"_qs,
                 {sqlValue(m_user), sqlValue(m_function)});
    m_db.execute(u"DELETE FROM TabellaRicorsione2 WHERE IDUtente=?"_qs, {sqlValue(m_user)});
}

} // namespace liqiva
