#include "domain/document/WorkingRecords.h"

#include "database/Connection.h"
#include "database/RowState.h"
#include "database/SqlValue.h"

#include <QMap>

namespace liqiva::WorkingRecords {

void removeUserRows(Connection &db, int idUser)
{
    const SqlStatement user = sqlParam(idUser);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE "_qs + RowState::equals(RowState::Working)
                  + u" AND IDUtenteUltimaVariazione = "_qs + user);
    db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE "_qs + RowState::equals(RowState::Working)
                  + u" AND IDUtenteUltimaVariazione = "_qs + user);
}

int removeAbandoned(Connection &db, const QSet<int> &held)
{
    return removeAbandoned(db, [&held] { return held; });
}

int removeAbandoned(Connection &db, const std::function<QSet<int>()> &heldKeys)
{
    Transaction tx(db);
    // The working rows first, then who holds them: a settlement another user creates
    // meanwhile is registered in the transaction that creates its row, so a row read here is
    // always found held when it is held. The other way round, a row created between the two
    // reads would look abandoned.
    QList<int> working;
    {
        Recordset rs = db.openRecordset(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE "_qs
                                        + RowState::equals(RowState::Working));
        for (; !rs.eof(); rs.moveNext())
            working.append(rs.integer(u"IDRisultatoLiquidazioneIva"_qs));
    }
    const QSet<int> held = heldKeys();
    QList<int> abandoned;
    for (int key : working)
        if (!held.contains(key))
            abandoned.append(key);
    for (int key : abandoned)
        db.executeRaw(u"DELETE FROM RisultatoLiquidazioneIva WHERE "_qs + RowState::equals(RowState::Working) +
                      u" AND IDRisultatoLiquidazioneIva = "_qs + sqlParam(key));
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
    const SqlStatement user = sqlParam(idUser);
    const SqlStatement k = sqlParam(key);
    Transaction tx(db);
    // The rows set aside while the document was edited are put back as they were.
    for (const QString &table : {u"RisultatoLiquidazioneIva"_qs, u"RisultatoLiquidazioneIvaXTipo"_qs})
        sbUpdateTableWhenUnloadChild(db, table, u"IDRisultatoLiquidazioneIva"_qs, key, idUser);
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
    const SqlStatement user = sqlParam(idUser);
    db.execute(u"UPDATE "_qs + table + u" SET VirtualDelete="_qs + sqlParam(RowState::Live) + u" WHERE "_qs +
               keyColumn + u"="_qs + sqlParam(key) + u" AND VirtualDelete="_qs + sqlParam(RowState::Working) +
               u" AND IDUtenteUltimaVariazione = "_qs + user);
    if (keepSetAside)
        return;
    for (int k : {key, -key})
        db.execute(u"DELETE FROM "_qs + table + u" WHERE "_qs + keyColumn + u"="_qs + sqlParam(k) +
                   u" AND VirtualDelete="_qs + sqlParam(RowState::SetAside) + u" AND IDUtenteUltimaVariazione = "_qs +
                   user);
}

} // namespace liqiva::WorkingRecords

