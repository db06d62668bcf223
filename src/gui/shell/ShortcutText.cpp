#include "gui/shell/ShortcutText.h"

namespace liqiva::ShortcutText {

namespace {

constexpr int MaskShift = 1;
constexpr int MaskCtrl = 2;
constexpr int MaskAlt = 4;

constexpr int KeypadFirst = 96;
constexpr int FunctionFirst = 112;
constexpr int CodeInsert = 45;
constexpr int CodeDelete = 46;
constexpr int CodeBackspace = 8;
constexpr int CodeEnter = 13;
// The page keys, with the codes the keyboard gives them (moving among the saved settlements).
constexpr int CodePageUp = 33;
constexpr int CodePageDown = 34;

// The name upper-cased in ASCII only. The names of the table are ASCII; a full Unicode
// upper-casing would read other letters as table names ("ſ" as "S", "ı" as "I").
QString asciiUpper(const QString &name)
{
    QString n = name;
    for (QChar &c : n) {
        if (c.unicode() >= 128)
            return {};
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return n;
}

} // namespace

int keyCodeOfName(const QString &name)
{
    const QString n = asciiUpper(name);
    if (n.size() == 1) {
        const QChar c = n.at(0);
        if (c >= u'A' && c <= u'Z')
            return c.unicode();
        if (c >= u'0' && c <= u'9')
            return c.unicode();
        return 0;
    }
    if (n.size() == 6 && n.endsWith(u" (TN)"_qs) && n.at(0) >= u'0' && n.at(0) <= u'9')
        return KeypadFirst + (n.at(0).unicode() - u'0');
    if (n.startsWith(u'F')) {
        bool ok = false;
        const int f = n.mid(1).toInt(&ok);
        if (ok && f >= 1 && f <= 12 && n.mid(1) == QString::number(f))
            return FunctionFirst + f - 1;
        return 0;
    }
    if (n == u"INS"_qs || n == u"INSERT"_qs)
        return CodeInsert;
    if (n == u"CANCELLA"_qs || n == u"DELETE"_qs || n == u"DEL"_qs || n == u"CANC"_qs)
        return CodeDelete;
    if (n == u"BACKSPACE"_qs)
        return CodeBackspace;
    if (n == u"INVIO"_qs)
        return CodeEnter;
    if (n == u"PGUP"_qs || n == u"PAGSU"_qs)
        return CodePageUp;
    if (n == u"PGDOWN"_qs || n == u"PGDN"_qs || n == u"PAGGIU"_qs)
        return CodePageDown;
    return 0;
}

ShortcutKey parse(const QString &text)
{
    ShortcutKey k;
    if (text.contains(u"Ctrl"_qs, Qt::CaseInsensitive))
        k.mask += MaskCtrl;
    if (text.contains(u"Shift"_qs, Qt::CaseInsensitive))
        k.mask += MaskShift;
    if (text.contains(u"Alt"_qs, Qt::CaseInsensitive))
        k.mask += MaskAlt;
    const qsizetype plus = text.lastIndexOf(u'+');
    k.keyCode = keyCodeOfName(plus < 0 ? text.trimmed() : text.mid(plus + 1).trimmed());
    return k;
}

QString toCommandBarNotation(const QString &tableText)
{
    QStringList parts = tableText.split(u'+');
    for (QString &p : parts) {
        if (p.compare(u"Control"_qs, Qt::CaseInsensitive) == 0)
            p = u"Ctrl"_qs;
    }
    return parts.join(u'+');
}

namespace {

// Qt key of a key code of the table (keypad digits carry the keypad modifier).
std::pair<int, Qt::KeyboardModifiers> qtKeyOfCode(int code)
{
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return {code, {}};
    if (code >= KeypadFirst && code <= KeypadFirst + 9)
        return {Qt::Key_0 + (code - KeypadFirst), Qt::KeypadModifier};
    if (code >= FunctionFirst && code <= FunctionFirst + 11)
        return {Qt::Key_F1 + (code - FunctionFirst), {}};
    switch (code) {
    case CodeInsert:
        return {Qt::Key_Insert, {}};
    case CodeDelete:
        return {Qt::Key_Delete, {}};
    case CodeBackspace:
        return {Qt::Key_Backspace, {}};
    case CodeEnter:
        return {Qt::Key_Return, {}};
    case CodePageUp:
        return {Qt::Key_PageUp, {}};
    case CodePageDown:
        return {Qt::Key_PageDown, {}};
    default:
        return {0, {}};
    }
}

} // namespace

QKeySequence toKeySequence(const QString &tableText)
{
    const ShortcutKey k = parse(toCommandBarNotation(tableText));
    const auto [key, extra] = qtKeyOfCode(k.keyCode);
    if (key == 0)
        return {};
    Qt::KeyboardModifiers mods = extra;
    if (k.mask & MaskShift)
        mods |= Qt::ShiftModifier;
    if (k.mask & MaskCtrl)
        mods |= Qt::ControlModifier;
    if (k.mask & MaskAlt)
        mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(mods, Qt::Key(key)));
}

ShortcutKey fromKeyPress(int qtKey, Qt::KeyboardModifiers modifiers)
{
    ShortcutKey k;
    if (modifiers & Qt::ShiftModifier)
        k.mask += MaskShift;
    if (modifiers & Qt::ControlModifier)
        k.mask += MaskCtrl;
    if (modifiers & Qt::AltModifier)
        k.mask += MaskAlt;
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        k.keyCode = qtKey;
    else if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        k.keyCode = keypad ? KeypadFirst + (qtKey - Qt::Key_0) : qtKey;
    else if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        k.keyCode = FunctionFirst + (qtKey - Qt::Key_F1);
    else if (qtKey == Qt::Key_Insert)
        k.keyCode = CodeInsert;
    else if (qtKey == Qt::Key_Delete)
        k.keyCode = CodeDelete;
    else if (qtKey == Qt::Key_Backspace)
        k.keyCode = CodeBackspace;
    else if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)
        k.keyCode = CodeEnter;
    else if (qtKey == Qt::Key_PageUp)
        k.keyCode = CodePageUp;
    else if (qtKey == Qt::Key_PageDown)
        k.keyCode = CodePageDown;
    return k;
}

} // namespace liqiva::ShortcutText
