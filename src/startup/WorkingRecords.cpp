#include "startup/WorkingRecords.h"

#include "startup/database/Connection.h"
#include "startup/database/SqlLiteral.h"

namespace liqiva {

void removeUserWorkingRows(Connection &db, int idUser)
{
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 2 AND IDUtenteUltimaVariazione = "_qs +
                  sqlNumber(idUser));
    db.executeRaw(
        u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE VirtualDelete = 2 AND IDUtenteUltimaVariazione = "_qs +
        sqlNumber(idUser));
}

} // namespace liqiva
