#include "domain/engine/Amounts.h"
#include "support/DemoDocumentTest.h"
#include "support/EngineFixture.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class DemoSettlement : public DemoDocumentTest {};

// March 2024 of the retail shop (monthly, receipts and receipts split by rate), worked out
// by hand from the demo's counters:
//  sales invoices 762.78 + with receipts 256.45 + with receipts to split 142.72 = 1161.95;
//  receipts by rate, split from the gross: 3363.32 + 446.93 + 47.95 = 3858.20;
//  receipts to split 14799.29 over the goods bought January-March (68816.56, 16535.57,
//  4228.54 of 89580.67): shares 76.82 / 18.46 (takes the hundredth: remainder 889) / 4.72,
//  gross 11368.81 / 2731.95 / 698.53, VAT 2050.11 + 248.36 + 26.87 = 2325.34;
//  VAT on sales 7345.49; deductible purchases 834.54 + 4982.91 = 5817.45 (undeductible
//  96.56 + 40.14 left out); to pay 1528.04.
TEST_P(DemoSettlement, MarchOfTheShopToTheCent)
{
    auto doc = open(1, 3);
    struct {
        const char *column;
        double expected;
    } totals[] = {
        {"TotVenditeComplessivoIva", 1161.95}, {"TotCorrIva", 3858.20},         {"TotCorrImp", 20955.95},
        {"TotCorrDaVentilareIva", 2325.34},    {"TotCorrDaVentilareImportoLordo", 14799.29},
        {"TotCorrDaVentilarePercRip", 100},    {"TotIvaSuVendite", 7345.49},    {"TotAcquistiIva", 5817.45},
        {"IvaAcquistiConIvaIndetraibile", 136.70}, {"TotIvaDebito", 7345.49},   {"TotIvaCredito", 5817.45},
        {"TotDebito", 1528.04},
    };
    EngineFixture f(db());
    for (const auto &c : totals)
        f.expectHeader(doc->key(), c.column, c.expected);
    f.expectHeader(doc->key(), "TotCredito", std::nullopt);

    struct {
        int idIva;
        double perc, gross, vat;
    } split[] = {{1, 76.82, 11368.81, 2050.11}, {2, 18.46, 2731.95, 248.36}, {4, 4.72, 698.53, 26.87}};
    for (const auto &s : split) {
        SCOPED_TRACE(s.idIva);
        f.expectRow(doc->key(), s.idIva, "PercRipCorrDaVentilare", s.perc);
        f.expectRow(doc->key(), s.idIva, "ImpLordoCorrDaVentilare", s.gross);
        f.expectRow(doc->key(), s.idIva, "IvaCorrDaVentilare", s.vat);
    }

    const DeclarationGrid &g = doc->declaration();
    EXPECT_DOUBLE_EQ(g.debit(DeclarationGrid::IvaEsigibile).toDouble(), 7345.49);
    EXPECT_DOUBLE_EQ(g.credit(DeclarationGrid::IvaDetratta).toDouble(), 5817.45);
    EXPECT_DOUBLE_EQ(g.debit(DeclarationGrid::IvaDovutaCreditoPeriodo).toDouble(), 1528.04);
    EXPECT_DOUBLE_EQ(g.result().toDouble(), -1528.04);
    EXPECT_DOUBLE_EQ(doc->importoDaVersare().toDouble(), 1528.04);
    EXPECT_DOUBLE_EQ(doc->creditoResiduo().toDouble(), 0);
    EXPECT_EQ(doc->lblPeriodo(), u"Periodo: Marzo 2024"_qs);
    EXPECT_EQ(doc->lblTipoLiquidazione(), u"Tipo liquidazione: Mensile"_qs);
    EXPECT_TRUE(doc->showReceipts());
    EXPECT_TRUE(doc->showReceiptsToSplit());
    // the grids: one line per VAT code with amounts, then the totals
    const DetailGrid *receipts = doc->report().grid(QString::fromLatin1(Grid::Corrispettivi));
    ASSERT_NE(receipts, nullptr);
    ASSERT_EQ(receipts->lines.size(), 4u);
    EXPECT_EQ(receipts->lines.back().description, u"Totale corrispettivi:"_qs);
    EXPECT_NEAR(receipts->lines.back().amounts.at(1).value_or(Money()).toDouble(), 3858.20, 0.00001);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DemoSettlement);

} // namespace
