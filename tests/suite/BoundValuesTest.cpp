#include "database/Connection.h"
#include "database/DbError.h"
#include "database/Schema.h"
#include "database/SqlValue.h"
#include "suite/Money.h"
#include "support/TestDatabase.h"

#include <cmath>
#include <limits>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class BoundValues : public EngineTest {};

// Every kind of value the program binds goes in and comes back exactly on both engines, a
// text that looks like SQL included, amounts to the last decimal up to the largest one an
// amount holds; amounts beyond a currency column are refused before the statement runs. The
// amounts also add, compare and sort by value in the engine.
TEST_P(BoundValues, ComeBackExactly)
{
    auto t = TestDatabase::create(engine());
    Connection &db = t->db();
    db.executeRaw(translateSchemaStatement(
        u"CREATE TABLE Prova (IDProva KEY, Testo TEXT(255), Importo MONEY, Data DATETIME)"_qs, engine()));
    const Money largest = Money::fromRaw(std::numeric_limits<long long>::max());
    const QDateTime when(QDate(2024, 3, 31), QTime(8, 5, 0));
    struct {
        QVariant text, amount, date;
        const char *amountText;
    } cases[] = {
        {u"l'IVA"_qs, sqlValue(Money::parse(u"1234.5678"_qs).value()), when, "1234.5678"},
        {u"a\\b \"c\" ''; DROP TABLE Prova; --"_qs, sqlValue(-0.01), QDate(2024, 12, 31), "-0.01"},
        {u"? $1 :x %s"_qs, sqlValue(0.1 + 0.2), QVariant(), "0.3"},
        {QVariant(), sqlValue(999999999999.99), when, "999999999999.99"},
        {u"èà€ \U0001F600"_qs, QVariant(), when, ""},
        {u"a"_qs, sqlValue(Money::parse(u"900000000000.01"_qs).value()), QVariant(), "900000000000.01"},
        {u"b"_qs, sqlValue(Money::parse(u"-900000000000.0001"_qs).value()), QVariant(), "-900000000000.0001"},
        {u"c"_qs, sqlValue(largest), QVariant(), "922337203685477.5807"},
        {u"d"_qs, sqlValue(-largest), QVariant(), "-922337203685477.5807"},
        {u"e"_qs, sqlValue(Money::parse(u"100"_qs).value()), QVariant(), "100"},
    };
    int key = 0;
    for (const auto &c : cases) {
        db.execute(u"INSERT INTO Prova (IDProva, Testo, Importo, Data) VALUES (?, ?, ?, ?)"_qs,
                   {++key, c.text, c.amount, c.date});
        Recordset rs = db.openRecordset(u"SELECT Testo, Importo, Data FROM Prova WHERE IDProva = ? AND "
                                        u"(Testo = ? OR Testo IS NULL)"_qs,
                                        {key, c.text});
        ASSERT_FALSE(rs.eof()) << key;
        EXPECT_EQ(rs.field(u"Testo"_qs).isNull(), c.text.isNull()) << key;
        EXPECT_EQ(rs.text(u"Testo"_qs), c.text.toString()) << key;
        if (c.amount.isNull())
            EXPECT_TRUE(rs.isNull(u"Importo"_qs)) << key;
        else
            EXPECT_EQ(Money::fromVariant(rs.field(u"Importo"_qs)).toString().toStdString(), c.amountText) << key;
        EXPECT_EQ(rs.isNull(u"Data"_qs), c.date.isNull()) << key;
    }
    // Dates compare as dates: the rows of March.
    EXPECT_EQ(
        db.scalar(u"SELECT COUNT(*) FROM Prova WHERE Data >= ? AND Data < ?"_qs, {QDate(2024, 3, 1), QDate(2024, 4, 1)})
            .toInt(),
        3);
    // Sorted, compared and added by value, exactly.
    QStringList order;
    for (Recordset rs = db.openRecordset(u"SELECT Importo FROM Prova WHERE Importo IS NOT NULL ORDER BY Importo"_qs);
         !rs.eof(); rs.moveNext())
        order << Money::fromVariant(rs.field(0)).toString();
    EXPECT_EQ(order.join(u' ').toStdString(), "-922337203685477.5807 -900000000000.0001 -0.01 0.3 100 1234.5678 "
                                              "900000000000.01 999999999999.99 922337203685477.5807");
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM Prova WHERE Importo > ?"_qs, {sqlValue(Money::units(100))}).toInt(), 4);
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM Prova WHERE Importo < 0"_qs).toInt(), 3);
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM Prova WHERE Importo = ?"_qs, {sqlValue(0.3)}).toInt(), 1);
    struct {
        const char *where;
        const char *sum;
    } sums[] = {
        {"IDProva IN (6, 7)", "0.0099"},
        {"IDProva IN (6, 10)", "900000000100.01"},
        {"IDProva IN (8, 9, 1)", "1234.5678"},
        {"IDProva IN (1, 2, 3)", "1234.8578"},
        {"IDProva = 5", "0"},
    };
    for (const auto &c : sums)
        EXPECT_EQ(Money::fromVariant(
                      db.scalar(u"SELECT ISNULL(SUM(Importo), 0) FROM Prova WHERE "_qs + QLatin1String(c.where)))
                      .toString()
                      .toStdString(),
                  c.sum)
            << c.where;
    for (double v : {1e15, -1e15, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_THROW(sqlValue(v), DbError) << v;
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(BoundValues);

} // namespace