namespace liqiva::WorkingRecords {

namespace {

// A value read from a row, as statement text.
SqlStatement literalOf(const QVariant &v, Engine engine)
{
    if (v.isNull() || !v.isValid())
        return u"Null"_qs;
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return sqlParam(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlParam(v.toDouble());
    case QMetaType::QDateTime:
        return sqlParam(v.toDateTime());
    case QMetaType::QDate:
        return sqlParam(v.toDate());
    default:
        return sqlParam(v.toString());
    }
}

// The table's own key column: "ID" + table, or the first column.
QString ownKeyColumn(const Recordset &rs, const QString &table)
{
    const QString wanted = u"ID"_qs + table;
    for (int i = 0; i < rs.fieldCount(); ++i)
        if (rs.fieldName(i).compare(wanted, Qt::CaseInsensitive) == 0)
            return rs.fieldName(i);
    return rs.fieldName(0);
}

struct Row {
    QStringList columns;
    QList<QVariant> values;
    QVariant value(const QString &column) const
    {
        for (int i = 0; i < columns.size(); ++i)
            if (columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
                return values.at(i);
        return {};
    }
};

std::vector<Row> readRows(Connection &db, const SqlStatement &sql, QString *keyColumn, const QString &table)
{
    std::vector<Row> rows;
    Recordset rs = db.openRecordset(sql);
    if (keyColumn && rs.fieldCount() > 0)
        *keyColumn = ownKeyColumn(rs, table);
    for (; !rs.eof(); rs.moveNext()) {
        Row r;
        for (int i = 0; i < rs.fieldCount(); ++i) {
            r.columns << rs.fieldName(i);
            r.values << rs.field(i);
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

SqlStatement userCondition(int idUser)
{
    return u" AND IDUtenteUltimaVariazione = "_qs + sqlParam(idUser);
}

// Writes the values of a row over the row with the key target (the key columns and the state
// taken apart); false when no such row exists.
bool writeBack(Connection &db, const QString &table, const Row &row, const QString &keyColumn,
               const QStringList &skip, long long target, int state)
{
    QList<SqlStatement> sets;
    for (int i = 0; i < row.columns.size(); ++i) {
        const QString &c = row.columns.at(i);
        if (c.compare(keyColumn, Qt::CaseInsensitive) == 0 || c.compare(u"VirtualDelete"_qs, Qt::CaseInsensitive) == 0 ||
            skip.contains(c, Qt::CaseInsensitive))
            continue;
        sets << c + u" = "_qs + literalOf(row.values.at(i), db.engine());
    }
    sets << u"VirtualDelete = "_qs + sqlParam(state);
    return db.executeRaw(u"UPDATE "_qs + table + u" SET "_qs + sqlJoin(sets, u", "_qs) + u" WHERE "_qs + keyColumn +
                         u" = "_qs + sqlParam(target)) > 0;
}

void insertRow(Connection &db, const QString &table, const Row &row, const QMap<QString, SqlStatement> &replaced)
{
    QList<SqlStatement> values;
    for (int i = 0; i < row.columns.size(); ++i) {
        const QString lower = row.columns.at(i).toLower();
        values << (replaced.contains(lower) ? replaced.value(lower) : literalOf(row.values.at(i), db.engine()));
    }
    db.executeRaw(u"INSERT INTO "_qs + table + u" ("_qs + row.columns.join(u", "_qs) + u") VALUES ("_qs +
                  sqlJoin(values, u", "_qs) + u")"_qs);
}

} // namespace

int fnInsertDuplicateWithNegativeKey(Connection &db, const QString &table, const QList<QPair<QString, int>> &keys,
                                     int virtualDelete, int idUser)
{
    QList<SqlStatement> where;
    for (const auto &[column, value] : keys)
        where << column + u"="_qs + sqlParam(value);
    Transaction tx(db);
    QString keyColumn;
    const std::vector<Row> rows =
        readRows(db, u"SELECT * FROM "_qs + table + u" WHERE "_qs + sqlJoin(where, u" AND "_qs), &keyColumn, table);
    if (rows.empty())
        return 0;
    const Row &row = rows.front();
    const long long copyKey = -row.value(keyColumn).toLongLong();
    QMap<QString, SqlStatement> replaced;
    replaced.insert(keyColumn.toLower(), sqlParam(copyKey));
    replaced.insert(u"virtualdelete"_qs, sqlParam(virtualDelete));
    replaced.insert(u"idutenteultimavariazione"_qs, sqlParam(idUser));
    insertRow(db, table, row, replaced);
    tx.commit();
    return int(copyKey);
}

void sbUpdateTableWhenUnloadChild(Connection &db, const QString &table, const QString &keyColumn, int key, int idUser)
{
    const SqlStatement user = userCondition(idUser);
    Transaction tx(db);
    db.executeRaw(u"DELETE FROM "_qs + table + u" WHERE "_qs + keyColumn + u" = "_qs + sqlParam(key) +
                  u" AND VirtualDelete = 2"_qs + user);
    QString own;
    const std::vector<Row> rows =
        readRows(db,
                 u"SELECT * FROM "_qs + table + u" WHERE VirtualDelete = 3"_qs + user + u" AND ("_qs + keyColumn +
                     u" = "_qs + sqlParam(key) + u" OR "_qs + keyColumn + u" = "_qs + sqlParam(-key) + u")"_qs,
                 &own, table);
    // The copies first: they carry the values the rows had before the edit.
    for (const Row &row : rows) {
        const long long k = row.value(own).toLongLong();
        if (k >= 0)
            continue;
        QStringList skip{keyColumn};
        if (!writeBack(db, table, row, own, skip, -k, 0)) {
            // The row went meanwhile: the copy takes its place, so that nothing is lost.
            QMap<QString, SqlStatement> replaced;
            replaced.insert(own.toLower(), sqlParam(-k));
            replaced.insert(keyColumn.toLower(), sqlParam(key));
            replaced.insert(u"virtualdelete"_qs, sqlParam(0));
            insertRow(db, table, row, replaced);
        }
        db.executeRaw(u"DELETE FROM "_qs + table + u" WHERE "_qs + own + u" = "_qs + sqlParam(k) + user);
    }
    db.executeRaw(u"UPDATE "_qs + table + u" SET VirtualDelete = 0 WHERE "_qs + keyColumn + u" = "_qs + sqlParam(key) +
                  u" AND VirtualDelete = 3"_qs + user);
    tx.commit();
}

void sbTableUndo(Connection &db, const QString &table, int idUser)
{
    const SqlStatement user = userCondition(idUser);
    Transaction tx(db);
    db.executeRaw(u" DELETE FROM "_qs + table + u" WHERE VirtualDelete < 0"_qs + user);
    db.executeRaw(u" DELETE FROM "_qs + table + u" WHERE VirtualDelete = 2"_qs + user);
    // Only the user's own rows: another user's edit of the same table is theirs to undo.
    db.executeRaw(u" UPDATE "_qs + table + u" SET VirtualDelete = 0  WHERE VirtualDelete = 3 "_qs + user);
    tx.commit();
}

void sbAdjustTable(Connection &db, const QString &table, int idUser)
{
    const SqlStatement user = userCondition(idUser);
    Transaction tx(db);
    QString own;
    const std::vector<Row> rows =
        readRows(db, u" SELECT * FROM "_qs + table + u" WHERE VirtualDelete < 0 "_qs + user, &own, table);
    for (const Row &row : rows) {
        const long long target = -row.value(u"VirtualDelete"_qs).toLongLong();
        writeBack(db, table, row, own, {}, target, 0);
    }
    db.executeRaw(u" DELETE FROM "_qs + table + u" WHERE VirtualDelete < 0"_qs + user);
    db.executeRaw(u" DELETE FROM "_qs + table + u" WHERE VirtualDelete = 3"_qs + user);
    db.executeRaw(u" UPDATE "_qs + table + u" SET VirtualDelete = 0  WHERE VirtualDelete = 2"_qs + user);
    tx.commit();
}

} // namespace liqiva::WorkingRecords
