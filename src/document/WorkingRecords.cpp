#include "document/WorkingRecords.h"

#include "startup/database/Connection.h"
#include "startup/database/SqlLiteral.h"

namespace liqiva::WorkingRecords {

void removeUserRows(Connection &db, int idUser)
{
    const QString user = sqlNumber(idUser);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 2 AND IDUtenteUltimaVariazione = "_qs + user);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE VirtualDelete = 2 AND IDUtenteUltimaVariazione = "_qs
                  + user);
}

void removeDocumentRows(Connection &db, int idUser, int key)
{
    const QString user = sqlNumber(idUser);
    const QString k = sqlNumber(key);
    Transaction tx(db);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 2 AND IDUtenteUltimaVariazione = "_qs + user
                  + u" AND IDRisultatoLiquidazioneIva = "_qs + k);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE VirtualDelete = 2 AND IDUtenteUltimaVariazione = "_qs
                  + user + u" AND IDRisultatoLiquidazioneIva = "_qs + k);
    // The report of a settlement that is gone is gone too.
    if (db.scalar(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + k)
            .isNull()) {
        db.executeRaw(u"DELETE FROM RigaReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + k);
        db.executeRaw(u"DELETE FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + k);
    }
    tx.commit();
}

void confirmSaved(Connection &db, const QString &table, const QString &keyColumn, int key, int idUser, bool keepSetAside)
{
    const QString user = sqlNumber(idUser);
    db.execute(u"UPDATE "_qs + table + u" SET VirtualDelete=0 WHERE "_qs + keyColumn + u"="_qs + sqlNumber(key)
               + u" AND VirtualDelete=2 AND IDUtenteUltimaVariazione = "_qs + user);
    if (keepSetAside)
        return;
    for (int k : {key, -key})
        db.execute(u"DELETE FROM "_qs + table + u" WHERE "_qs + keyColumn + u"="_qs + sqlNumber(k)
                   + u" AND VirtualDelete=3 AND IDUtenteUltimaVariazione = "_qs + user);
}

} // namespace liqiva::WorkingRecords
