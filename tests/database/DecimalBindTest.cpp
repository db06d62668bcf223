// An amount known by its count of ten-thousandths is bound without writing and reading back
// its text: what each engine receives must be exactly what the text alone would give it.

#include "database/SqlValue.h"

#include <gtest/gtest.h>

using namespace liqiva;

namespace {

TEST(DecimalBind, UnitsBindAsTheirTextWould)
{
    const struct {
        long long units;
        int scale;
        const char *text;
    } cases[] = {
        {0, 4, "0"},
        {1, 4, "0.0001"},
        {-1, 4, "-0.0001"},
        {5000, 4, "0.5"},
        {-5000, 4, "-0.5"},
        {10000, 4, "1"},
        {-1234567800, 4, "-123456.78"},
        {1000100, 4, "100.01"},
        // 15 significant digits: still a double, the nearest to the decimal
        {9999999999999990, 4, "999999999999.999"},
        {9000000000000100, 4, "900000000000.01"},
        // 16 and more: the text, a double would lose the cents
        {9999999999999999, 4, "999999999999.9999"},
        {9223372036854775807LL, 4, "922337203685477.5807"},
        {-9223372036854775807LL - 1, 4, "-922337203685477.5808"},
        {123456789012345678LL, 4, "12345678901234.5678"},
        {-50, 2, "-0.5"},
        {7, 0, "7"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const SqlDecimal d = SqlDecimal::fromUnits(c.units, c.scale);
        EXPECT_EQ(d.text, QString::fromLatin1(c.text));
        const QVariant byText = QVariant::fromValue(SqlDecimal{QString::fromLatin1(c.text)});
        for (Engine engine : {Engine::Sqlite, Engine::Postgres}) {
            const QVariant bound = sqlBindValue(QVariant::fromValue(d), engine);
            const QVariant expected = sqlBindValue(byText, engine);
            EXPECT_EQ(bound.metaType(), expected.metaType());
            EXPECT_EQ(bound, expected);
        }
    }
}

} // namespace
