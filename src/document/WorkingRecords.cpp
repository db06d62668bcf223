#include "document/WorkingRecords.h"

#include "startup/database/Connection.h"
#include "startup/database/RowState.h"
#include "startup/database/SqlLiteral.h"

namespace liqiva::WorkingRecords {

void removeUserRows(Connection &db, int idUser)
{
    const QString user = sqlNumber(idUser);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE "_qs + RowState::equals(RowState::Working)
                  + u" AND IDUtenteUltimaVariazione = "_qs + user);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE "_qs + RowState::equals(RowState::Working)
                  + u" AND IDUtenteUltimaVariazione = "_qs + user);
}

int removeAbandoned(Connection &db, const QSet<int> &held)
{
    Transaction tx(db);
    QList<int> abandoned;
    {
        Recordset rs = db.openRecordset(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE "_qs
                                        + RowState::equals(RowState::Working));
        for (; !rs.eof(); rs.moveNext()) {
            const int key = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
            if (!held.contains(key))
                abandoned.append(key);
        }
    }
    for (int key : abandoned)
        db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE "_qs + RowState::equals(RowState::Working)
                      + u" AND IDRisultatoLiquidazioneIva = "_qs + sqlNumber(key));
    // Whatever hangs on a settlement that is not there.
    const QString orphan = u" WHERE IDRisultatoLiquidazioneIva > 0 AND IDRisultatoLiquidazioneIva NOT IN "
                               u"(SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva)"_qs;
    for (const char *table : {"RisultatoLiquidazioneIvaXTipo", "RigaReportLiquidazioneIva", "CampoReportLiquidazioneIva",
                              "RisultatoLiquidazioneIvaArt34", "AltreOperazioniPerAcconto"})
        db.executeRaw(u"DELETE FROM "_qs + QString::fromLatin1(table) + orphan);
    tx.commit();
    return int(abandoned.size());
}

void removeDocumentRows(Connection &db, int idUser, int key)
{
    const QString user = sqlNumber(idUser);
    const QString k = sqlNumber(key);
    Transaction tx(db);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE "_qs + RowState::equals(RowState::Working)
                  + u" AND IDUtenteUltimaVariazione = "_qs + user + u" AND IDRisultatoLiquidazioneIva = "_qs + k);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE "_qs + RowState::equals(RowState::Working)
                  + u" AND IDUtenteUltimaVariazione = "_qs + user + u" AND IDRisultatoLiquidazioneIva = "_qs + k);
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
    db.execute(u"UPDATE "_qs + table + u" SET VirtualDelete="_qs + sqlNumber(RowState::Live) + u" WHERE "_qs + keyColumn
               + u"="_qs + sqlNumber(key) + u" AND VirtualDelete="_qs + sqlNumber(RowState::Working)
               + u" AND IDUtenteUltimaVariazione = "_qs + user);
    if (keepSetAside)
        return;
    for (int k : {key, -key})
        db.execute(u"DELETE FROM "_qs + table + u" WHERE "_qs + keyColumn + u"="_qs + sqlNumber(k)
                   + u" AND VirtualDelete="_qs + sqlNumber(RowState::SetAside)
                   + u" AND IDUtenteUltimaVariazione = "_qs + user);
}

} // namespace liqiva::WorkingRecords
