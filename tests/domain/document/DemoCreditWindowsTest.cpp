// The demo's compensable credits of 2023 (company 1, entered by hand): a bookkeeper who opens
// "Utilizzo crediti IVA" from a 2023 settlement finds credits to use, month by month, while the
// annual settlement still carries the 2,850.00 of January whole; on both engines.

#include "domain/document/DocumentCredits.h"
#include "domain/engine/Amounts.h"
#include "support/DemoDocumentTest.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

constexpr int Shop = 1;       // monthly
constexpr int Wholesaler = 2; // quarterly
constexpr int Year2023 = 1;

class DemoCreditWindows : public DemoDocumentTest {};

TEST_P(DemoCreditWindows, TheCreditsOf2023AreThereToUseAndTheYearKeepsItsCredit)
{
    struct Case {
        const char *what;
        int activity, month;
        Money annualBefore, infraBefore;       // left at the end of the month before the period
        Money annualAvailable, infraAvailable; // with the period's own movements
    } cases[] = {
        {"shop, February", Shop, 2, Money::units(2850), Money(), Money::units(2850), Money()},
        // 1,200 used in F24 in March; the infra-annual credit of April, 800 of it used in May.
        {"shop, May", Shop, 5, Money::units(1650), Money::units(3500), Money::units(1650), Money::units(2700)},
        // 1,500 of the infra-annual credit asked back in October.
        {"wholesaler, last quarter", Wholesaler, 12, Money::units(1650), Money::units(2700), Money::units(1650),
         Money::units(1200)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto doc = open(c.activity, c.month, 0, 1, Year2023);
        auto use = makeCreditUse(*doc);
        ASSERT_EQ(use->groupCount(), 2);
        EXPECT_EQ(use->group(0).residuoPrecedente, c.annualBefore);
        EXPECT_EQ(use->group(1).residuoPrecedente, c.infraBefore);
        EXPECT_EQ(use->group(0).disponibile(), c.annualAvailable);
        EXPECT_EQ(use->group(1).disponibile(), c.infraAvailable);
        // What is there can be used in the settlement, and no more.
        use->setDaUtilizzare(0, c.annualAvailable);
        EXPECT_FALSE(use->IsValid().has_value());
        use->setDaUtilizzare(0, c.annualAvailable + Money::units(1));
        EXPECT_TRUE(use->IsValid().has_value());
    }
    // The movements after January net to nothing: the year carries January's credit.
    auto year = open(Shop, 0, 0, 1, Year2023);
    EXPECT_EQ(year->amounts().CreDimLiquiSucc(), Money::units(2850));
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DemoCreditWindows);

} // namespace
