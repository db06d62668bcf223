#include "database/SqlDialect.h"

#include <QSet>
#include <vector>

namespace liqiva {
namespace {

struct Token {
    enum Kind { Space, Word, Number, Text, QuotedName, Symbol };
    Kind kind;
    QString text;
};

std::vector<Token> tokenize(const QString &sql)
{
    std::vector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        qsizetype j = i + 1;
        if (c.isSpace()) {
            while (j < n && sql[j].isSpace())
                ++j;
            out.push_back({Token::Space, sql.mid(i, j - i)});
        } else if (c.isLetter() || c == u'_' || c == u'@') {
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_' || sql[j] == u'@'))
                ++j;
            out.push_back({Token::Word, sql.mid(i, j - i)});
        } else if (c.isDigit()) {
            while (j < n && (sql[j].isDigit() || sql[j] == u'.'))
                ++j;
            out.push_back({Token::Number, sql.mid(i, j - i)});
        } else if (c == u'\'') {
            // A quote inside a text is written twice.
            while (j < n) {
                if (sql[j] == u'\'') {
                    if (j + 1 < n && sql[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            out.push_back({Token::Text, sql.mid(i, j - i)});
        } else if (c == u'"' || c == u'[') {
            const QChar close = c == u'"' ? QChar(u'"') : QChar(u']');
            while (j < n && sql[j] != close)
                ++j;
            if (j < n)
                ++j;
            out.push_back({Token::QuotedName, sql.mid(i, j - i)});
        } else {
            static const QStringList pairs = {u"<>"_qs, u"<="_qs, u">="_qs, u"!="_qs, u"||"_qs};
            QString sym(c);
            if (i + 1 < n && pairs.contains(sql.mid(i, 2))) {
                sym = sql.mid(i, 2);
                j = i + 2;
            }
            out.push_back({Token::Symbol, sym});
        }
        i = j;
    }
    return out;
}

bool isWord(const Token &t, const char *word)
{
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token &t, const char *sym)
{
    return t.kind == Token::Symbol && t.text == QLatin1String(sym);
}

// Words that can never be an operand of '+'.
bool isKeyword(const QString &word)
{
    static const QSet<QString> keywords = {
        u"select"_qs, u"from"_qs,   u"where"_qs,  u"and"_qs,    u"or"_qs,      u"not"_qs,
        u"as"_qs,     u"on"_qs,     u"in"_qs,     u"is"_qs,     u"by"_qs,      u"group"_qs,
        u"order"_qs,  u"union"_qs,  u"inner"_qs,  u"left"_qs,   u"right"_qs,   u"outer"_qs,
        u"join"_qs,   u"set"_qs,    u"values"_qs, u"into"_qs,   u"insert"_qs,  u"update"_qs,
        u"delete"_qs, u"distinct"_qs, u"case"_qs, u"when"_qs,   u"then"_qs,    u"else"_qs,
        u"end"_qs,    u"like"_qs,   u"between"_qs, u"exists"_qs, u"having"_qs, u"all"_qs,
        u"asc"_qs,    u"desc"_qs,
    };
    return keywords.contains(word.toLower());
}

// Drops the table qualifier of the names in the ORDER BY of a UNION: the result of a union
// has only the names of its columns.
void unqualifyUnionOrderBy(std::vector<Token> &toks)
{
    int depth = 0;
    bool sawUnion = false;
    qsizetype orderAt = -1;
    for (qsizetype k = 0; k < qsizetype(toks.size()); ++k) {
        const Token &t = toks[k];
        if (isSymbol(t, "("))
            ++depth;
        else if (isSymbol(t, ")"))
            --depth;
        else if (depth == 0 && isWord(t, "union"))
            sawUnion = true;
        else if (depth == 0 && sawUnion && isWord(t, "order"))
            orderAt = k;
    }
    if (orderAt < 0)
        return;
    std::vector<Token> out(toks.begin(), toks.begin() + orderAt);
    for (qsizetype k = orderAt; k < qsizetype(toks.size()); ++k) {
        if ((toks[k].kind == Token::Word || toks[k].kind == Token::QuotedName) && k + 2 < qsizetype(toks.size())
            && isSymbol(toks[k + 1], ".") && !isKeyword(toks[k].text)) {
            ++k; // skip the qualifier and its dot; the name follows
            continue;
        }
        out.push_back(toks[k]);
    }
    toks = std::move(out);
}

// The suite's engines sort NULLs before every value in an ascending order (after them in a
// descending one); PostgreSQL does the opposite, so its ORDER BY says it explicitly.
void nullsFirstInOrderBy(std::vector<Token> &toks)
{
    int depth = 0;
    qsizetype orderAt = -1;
    for (qsizetype k = 0; k < qsizetype(toks.size()); ++k) {
        if (isSymbol(toks[k], "("))
            ++depth;
        else if (isSymbol(toks[k], ")"))
            --depth;
        else if (depth == 0 && isWord(toks[k], "order"))
            orderAt = k;
    }
    if (orderAt < 0)
        return;
    std::vector<Token> out(toks.begin(), toks.begin() + orderAt);
    auto closeItem = [&out]() {
        // the last solid token of the item tells its direction
        qsizetype last = qsizetype(out.size()) - 1;
        while (last >= 0 && out[last].kind == Token::Space)
            --last;
        if (last < 0)
            return;
        const bool desc = isWord(out[last], "desc");
        out.insert(out.begin() + last + 1, Token{Token::Word, desc ? u" NULLS LAST"_qs : u" NULLS FIRST"_qs});
    };
    depth = 0;
    bool inItems = false;
    for (qsizetype k = orderAt; k < qsizetype(toks.size()); ++k) {
        const Token &t = toks[k];
        if (isSymbol(t, "("))
            ++depth;
        else if (isSymbol(t, ")"))
            --depth;
        if (!inItems && isWord(t, "by")) {
            inItems = true;
        } else if (inItems && depth == 0 && isSymbol(t, ",")) {
            closeItem();
        }
        out.push_back(t);
    }
    if (inItems)
        closeItem();
    toks = std::move(out);
}

class Translator {
public:
    Translator(std::vector<Token> toks, Engine engine) : m_toks(std::move(toks)), m_engine(engine) {}

    QString run()
    {
        qsizetype i = 0;
        bool text = false;
        QString out;
        while (i < size()) {
            out += sequence(i, false, text);
            if (i < size()) // an unbalanced ')' or ',' at the top: keep it and go on
                out += m_toks[i++].text;
        }
        return out;
    }

private:
    struct Piece {
        QString text;
        bool operand = false; // a primary expression
        bool isText = false;  // known to be text
        bool plus = false;    // the '+' operator
        bool space = false;
    };

    qsizetype size() const { return qsizetype(m_toks.size()); }

    qsizetype nextSolid(qsizetype i) const
    {
        while (i < size() && m_toks[i].kind == Token::Space)
            ++i;
        return i;
    }

    QString spaceFrom(qsizetype &i) const
    {
        QString s;
        while (i < size() && m_toks[i].kind == Token::Space)
            s += m_toks[i++].text;
        return s;
    }

    // Arguments of a call whose '(' is at i; leaves i after the ')'.
    std::vector<QString> arguments(qsizetype &i, bool &anyText)
    {
        std::vector<QString> args;
        ++i; // '('
        anyText = false;
        while (true) {
            bool text = false;
            args.push_back(sequence(i, true, text));
            anyText = anyText || text;
            if (i >= size())
                break;
            if (isSymbol(m_toks[i], ",")) {
                ++i;
                continue;
            }
            ++i; // ')'
            break;
        }
        return args;
    }

    QString textCast(const QString &expr) const { return u"CAST("_qs + expr.trimmed() + u" AS TEXT)"_qs; }

    QString yearOf(const QString &expr) const
    {
        if (m_engine == Engine::Postgres)
            return u"CAST(EXTRACT(YEAR FROM "_qs + expr.trimmed() + u") AS INTEGER)"_qs;
        return u"CAST(strftime('%Y', "_qs + expr.trimmed() + u") AS INTEGER)"_qs;
    }

    // A function call at i (a word followed by '('). Returns its translation.
    Piece call(qsizetype &i)
    {
        const QString name = m_toks[i].text;
        const QString lower = name.toLower();
        ++i;
        const QString gap = spaceFrom(i);
        bool argText = false;
        std::vector<QString> args = arguments(i, argText);
        Piece p;
        p.operand = true;
        if (lower == u"isnull") {
            p.text = u"COALESCE("_qs + args.front();
            for (size_t k = 1; k < args.size(); ++k)
                p.text += u","_qs + args[k];
            p.text += u")"_qs;
            p.isText = argText;
        } else if (lower == u"convert" && args.size() == 2) {
            p.text = textCast(args[1]);
            p.isText = true;
        } else if (lower == u"str" && args.size() == 1) {
            p.text = textCast(args[0]);
            p.isText = true;
        } else if (lower == u"datepart" && args.size() == 2
                   && QStringList{u"year"_qs, u"yyyy"_qs, u"yy"_qs}.contains(args[0].trimmed().toLower())) {
            p.text = yearOf(args[1]);
        } else if (lower == u"year" && args.size() == 1) {
            p.text = yearOf(args[0]);
        } else {
            p.text = name + gap + u"("_qs;
            for (size_t k = 0; k < args.size(); ++k)
                p.text += (k ? u","_qs : QString()) + args[k];
            p.text += u")"_qs;
            p.isText = lower == u"cast" && args.size() == 1 && args[0].toLower().contains(u" as text"_qs);
        }
        return p;
    }

    // Translates tokens from i up to a closing ')' (and, when stopAtComma, a ',') of this
    // level, which is left unconsumed.
    QString sequence(qsizetype &i, bool stopAtComma, bool &anyText)
    {
        std::vector<Piece> pieces;
        while (i < size()) {
            const Token &t = m_toks[i];
            if (isSymbol(t, ")") || (stopAtComma && isSymbol(t, ",")))
                break;
            Piece p;
            if (t.kind == Token::Space) {
                p.text = t.text;
                p.space = true;
                ++i;
            } else if (t.kind == Token::Text) {
                p.text = t.text;
                p.operand = true;
                p.isText = true;
                ++i;
            } else if (t.kind == Token::Number || t.kind == Token::QuotedName || isSymbol(t, "?")) {
                // a placeholder is an operand of unknown type, passed on as it is
                p.text = t.text;
                p.operand = true;
                ++i;
            } else if (isSymbol(t, "(")) {
                bool innerText = false;
                ++i;
                QString inner;
                while (i < size() && !isSymbol(m_toks[i], ")")) {
                    inner += sequence(i, false, innerText);
                    if (i < size() && !isSymbol(m_toks[i], ")"))
                        inner += m_toks[i++].text;
                }
                if (i < size())
                    ++i;
                p.text = u"("_qs + inner + u")"_qs;
                p.operand = true;
                p.isText = innerText;
            } else if (isSymbol(t, "+")) {
                p.text = t.text;
                p.plus = true;
                ++i;
            } else if (t.kind == Token::Word && isWord(t, "as") && nextSolid(i + 1) < size() &&
                       m_toks[nextSolid(i + 1)].kind == Token::Text) {
                // A column alias in single quotes becomes a quoted name.
                const qsizetype at = nextSolid(i + 1);
                QString alias = m_toks[at].text.mid(1, m_toks[at].text.size() - 2);
                alias.replace(u"''"_qs, u"'"_qs);
                p.text = t.text;
                for (qsizetype k = i + 1; k < at; ++k)
                    p.text += m_toks[k].text;
                p.text += u'"' + alias + u'"';
                i = at + 1;
            } else if (t.kind == Token::Word && !isKeyword(t.text)) {
                const qsizetype next = nextSolid(i + 1);
                if (next < size() && isSymbol(m_toks[next], "(")) {
                    p = call(i);
                } else {
                    // A name, possibly qualified: table.column
                    p.text = t.text;
                    ++i;
                    while (i + 1 < size() && isSymbol(m_toks[i], ".")
                           && (m_toks[i + 1].kind == Token::Word || m_toks[i + 1].kind == Token::QuotedName
                               || isSymbol(m_toks[i + 1], "*"))) {
                        p.text += u"."_qs + m_toks[i + 1].text;
                        i += 2;
                    }
                    p.operand = true;
                }
            } else {
                p.text = t.text;
                ++i;
            }
            pieces.push_back(std::move(p));
        }
        markConcatenations(pieces, anyText);
        QString out;
        for (const Piece &p : pieces)
            out += p.text;
        return out;
    }

    // A chain of operands joined by '+' is a concatenation when one of them is text.
    static void markConcatenations(std::vector<Piece> &pieces, bool &anyText)
    {
        const qsizetype n = qsizetype(pieces.size());
        auto solidAfter = [&](qsizetype k) {
            ++k;
            while (k < n && pieces[k].space)
                ++k;
            return k;
        };
        for (qsizetype k = 0; k < n; ++k) {
            if (pieces[k].isText)
                anyText = true;
            if (!pieces[k].operand)
                continue;
            std::vector<qsizetype> pluses;
            bool text = pieces[k].isText;
            qsizetype last = k;
            while (true) {
                const qsizetype op = solidAfter(last);
                if (op >= n || !pieces[op].plus)
                    break;
                const qsizetype rhs = solidAfter(op);
                if (rhs >= n || !pieces[rhs].operand)
                    break;
                pluses.push_back(op);
                text = text || pieces[rhs].isText;
                last = rhs;
            }
            if (text && !pluses.empty()) {
                for (qsizetype op : pluses)
                    pieces[op].text = u"||"_qs;
                anyText = true;
            }
            k = last;
        }
    }

    std::vector<Token> m_toks;
    Engine m_engine;
};

bool isTrigger(QStringView word, const char *trigger)
{
    return word.compare(QLatin1String(trigger), Qt::CaseInsensitive) == 0;
}

// The classes of a character as the tokenizer sees it; ASCII directly, the rest as QChar
// tells (names may hold accented letters).
enum CharClass : unsigned char { Other, Space, Letter, Digit };

constexpr CharClass asciiClass(char16_t u)
{
    if (u == u' ' || (u >= 9 && u <= 13))
        return Space;
    if (u >= u'0' && u <= u'9')
        return Digit;
    if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' || u == u'@')
        return Letter;
    return Other;
}

inline CharClass classOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 128)
        return asciiClass(u);
    return c.isSpace() ? Space : c.isDigit() ? Digit : c.isLetter() ? Letter : c.isLetterOrNumber() ? Digit : Other;
}

// What a quick walk over a statement found, without building tokens.
struct Survey {
    bool rewrite = false;    // a function the translator rewrites, a '+', a quoted alias, the date format
    bool sawUnion = false;   // the word UNION
    bool sawOrder = false;   // the word ORDER, at any depth
    qsizetype topOrder = -1; // where the last ORDER outside parentheses starts
};

// Notes what a word tells the survey; true when the word is AS.
bool noteWord(QStringView word, qsizetype at, int depth, Survey &out)
{
    switch (word.size()) {
    case 2:
        return isTrigger(word, "as");
    case 3:
        out.rewrite = isTrigger(word, "str");
        break;
    case 4:
        out.rewrite = isTrigger(word, "year");
        break;
    case 5:
        if (isTrigger(word, "union")) {
            out.sawUnion = true;
        } else if (isTrigger(word, "order")) {
            out.sawOrder = true;
            if (depth == 0)
                out.topOrder = at;
        }
        break;
    case 6:
        out.rewrite = isTrigger(word, "isnull");
        break;
    case 7:
        out.rewrite = isTrigger(word, "convert");
        break;
    case 8:
        out.rewrite = isTrigger(word, "datepart");
        break;
    case 10:
        out.rewrite = isTrigger(word, "dateformat");
        break;
    default:
        break;
    }
    return false;
}

// Where a quoted text that starts before from ends ('' is a quote inside it).
qsizetype endOfText(const QChar *s, qsizetype from, qsizetype n)
{
    qsizetype j = from;
    while (j < n) {
        if (s[j] == u'\'') {
            if (j + 1 < n && s[j + 1] == u'\'')
                j += 2;
            else
                return j + 1;
            continue;
        }
        ++j;
    }
    return j;
}

// Walks the statement as the tokenizer does (texts and quoted names are skipped whole) and
// notes what the translator would act on. Most statements have none of it and pass
// unchanged, at a fraction of the cost of translating them.
Survey survey(const QString &sql)
{
    Survey out;
    const QChar *s = sql.constData();
    const qsizetype n = sql.size();
    bool afterAs = false; // the last solid token was the word AS
    int depth = 0;
    qsizetype i = 0;
    while (i < n && !out.rewrite) {
        const QChar c = s[i];
        const CharClass k = classOf(c);
        qsizetype j = i + 1;
        if (k == Space) {
            i = j;
            continue;
        }
        if (k == Letter) {
            while (j < n && (classOf(s[j]) == Letter || classOf(s[j]) == Digit))
                ++j;
            afterAs = noteWord(QStringView(s + i, j - i), i, depth, out);
        } else if (c.isDigit()) {
            while (j < n && (s[j].isDigit() || s[j] == u'.'))
                ++j;
            afterAs = false;
        } else if (c == u'\'') {
            out.rewrite = afterAs;
            j = endOfText(s, j, n);
        } else if (c == u'"' || c == u'[') {
            const QChar close = c == u'"' ? QChar(u'"') : QChar(u']');
            while (j < n && s[j] != close)
                ++j;
            if (j < n)
                ++j;
            afterAs = false;
        } else {
            if (c == u'+')
                out.rewrite = true;
            else if (c == u'(')
                ++depth;
            else if (c == u')')
                --depth;
            afterAs = false;
        }
        i = j;
    }
    return out;
}

// The deepest nesting of brackets the translator takes. It walks brackets and calls by
// recursion (up to three frames of about half a kilobyte a level), so a statement nested
// deeper, far beyond any the program writes, is passed on as it is for the engine to judge
// instead of running out of stack here, also on a thread with a small stack.
constexpr int maxNesting = 200;

bool nestedTooDeep(const std::vector<Token> &toks)
{
    int depth = 0;
    for (const Token &t : toks) {
        if (isSymbol(t, "(") && ++depth > maxNesting)
            return true;
        if (isSymbol(t, ")") && depth > 0)
            --depth;
    }
    return false;
}

} // namespace

QString translateSql(const QString &sql, Engine engine)
{
    const Survey found = survey(sql);
    if (!found.rewrite && !(found.sawUnion && found.sawOrder)) {
        // Nothing but, on PostgreSQL, the sort order of NULLs: only the ORDER BY of the
        // statement itself (outside parentheses) changes, everything before it stays.
        if (engine == Engine::Sqlite || found.topOrder < 0)
            return sql;
        std::vector<Token> tail = tokenize(sql.mid(found.topOrder));
        nullsFirstInOrderBy(tail);
        QString out = sql.left(found.topOrder);
        for (const Token &t : tail)
            out += t.text;
        return out;
    }

    std::vector<Token> toks = tokenize(sql);
    if (nestedTooDeep(toks))
        return sql;

    std::vector<const Token *> solid;
    for (const Token &t : toks)
        if (t.kind != Token::Space)
            solid.push_back(&t);
    if (solid.size() == 3 && isWord(*solid[0], "set") && isWord(*solid[1], "dateformat")) {
        if (engine == Engine::Postgres)
            return solid[2]->text.compare(u"mdy"_qs, Qt::CaseInsensitive) == 0
                ? u"SET DateStyle TO 'ISO, MDY'"_qs
                : u"SET DateStyle TO 'ISO, DMY'"_qs;
        return QString(); // SQLite keeps dates as ISO text: nothing to set
    }

    unqualifyUnionOrderBy(toks);
    if (engine == Engine::Postgres)
        nullsFirstInOrderBy(toks);
    return Translator(std::move(toks), engine).run();
}

} // namespace liqiva
