#pragma once

// A settlement saved in this process as its window saves it, and what a tool of the system
// reads back from a file: for the tests that need saved settlements to print, export, kill
// or race on.

#include "database/Connection.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "support/Answering.h"
#include "support/ScriptedMessages.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace liqiva::test {

// The function of the settlement window, as the rights of the demo's users name it.
inline int settlementFunctionOf(Connection &db)
{
    return db.scalar(u"SELECT IDFunzione FROM ProcessoPerFunzione WHERE IDProcesso = 59 ORDER BY IDFunzione"_qs)
        .toInt();
}

// "Nuovo", OK, the fill and the save of a period of company 1 (a quarter by its last month),
// every question answered yes; its key.
inline int saveSettlement(Connection &db, int activity, int month, int vatYear = 2, int user = 1)
{
    ScriptedMessages messages;
    const int key = newWorkingSettlement(db, messages, 1, user, activity, vatYear, month);
    EXPECT_NE(key, 0) << messages.texts().join(u'\n').toStdString();
    SettlementDocument doc(DocumentContext{db, messages, user, 1, settlementFunctionOf(db), true, {}});
    doc.sbChildFill(key, false);
    EXPECT_TRUE(saveAnswering(doc)) << messages.texts().join(u'\n').toStdString();
    return key;
}

// User 2 of company 1 on a connection of their own, acting between two steps of the test's
// user; every question answered yes.
struct OtherUser {
    std::unique_ptr<Connection> db;
    ScriptedMessages messages;

    std::unique_ptr<SettlementDocument> open(int key)
    {
        auto doc = std::make_unique<SettlementDocument>(DocumentContext{*db, messages, 2, 1, 1, true});
        doc->sbChildFill(key, false);
        return doc;
    }
    // "Nuovo", the fill and the save of a period; its key.
    int saves(int activity, int vatYear, int month)
    {
        const int key = newWorkingSettlement(*db, messages, 1, 2, activity, vatYear, month);
        EXPECT_NE(key, 0);
        auto doc = open(key);
        EXPECT_TRUE(saveAnswering(*doc)) << messages.texts().join(u" | "_qs).toStdString();
        return doc->key();
    }
};

// What a tool of the system prints on standard output (pdftotext, unzip), empty when it fails.
inline QString toolOutput(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace liqiva::test
