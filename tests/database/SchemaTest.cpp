#include "database/Schema.h"
#include "database/Connection.h"
#include "database/DbError.h"
#include "database/SqlValue.h"
#include "support/TestDatabase.h"

#include <map>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Schema : public EngineTest {};

long long rowCount(Connection &db, const QString &table)
{
    return db.scalar(u"SELECT COUNT(*) FROM "_qs + table).toLongLong();
}

TEST_P(Schema, RunsTwiceWithoutDuplicatingReferenceRows)
{
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    createSchema(db);
    std::map<QString, long long> first;
    for (const SchemaTable &table : schemaTables())
        first[table.name] = rowCount(db, table.name);
    createSchema(db);
    for (const SchemaTable &table : schemaTables())
        EXPECT_EQ(rowCount(db, table.name), first[table.name]) << table.name.toStdString();
    EXPECT_EQ(first[u"Mese"_qs], 12); // reference rows there to be duplicated
}

// A database made by an earlier version gets the columns it lacks; its rows stay.
TEST_P(Schema, AddsMissingColumnsToAnExistingTable)
{
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Iva (IDIva INTEGER NOT NULL PRIMARY KEY, Iva VARCHAR(10))"_qs);
    db.executeRaw(u"INSERT INTO Iva (IDIva, Iva) VALUES (22, '22')"_qs);
    db.executeRaw(engine() == Engine::Sqlite
                      ? u"CREATE TABLE ContatoreIva (IDContatoreIva INTEGER NOT NULL PRIMARY KEY, Imponibile REAL, "
                        u"Importo REAL, Anno SMALLINT)"_qs
                      : u"CREATE TABLE ContatoreIva (IDContatoreIva INTEGER NOT NULL PRIMARY KEY, "
                        u"Imponibile NUMERIC(19,4), Importo NUMERIC(19,4), Anno SMALLINT)"_qs);
    const char *const before[] = {"1234.56", "0.1 + 0.2", "-0.01", "100", "NULL"};
    for (int k = 0; k < 5; ++k)
        db.executeRaw(QStringLiteral("INSERT INTO ContatoreIva (IDContatoreIva, Imponibile, Importo, Anno) "
                                     "VALUES (%1, %2, %2, 2024)")
                          .arg(k + 1)
                          .arg(QLatin1String(before[k])));
    createSchema(db);
    auto decimal = [](const QVariant &v) { // "0.3000" -> "0.3"
        QString s = v.toString();
        while (s.contains(u'.') && (s.endsWith(u'0') || s.endsWith(u'.')))
            s.chop(1);
        return s;
    };
    QStringList after;
    for (Recordset c = db.openRecordset(u"SELECT Imponibile FROM ContatoreIva WHERE Anno = 2024 AND "
                                        u"Importo IS NOT NULL ORDER BY Importo"_qs);
         !c.eof(); c.moveNext())
        after << decimal(c.field(0));
    EXPECT_EQ(after.join(u' ').toStdString(), "-0.01 0.3 100 1234.56");
    EXPECT_EQ(decimal(db.scalar(u"SELECT SUM(Importo) FROM ContatoreIva"_qs)), u"1334.85"_qs);
    if (engine() == Engine::Sqlite)
        EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'ContatoreIva'"_qs)
                      .toInt(),
                  2);
    Recordset rs =
        db.openRecordset(u"SELECT Iva, AliquotaIva, NoCalcoloProRata, VirtualDelete FROM Iva WHERE IDIva = 22"_qs);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.text(u"Iva"_qs), u"22"_qs);
    EXPECT_TRUE(rs.isNull(u"AliquotaIva"_qs));
    EXPECT_EQ(rs.integer(u"NoCalcoloProRata"_qs), 0);
    EXPECT_EQ(rs.integer(u"VirtualDelete"_qs), 0);
}

// A table of the same name with another key is not ours: the schema stops with a message
// naming it, and nothing of the run remains.
TEST_P(Schema, StopsWithoutChangesOnAForeignTable)
{
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Mese (Codice INTEGER)"_qs);
    try {
        createSchema(db);
        FAIL() << "a foreign Mese table was accepted";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(u"Mese"_qs)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(u"IDMese"_qs)) << e.message().toStdString();
    }
    EXPECT_THROW(db.scalar(u"SELECT COUNT(*) FROM PeriodoIva"_qs), DbError); // created earlier in the run, rolled back
    EXPECT_EQ(rowCount(db, u"Mese"_qs), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Schema);

} // namespace
