#include "startup/StartupFixture.h"

#include "suite/UtilityServices.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class RightCheck : public EngineTest {};

TEST_P(RightCheck, AUserMayRunAFunctionGrantedDirectlyOrThroughAGroup)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    addFunction(db, settlementFunction, testObjectType, {59});
    // User 7 is in group 70 (and in group 71 by a deleted membership).
    db.executeRaw(u"INSERT INTO UtentePerGruppo (IDUtentePerGruppo, IDGruppo, IDUtente, VirtualDelete) VALUES "
                  u"(1, 70, 7, 0)"_qs);
    db.executeRaw(u"INSERT INTO UtentePerGruppo (IDUtentePerGruppo, IDGruppo, IDUtente, VirtualDelete) VALUES "
                  u"(2, 71, 7, 1)"_qs);

    enum Via { User, Group };
    struct {
        const char *name;
        Via via;
        int action, objectType, holder, virtualDelete;
        bool allowed;
    } cases[] = {
        {"user, action 2 on the function's type", User, 2, testObjectType, 7, 0, true},
        {"user, action 1 on every type", User, 1, 1, 7, 0, true},
        {"user, deleted grant", User, 2, testObjectType, 7, 1, false},
        {"user, another type", User, 2, 500, 7, 0, false},
        {"another user", User, 2, testObjectType, 8, 0, false},
        {"user, action beyond 5", User, 7, testObjectType, 7, 0, false},
        {"group of the user", Group, 4, testObjectType, 70, 0, true},
        {"group, every type", Group, 1, 1, 70, 0, true},
        {"group left by a deleted membership", Group, 4, testObjectType, 71, 0, false},
        {"group of someone else", Group, 4, testObjectType, 72, 0, false},
        {"group, deleted grant", Group, 4, testObjectType, 70, 1, false},
    };
    ScriptedMessages messages;
    UtilityServices services(messages);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        db.executeRaw(u"DELETE FROM AbilitaPerTipoOggettoPerUtente"_qs);
        db.executeRaw(u"DELETE FROM AbilitaPerTipoOggettoPerGruppo"_qs);
        const SqlStatement values = sqlParam(c.action) + u", "_qs + sqlParam(c.objectType) + u", 1, "_qs +
                                    sqlParam(c.holder) + u", "_qs + sqlParam(c.virtualDelete) + u")"_qs;
        if (c.via == User)
            db.executeRaw(u"INSERT INTO AbilitaPerTipoOggettoPerUtente (IDAbilitaPerTipoOggettoPerUtente, IDAzione, "
                          u"IDTipoOggetto, IDFiliale, IDUtente, VirtualDelete) VALUES (1, "_qs +
                          values);
        else
            db.executeRaw(u"INSERT INTO AbilitaPerTipoOggettoPerGruppo (IDAbilitaPerTipoOggettoPerGruppo, IDAzione, "
                          u"IDTipoOggetto, IDFiliale, IDGruppo, VirtualDelete) VALUES (1, "_qs +
                          values);
        EXPECT_EQ(services.hasRight(7, settlementFunction, db), c.allowed);
        EXPECT_FALSE(services.hasRight(7, 424242, db)); // an unknown function is never allowed
    }
    EXPECT_TRUE(messages.shown().empty());
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(RightCheck);

} // namespace
