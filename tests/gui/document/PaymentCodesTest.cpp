#include "domain/document/PaymentCodes.h"

#include "DialogTest.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The demo's banks: Abi 1 "05034" (branches 1 "10900", 2 "01600"), 2 "08453" (3 "33400"),
// 3 "06230" (4 "01602", 5 "11100"); collection agents 1-3 with the codes 69, 32, 36.
class PaymentCodes : public DialogTest {};

// Each search lists its codes in order; the branches are those of the bank chosen.
TEST_P(PaymentCodes, SearchListsInCodeOrder)
{
    struct {
        CodeSearch search;
        QStringList codes;
        QString firstDescription;
    } lists[] = {
        {abiSearch(), {u"05034"_qs, u"06230"_qs, u"08453"_qs}, u"Banca Popolare del Lario"_qs},
        {cabSearch(3), {u"01602"_qs, u"11100"_qs}, u"Milano - Piazza Duomo"_qs},
        {cabSearch(99), {}, {}},
        {collectionAgentSearch(), {u"32"_qs, u"36"_qs, u"69"_qs}, {}},
    };
    for (const auto &l : lists) {
        const std::vector<CodeSearchRow> rows = runSearch(db(), l.search);
        QStringList codes;
        for (const CodeSearchRow &r : rows)
            codes << r.code;
        EXPECT_EQ(codes, l.codes) << l.search.title.toStdString();
        if (!l.firstDescription.isEmpty())
            EXPECT_EQ(rows.front().values.value(1), l.firstDescription);
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(PaymentCodes);

} // namespace
