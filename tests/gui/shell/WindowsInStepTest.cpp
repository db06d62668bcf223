// Several document windows over one database, as a bookkeeper keeps them open side by side:
// what one window writes, every other shows; a settlement that is gone never opens; every
// answer to the save question ends in a window that works, or in no window.

#include "gui/shell/ShellFixture.h"

#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <algorithm>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class WindowsInStep : public ShellTest {
protected:
    bool lists(DocumentWindow *doc, int key) { return doc->browse()->rowIds().contains(key); }
    // A second window on the browse of the saved settlements, as the user opens it.
    DocumentWindow *secondBrowse()
    {
        DocumentWindow *doc = window->docs().sbNewChildWithBrowse();
        EXPECT_NE(doc, nullptr);
        return doc;
    }
};

TEST_F(WindowsInStep, WhatOneWindowWritesEveryOtherWindowShows)
{
    startFor(userAllRights);
    DocumentWindow *first = window->docs().documents().first();
    DocumentWindow *other = secondBrowse();
    const int march = makeSettlement(shopActivity, year2025, 3, false);

    // A new settlement, saved and closed in its own window.
    DocumentWindow *doc = window->docs().sbShowObject(march, nullptr, false);
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(doc, first);
    window->commands().sbExecuteMenuCommand(u"Mnu_Save"_qs); // what it says is the shell-as-used test's
    frame(doc)->close();
    settle();
    EXPECT_TRUE(lists(first, march));
    EXPECT_TRUE(lists(other, march));

    // Deleted from one window: gone from every list, without a requery by hand.
    DocumentWindow *shown = window->docs().sbShowObject(march, first, false);
    ASSERT_EQ(shown, first);
    window->commands().sbExecuteMenuCommand(u"Mnu_Delete"_qs); // answered yes
    settle();
    EXPECT_EQ(virtualDelete(march), -1);
    EXPECT_FALSE(lists(other, march));
    ASSERT_TRUE(window->docs().documents().contains(other));
    EXPECT_EQ(other->browse()->listCount(), 0);
}

TEST_F(WindowsInStep, ASaveInOneWindowComputesAgainTheSettlementsShownUnchangedInTheOthers)
{
    struct {
        const char *name;
        bool userTyped;
        bool computedAgain;
    } cases[] = {
        {"shown as stored: computed again from the new figures", false, true},
        {"with the user's typing: left as the user has it", true, false},
    };
    startFor(userAllRights);
    const int february = makeSettlement(shopActivity, year2024, 2, true);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DocumentWindow *shown = window->docs().sbShowObject(february, nullptr, false);
        ASSERT_NE(shown, nullptr);
        auto *note = shown->findChild<QLineEdit *>(u"txtNote"_qs);
        if (c.userTyped)
            keyClicks(note, u"nota"_qs);
        const int fresh = makeSettlement(shopActivity, year2024, 1, false);
        DocumentWindow *writer = window->docs().sbShowObject(fresh, nullptr, false);
        log.fills.clear();

        window->commands().sbExecuteMenuCommand(u"Mnu_Save"_qs);
        settle();

        const auto fillsOfShown =
            std::count_if(log.fills.begin(), log.fills.end(), [&](const auto &f) { return f.first == february; });
        EXPECT_EQ(fillsOfShown, c.computedAgain ? 1 : 0);
        EXPECT_EQ(shown->changedObject(), c.userTyped);
        EXPECT_EQ(note->text(), c.userTyped ? u"nota"_qs : QString());
        // The writer stays the window the user works in.
        EXPECT_EQ(window->docs().activeDocument(), writer);
        // For the next case: the new one deleted, the windows closed.
        window->commands().sbExecuteMenuCommand(u"Mnu_Delete"_qs);
        for (DocumentWindow *d : window->docs().documents())
            if (d->changedObject())
                h.messages.answer(Answer::No);
        closeAllDocuments();
    }
}

