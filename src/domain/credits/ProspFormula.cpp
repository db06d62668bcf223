#include "domain/credits/ProspFormula.h"

#include <limits>

namespace liqiva {

namespace {

using Raw = long long;
constexpr Raw Scale = Money::Scale;

// A failed evaluation: the message travels up to evaluate().
struct Failure {
    QString message;
};

// Half away from zero of n / d, d > 0, in 128 bits.
__int128 divideRounded(__int128 n, __int128 d)
{
    const bool negative = n < 0;
    const __int128 a = negative ? -n : n;
    __int128 q = a / d;
    if ((a % d) * 2 >= d)
        ++q;
    return negative ? -q : q;
}

Raw narrow(__int128 v)
{
    if (v > std::numeric_limits<Raw>::max() || v < -std::numeric_limits<Raw>::max())
        throw Failure{ProspFormula::msgOverflow()};
    return static_cast<Raw>(v);
}

class Parser {
public:
    Parser(const QString &text, const ProspFormula::CellLookup *cell) : m_text(text), m_cell(cell) {}

    Raw run()
    {
        const Raw v = comparison(true);
        skipBlanks();
        if (m_pos < m_text.size())
            unexpected();
        return v;
    }

private:
    struct Ref {
        int column = 0;
        int row = 0;
    };

    // Every step down the grammar counts one level: no text nests beyond MaxDepth.
    struct Level {
        explicit Level(Parser &p) : m_p(p)
        {
            if (++m_p.m_depth > ProspFormula::MaxDepth)
                throw Failure{ProspFormula::msgTooDeep()};
        }
        ~Level() { --m_p.m_depth; }
        Parser &m_p;
    };

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    QChar peek()
    {
        skipBlanks();
        return m_pos < m_text.size() ? m_text.at(m_pos) : QChar();
    }

    bool accept(QChar c)
    {
        if (peek() != c)
            return false;
        ++m_pos;
        return true;
    }

    [[noreturn]] void unexpected()
    {
        if (m_pos >= m_text.size())
            throw Failure{ProspFormula::msgUnexpectedEnd()};
        throw Failure{ProspFormula::msgUnexpected(m_text.mid(m_pos, 1), int(m_pos) + 1)};
    }

    void expect(QChar c)
    {
        if (!accept(c))
            unexpected();
    }

    // comparison := additive [ (> < >= <= = <>) additive ]
    Raw comparison(bool eval)
    {
        Level level(*this);
        const Raw left = additive(eval);
        QString op;
        const QChar c = peek();
        if (c == u'>' || c == u'<' || c == u'=') {
            op += c;
            ++m_pos;
            if (m_pos < m_text.size() && (m_text.at(m_pos) == u'=' || (c == u'<' && m_text.at(m_pos) == u'>')))
                op += m_text.at(m_pos++);
        } else {
            return left;
        }
        const Raw right = additive(eval);
        bool truth = false;
        if (op == u">")
            truth = left > right;
        else if (op == u"<")
            truth = left < right;
        else if (op == u">=")
            truth = left >= right;
        else if (op == u"<=")
            truth = left <= right;
        else if (op == u"=")
            truth = left == right;
        else if (op == u"<>")
            truth = left != right;
        else
            throw Failure{ProspFormula::msgUnexpected(op, int(m_pos))};
        return truth ? Scale : 0;
    }

    // additive := term { (+ -) term }
    Raw additive(bool eval)
    {
        Level level(*this);
        Raw v = term(eval);
        for (;;) {
            if (accept(u'+')) {
                const Raw r = term(eval);
                if (eval && __builtin_add_overflow(v, r, &v))
                    throw Failure{ProspFormula::msgOverflow()};
            } else if (accept(u'-')) {
                const Raw r = term(eval);
                if (eval && __builtin_sub_overflow(v, r, &v))
                    throw Failure{ProspFormula::msgOverflow()};
            } else {
                return v;
            }
        }
    }

    // term := unary { (* /) unary }
    Raw term(bool eval)
    {
        Level level(*this);
        Raw v = unary(eval);
        for (;;) {
            if (accept(u'*')) {
                const Raw r = unary(eval);
                if (eval)
                    v = narrow(divideRounded(static_cast<__int128>(v) * r, Scale));
            } else if (accept(u'/')) {
                const Raw r = unary(eval);
                if (!eval)
                    continue;
                if (r == 0)
                    throw Failure{ProspFormula::msgDivisionByZero()};
                const __int128 n = static_cast<__int128>(v) * Scale;
                const __int128 d = r;
                v = narrow(d < 0 ? divideRounded(-n, -d) : divideRounded(n, d));
            } else {
                return v;
            }
        }
    }

