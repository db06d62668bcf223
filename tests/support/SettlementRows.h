#pragma once

// The settlement rows of a database as a whole, for the tests that run one scenario many times
// on one database and check what every round left.

#include "database/Connection.h"

#include <QString>

namespace liqiva::test {

// Every settlement goes, with everything written for it, the marks of the communication and
// the usage register: the database is as the demo made it.
inline void removeEverySettlement(Connection &db)
{
    for (const char *table : {"RisultatoLiquidazioneIva", "RisultatoLiquidazioneIvaXTipo", "RigaReportLiquidazioneIva",
                              "CampoReportLiquidazioneIva", "RisultatoLiquidazioneIvaArt34",
                              "AltreOperazioniPerAcconto", "ComunicazioneLiquidazioneIva", "UtilizzoOggetto"})
        db.execute(u"DELETE FROM "_qs + QString::fromLatin1(table));
    db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET IDMeseUltimaLiquidazione = NULL"_qs);
}

// What must hold whatever the users did at the same moment: no working row (unless a process
// was killed and none has written since) and nothing that hangs on a settlement that is gone;
// at most one saved settlement per period. Each fault found is one line.
inline QStringList settlementFaults(Connection &db, bool workingRowsAllowed = false)
{
    QStringList faults;
    const struct {
        const char *what;
        const char *sql;
    } checks[] = {
        {"working rows left", "SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete <> 0"},
        {"typed rows without their settlement", "SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo x WHERE NOT EXISTS "
                                                "(SELECT 1 FROM RisultatoLiquidazioneIva r "
                                                "WHERE r.IDRisultatoLiquidazioneIva = x.IDRisultatoLiquidazioneIva)"},
        {"report rows without their settlement",
         "SELECT COUNT(*) FROM RigaReportLiquidazioneIva x WHERE NOT EXISTS (SELECT 1 FROM RisultatoLiquidazioneIva r "
         "WHERE r.IDRisultatoLiquidazioneIva = x.IDRisultatoLiquidazioneIva)"},
        {"report headers without their settlement",
         "SELECT COUNT(*) FROM CampoReportLiquidazioneIva x WHERE NOT EXISTS (SELECT 1 FROM RisultatoLiquidazioneIva r "
         "WHERE r.IDRisultatoLiquidazioneIva = x.IDRisultatoLiquidazioneIva)"},
        {"marks without their settlement",
         "SELECT COUNT(*) FROM ComunicazioneLiquidazioneIva x WHERE NOT EXISTS (SELECT 1 FROM RisultatoLiquidazioneIva "
         "r "
         "WHERE r.IDRisultatoLiquidazioneIva = x.IDComunicazioneLiquidazioneIva AND r.VirtualDelete = 0)"},
        {"saved settlements without their balance",
         "SELECT COUNT(*) FROM RisultatoLiquidazioneIva r WHERE VirtualDelete = 0 AND NOT EXISTS (SELECT 1 FROM "
         "RisultatoLiquidazioneIvaXTipo x WHERE x.IDRisultatoLiquidazioneIva = r.IDRisultatoLiquidazioneIva AND "
         "x.IDTipoRisultatoLiquidazioneIva = 1)"},
        {"two saved settlements of one period", "SELECT COUNT(*) FROM RisultatoLiquidazioneIva a INNER JOIN "
                                                "RisultatoLiquidazioneIva b ON a.IDAttivitaAzienda = "
                                                "b.IDAttivitaAzienda AND a.IDPeriodoIva = b.IDPeriodoIva AND "
                                                "COALESCE(a.IDMese, -1) = COALESCE(b.IDMese, -1) AND "
                                                "COALESCE(a.AccontoIva, 0) = COALESCE(b.AccontoIva, 0) AND "
                                                "a.IDRisultatoLiquidazioneIva < b.IDRisultatoLiquidazioneIva WHERE "
                                                "a.VirtualDelete = 0 AND b.VirtualDelete = 0"},
    };
    for (const auto &c : checks) {
        if (workingRowsAllowed && c.sql == checks[0].sql)
            continue;
        const int n = db.scalar(QString::fromLatin1(c.sql)).toInt();
        if (n != 0)
            faults << QStringLiteral("%1: %2").arg(QString::fromLatin1(c.what)).arg(n);
    }
    return faults;
}

} // namespace liqiva::test
