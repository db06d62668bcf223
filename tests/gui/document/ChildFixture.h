#pragma once

#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "gui/document/frmChild.h"
#include "support/Answering.h"
#include "suite/Messages.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
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

inline DocumentContext contextOf(Connection &db, MessageService &messages)
{
    return DocumentContext{db, messages, 1, 1, 1, true};
}

// The settlement form of a new working settlement of the demo, driven as a user does: its
// controls found by name, typed into, its tabs and grids read. Base: ::testing::Test (SQLite)
// or EngineTest (both engines).
template <class Base> class FormTest : public Base {
protected:
    virtual Engine formEngine() const { return Engine::Sqlite; }
    void SetUp() override { t = TestDatabase::create(formEngine(), Content::Demo); }
    Connection &db() { return t->db(); }

    frmChild &open(int activity, int month, int method = 0)
    {
        key = newWorkingSettlement(db(), messages, 1, 1, activity, demo::Year2024, month, method);
        EXPECT_NE(key, 0) << "month " << month;
        child = std::make_unique<frmChild>(contextOf(db(), messages));
        child->resize(1260, 620);
        child->sbChildFill(key, false);
        messages.clear();
        return *child;
    }
    template <class W = QWidget> W *find(const QString &name)
    {
        W *w = child->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    template <class W = QWidget> W *find(const char *name) { return find<W>(QString::fromLatin1(name)); }
    QTableWidget *grid(const QString &name) { return find<QTableWidget>(name); }
    QLineEdit *box(const QString &name) { return find<QLineEdit>(name); }

    // Types into a box and leaves it: Return in the form, Tab in a dialog (where Return
    // would press the default button); Qt::Key_unknown stays in it.
    static void type(QLineEdit *edit, const QString &text, Qt::Key leave = Qt::Key_Return)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        if (leave != Qt::Key_unknown)
            QTest::keyClick(edit, leave);
    }
    void type(const QString &name, const QString &text)
    {
        QLineEdit *edit = box(name);
        ASSERT_TRUE(edit->isEnabled()) << name.toStdString();
        type(edit, text);
    }
    void showTab(const QString &caption)
    {
        auto *tabs = find<QTabWidget>("stbLiquidazioneIva");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i).remove(u'&').trimmed() == caption)
                tabs->setCurrentIndex(i);
    }
    static QString cell(QTableWidget *g, int r, int c) { return g->item(r, c) ? g->item(r, c)->text() : QString(); }
    static QStringList column(QTableWidget *g, int c)
    {
        QStringList texts;
        for (int r = 0; r < g->rowCount(); ++r)
            texts << cell(g, r, c);
        return texts;
    }

    std::unique_ptr<TestDatabase> t;
    ScriptedMessages messages;
    std::unique_ptr<frmChild> child;
    int key = 0;
};

} // namespace liqiva::test
