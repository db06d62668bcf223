#pragma once

#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "suite/Messages.h"
#include "support/Answering.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <ostream>

// Texts in the failure messages as text.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace liqiva::test {

// Demo keys: activity 1 the retail shop (monthly, receipts), 2 the wholesale trade
// (quarterly with interest at 1%), 3 the training centre (monthly from 2024, no receipts);
// VAT year 2 is 2024.
namespace demo {
constexpr int Shop = 1;
constexpr int Wholesale = 2;
constexpr int Training = 3;
constexpr int Year2024 = 2;
} // namespace demo

// Creates the working settlement of a period as the new-settlement dialog does; the key.
inline int newSettlement(Connection &db, MessageService &messages, int activity, int vatYear, int month, int method = 0)
{
    NewSettlement ns(db, 1, 1);
    ns.sbSetComboMesi(activity, vatYear, 0);
    const int index = ns.indexOfMonth(month);
    EXPECT_GE(index, 0) << "month " << month;
    EXPECT_EQ(confirmAnswering(ns, messages, activity, vatYear, index, method, true), 1) << "month " << month;
    return ns.currentKey();
}

inline DocumentContext contextOf(Connection &db, MessageService &messages)
{
    return DocumentContext{db, messages, 1, 1, 1, true};
}

} // namespace liqiva::test
