#pragma once

#include "support/DemoDocumentTest.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace liqiva::test {

// The dialogs of a settlement's inputs, on the demo company, on both engines: finding their
// controls by name, typing as a user does.
class DialogTest : public DemoDocumentTest {
protected:
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
};

} // namespace liqiva::test