    // unary := (+ -) unary | primary
    Raw unary(bool eval)
    {
        Level level(*this);
        if (accept(u'-')) {
            const Raw v = unary(eval);
            return eval ? narrow(-static_cast<__int128>(v)) : 0;
        }
        if (accept(u'+'))
            return unary(eval);
        return primary(eval);
    }

    Raw number()
    {
        __int128 whole = 0;
        int digits = 0;
        while (m_pos < m_text.size() && m_text.at(m_pos).isDigit() && m_text.at(m_pos).unicode() < 128) {
            whole = whole * 10 + (m_text.at(m_pos).unicode() - u'0');
            if (whole > std::numeric_limits<Raw>::max() / Scale)
                throw Failure{ProspFormula::msgOverflow()};
            ++m_pos;
            ++digits;
        }
        Raw fraction = 0;
        if (m_pos < m_text.size() && m_text.at(m_pos) == u'.') {
            ++m_pos;
            Raw place = Scale / 10;
            while (m_pos < m_text.size() && m_text.at(m_pos).isDigit() && m_text.at(m_pos).unicode() < 128) {
                if (place == 0)
                    throw Failure{ProspFormula::msgUnexpected(m_text.mid(m_pos, 1), int(m_pos) + 1)};
                fraction += (m_text.at(m_pos).unicode() - u'0') * place;
                place /= 10;
                ++m_pos;
                ++digits;
            }
        }
        if (digits == 0)
            unexpected();
        return narrow(whole * Scale + fraction);
    }

    QString name()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos).unicode() < 128 && m_text.at(m_pos).isLetter())
            ++m_pos;
        return m_text.mid(start, m_pos - start).toUpper();
    }

    // A letter name followed by digits is a cell: "B12".
    std::optional<Ref> cellOf(const QString &letters)
    {
        if (letters.size() != 1 || m_pos >= m_text.size() || !m_text.at(m_pos).isDigit())
            return std::nullopt;
        int row = 0;
        while (m_pos < m_text.size() && m_text.at(m_pos).isDigit() && m_text.at(m_pos).unicode() < 128) {
            row = row * 10 + (m_text.at(m_pos).unicode() - u'0');
            if (row > 99999)
                throw Failure{ProspFormula::msgUnexpected(m_text.mid(m_pos, 1), int(m_pos) + 1)};
            ++m_pos;
        }
        if (row == 0)
            throw Failure{ProspFormula::msgUnexpected(u"0"_qs, int(m_pos))};
        return Ref{letters.at(0).unicode() - u'A', row};
    }

    Raw valueOf(Ref r)
    {
        const ProspFormula::Result v = (*m_cell)(r.column, r.row);
        if (!v.value)
            throw Failure{v.error};
        return v.value->raw();
    }

    Raw primary(bool eval)
    {
        Level level(*this);
        const QChar c = peek();
        if (c.isNull())
            unexpected();
        if (c == u'(') {
            ++m_pos;
            const Raw v = comparison(eval);
            expect(u')');
            return v;
        }
        if ((c.isDigit() && c.unicode() < 128) || c == u'.')
            return number();
        if (c.unicode() < 128 && c.isLetter()) {
            const qsizetype start = m_pos;
            const QString letters = name();
            if (const std::optional<Ref> ref = cellOf(letters)) {
                skipBlanks();
                if (m_pos < m_text.size() && m_text.at(m_pos) == u':')
                    throw Failure{ProspFormula::msgRangeOutsideSum()};
                return eval ? valueOf(*ref) : 0;
            }
            if (peek() != u'(')
                throw Failure{ProspFormula::msgUnknownFunction(m_text.mid(start, m_pos - start))};
            ++m_pos;
            if (letters == u"SUM")
                return sum(eval);
            if (letters == u"IF")
                return conditional(eval);
            throw Failure{ProspFormula::msgUnknownFunction(letters)};
        }
        unexpected();
    }

    // SUM( item { (, ;) item } ), an item a range B1:B5 or an expression.
    Raw sum(bool eval)
    {
        Raw total = 0;
        do {
            Raw item = 0;
            const qsizetype start = m_pos;
            skipBlanks();
            const qsizetype at = m_pos;
            const QString letters = name();
            std::optional<Ref> from = cellOf(letters);
            if (from && accept(u':')) {
                skipBlanks();
                const std::optional<Ref> to = cellOf(name());
                if (!to)
                    unexpected();
                const int c0 = std::min(from->column, to->column), c1 = std::max(from->column, to->column);
                const int r0 = std::min(from->row, to->row), r1 = std::max(from->row, to->row);
                const long long cells = static_cast<long long>(c1 - c0 + 1) * (r1 - r0 + 1);
                if (cells > ProspFormula::MaxRangeCells)
                    throw Failure{ProspFormula::msgRangeTooLarge(m_text.mid(at, m_pos - at).trimmed())};
                if (eval) {
                    for (int col = c0; col <= c1; ++col)
                        for (int row = r0; row <= r1; ++row)
                            if (__builtin_add_overflow(item, valueOf(Ref{col, row}), &item))
                                throw Failure{ProspFormula::msgOverflow()};
                }
            } else {
                m_pos = start;
                item = comparison(eval);
            }
            if (eval && __builtin_add_overflow(total, item, &total))
                throw Failure{ProspFormula::msgOverflow()};
        } while (accept(u',') || accept(u';'));
        expect(u')');
        return total;
    }

    // IF(condition, then, else): only the branch taken is computed.
    Raw conditional(bool eval)
    {
        const Raw condition = comparison(eval);
        if (!accept(u',') && !accept(u';'))
            throw Failure{ProspFormula::msgArguments(u"IF"_qs)};
        const bool taken = condition != 0;
        const Raw then = comparison(eval && taken);
        if (!accept(u',') && !accept(u';'))
            throw Failure{ProspFormula::msgArguments(u"IF"_qs)};
        const Raw otherwise = comparison(eval && !taken);
        if (peek() != u')')
            throw Failure{ProspFormula::msgArguments(u"IF"_qs)};
        ++m_pos;
        return taken ? then : otherwise;
    }

    const QString &m_text;
    const ProspFormula::CellLookup *m_cell;
    qsizetype m_pos = 0;
    int m_depth = 0;
};

} // namespace