TEST_F(WindowsInStep, ASettlementDeletedMeanwhileDoesNotOpenAndLeavesNothingOpen)
{
    startFor(userAllRights);
    const int april = makeSettlement(shopActivity, year2024, 4, true);
    const int may = makeSettlement(shopActivity, year2024, 5, true);
    DocumentWindow *browse = window->docs().documents().first();
    browse->browse()->requery();
    ASSERT_TRUE(lists(browse, april));
    // Another program (or user) deletes April while the list still shows it.
    db().execute(u"DELETE FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs, {sqlValue(april)});
    h.messages.clear();

    doubleClickRow(browse, april);

    ASSERT_EQ(h.messages.texts().size(), 1);
    EXPECT_TRUE(h.messages.texts().front().contains(u"non esiste più"_qs));
    EXPECT_TRUE(log.fills.empty());
    EXPECT_EQ(window->docs().documents(), QList<DocumentWindow *>{browse});
    EXPECT_EQ(browse->face(), DocumentWindow::Face::Table);
    EXPECT_EQ(browse->browse()->rowIds(), QList<int>{may});
    // Nothing to save where nothing is shown.
    EXPECT_FALSE(enabled(u"Mnu_Save"_qs));
    EXPECT_FALSE(enabled(u"Mnu_Delete"_qs));

    // The same from a window that shows another settlement and moves on to it.
    const int june = makeSettlement(shopActivity, year2024, 6, true);
    DocumentWindow *doc = window->docs().sbShowObject(may, browse, false);
    ASSERT_EQ(doc, browse);
    ASSERT_TRUE(lists(doc, june));
    db().execute(u"DELETE FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs, {sqlValue(june)});
    h.messages.clear();
    window->commands().sbExecuteMenuCommand(u"Mnu_SearchNext"_qs);
    ASSERT_EQ(h.messages.texts().size(), 1);
    EXPECT_EQ(doc->face(), DocumentWindow::Face::Form);
    EXPECT_EQ(doc->tag(), may); // still May, and it still works
    EXPECT_FALSE(lists(doc, june));
    EXPECT_TRUE(enabled(u"Mnu_Delete"_qs));
}

TEST_F(WindowsInStep, ASettlementDeletedByAnotherUserWhileShownClosesWithoutAGhost)
{
    startFor(userAllRights);
    const int fresh = makeSettlement(shopActivity, year2025, 2, false);
    DocumentWindow *doc = window->docs().sbShowObject(fresh, nullptr, false);
    ASSERT_NE(doc, nullptr);
    // Another user's program removes it; the save fails, as the document says.
    db().execute(u"DELETE FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs, {sqlValue(fresh)});
    saveSucceeds = false;
    h.messages.clear();
    h.messages.answer(Answer::Yes);

    const bool closed = frame(doc)->close();
    settle();

    // Yes to the save question: the save could not be done, and the window did not stay
    // behind with a settlement that is no more.
    EXPECT_EQ(h.messages.shown().size(), 1u);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(window->docs().documents().contains(doc));
}

TEST_F(WindowsInStep, EveryAnswerToTheSaveQuestionWhenMovingOnEndsInAWindowThatWorks)
{
    struct {
        const char *name;
        const char *command;
        Answer answer;
        bool movedOn;
        int newState; // VirtualDelete of the new settlement afterwards, -1 gone
    } cases[] = {
        {"next, yes: saved, and the next one shown", "Mnu_SearchNext", Answer::Yes, true, 0},
        {"next, no: given up, and the next one shown", "Mnu_SearchNext", Answer::No, true, -1},
        {"next, cancel: the new one stays, still to save", "Mnu_SearchNext", Answer::Cancel, false, 2},
        {"previous, no: given up, and the previous one shown", "Mnu_SearchPrevious", Answer::No, true, -1},
    };
    startFor(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    const int december = makeSettlement(shopActivity, year2024, 13, true);
    int month = 2;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // A new settlement between January and December of the list.
        const int fresh = makeSettlement(shopActivity, year2024, month++, false);
        DocumentWindow *doc = window->docs().sbShowObject(fresh, nullptr, false);
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(enabled(QString::fromLatin1(c.command)));
        const int neighbour = QString::fromLatin1(c.command) == u"Mnu_SearchNext"_qs ? december : january;
        h.messages.clear();
        h.messages.answer(c.answer);

        window->commands().sbExecuteMenuCommand(QString::fromLatin1(c.command));
        settle();

        EXPECT_EQ(virtualDelete(fresh), c.newState);
        ASSERT_TRUE(window->docs().documents().contains(doc));
        EXPECT_EQ(doc->face(), DocumentWindow::Face::Form);
        EXPECT_EQ(doc->tag(), c.movedOn ? neighbour : fresh);
        // A window that works: its commands follow what it shows.
        EXPECT_EQ(enabled(u"Mnu_Save"_qs), !c.movedOn);
        EXPECT_EQ(enabled(u"Mnu_Delete"_qs), c.movedOn);
        EXPECT_TRUE(enabled(u"Mnu_SearchNext"_qs) || enabled(u"Mnu_SearchPrevious"_qs));
        if (c.newState == 0) {
            // Saved on the way: delete it again, for the next case.
            window->docs().sbShowObject(fresh, doc, false);
            window->commands().sbExecuteMenuCommand(u"Mnu_Delete"_qs);
        }
        // A settlement still to save is given up when its window closes.
        for (DocumentWindow *d : window->docs().documents())
            if (d->changedObject())
                h.messages.answer(Answer::No);
        closeAllDocuments();
    }
}

TEST_F(WindowsInStep, MovingOnWhenTheNextIsOpenElsewhereLeavesTheListNotAnEmptyForm)
{
    startFor(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    const int fresh = makeSettlement(shopActivity, year2024, 2, false);
    DocumentWindow *elsewhere = window->docs().sbShowObject(january, nullptr, false);
    DocumentWindow *doc = window->docs().sbShowObject(fresh, nullptr, false);
    ASSERT_NE(elsewhere, doc);
    h.messages.answer(Answer::No);

    window->commands().sbExecuteMenuCommand(u"Mnu_SearchPrevious"_qs);
    settle();

    EXPECT_EQ(virtualDelete(fresh), -1);
    EXPECT_EQ(window->docs().activeDocument(), elsewhere);
    ASSERT_TRUE(window->docs().documents().contains(doc));
    EXPECT_EQ(doc->face(), DocumentWindow::Face::Table);
    EXPECT_EQ(doc->tag(), 0);
}

TEST_F(WindowsInStep, EveryAnswerWhenTheProgramClosesEndsInAWindowThatWorksOrNone)
{
    struct {
        const char *name;
        Answer answer;
        bool programClosed;
        int state;
    } cases[] = {
        {"yes: saved, and the program ends", Answer::Yes, true, 0},
        {"no: given up, and the program ends", Answer::No, true, -1},
        {"cancel: the program and the settlement stay", Answer::Cancel, false, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        startFor(userAllRights);
        const int fresh = makeSettlement(shopActivity, year2025, 1, false);
        DocumentWindow *doc = window->docs().sbShowObject(fresh, nullptr, false);
        ASSERT_NE(doc, nullptr);
        h.messages.clear();
        h.messages.answer(c.answer);

        window->commands().sbExecuteMenuCommand(u"Mnu_Exit"_qs);
        settle();

        EXPECT_EQ(!window->isVisible(), c.programClosed);
        if (!c.programClosed) {
            ASSERT_TRUE(window->docs().documents().contains(doc));
            EXPECT_EQ(virtualDelete(fresh), c.state);
            EXPECT_TRUE(enabled(u"Mnu_Save"_qs));
            window->commands().sbExecuteMenuCommand(u"Mnu_Save"_qs);
            EXPECT_EQ(virtualDelete(fresh), 0);
        } else {
            EXPECT_EQ(virtualDelete(fresh), c.state);
        }
        TearDown();
        log = {};
    }
}

TEST_F(WindowsInStep, TheDesktopShortcutsReachDeleteMovesAndUndoOfChanges)
{
    startFor(userAllRights);
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    const int february = makeSettlement(shopActivity, year2024, 2, true);
    const int march = makeSettlement(shopActivity, year2024, 3, true);
    DocumentWindow *doc = window->docs().sbShowObject(february, window->docs().documents().first(), false);
    ASSERT_NE(doc, nullptr);
    auto *note = doc->findChild<QLineEdit *>(u"txtNote"_qs);

    struct {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int shownAfter;
    } moves[] = {
        {"Ctrl+PgDown: the next one", Qt::Key_PageDown, Qt::ControlModifier, march},
        {"Ctrl+PgUp: back", Qt::Key_PageUp, Qt::ControlModifier, february},
        {"Ctrl+PgUp again: the one before", Qt::Key_PageUp, Qt::ControlModifier, january},
    };
    for (const auto &m : moves) {
        keyClick(note, m.key, m.mods);
        settle();
        EXPECT_EQ(doc->tag(), m.shownAfter) << m.name;
    }

    // F5 takes back the changes, after its question.
    keyClicks(note, u"x"_qs);
    ASSERT_TRUE(doc->changedObject());
    h.messages.clear();
    h.messages.answer(Answer::No);
    keyClick(note, Qt::Key_F5);
    EXPECT_EQ(h.messages.texts().size(), 1);
    EXPECT_TRUE(doc->changedObject());
    h.messages.answer(Answer::Yes);
    keyClick(note, Qt::Key_F5);
    EXPECT_FALSE(doc->changedObject());

    // Ctrl+Delete deletes, after its question.
    h.messages.clear();
    h.messages.answer(Answer::Yes);
    keyClick(note, Qt::Key_Delete, Qt::ControlModifier);
    settle();
    EXPECT_EQ(h.messages.texts().size(), 1);
    EXPECT_EQ(virtualDelete(january), -1);
}

} // namespace
