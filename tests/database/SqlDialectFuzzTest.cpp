// The dialect translator on random text: whatever it is given (half statements, unclosed
// quotes and brackets, stray operators, any Unicode), it answers, on both engines, without
// crashing, hanging or blowing the text up. Fixed seed, a bounded number of texts.

#include "database/SqlDialect.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <random>

using namespace liqiva;

namespace {

// Pieces the translator reacts to, and pieces it must pass through.
const QStringList pieces = {
    u"SELECT "_qs,
    u"FROM "_qs,
    u"WHERE "_qs,
    u"ISNULL("_qs,
    u"isnull ("_qs,
    u"CONVERT(varchar(12),"_qs,
    u"Str("_qs,
    u"DATEPART(year,"_qs,
    u"DATEPART(yy, "_qs,
    u"year("_qs,
    u"+"_qs,
    u" + "_qs,
    u"'"_qs,
    u"''"_qs,
    u"'testo'"_qs,
    u"\""_qs,
    u"["_qs,
    u"]"_qs,
    u"("_qs,
    u")"_qs,
    u","_qs,
    u"."_qs,
    u"*"_qs,
    u" UNION "_qs,
    u" ORDER BY "_qs,
    u" DESC"_qs,
    u" ASC"_qs,
    u" AS "_qs,
    u"AS 'alias'"_qs,
    u"set dateformat mdy"_qs,
    u"set"_qs,
    u"dateformat"_qs,
    u"A.X"_qs,
    u"T"_qs,
    u"1.5"_qs,
    u"12"_qs,
    u" "_qs,
    u"\t"_qs,
    u"\n"_qs,
    u"\r\n"_qs,
    u"<>"_qs,
    u"||"_qs,
    u"-- "_qs,
    u"/*"_qs,
    u"*/"_qs,
    u";"_qs,
    u"à"_qs,
    u"€"_qs,
    u"²"_qs,
    u"١"_qs,
    u"ı"_qs,
    u"@p"_qs,
    u"_x"_qs,
};

QString randomText(std::mt19937 &rng)
{
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> choice(0, int(pieces.size()) + 3);
    std::uniform_int_distribution<int> anyChar(1, 0xFFFF);
    QString s;
    const int n = length(rng);
    for (int k = 0; k < n; ++k) {
        const int c = choice(rng);
        if (c < pieces.size())
            s += pieces[c];
        else // any UTF-16 unit, lone surrogate halves included
            s += QChar(char16_t(anyChar(rng)));
    }
    return s;
}

// Whether the translator has anything to do with a text (otherwise it must pass unchanged).
bool hasTrigger(const QString &s)
{
    const QString l = s.toLower();
    for (const char *w : {"isnull", "convert", "str", "datepart", "year", "union", "order", "dateformat", "+", "'"})
        if (l.contains(QLatin1String(w)))
            return true;
    return false;
}

TEST(SqlDialectFuzz, AnswersEveryRandomText)
{
    std::mt19937 rng(20240607);
    int unchanged = 0;
    for (int round = 0; round < 30000; ++round) {
        const QString in = randomText(rng);
        for (Engine engine : {Engine::Sqlite, Engine::Postgres}) {
            const QString out = translateSql(in, engine);
            SCOPED_TRACE(in.toStdString());
            // Every rewrite is a bounded growth of the text it replaces.
            ASSERT_LE(out.size(), 20 * in.size() + 64);
            ASSERT_EQ(translateSql(in, engine), out) << "not the same answer twice";
            if (!hasTrigger(in)) {
                ASSERT_EQ(out, in);
                ++unchanged;
            }
        }
    }
    EXPECT_GT(unchanged, 100); // the property above was really exercised
}

// Nesting far deeper than any statement of the program: the translator works through
// brackets and calls by recursion, which must not run out of stack.
TEST(SqlDialectFuzz, DeepNestingIsAnswered)
{
    const struct {
        const char *label;
        QString open;
        QString close;
    } shapes[] = {
        {"brackets", u"("_qs, u")"_qs},
        {"ISNULL calls", u"ISNULL("_qs, u", 0)"_qs},
        {"CONVERT calls with +", u"'a' + CONVERT(varchar(12), "_qs, u")"_qs},
        {"unclosed brackets", u"("_qs, QString()},
    };
    for (const auto &shape : shapes) {
        SCOPED_TRACE(shape.label);
        const int depth = 100000;
        const QString in = u"SELECT "_qs + shape.open.repeated(depth) + u"X"_qs + shape.close.repeated(depth) +
                           u" FROM T UNION SELECT 1 FROM T ORDER BY T.X"_qs;
        for (Engine engine : {Engine::Sqlite, Engine::Postgres}) {
            const QString out = translateSql(in, engine);
            EXPECT_GE(out.size(), in.size() / 2);
            EXPECT_LE(out.size(), 20 * in.size() + 64);
        }
    }
}

// Nesting as deep as a statement may reasonably be is still translated all the way in.
TEST(SqlDialectFuzz, NestingWithinReasonIsTranslated)
{
    for (int depth : {1, 10, 150}) {
        SCOPED_TRACE(depth);
        const QString in =
            u"SELECT "_qs + u"ISNULL("_qs.repeated(depth) + u"X"_qs + u", 0)"_qs.repeated(depth) + u" FROM T"_qs;
        for (Engine engine : {Engine::Sqlite, Engine::Postgres}) {
            const QString out = translateSql(in, engine);
            EXPECT_EQ(out.count(u"COALESCE("_qs), depth);
            EXPECT_FALSE(out.contains(u"ISNULL"_qs));
        }
    }
}

} // namespace
