#include "suite/TextCheck.h"

#include "database/Schema.h"
#include "suite/Refusal.h"

#include <QHash>
#include <QMutex>
#include <stdexcept>

namespace liqiva {

int textColumnLength(const QString &table, const QString &column)
{
    // Looked up once per column: a list of rows checks the same column many times.
    static QMutex mutex;
    static QHash<QString, int> known;
    const QString name = table.toLower() + u'.' + column.toLower();
    QMutexLocker lock(&mutex);
    auto found = known.constFind(name);
    if (found == known.constEnd()) {
        const int length = schemaTextLength(table, column);
        if (length < 0)
            throw std::logic_error("textColumnLength: " + name.toStdString() + " is not a text column of the schema");
        found = known.insert(name, length);
    }
    return *found;
}

QString msgTextTooLong(const QString &field, qsizetype length, int bound)
{
    return QStringLiteral("%1: il testo è lungo %2 caratteri, al massimo %3.").arg(field).arg(length).arg(bound);
}

QString msgTextControl(const QString &field, char32_t code, qsizetype position)
{
    return QStringLiteral("%1: il testo contiene un carattere di controllo (U+%2) alla posizione %3, che non è "
                          "ammesso.")
        .arg(field)
        .arg(uint(code), 4, 16, QChar(u'0'))
        .arg(position);
}

QString msgTextInvalid(const QString &field, qsizetype position)
{
    return QStringLiteral("%1: il testo contiene un carattere non valido (un surrogato UTF-16 isolato) alla "
                          "posizione %2.")
        .arg(field)
        .arg(position);
}

QString textFault(const QString &field, const QString &text, const QString &table, const QString &column)
{
    const int bound = textColumnLength(table, column);
    const bool memo = bound == 0;
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        ++characters; // positions are counted from 1, in characters
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return msgTextInvalid(field, characters);
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f)) {
            if (memo && (u == u'\t' || u == u'\n' || u == u'\r'))
                continue;
            return msgTextControl(field, u, characters);
        }
    }
    if (!memo && characters > bound)
        return msgTextTooLong(field, characters, bound);
    return {};
}

void checkText(const QString &field, const QString &text, const QString &table, const QString &column)
{
    if (const QString fault = textFault(field, text, table, column); !fault.isEmpty())
        throw Refusal(fault);
}

} // namespace liqiva
