// The main window with the settlement's own form: a new settlement from the dialog to the
// save and the delete, through the keyboard and the commands, on both engines.

#include "gui/shell/ShellFixture.h"

#include "gui/document/frmNew.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class WithTheSettlementForm : public ShellTest, public ::testing::WithParamInterface<Engine> {};

TEST_P(WithTheSettlementForm, NewSaveAndDelete)
{
    realForm = true;
    startFor(userAllRights, GetParam());
    // Control+N works with no window open too.
    closeAllDocuments();
    ASSERT_TRUE(window->docs().documents().isEmpty());
    whenShown<frmNew>([](frmNew &d) {
        d.findChild<QComboBox *>(u"cboMese"_qs)->setCurrentIndex(1); // January 2025 of the shop
        d.findChild<QPushButton *>(u"cmdOk"_qs)->click();
    });
    keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    settle();
    ASSERT_EQ(window->docs().documents().size(), 1);
    DocumentWindow *doc = window->docs().activeDocument();
    ASSERT_NE(doc, nullptr);
    ASSERT_GT(doc->tag(), 0);
    EXPECT_EQ(doc->face(), DocumentWindow::Face::Form);
    EXPECT_EQ(virtualDelete(doc->tag()), 2);
    EXPECT_TRUE(doc->windowTitle().startsWith(u"Nuova elaborazione - "_qs)) << doc->windowTitle().toStdString();
    EXPECT_FALSE(doc->formFace()->caption().isEmpty());
    // Never saved: it can be saved, not deleted.
    ASSERT_TRUE(enabled(u"Mnu_Save"_qs));
    EXPECT_FALSE(enabled(u"Mnu_Delete"_qs));
    EXPECT_FALSE(enabled(u"Mnu_SaveAs"_qs));

    // The payment tab: the amount paid, typed and confirmed with Enter, marks the document.
    auto *paid = doc->findChild<QLineEdit *>(u"curImportoVersamentiPeriodici"_qs);
    ASSERT_NE(paid, nullptr);
    paid->setFocus();
    paid->selectAll();
    paid->insert(u"1234,56"_qs);
    keyClick(paid, Qt::Key_Return);
    EXPECT_TRUE(doc->changedObject());

    // Control+S saves through the document: the settlement is live, Save goes off, Delete on.
    h.messages.answer(Answer::No); // keep the amount paid as typed
    keyClick(doc, Qt::Key_S, Qt::ControlModifier);
    const int key = doc->tag();
    EXPECT_EQ(virtualDelete(key), 0) << h.messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(workingRowsOfUser(), 0);
    EXPECT_FALSE(doc->changedObject());
    EXPECT_FALSE(enabled(u"Mnu_Save"_qs));
    EXPECT_TRUE(enabled(u"Mnu_Delete"_qs));
    EXPECT_TRUE(doc->windowTitle().startsWith(u"Liquidazione I.V.A. "_qs)) << doc->windowTitle().toStdString();
    EXPECT_EQ(doc->browse()->rowIds(), QList<int>{key});

    // Closed and opened again, it shows what was saved (where the save put it is the form's
    // own test; the last settled month the save's).
    window->commands().sbExecuteMenuCommand(u"Mnu_Close"_qs);
    settle();
    ASSERT_FALSE(window->docs().documents().contains(doc));
    window->docs().sbShowObject(key);
    settle();
    doc = window->docs().activeDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->tag(), key);
    paid = doc->findChild<QLineEdit *>(u"curImportoVersamentiPeriodici"_qs);
    ASSERT_NE(paid, nullptr);
    EXPECT_EQ(paid->text(), u"1.234,56"_qs);

    // Delete, confirmed: the only saved settlement goes, and with it the window.
    h.messages.clear();
    h.messages.answer(Answer::Yes);
    window->commands().sbExecuteMenuCommand(u"Delete"_qs);
    settle();
    ASSERT_FALSE(h.messages.texts().isEmpty());
    EXPECT_TRUE(h.messages.texts().first().startsWith(u"Si desidera eliminare la liquidazione I.V.A. \""_qs));
    EXPECT_EQ(virtualDelete(key), -1);
    EXPECT_FALSE(window->docs().documents().contains(doc));
}

INSTANTIATE_TEST_SUITE_P(Engines, WithTheSettlementForm, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

} // namespace
