#include "gui/shell/ShellFixture.h"

#include "gui/shell/frmListSavedChild.h"
#include "suite/BusyCounter.h"

#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTreeWidget>

using namespace liqiva;
using namespace liqiva::test;

namespace {

TEST_F(ShellTest, SaveQuestionAnswersDoWhatTheySay)
{
    struct {
        const char *name;
        Answer answer;
        bool saveSucceeds;
        bool closed;
        int saves;
        int stateAfter; // VirtualDelete of the settlement, -1 gone
    } cases[] = {
        {"yes saves and closes", Answer::Yes, true, true, 1, 0},
        {"yes with a failed save stays open", Answer::Yes, false, false, 1, 2},
        {"no removes the working rows", Answer::No, true, true, 0, -1},
        {"cancel stops", Answer::Cancel, true, false, 0, 2},
    };
    startFor(userAllRights);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        saveSucceeds = c.saveSucceeds;
        log = {};
        const int key = makeSettlement(shopActivity, year2025, 1 + int(&c - cases), false);
        DocumentWindow *doc = window->docs().sbShowObject(key, nullptr, false);
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(doc->changedObject());
        h.messages.clear();
        h.messages.answer(c.answer);

        const bool closed = frame(doc)->close();
        settle();

        EXPECT_EQ(closed, c.closed);
        EXPECT_EQ(window->docs().documents().contains(doc), !c.closed);
        ASSERT_FALSE(h.messages.shown().empty());
        EXPECT_EQ(h.messages.shown().front().text,
                  u"Salvare le modifiche apportate a \"Periodo "_qs + QString::number(key) + u"\"?"_qs);
        EXPECT_EQ(h.messages.shown().front().buttons, Buttons::YesNoCancel);
        EXPECT_EQ(h.messages.shown().front().title, u"Liquidazione I.V.A."_qs);
        EXPECT_EQ(log.saves, c.saves);
        EXPECT_EQ(virtualDelete(key), c.stateAfter);
        if (c.answer == Answer::No)
            EXPECT_EQ(workingRowsOfUser(), 0);
        if (!c.closed) {
            EXPECT_TRUE(doc->changedObject());
            EXPECT_TRUE(enabled(u"Mnu_Save"_qs));
            doc->formFace()->setChanged(false);
            doc->setChangedObject(false);
            frame(doc)->close();
            settle();
        }
    }
}

