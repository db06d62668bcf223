#include "domain/document/PaymentCodes.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The demo's banks: Abi 1 "05034" (branches 1 "10900", 2 "01600"), 2 "08453" (3 "33400"),
// 3 "06230" (4 "01602", 5 "11100"); collection agents 1-3 with the codes 69, 32, 36.
class PaymentCodes : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }
    std::unique_ptr<TestDatabase> t;
};

TEST_P(PaymentCodes, SearchListsInCodeOrderWithTheirHeadings)
{
    struct {
        CodeSearch search;
        const char *title;
        QStringList headings;
        QStringList codes;
        QString firstDescription;
    } lists[] = {
        {abiSearch(),
         "Ricerca codice ABI",
         {u"Abi"_qs, u"Banca"_qs},
         {u"05034"_qs, u"06230"_qs, u"08453"_qs},
         u"Banca Popolare del Lario"_qs},
        {cabSearch(3),
         "Ricerca codice CAB",
         {u"Cab"_qs, u"Dipendenza"_qs},
         {u"01602"_qs, u"11100"_qs},
         u"Milano - Piazza Duomo"_qs},
        {cabSearch(99), "Ricerca codice CAB", {u"Cab"_qs, u"Dipendenza"_qs}, {}, {}},
        {collectionAgentSearch(),
         "Ricerca codice concessionario",
         {u"Codice Concessione"_qs, u"Concessionario Esattoriale"_qs},
         {u"32"_qs, u"36"_qs, u"69"_qs},
         {}},
    };
    for (const auto &l : lists) {
        EXPECT_EQ(l.search.title, QString::fromLatin1(l.title));
        EXPECT_EQ(l.search.headings, l.headings) << l.title;
        const std::vector<CodeSearchRow> rows = runSearch(t->db(), l.search);
        QStringList codes;
        for (const CodeSearchRow &r : rows) {
            codes << r.code;
            EXPECT_GT(r.key, 0);
            EXPECT_EQ(r.values.size(), l.headings.size());
        }
        EXPECT_EQ(codes, l.codes) << l.title;
        if (!l.firstDescription.isEmpty())
            EXPECT_EQ(rows.front().values.value(1), l.firstDescription) << l.title;
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(PaymentCodes);

} // namespace