ProspFormula::Result ProspFormula::evaluate(const QString &formula, const CellLookup &cell)
{
    if (formula.size() > MaxLength)
        return {std::nullopt, msgTooLong()};
    if (formula.trimmed().isEmpty())
        return {std::nullopt, msgEmpty()};
    // A leading "=" as a spreadsheet writes it is allowed.
    QString text = formula.trimmed();
    if (text.startsWith(u'='))
        text.remove(0, 1);
    const CellLookup none = [](int, int) { return Result{Money(), {}}; };
    try {
        Parser p(text, cell ? &cell : &none);
        return {Money::fromRaw(p.run()), {}};
    } catch (const Failure &f) {
        return {std::nullopt, f.message};
    }
}

QString ProspFormula::msgEmpty()
{
    return u"La formula è vuota."_qs;
}

QString ProspFormula::msgTooLong()
{
    return QStringLiteral("La formula supera i %1 caratteri.").arg(MaxLength);
}

QString ProspFormula::msgTooDeep()
{
    return u"La formula ha troppi livelli di parentesi o di segni."_qs;
}

QString ProspFormula::msgUnexpected(const QString &what, int position)
{
    return QStringLiteral("Formula non valida: \"%1\" non atteso alla posizione %2.").arg(what).arg(position);
}

QString ProspFormula::msgUnexpectedEnd()
{
    return u"Formula non valida: la formula termina prima del previsto."_qs;
}

QString ProspFormula::msgUnknownFunction(const QString &name)
{
    return QStringLiteral("Formula non valida: \"%1\" non è una funzione né una cella.").arg(name);
}

QString ProspFormula::msgArguments(const QString &name)
{
    return QStringLiteral("Formula non valida: numero di argomenti errato per %1.").arg(name);
}

QString ProspFormula::msgDivisionByZero()
{
    return u"Formula non valida: divisione per zero."_qs;
}

QString ProspFormula::msgOverflow()
{
    return u"Il risultato della formula supera l'importo massimo."_qs;
}

QString ProspFormula::msgRangeTooLarge(const QString &range)
{
    return QStringLiteral("L'intervallo %1 comprende troppe celle.").arg(range);
}

QString ProspFormula::msgRangeOutsideSum()
{
    return u"Formula non valida: un intervallo di celle si indica solo dentro SUM."_qs;
}

} // namespace liqiva
