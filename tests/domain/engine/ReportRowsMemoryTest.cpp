// The report rows as kept in memory must be what the table gives back once they are written:
// the lead builds the on-screen report from memory instead of reading the rows again.

#include "database/SqlValue.h"
#include "domain/engine/ReportRows.h"
#include "support/EngineFixture.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class ReportRowsMemory : public EngineFixtureTest {};

Money amount(const char *text)
{
    return *Money::parse(QString::fromLatin1(text));
}

TEST_P(ReportRowsMemory, ReadBackEqualsMemoryInEveryColumn)
{
    const int c = f->company();
    const int p = f->vatYear(c, 2024);
    const int a = f->activity(c);
    f->activityYear(a, p, {0});
    const int v22 = f->vatCode(u"Aliquota 22%"_qs, 22);
    const int v10 = f->vatCode(u"Aliquota 10%"_qs, 10);
    const int v4 = f->vatCode(u"Aliquota 4%"_qs, 4);
    const int s = f->settlement(a, p, 3);

    ReportRows rows;
    const auto &buy = ReportRows::purchasePairs();
    const auto &sell = ReportRows::salesPairs();
    // v4 first: ids() is in the order of the codes, not of the puts.
    rows.put(v4, u"DescrizioneIvaAcquisti"_qs, u"Aliquota 4%"_qs, buy[1].taxableColumn, amount("0.01"),
             buy[1].vatColumn, amount("-0.0001"));
    rows.put(v22, u"DescrizioneIvaAcquisti"_qs, u"Aliquota 22%"_qs, buy[0].taxableColumn, amount("900000000000.01"),
             buy[0].vatColumn, amount("198000000000.0022"));
    rows.closeSection(ReportSection::Purchases);
    // v10 appears with the sales: its purchase columns stay NULL; a split-payment pair is never zeroed.
    rows.put(v10, u"DescrizioneIvaVendite"_qs, u"Aliquota 10%"_qs, sell[11].taxableColumn, amount("800"),
             sell[11].vatColumn, amount("80"));
    rows.put(v22, u"DescrizioneIvaVendite"_qs, u"Aliquota 22%"_qs, sell[0].taxableColumn, amount("12345.6789"),
             sell[0].vatColumn, amount("-2716.05"));
    rows.closeSection(ReportSection::Sales);
    rows.put(v10, u"DescrizioneIvaCorr"_qs, u"Aliquota 10%"_qs, u"ImpCorr"_qs, amount("999999999999.9999"),
             u"IvaCorrispettivi"_qs, amount("100"));
    rows.closeSection(ReportSection::Receipts);
    rows.setValue(v4, u"DescrizioneIvaCorrDaVentilare"_qs, u"Aliquota 4%"_qs);
    rows.setValue(v4, u"PercRipCorrDaVentilare"_qs, QVariant::fromValue(amount("33.3333")));
    rows.closeSection(ReportSection::Ventilation);

    EXPECT_EQ(rows.ids(), (QList<int>{v22, v10, v4}));
    EXPECT_EQ(rows.insert(t->db(), s), 3);
    EXPECT_TRUE(rows.value(v10, u"ImpAltriAcquisti"_qs).isNull());
    EXPECT_EQ(rows.value(v10, u"VenditeImp"_qs).value<Money>(), Money());
    EXPECT_EQ(rows.value(v22, u"ImpAcquisti"_qs).value<Money>(), amount("900000000000.01"));

    for (int idIva : rows.ids()) {
        for (const QString &column : ReportRows::allColumns()) {
            SCOPED_TRACE((QString::number(idIva) + u' ' + column).toStdString());
            const QVariant memory = rows.value(idIva, column);
            const QVariant stored = t->db().scalar(u"SELECT "_qs + column +
                                                       u" FROM RigaReportLiquidazioneIva WHERE "
                                                       u"IDRisultatoLiquidazioneIva = ? AND IDIva = ?"_qs,
                                                   {sqlValue(s), sqlValue(idIva)});
            ASSERT_EQ(memory.isNull(), stored.isNull());
            if (memory.isNull())
                continue;
            if (memory.metaType() == QMetaType::fromType<Money>())
                EXPECT_EQ(memory.value<Money>(), Money::fromVariant(stored));
            else
                EXPECT_EQ(memory.toString(), stored.toString());
        }
    }
}

// A rebuild's rows replace the old ones in as many statements as they need (100 rows each),
// then run what follows them: on PostgreSQL the first and the last statements carry the
// DELETE and the header's UPDATE.
TEST_P(ReportRowsMemory, ReplacingLeavesOnlyTheNewRowsWithDistinctKeys)
{
    const int c = f->company();
    const int p = f->vatYear(c, 2024);
    const int a = f->activity(c);
    f->activityYear(a, p, {0});
    const int s = f->settlement(a, p, 3);
    std::vector<int> codes;
    for (int k = 0; k < 250; ++k)
        codes.push_back(f->vatCode(QStringLiteral("Codice %1").arg(k), 22));

    const int steps[] = {3, 250, 120, 0, 101}; // rows of each rebuild, one after the other
    int round = 0;
    for (const int n : steps) {
        SCOPED_TRACE(n);
        ReportRows rows;
        for (int k = 0; k < n; ++k)
            rows.put(codes[size_t(k)], u"DescrizioneIvaVendite"_qs, u"Codice"_qs, u"VenditeImp"_qs, amount("1.01"),
                     u"VenditeIva"_qs, amount("0.22"));
        ++round;
        const SqlStatement then(u"UPDATE RisultatoLiquidazioneIva SET IDUtenteUltimaVariazione = ? "
                                u"WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                                {QVariant(100 + round), sqlValue(s)});
        EXPECT_EQ(rows.replace(t->db(), s, then), n);
        const QString sql = u"SELECT COUNT(*), COUNT(DISTINCT IDRigaReportLiquidazioneIva), SUM(VenditeImp) FROM "
                            u"RigaReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs;
        Recordset rs = t->db().openRecordset(sql, {sqlValue(s)});
        EXPECT_EQ(rs.field(0).toInt(), n);
        EXPECT_EQ(rs.field(1).toInt(), n);
        EXPECT_EQ(Money::fromVariant(rs.field(2)), amount("1.01") * static_cast<long long>(n));
        rs.close();
        EXPECT_EQ(t->db()
                      .scalar(u"SELECT IDUtenteUltimaVariazione FROM RisultatoLiquidazioneIva WHERE "
                              u"IDRisultatoLiquidazioneIva = ?"_qs,
                              {sqlValue(s)})
                      .toInt(),
                  100 + round);
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ReportRowsMemory);

} // namespace
