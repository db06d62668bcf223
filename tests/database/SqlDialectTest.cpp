#include "database/SqlDialect.h"

#include <gtest/gtest.h>

using namespace liqiva;

namespace {

struct Case {
    const char *in;
    const char *sqlite;
    const char *postgres;
};

TEST(SqlDialect, TranslatesTheSuiteConstructs)
{
    const Case cases[] = {
        {"SELECT ISNULL(SUM(Importo), 0) FROM T", "SELECT COALESCE(SUM(Importo), 0) FROM T",
         "SELECT COALESCE(SUM(Importo), 0) FROM T"},
        {", CONVERT(varchar(12),R.IDMese) + ' - ' + CONVERT(varchar(12),P.Anno) AS Periodo",
         ", CAST(R.IDMese AS TEXT) || ' - ' || CAST(P.Anno AS TEXT) AS Periodo",
         ", CAST(R.IDMese AS TEXT) || ' - ' || CAST(P.Anno AS TEXT) AS Periodo"},
        {", Str(R.IDMese) + ' - ' + Str(P.Anno) AS Periodo",
         ", CAST(R.IDMese AS TEXT) || ' - ' || CAST(P.Anno AS TEXT) AS Periodo",
         ", CAST(R.IDMese AS TEXT) || ' - ' || CAST(P.Anno AS TEXT) AS Periodo"},
        // numbers keep their '+'
        {"SELECT SUM(Imponibile) + SUM(Importo) FROM T", "SELECT SUM(Imponibile) + SUM(Importo) FROM T",
         "SELECT SUM(Imponibile) + SUM(Importo) FROM T"},
        {"SELECT DATEPART(year, D) FROM T WHERE year(D) = 2024",
         "SELECT CAST(strftime('%Y', D) AS INTEGER) FROM T WHERE CAST(strftime('%Y', D) AS INTEGER) = 2024",
         "SELECT CAST(EXTRACT(YEAR FROM D) AS INTEGER) FROM T WHERE CAST(EXTRACT(YEAR FROM D) AS INTEGER) = 2024"},
        {"SELECT SUM(Imponibile) AS 'Imponibile', 0 AS Acqu FROM T",
         "SELECT SUM(Imponibile) AS \"Imponibile\", 0 AS Acqu FROM T",
         "SELECT SUM(Imponibile) AS \"Imponibile\", 0 AS Acqu FROM T"},
        // PostgreSQL is told to sort NULLs as the suite's engines do
        {"SELECT A.X FROM A UNION SELECT B.X FROM B ORDER BY A.X, B.Y DESC",
         "SELECT A.X FROM A UNION SELECT B.X FROM B ORDER BY X, Y DESC",
         "SELECT A.X FROM A UNION SELECT B.X FROM B ORDER BY X NULLS FIRST, Y DESC NULLS LAST"},
        // ORDER BY without a union keeps its qualified names
        {"SELECT A.X FROM A ORDER BY A.X", "SELECT A.X FROM A ORDER BY A.X",
         "SELECT A.X FROM A ORDER BY A.X NULLS FIRST"},
        // texts are never touched, quotes doubled inside stay
        {"SELECT 'ISNULL(a) + Str(b) it''s' FROM T", "SELECT 'ISNULL(a) + Str(b) it''s' FROM T",
         "SELECT 'ISNULL(a) + Str(b) it''s' FROM T"},
        {"set dateformat mdy", "", "SET DateStyle TO 'ISO, MDY'"},
        // nested: a concatenation inside ISNULL
        {"SELECT ISNULL(Str(a) + '-', '') FROM T", "SELECT COALESCE(CAST(a AS TEXT) || '-', '') FROM T",
         "SELECT COALESCE(CAST(a AS TEXT) || '-', '') FROM T"},
        // on PostgreSQL the sort order of NULLs is stated in the statement's own ORDER BY only:
        // an ORDER BY inside parentheses or a text is left alone, commas inside a call do not
        // split an item
        {"SELECT a FROM T WHERE b IN (SELECT c FROM U ORDER BY c) AND d = ')' ORDER BY a, b DESC",
         "SELECT a FROM T WHERE b IN (SELECT c FROM U ORDER BY c) AND d = ')' ORDER BY a, b DESC",
         "SELECT a FROM T WHERE b IN (SELECT c FROM U ORDER BY c) AND d = ')' ORDER BY a NULLS FIRST, b DESC NULLS "
         "LAST"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(translateSql(QString::fromUtf8(c.in), Engine::Sqlite).toStdString(), c.sqlite) << c.in;
        EXPECT_EQ(translateSql(QString::fromUtf8(c.in), Engine::Postgres).toStdString(), c.postgres) << c.in;
    }
}

// Most statements hold nothing to translate and are handed on as they are; these come close
// (the suite's words inside longer names, texts and quoted names, a '+' only in a text, an AS
// before a quoted name) and must come out unchanged, every space and line break kept.
TEST(SqlDialect, StatementsWithNothingToTranslateComeOutUnchanged)
{
    const char *unchanged[] = {
        "SELECT IDIva, SUM(Importo) AS IVA FROM ContatoreIva WHERE Anno IN (SELECT Anno FROM PeriodoIva WHERE "
        "IDPeriodoIva = 2) AND (IDMese > 0 AND IDMese <= 3) GROUP BY IDIva",
        "SELECT IsNullable, YearEnd, Strada, Converted, OrderNo, Unioni FROM T",
        "SELECT 'ISNULL(a) + year(b) ORDER BY x' FROM T WHERE Nome = 'l''anno + 1'",
        "SELECT [year], \"isnull\", [a+b] FROM T",
        "SELECT SUM(x) AS \"Imponibile\" FROM T",
        "SELECT a\n\tFROM  T\r\n WHERE b = 1.50 AND c <> -2",
        "UPDATE T SET a = NULLIF(a, 0), b = NULL WHERE k = 7",
        "SELECT MAX (IDT ) FROM T",
        "",
    };
    for (const char *sql : unchanged)
        for (Engine e : {Engine::Sqlite, Engine::Postgres})
            EXPECT_EQ(translateSql(QString::fromUtf8(sql), e).toStdString(), sql) << sql;
}

} // namespace
