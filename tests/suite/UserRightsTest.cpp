#include "suite/rights/UserRights.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class UserRightsTest : public EngineTest {};

TEST_P(UserRightsTest, FromGroupsAndFromTheUser)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    struct {
        int user;
        bool newSave, del, search, print;
    } cases[] = {
        {1, true, true, true, true},    // action 1 on object type 1 through a group: everything
        {2, false, false, true, false}, // only action 4: search and browse
        {3, true, true, false, true},   // no group: actions 2, 3, 5 granted directly
        {4, false, false, false, false},
    };
    for (const auto &c : cases) {
        const UserRights r = UserRights::read(t->db(), c.user, 1, 200);
        EXPECT_EQ(r.newSave(), c.newSave) << c.user;
        EXPECT_EQ(r.canDelete(), c.del) << c.user;
        EXPECT_EQ(r.search(), c.search) << c.user;
        EXPECT_EQ(r.print(), c.print) << c.user;
        EXPECT_EQ(r.has(UserRights::Search), c.search) << c.user;
    }
    // rights are per branch: the grants of branch 1 do not hold in another branch
    EXPECT_FALSE(UserRights::read(t->db(), 2, 99, 200).search());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(UserRightsTest);

} // namespace
