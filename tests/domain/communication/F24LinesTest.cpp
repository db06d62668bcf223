#include "domain/communication/F24Lines.h"

#include "support/MoneyText.h"

#include <gtest/gtest.h>

using namespace liqiva;
using namespace liqiva::test;

namespace {

struct Expected {
    const char *code;
    int year;
    const char *debit;
    const char *credit;
};

// Cases worked out by hand from the rules of the form (minimum periodic payment 100,00,
// minimum advance 103,29, balance not due up to 10,33, interest 1%).
TEST(F24Lines, ByHand)
{
    const struct {
        const char *name;
        int idMese;
        bool quarterly, byOption;
        const char *due;
        const char *creditUsed;
        std::vector<Expected> lines;
    } cases[] = {
        {"March, monthly", 3, false, false, "1528.04", "0", {{"6003", 2024, "1528.04", "0"}}},
        {"December, monthly", 12, false, false, "2724.88", "0", {{"6012", 2024, "2724.88", "0"}}},
        {"May under the minimum", 5, false, false, "80", "0", {}},
        {"May at the minimum: not above it", 5, false, false, "100", "0", {}},
        {"May a cent above the minimum", 5, false, false, "100.01", "0", {{"6005", 2024, "100.01", "0"}}},
        {"second quarter by option, interest inside", 6, true, true, "4360.70", "0", {{"6032", 2024, "4360.7", "0"}}},
        {"third quarter in credit", 9, true, true, "0", "0", {}},
        {"fourth quarter by option: VAT + 1% with the balance", 12, true, true, "6053.26", "0",
         {{"6099", 2024, "6113.79", "0"}}}, // 60.5326 -> 60.53
        {"fourth quarter by option, interest at the half cent", 12, true, true, "1000.50", "0",
         {{"6099", 2024, "1010.51", "0"}}}, // 10.005 -> 10.01
        {"fourth quarter of a special quarterly taxpayer", 12, true, false, "782.74", "0",
         {{"6034", 2024, "782.74", "0"}}},
        {"advance of a monthly activity", 13, false, false, "2294.64", "0", {{"6013", 2024, "2294.64", "0"}}},
        {"advance of a quarterly activity at the minimum", 13, true, true, "103.29", "0",
         {{"6035", 2024, "103.29", "0"}}},
        {"advance under the minimum", 13, true, true, "103.28", "0", {}},
        {"annual balance up to 10,33", 0, false, false, "10.33", "0", {}},
        {"annual balance", 0, true, false, "10.34", "0", {{"6099", 2024, "10.34", "0"}}},
        {"January with last year's credit in compensation", 1, false, false, "500", "300",
         {{"6001", 2024, "500", "0"}, {"6099", 2023, "0", "300"}}},
        {"a debt under the minimum, the credit still on its line", 2, false, false, "50", "120.5",
         {{"6099", 2023, "0", "120.5"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        F24Input in;
        in.anno = 2024;
        in.idMese = c.idMese;
        in.quarterly = c.quarterly;
        in.interestByOption = c.byOption;
        in.daVersare = m(c.due);
        in.creditoAnnualeCompensato = m(c.creditUsed);
        const std::vector<F24Line> lines = f24Lines(in);
        ASSERT_EQ(lines.size(), c.lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].codiceTributo, QString::fromLatin1(c.lines[i].code));
            EXPECT_EQ(lines[i].annoRiferimento, c.lines[i].year);
            EXPECT_EQ(lines[i].importoDebito.toString(), QString::fromLatin1(c.lines[i].debit));
            EXPECT_EQ(lines[i].importoCredito.toString(), QString::fromLatin1(c.lines[i].credit));
        }
    }
}

} // namespace
