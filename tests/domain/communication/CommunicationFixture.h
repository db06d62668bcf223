#pragma once

#include "domain/communication/PeriodicCommunication.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "suite/Messages.h"
#include "support/Answering.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QTemporaryDir>

namespace liqiva::test {

// The demo company (VAT year 2 is 2024): activity 1 and 3 settle by month, 2 by quarter
// with the 1% interest, 4 by quarter without it.
constexpr int kDemoVatYear2024 = 2;

class CommunicationTest : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }
    Connection &db() { return t->db(); }

    // Creates, fills and saves one settlement as the user does with New, OK and Save (every
    // question answered yes); month 13 is the December advance. Returns its key.
    int save(int activity, int month, int method = 0)
    {
        NewSettlement ns(db(), 1, 1);
        ns.sbSetComboMesi(activity, kDemoVatYear2024, 0);
        const int index = ns.indexOfMonth(month);
        EXPECT_GE(index, 0) << "activity " << activity << " month " << month;
        EXPECT_EQ(confirmAnswering(ns, messages, activity, kDemoVatYear2024, index, method, true), 1)
            << messages.texts().join(u" | "_qs).toStdString();
        SettlementDocument doc(DocumentContext{db(), messages, 1, 1, 1, true});
        doc.sbChildFill(ns.currentKey(), false);
        EXPECT_TRUE(saveAnswering(doc)) << messages.texts().join(u" | "_qs).toStdString();
        return doc.key();
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
