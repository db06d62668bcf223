#include "gui/shell/ShortcutText.h"
#include "gui/shell/CommandTable.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace liqiva;

namespace {

TEST(ShortcutText, ParsesTheMaskAndTheKeyCode)
{
    struct {
        const char *text;
        int mask;
        int keyCode;
    } cases[] = {
        {"Ctrl+Shift+F12", 3, 123},
        {"Shift+F1", 1, 112},
        {"F1", 0, 112},
        {"Ctrl+N", 2, 78},
        {"Ctrl+F4", 2, 115},
        {"Alt+Shift+A", 5, 65},
        {"Ctrl+Alt+Shift+Z", 7, 90},
        {"Ctrl+0", 2, 48},
        {"Ctrl+0 (TN)", 2, 96},
        {"Shift+9 (tn)", 1, 105},
        {"Shift+Canc", 1, 46},
        {"Ctrl+INS", 2, 45},
        {"Ctrl+Insert", 2, 45},
        {"Shift+Del", 1, 46},
        {"Cancella", 0, 46},
        {"Ctrl+Backspace", 2, 8},
        {"Invio", 0, 13},
        {"Ctrl+f1", 2, 112},
        {"F13", 0, 0}, // beyond the table
        {"F0", 0, 0},
        {"F01", 0, 0},
        {"Ctrl+Esc", 2, 0},
        {"", 0, 0},
        // The table's own notation names the control key in full, which the parser does not read:
        // the command bar's notation is what it gets.
        {"Control+N", 0, 78},
    };
    for (const auto &c : cases) {
        const ShortcutKey k = ShortcutText::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(k.mask, c.mask) << c.text;
        EXPECT_EQ(k.keyCode, c.keyCode) << c.text;
    }
}

TEST(ShortcutText, TableTextsBecomeKeySequencesAndKeyPressesMatchThem)
{
    struct {
        const char *table;
        const char *commandBar;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } cases[] = {
        {"Control+N", "Ctrl+N", Qt::Key_N, Qt::ControlModifier},
        {"Control+Shift+F12", "Ctrl+Shift+F12", Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier},
        {"Shift+F12", "Shift+F12", Qt::Key_F12, Qt::ShiftModifier},
        {"Control+F4", "Ctrl+F4", Qt::Key_F4, Qt::ControlModifier},
        {"F1", "F1", Qt::Key_F1, Qt::NoModifier},
        {"Control+Shift+T", "Ctrl+Shift+T", Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier},
    };
    for (const auto &c : cases) {
        const QString table = QString::fromLatin1(c.table);
        EXPECT_EQ(ShortcutText::toCommandBarNotation(table), QString::fromLatin1(c.commandBar));
        const QKeySequence seq = ShortcutText::toKeySequence(table);
        EXPECT_EQ(seq.toString(QKeySequence::PortableText), QString::fromLatin1(c.commandBar)) << c.table;
        const ShortcutKey parsed = ShortcutText::parse(seq.toString(QKeySequence::PortableText));
        EXPECT_EQ(ShortcutText::fromKeyPress(c.key, c.mods), parsed) << c.table;
    }
    // Keys outside the table give nothing; the keypad's digits are their own keys.
    EXPECT_FALSE(ShortcutText::fromKeyPress(Qt::Key_Escape, Qt::ControlModifier).isValid());
    EXPECT_TRUE(ShortcutText::toKeySequence(u"Control+Esc"_qs).isEmpty());
    EXPECT_EQ(ShortcutText::fromKeyPress(Qt::Key_3, Qt::KeypadModifier), (ShortcutKey{0, 99}));
    EXPECT_EQ(ShortcutText::fromKeyPress(Qt::Key_3, Qt::NoModifier), (ShortcutKey{0, 51}));
    EXPECT_EQ(ShortcutText::fromKeyPress(Qt::Key_Enter, Qt::NoModifier), (ShortcutKey{0, 13}));
}

TEST(CommandTableTest, KeysAndShortcutsAreConsistent)
{
    const std::vector<Command> table = commandTable(ObjectNames{});
    QSet<QString> keys, buttons;
    QHash<QString, QString> shortcutOwner; // shortcut -> menu of the first command having it
    for (const Command &c : table) {
        SCOPED_TRACE(c.key.toStdString());
        EXPECT_TRUE(c.key.startsWith(u"Mnu_"_qs));
        EXPECT_FALSE(keys.contains(c.key));
        keys.insert(c.key);
        if (!c.buttonKey.isEmpty()) {
            EXPECT_EQ(u"Mnu_"_qs + c.buttonKey, c.key); // the button's key is the menu key without prefix
            EXPECT_FALSE(buttons.contains(c.buttonKey));
            buttons.insert(c.buttonKey);
        }
        EXPECT_FALSE(c.caption.isEmpty());
        EXPECT_FALSE(c.description.isEmpty());
        for (const QString &s : c.shortcuts) {
            EXPECT_FALSE(ShortcutText::toKeySequence(s).isEmpty()) << s.toStdString();
            // A shortcut belongs to one command, except between the two field pop-ups.
            if (shortcutOwner.contains(s))
                EXPECT_TRUE(c.menu == u"mnuPopUpPriceList"_qs && shortcutOwner.value(s) == u"mnuPopUp"_qs)
                    << s.toStdString();
            else
                shortcutOwner.insert(s, c.menu);
        }
    }
    for (const QString &toolbar : {u"Standard"_qs, u"ToolDip"_qs})
        for (const QString &b : toolbarButtons(toolbar))
            EXPECT_TRUE(b.isEmpty() || buttons.contains(b)) << b.toStdString();
    for (const auto &[menu, items] : popupTable())
        for (const QString &item : items)
            EXPECT_TRUE(item.isEmpty() || keys.contains(item)) << item.toStdString();
}

} // namespace
