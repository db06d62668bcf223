#include "suite/VatNumbers.h"

namespace liqiva {

namespace {

bool allDigits(const QString &text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// The value of a character of a person's tax code in an odd place (first, third, ...).
int oddValue(QChar c)
{
    // 0-9 and A-Z share one table: a digit counts as the letter of the same place.
    static const int values[26] = {1,  0,  5, 7, 9, 13, 15, 17, 19, 21, 2,  4,  18,
                                   20, 11, 3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
    return c.isDigit() ? values[c.unicode() - u'0'] : values[c.unicode() - u'A'];
}

int evenValue(QChar c)
{
    return c.isDigit() ? c.unicode() - u'0' : c.unicode() - u'A';
}

bool isUpperLetter(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

// A digit, or the letter that stands for it in the codes of homonyms.
bool isDigitOrHomonymLetter(QChar c)
{
    return c.isDigit() || QStringLiteral("LMNPQRSTUV").contains(c);
}

} // namespace

int partitaIvaCheckDigit(const QString &tenDigits)
{
    int sum = 0;
    for (int k = 0; k < 10; ++k) {
        const int d = tenDigits[k].unicode() - u'0';
        if (k % 2 == 0) {
            sum += d;
        } else {
            const int twice = 2 * d;
            sum += twice > 9 ? twice - 9 : twice;
        }
    }
    return (10 - sum % 10) % 10;
}

std::optional<QString> partitaIvaProblem(const QString &text)
{
    if (text.isEmpty())
        return u"manca la partita IVA (11 cifre)"_qs;
    if (text.size() != 11 || !allDigits(text))
        return QStringLiteral("la partita IVA \"%1\" non è di 11 cifre").arg(text);
    const int expected = partitaIvaCheckDigit(text.left(10));
    if (text[10].unicode() - u'0' != expected)
        return QStringLiteral("la partita IVA %1 non è valida: la cifra di controllo è %2, non %3")
            .arg(text)
            .arg(expected)
            .arg(text[10]);
    return std::nullopt;
}

std::optional<QString> codiceFiscaleProblem(const QString &text)
{
    if (text.isEmpty())
        return u"manca il codice fiscale"_qs;
    if (text.size() == 11 && allDigits(text)) {
        if (auto problem = partitaIvaProblem(text))
            return QStringLiteral("il codice fiscale numerico %1 non è valido: la cifra di controllo è %2, non %3")
                .arg(text)
                .arg(partitaIvaCheckDigit(text.left(10)))
                .arg(text[10]);
        return std::nullopt;
    }
    const QString shape =
        QStringLiteral("il codice fiscale \"%1\" non è né di 11 cifre né di 16 caratteri come RSSMRA85T10A562S")
            .arg(text);
    if (text.size() != 16)
        return shape;
    for (int k = 0; k < 16; ++k) {
        const QChar c = text[k];
        const bool letterPlace = k < 6 || k == 8 || k == 11 || k == 15;
        if (letterPlace ? !isUpperLetter(c) : !isDigitOrHomonymLetter(c))
            return shape;
    }
    if (!QStringLiteral("ABCDEHLMPRST").contains(text[8]))
        return QStringLiteral("il codice fiscale %1 non è valido: la lettera del mese (%2) non esiste")
            .arg(text, text[8]);
    int sum = 0;
    for (int k = 0; k < 15; ++k)
        sum += k % 2 == 0 ? oddValue(text[k]) : evenValue(text[k]);
    const QChar expected = QChar(u'A' + sum % 26);
    if (text[15] != expected)
        return QStringLiteral("il codice fiscale %1 non è valido: il carattere di controllo è %2, non %3")
            .arg(text, expected, text[15]);
    return std::nullopt;
}

} // namespace liqiva
