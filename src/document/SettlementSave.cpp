#include "document/SettlementDocument.h"
#include "document/WorkingRecords.h"

namespace liqiva {

bool SettlementDocument::fnChildSave()
{
    return false;
}

bool SettlementDocument::sbChildDelete()
{
    return false;
}

void SettlementDocument::sbRemoveTrashRecord()
{
    if (key() > 0)
        WorkingRecords::removeDocumentRows(m_ctx.db, m_ctx.idUser, key());
}

} // namespace liqiva
