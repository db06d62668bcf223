// The shortcut-text parser on random text: always an answer, a mask of the three modifier
// bits, and a key code only for a name of the key-name table. Fixed seed, bounded rounds.

#include "gui/shell/ShortcutText.h"

#include <QSet>
#include <gtest/gtest.h>
#include <random>

using namespace liqiva;

namespace {

// The names of the key-name table, upper case.
const QSet<QString> &tableNames()
{
    static const QSet<QString> names = [] {
        QSet<QString> n;
        for (char c = 'A'; c <= 'Z'; ++c)
            n << QString(QChar(c));
        for (char c = '0'; c <= '9'; ++c)
            n << QString(QChar(c)) << QString(QChar(c)) + u" (TN)"_qs;
        for (int f = 1; f <= 12; ++f)
            n << u"F"_qs + QString::number(f);
        for (const char *w : {"INS", "INSERT", "CANCELLA", "DELETE", "DEL", "CANC", "BACKSPACE", "INVIO"})
            n << QString::fromLatin1(w);
        return n;
    }();
    return names;
}

const QStringList pieces = {
    u"Ctrl"_qs, u"Control"_qs, u"Shift"_qs, u"Alt"_qs,    u"+"_qs,  u"++"_qs, u" "_qs,  u"F"_qs,
    u"f"_qs,    u"1"_qs,       u"12"_qs,    u"13"_qs,     u"0"_qs,  u"-1"_qs, u"+1"_qs, u" (TN)"_qs,
    u"(tn)"_qs, u"Ins"_qs,     u"Canc"_qs,  u"Invio"_qs,  u"a"_qs,  u"Z"_qs,  u"ı"_qs,  u"ſ"_qs,
    u"ß"_qs,    u"ﬁ"_qs,       u"Ｆ１"_qs,  u"\u00A0"_qs, u"\t"_qs, u"é"_qs,  u"K"_qs,  u"١"_qs,
};

QString randomText(std::mt19937 &rng)
{
    std::uniform_int_distribution<int> length(0, 8);
    std::uniform_int_distribution<int> choice(0, int(pieces.size()) + 2);
    std::uniform_int_distribution<int> anyChar(1, 0xFFFF);
    QString s;
    const int n = length(rng);
    for (int k = 0; k < n; ++k) {
        const int c = choice(rng);
        s += c < pieces.size() ? pieces[c] : QString(QChar(char16_t(anyChar(rng))));
    }
    return s;
}

TEST(ShortcutTextFuzz, AnswersEveryRandomText)
{
    std::mt19937 rng(7041);
    int named = 0;
    for (int round = 0; round < 50000; ++round) {
        const QString text = randomText(rng);
        SCOPED_TRACE(text.toStdString());
        const ShortcutKey k = ShortcutText::parse(text);
        ASSERT_GE(k.mask, 0);
        ASSERT_LE(k.mask, 7);
        const qsizetype plus = text.lastIndexOf(u'+');
        const QString name = (plus < 0 ? text : text.mid(plus + 1)).trimmed();
        if (k.keyCode != 0) {
            ++named;
            // Only a name of the table has a key code; the comparison ignores ASCII case only.
            QString upper = name;
            for (QChar &c : upper)
                if (c >= u'a' && c <= u'z')
                    c = QChar(c.unicode() - 32);
            ASSERT_TRUE(tableNames().contains(upper))
                << "key code " << k.keyCode << " for the name " << name.toStdString();
        }
        // The key sequence is the parsed key, and a key press of it parses back the same.
        const QKeySequence seq = ShortcutText::toKeySequence(text);
        const ShortcutKey inBar = ShortcutText::parse(ShortcutText::toCommandBarNotation(text));
        ASSERT_EQ(seq.isEmpty(), inBar.keyCode == 0);
        if (!seq.isEmpty()) {
            const QKeyCombination combination = seq[0];
            ASSERT_EQ(ShortcutText::fromKeyPress(combination.key(), combination.keyboardModifiers()), inBar);
        }
    }
    EXPECT_GT(named, 100);
}

} // namespace
