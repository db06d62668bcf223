#pragma once

#include "support/TestDatabase.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace liqiva::test {

// The dialogs of a settlement's inputs, on the demo company, on both engines: finding their
// controls by name, typing as a user does.
class DialogTest : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }
    Connection &db() { return t->db(); }
    int count(const QString &sql) { return db().scalar(sql).toInt(); }

    template <class T> static T *child(QWidget &w, const char *name)
    {
        T *found = w.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void type(QLineEdit *f, const QString &text)
    {
        f->setFocus();
        f->selectAll();
        QTest::keyClicks(f, text);
    }

    std::unique_ptr<TestDatabase> t;
};

} // namespace liqiva::test
