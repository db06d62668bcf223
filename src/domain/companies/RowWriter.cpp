#include "domain/companies/RowWriter.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/KeyReservation.h"

#include <QDateTime>

namespace liqiva {

int RowWriter::insert(const QString &table, const QString &keyColumn, const QStringList &columns,
                      const SqlParams &values)
{
    const QStringList all =
        QStringList{keyColumn} + columns +
        QStringList{u"VirtualDelete"_qs, u"DataUltimaVariazione"_qs, u"IDUtenteUltimaVariazione"_qs};
    QStringList marks;
    for (qsizetype k = 0; k < all.size(); ++k)
        marks << u"?"_qs;
    const QString sql =
        u"INSERT INTO "_qs + table + u" ("_qs + all.join(u", "_qs) + u") VALUES ("_qs + marks.join(u", "_qs) + u")"_qs;
    const QVariant top = m_db.scalar(u"SELECT MAX("_qs + keyColumn + u") FROM "_qs + table);
    long long key = top.isNull() ? 1 : std::max(1LL, top.toLongLong() + 1);
    const QDateTime now = QDateTime::currentDateTime();
    while (true) {
        if (key > 2147483647LL)
            throw DbError(u"La tabella "_qs + table + u" ha esaurito le chiavi: non è stato scritto nulla."_qs,
                          QString());
        SqlParams params{int(key)};
        params += values;
        params << 0 << now << m_user;
        const QString sp = m_db.savepoint();
        try {
            m_db.execute(sql, params);
            m_db.releaseSavepoint(sp);
            return int(key);
        } catch (const DbError &e) {
            m_db.rollbackToSavepoint(sp);
            if (!isDuplicateKey(e))
                throw;
            ++key;
        }
    }
}

} // namespace liqiva
