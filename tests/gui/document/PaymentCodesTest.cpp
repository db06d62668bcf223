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

TEST_P(PaymentCodes, TypedCodesFindTheirRows)
{
    struct {
        const char *abi;
        int idAbi; // 0: none
    } banks[] = {{"05034", 1}, {" 06230 ", 3}, {"0503", 0}, {"99999", 0}, {"", 0}, {"05'34", 0}};
    for (const auto &b : banks) {
        const std::optional<AbiCode> found = findAbi(t->db(), QString::fromLatin1(b.abi));
        EXPECT_EQ(found ? found->idAbi : 0, b.idAbi) << b.abi;
    }
    EXPECT_EQ(findAbi(t->db(), u"08453"_qs)->banca, u"Credito Cooperativo della Brianza"_qs);

    struct {
        int idAbi;
        const char *cab;
        int idCab;
    } branches[] = {{1, "01600", 2}, {1, "10900", 1}, {3, "01602", 4}, {2, "01600", 0}, // a branch of another bank
                    {0, "01600", 0},                                                    // no bank chosen
                    {1, "", 0},      {1, "1600", 0}};
    for (const auto &b : branches) {
        const std::optional<CabCode> found = findCab(t->db(), b.idAbi, QString::fromLatin1(b.cab));
        EXPECT_EQ(found ? found->idCab : 0, b.idCab) << b.idAbi << " " << b.cab;
    }
    EXPECT_EQ(findCab(t->db(), 3, u"11100"_qs)->dipendenza, u"Bergamo - Centro"_qs);

    struct {
        int code;
        int id;
    } agents[] = {{69, 1}, {32, 2}, {36, 3}, {70, 0}, {0, 0}, {-69, 0}, {100000, 0}};
    for (const auto &a : agents) {
        const std::optional<CollectionAgent> found = findCollectionAgent(t->db(), a.code);
        EXPECT_EQ(found ? found->idConcessionarioEsattoriale : 0, a.id) << a.code;
    }
}

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
