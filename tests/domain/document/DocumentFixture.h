#pragma once

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "support/Answering.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

namespace liqiva::test {

// A company of the engine fixture with user 1 ("anna"), and its settlements filled as the
// window fills them, every question answered yes unless the test scripts another answer.
class FixtureDocumentTest : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        company = f->company();
        db().execute(u"INSERT INTO Utente (IDUtente, Utente) VALUES (1, 'anna')"_qs);
    }

    // "Nuovo" and OK for a period (13 the December advance, 0 the year), then filled.
    std::unique_ptr<SettlementDocument> fill(int activity, int vatYear, int month, int method = 0)
    {
        const int key = newWorkingSettlement(db(), messages, company, 1, activity, vatYear, month, method);
        EXPECT_NE(key, 0);
        auto doc = std::make_unique<SettlementDocument>(DocumentContext{db(), messages, 1, company, 1, true});
        doc->sbChildFill(key, false);
        return doc;
    }

    ScriptedMessages messages;
    int company = 0;
};

} // namespace liqiva::test