TEST_F(ShellTest, OpeningASettlementAlreadyShownActivatesItsWindow)
{
    startFor(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    const int february = makeSettlement(shopActivity, year2024, 2, true);
    DocumentWindow *first = window->docs().sbShowObject(january);
    DocumentWindow *second = window->docs().sbShowObject(february);
    ASSERT_NE(first, second);
    frame(first)->showMinimized();
    const qsizetype windows = window->docs().documents().size();

    EXPECT_EQ(window->docs().sbShowObject(january), first);
    EXPECT_EQ(window->docs().documents().size(), windows);
    EXPECT_EQ(window->docs().activeDocument(), first);
    EXPECT_FALSE(frame(first)->isMinimized());
    // Not filled again (moving onto it from another window is the windows-in-step test's).
    EXPECT_EQ(log.fills.size(), 2u);
}

TEST_F(ShellTest, ClosingTheLastWindowDisablesEveryDocumentCommand)
{
    startFor(userAllRights);
    const int key = makeSettlement(shopActivity, year2024, 1, true);
    window->docs().sbShowObject(key);
    window->docs().sbSetbChangedObject(true);
    ASSERT_TRUE(enabled(u"Mnu_Save"_qs));
    ASSERT_TRUE(enabled(u"Mnu_Delete"_qs));
    ASSERT_TRUE(enabled(u"Mnu_Close"_qs));

    h.messages.answer(Answer::No);
    closeAllDocuments();
    ASSERT_TRUE(window->docs().documents().isEmpty());
    for (const Command &c : bar().commands()) {
        const bool expected = c.availability == Command::Availability::Always;
        EXPECT_EQ(enabled(c.key), expected) << c.key.toStdString();
        if (!c.buttonKey.isEmpty())
            EXPECT_EQ(enabled(c.buttonKey), expected) << c.buttonKey.toStdString();
    }
}

TEST_F(ShellTest, ControlSWithoutChangesDoesNothing)
{
    startFor(userAllRights);
    const int key = makeSettlement(shopActivity, year2024, 1, true);
    DocumentWindow *doc = window->docs().sbShowObject(key);
    auto *note = doc->findChild<QLineEdit *>(u"txtNote"_qs);
    ASSERT_NE(note, nullptr);
    ASSERT_FALSE(doc->changedObject());

    keyClick(note, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(log.saves, 0);
    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_FALSE(enabled(u"Mnu_Save"_qs));

    // An edit enables Save (menu item and button together); Shift+F12 saves.
    keyClicks(note, u"x"_qs);
    EXPECT_TRUE(doc->changedObject());
    EXPECT_TRUE(enabled(u"Mnu_Save"_qs));
    EXPECT_TRUE(enabled(u"Save"_qs));
    EXPECT_TRUE(enabled(u"Mnu_Clear"_qs));
    keyClick(note, Qt::Key_F12, Qt::ShiftModifier);
    EXPECT_EQ(log.saves, 1);
    EXPECT_FALSE(doc->changedObject());
    EXPECT_FALSE(enabled(u"Mnu_Save"_qs));
    EXPECT_FALSE(enabled(u"Save"_qs));
}

TEST_F(ShellTest, DuringAFillTheWindowAnswersButRefusesCommandsAndClosing)
{
    startFor(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    DocumentWindow *browse = window->docs().documents().first();
    log.duringFill = [&] {
        // What the user does while the settlement is being computed.
        QTimer::singleShot(0, [&] {
            window->commands().sbExecuteMenuCommand(u"Mnu_Save"_qs);
            keyClick(browse, Qt::Key_N, Qt::ControlModifier);
            frame(browse)->close();
            window->close();
        });
    };
    DocumentWindow *doc = window->docs().sbShowObject(january);
    const QString refused = u"Impossibile eseguire l'operazione: altri processi in corso."_qs;
    const QString notClosing = u"Impossibile chiudere: altri processi in corso."_qs;
    EXPECT_EQ(h.messages.texts(), (QStringList{refused, refused, notClosing, notClosing}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->docs().documents().contains(browse));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->tag(), january);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(BusyCounter::busy());
    // The work done, the window closes and its close runs the program's shutdown (what the
    // shutdown does is the start-up's test).
    EXPECT_TRUE(window->close());
    EXPECT_EQ(h.ends, std::vector<int>{0});
}

TEST_F(ShellTest, AUserWithOnlyTheSearchRightBrowsesButCannotSaveDeleteOrPrint)
{
    startFor(userSearchOnly);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    makeSettlement(shopActivity, year2024, 2, true);
    DocumentWindow *doc = window->docs().documents().first();
    doc->browse()->requery();
    ASSERT_EQ(doc->browse()->listCount(), 2);

    struct {
        const char *key;
        bool allowed;
    } rights[] = {
        {"Mnu_New", false},   {"Mnu_Save", false},      {"Mnu_Delete", false},
        {"Mnu_Print", false}, {"Mnu_StampaDip", false}, // the declaration is a print too
        {"Mnu_Search", true}, {"Mnu_SearchForm", true},
    };
    for (const auto &r : rights)
        EXPECT_EQ(bar().allowedByRights(QString::fromLatin1(r.key)), r.allowed) << r.key;

    // Ctrl+N does nothing; a double click on a row opens it in the form face.
    keyClick(doc->browse()->grid(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    doubleClickRow(doc, january);
    ASSERT_EQ(doc->face(), DocumentWindow::Face::Form);
    EXPECT_EQ(doc->tag(), january);
    EXPECT_TRUE(enabled(u"Mnu_SearchNext"_qs));

    // Edits cannot be saved, the settlement cannot be deleted, nothing can be printed.
    auto *note = doc->findChild<QLineEdit *>(u"txtNote"_qs);
    keyClicks(note, u"x"_qs);
    EXPECT_TRUE(doc->changedObject());
    for (const char *key :
         {"Mnu_Save", "Save", "Mnu_SaveAs", "Mnu_Delete", "Delete", "Mnu_Print", "Print", "Mnu_StampaDip", "StampaDip"})
        EXPECT_FALSE(enabled(QString::fromLatin1(key))) << key;
    keyClick(note, Qt::Key_S, Qt::ControlModifier);
    window->commands().sbExecuteMenuCommand(u"Mnu_Delete"_qs);
    window->commands().sbExecuteMenuCommand(u"Mnu_StampaDip"_qs); // no dialog, no question
    EXPECT_EQ(log.saves, 0);
    EXPECT_EQ(log.deletes, 0);
    EXPECT_TRUE(h.messages.shown().empty());

    // Moving on asks nothing (saving is not offered) and shows the next settlement.
    keyClick(note, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(doc->face(), DocumentWindow::Face::Table);
    EXPECT_TRUE(h.messages.shown().empty());
    EXPECT_EQ(virtualDelete(january), 0);
}

TEST_F(ShellTest, DeleteAsksAndUnloadsTheWindowWhenTheBrowseIsEmpty)
{
    startFor(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    DocumentWindow *doc = window->docs().sbShowObject(january);
    h.messages.answer(Answer::No);
    window->commands().sbExecuteMenuCommand(u"Delete"_qs);
    EXPECT_EQ(log.deletes, 0);
    EXPECT_EQ(h.messages.texts(), QStringList{u"Si desidera eliminare la liquidazione I.V.A. \"Periodo "_qs +
                                              QString::number(january) + u"\"?"_qs});
    EXPECT_EQ(virtualDelete(january), 0);

    const int february = makeSettlement(shopActivity, year2024, 2, true);
    window->commands().sbExecuteMenuCommand(u"Mnu_Delete"_qs); // answered yes
    EXPECT_EQ(log.deletes, 1);
    EXPECT_EQ(virtualDelete(january), -1);
    ASSERT_TRUE(window->docs().documents().contains(doc)); // February is still listed
    EXPECT_EQ(doc->face(), DocumentWindow::Face::Table);
    EXPECT_EQ(doc->browse()->rowIds(), QList<int>{february});
    EXPECT_FALSE(enabled(u"Mnu_Delete"_qs));

    window->commands().sbExecuteMenuCommand(u"Mnu_SearchForm"_qs);
    ASSERT_EQ(doc->tag(), february);
    window->commands().sbExecuteMenuCommand(u"Mnu_Delete"_qs);
    settle();
    EXPECT_FALSE(window->docs().documents().contains(doc)); // nothing left to browse
}

TEST_F(ShellTest, TheShortcutsOfTheTableReachTheirCommands)
{
    startFor(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    makeSettlement(shopActivity, year2024, 2, true);
    DocumentWindow *doc = window->docs().documents().first();
    doc->browse()->requery();
    doc->browse()->moveByRowIds(january);
    QStringList dispatched;
    QObject::connect(window.get(), &frmMDI::commandDispatched, [&](const QString &k) { dispatched << k; });

    struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char *command;
        DocumentWindow::Face faceAfter;
    } steps[] = {
        {Qt::Key_F, Qt::ControlModifier, "Mnu_SearchForm", DocumentWindow::Face::Form},
        {Qt::Key_M, Qt::ControlModifier, "Mnu_SearchTable", DocumentWindow::Face::Table},
        {Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier, "Mnu_SearchFilter", DocumentWindow::Face::Filter},
        {Qt::Key_E, Qt::ControlModifier, "Mnu_SearchExecute", DocumentWindow::Face::Table},
        {Qt::Key_T, Qt::ControlModifier, "Mnu_Search", DocumentWindow::Face::Filter},
        {Qt::Key_E, Qt::ControlModifier, "Mnu_SearchExecute", DocumentWindow::Face::Table},
        {Qt::Key_F, Qt::ControlModifier, "Mnu_SearchForm", DocumentWindow::Face::Form},
    };
    for (const auto &s : steps) {
        dispatched.clear();
        keyClick(doc, s.key, s.mods);
        EXPECT_EQ(dispatched, QStringList{QString::fromLatin1(s.command)}) << s.command;
        EXPECT_EQ(doc->face(), s.faceAfter) << s.command;
    }

    // Ctrl+C and Ctrl+V run on the control that has the focus.
    auto *note = doc->findChild<QLineEdit *>(u"txtNote"_qs);
    note->setFocus();
    keyClicks(note, u"abc"_qs);
    note->selectAll();
    dispatched.clear();
    keyClick(note, Qt::Key_C, Qt::ControlModifier);
    note->end(false);
    keyClick(note, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(dispatched, (QStringList{u"Mnu_Copy"_qs, u"Mnu_Paste"_qs}));
    EXPECT_EQ(note->text(), u"abcabc"_qs);

    // Ctrl+W closes the settlement (its question answered no), opened from the list: the
    // list comes back; Ctrl+W again closes the window.
    h.messages.answer(Answer::No);
    dispatched.clear();
    keyClick(note, Qt::Key_W, Qt::ControlModifier);
    settle();
    ASSERT_TRUE(window->docs().documents().contains(doc));
    EXPECT_EQ(doc->face(), DocumentWindow::Face::Table);
    keyClick(doc, Qt::Key_W, Qt::ControlModifier);
    settle();
    EXPECT_FALSE(window->docs().documents().contains(doc));
}

// A calling program names itself and the settlement to open; closing offers the open
// settlements and writes the chosen key back into the caller's section.
class PickerTest : public ShellTest {
protected:
    void run(bool choose)
    {
        prepare(userAllRights);
        const int key = makeSettlement(shopActivity, year2024, 3, true);
        extraHandOver = {{HandOver::Client, u"Chiamante"_qs}, {HandOver::IDField, QString::number(key)}};
        launch();
        ASSERT_EQ(window->docs().documents().size(), 1);
        EXPECT_EQ(window->docs().activeDocument()->tag(), key);
        EXPECT_TRUE(window->docs().pickerMode());

        bool pickerSeen = false;
        whenShown<frmListSavedChild>([&](frmListSavedChild &d) {
            pickerSeen = true;
            auto *list = d.findChild<QTreeWidget *>(u"lstListSavedChild"_qs);
            ASSERT_EQ(list->topLevelItemCount(), 1);
            EXPECT_EQ(list->topLevelItem(0)->text(1), QString::number(key));
            d.findChild<QPushButton *>(choose ? u"cmdOk"_qs : u"cmdAnnulla"_qs)->click();
        });
        EXPECT_TRUE(window->close());
        EXPECT_TRUE(pickerSeen);
        EXPECT_EQ(window->docs().pickerResult(), choose ? key : -1);
        EXPECT_EQ(h.store->read(u"Chiamante"_qs, HandOver::IDField), choose ? QString::number(key) : QString());
    }
};

TEST_F(PickerTest, ACancelledPickerWritesNothingAndTheChosenKeyGoesBackToTheCaller)
{
    for (const bool choose : {false, true}) { // a cancel first: it leaves the caller's section empty
        SCOPED_TRACE(choose ? "chosen" : "cancelled");
        run(choose);
        TearDown();
    }
}

} // namespace
