#include "database/Connection.h"
#include "database/DbError.h"
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
// text that looks like SQL included; amounts beyond a currency column are refused before
// the statement runs.
TEST_P(BoundValues, ComeBackExactly)
{
    auto t = TestDatabase::create(engine());
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Prova (IDProva INTEGER NOT NULL PRIMARY KEY, Testo VARCHAR(255), "
                  u"Importo NUMERIC(19,4), Data TIMESTAMP)"_qs);
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
    for (double v : {1e15, -1e15, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_THROW(sqlValue(v), DbError) << v;
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(BoundValues);

} // namespace
