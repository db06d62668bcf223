#pragma once

#include <QKeySequence>
#include <QString>
#include <QStringList>

namespace liqiva {

// A keyboard shortcut as the command bar compares it: a modifier mask (1 Shift, 2 Ctrl,
// 4 Alt, added together) and a key code of the key-name table (65 for "A", 112 for "F1"...).
struct ShortcutKey {
    int mask = 0;
    int keyCode = 0;
    bool operator==(const ShortcutKey &) const = default;
    bool isValid() const { return keyCode != 0; }
};

namespace ShortcutText {

// The key code of a key name: "A".."Z" 65..90, "0".."9" 48..57, "0 (TN)".."9 (TN)" (numeric
// keypad) 96..105, "F1".."F12" 112..123, "INS"/"INSERT" 45, "CANCELLA"/"DELETE"/"DEL"/"CANC"
// 46, "BACKSPACE" 8, "INVIO" 13, "PGUP"/"PAGSU" 33, "PGDOWN"/"PGDN"/"PAGGIU" 34; any other
// name 0. The name is compared upper-cased.
int keyCodeOfName(const QString &name);

// Parses a shortcut text in the command bar's notation ("Ctrl+Shift+F12", "Shift+F1", "F1"):
// the mask from the modifier names it contains, the key code from the text after the last
// "+" (the whole text when there is none).
ShortcutKey parse(const QString &text);

// The command table writes shortcuts as "Control+N"; the command bar reports them back in its
// own notation, where the control key is "Ctrl". This turns the first into the second.
QString toCommandBarNotation(const QString &tableText);
// The key sequence of a table text, built from its parsed mask and key code (empty for an
// unknown key name).
QKeySequence toKeySequence(const QString &tableText);

// The mask and key code of a key press (Qt key and modifiers); keyCode 0 for keys outside the
// key-name table.
ShortcutKey fromKeyPress(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace ShortcutText
} // namespace liqiva
