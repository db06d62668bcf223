#include "startup/database/SqlDialect.h"

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
        {", Str(R.IDMese) + ' - ' + Str(P.Anno) AS Periodo", ", CAST(R.IDMese AS TEXT) || ' - ' || CAST(P.Anno AS TEXT) AS Periodo",
         ", CAST(R.IDMese AS TEXT) || ' - ' || CAST(P.Anno AS TEXT) AS Periodo"},
        // numbers keep their '+'
        {"SELECT SUM(Imponibile) + SUM(Importo) FROM T", "SELECT SUM(Imponibile) + SUM(Importo) FROM T",
         "SELECT SUM(Imponibile) + SUM(Importo) FROM T"},
        {"SELECT a + 1, 'x' + b FROM T", "SELECT a + 1, 'x' || b FROM T", "SELECT a + 1, 'x' || b FROM T"},
        {"SELECT DATEPART(year, D) FROM T WHERE year(D) = 2024",
         "SELECT CAST(strftime('%Y', D) AS INTEGER) FROM T WHERE CAST(strftime('%Y', D) AS INTEGER) = 2024",
         "SELECT CAST(EXTRACT(YEAR FROM D) AS INTEGER) FROM T WHERE CAST(EXTRACT(YEAR FROM D) AS INTEGER) = 2024"},
        {"SELECT SUM(Imponibile) AS 'Imponibile', 0 AS Acqu FROM T", "SELECT SUM(Imponibile) AS \"Imponibile\", 0 AS Acqu FROM T",
         "SELECT SUM(Imponibile) AS \"Imponibile\", 0 AS Acqu FROM T"},
        // PostgreSQL is told to sort NULLs as the suite's engines do
        {"SELECT A.X FROM A UNION SELECT B.X FROM B ORDER BY A.X, B.Y DESC",
         "SELECT A.X FROM A UNION SELECT B.X FROM B ORDER BY X, Y DESC",
         "SELECT A.X FROM A UNION SELECT B.X FROM B ORDER BY X NULLS FIRST, Y DESC NULLS LAST"},
        // ORDER BY without a union keeps its qualified names
        {"SELECT A.X FROM A ORDER BY A.X", "SELECT A.X FROM A ORDER BY A.X", "SELECT A.X FROM A ORDER BY A.X NULLS FIRST"},
        {"SELECT X FROM A WHERE B IN (SELECT C FROM D ORDER BY C) ORDER BY COALESCE(X, 0) ASC",
         "SELECT X FROM A WHERE B IN (SELECT C FROM D ORDER BY C) ORDER BY COALESCE(X, 0) ASC",
         "SELECT X FROM A WHERE B IN (SELECT C FROM D ORDER BY C) ORDER BY COALESCE(X, 0) ASC NULLS FIRST"},
        // texts are never touched, quotes doubled inside stay
        {"SELECT 'ISNULL(a) + Str(b) it''s' FROM T", "SELECT 'ISNULL(a) + Str(b) it''s' FROM T",
         "SELECT 'ISNULL(a) + Str(b) it''s' FROM T"},
        {"set dateformat mdy", "", "SET DateStyle TO 'ISO, MDY'"},
        {"SELECT MAX (IDT ) FROM T", "SELECT MAX (IDT ) FROM T", "SELECT MAX (IDT ) FROM T"},
        {"WHERE IDIva NOT IN ( SELECT IDIva From Iva Where P = 0 OR P IS NULL)",
         "WHERE IDIva NOT IN ( SELECT IDIva From Iva Where P = 0 OR P IS NULL)",
         "WHERE IDIva NOT IN ( SELECT IDIva From Iva Where P = 0 OR P IS NULL)"},
        // nested: a concatenation inside ISNULL
        {"SELECT ISNULL(Str(a) + '-', '') FROM T", "SELECT COALESCE(CAST(a AS TEXT) || '-', '') FROM T",
         "SELECT COALESCE(CAST(a AS TEXT) || '-', '') FROM T"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(translateSql(QString::fromUtf8(c.in), Engine::Sqlite).toStdString(), c.sqlite) << c.in;
        EXPECT_EQ(translateSql(QString::fromUtf8(c.in), Engine::Postgres).toStdString(), c.postgres) << c.in;
    }
}

} // namespace
