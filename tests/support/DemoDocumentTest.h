#pragma once

#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "support/Answering.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QTemporaryDir>

namespace liqiva::test {

// The demo company (VAT year 2 is 2024): activity 1 and 3 settle by month, 2 by quarter
// with the 1% interest, 4 by quarter without it.
constexpr int kDemoVatYear2024 = 2;

// The fixture of the tests that settle the demo company as its windows do, user 1 answering
// every question yes unless the test scripts another answer.
class DemoDocumentTest : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }
    Connection &db() { return t->db(); }
    int count(const QString &sql) { return db().scalar(sql).toInt(); }

    // "Nuovo" and OK for a period (13 the December advance, 0 the year), then filled.
    std::unique_ptr<SettlementDocument> open(int activity, int month, int method = 0, int user = 1,
                                             int vatYear = kDemoVatYear2024)
    {
        const int key = newWorkingSettlement(db(), messages, 1, user, activity, vatYear, month, method);
        EXPECT_NE(key, 0) << "activity " << activity << " month " << month << ": "
                          << messages.texts().join(u" | "_qs).toStdString();
        return reopen(key, user);
    }
    // A settlement filled again, as the list opens it.
    std::unique_ptr<SettlementDocument> reopen(int key, int user = 1)
    {
        auto doc = std::make_unique<SettlementDocument>(DocumentContext{db(), messages, user, 1, 1, true});
        doc->sbChildFill(key, false);
        return doc;
    }
    // Opened and saved; its key.
    int save(int activity, int month, int method = 0)
    {
        auto doc = open(activity, month, method);
        EXPECT_TRUE(saveAnswering(*doc)) << messages.texts().join(u" | "_qs).toStdString();
        return doc->key();
    }
    // Every settlement of a quarter of 2024 for every demo activity.
    void saveQuarter(int quarter)
    {
        for (int month = quarter * 3 - 2; month <= quarter * 3; ++month) {
            save(1, month);
            save(3, month);
        }
        save(2, quarter * 3);
        save(4, quarter * 3);
    }

    std::unique_ptr<TestDatabase> t;
    ScriptedMessages messages;
    QTemporaryDir folder;
};

} // namespace liqiva::test
