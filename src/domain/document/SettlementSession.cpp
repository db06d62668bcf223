#include "domain/document/SettlementSession.h"

#include "domain/document/WorkingRecords.h"
#include "database/Connection.h"
#include "database/SqlValue.h"

namespace liqiva {

SettlementSession::SettlementSession(Connection &db, int idUser, int idFunction) : m_db(db)
{
    const QVariant type =
        db.scalar(u"SELECT IDTipoOggetto FROM Funzione WHERE IDFunzione = ?"_qs, {sqlValue(idFunction)});
    m_objectType = type.isNull() ? 0 : type.toInt();
    m_usage.setContext(db, m_texts, idUser, 0, idFunction);
    m_usage.setObjectType(m_objectType);
}

SettlementSession::~SettlementSession()
{
    try {
        m_usage.releaseAll();
    } catch (...) {
        // The rows go stale by themselves.
    }
    m_usage.clearContext();
}

int SettlementSession::removeAbandoned()
{
    return WorkingRecords::removeAbandoned(m_db, [this] { return m_usage.heldKeys(m_objectType); });
}

void SettlementSession::hold(int key)
{
    m_usage.registerUse(m_objectType, key, 2);
}

void SettlementSession::release(int key)
{
    m_usage.release(m_objectType, key, 2);
}

QString SettlementSession::holderOf(int key)
{
    return m_usage.holderOf(m_objectType, key);
}

} // namespace liqiva
