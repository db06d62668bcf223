#include "domain/document/InputText.h"

#include "suite/Rounding.h"

#include <QRegularExpression>
#include <cmath>

namespace liqiva {

namespace {

// Groups the digits of a whole number by thousands with dots.
QString groupThousands(const QString &digits)
{
    QString out = digits;
    for (qsizetype at = out.size() - 3; at > 0; at -= 3)
        out.insert(at, u'.');
    return out;
}

} // namespace

QString formatAmount(Money value, bool euro)
{
    const Money rounded = roundTo(value, euro ? Step::Cent : Step::Lira, RoundMode::HalfAwayFromZero);
    // Whole hundredths (or whole lire) keep the text exact.
    const long long raw = rounded.raw() < 0 ? -rounded.raw() : rounded.raw();
    const long long scaled = raw / (euro ? Money::Scale / 100 : Money::Scale);
    const bool negative = scaled != 0 && rounded < Money();
    QString text;
    if (euro) {
        text = groupThousands(QString::number(scaled / 100)) + u',' +
               QStringLiteral("%1").arg(scaled % 100, 2, 10, QChar(u'0'));
    } else {
        text = groupThousands(QString::number(scaled));
    }
    return negative ? u'-' + text : text;
}

QString formatAmount(std::optional<Money> value, bool euro)
{
    return value ? formatAmount(*value, euro) : QString();
}

QString formatPercent(Percent value)
{
    return formatAmount(value.rounded(Percent::Hundredth, RoundMode::HalfAwayFromZero).toMoney(), true);
}

ParsedAmount parseAmount(const QString &input, bool euro)
{
    ParsedAmount result;
    QString text = input.trimmed();
    text.remove(u' ');
    if (text.isEmpty()) {
        result.valid = true;
        return result;
    }
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.startsWith(u'-');
        text.remove(0, 1);
    }
    QString whole = text;
    QString fraction;
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) {
        whole = text.left(comma);
        fraction = text.mid(comma + 1);
    } else if (text.count(u'.') == 1) {
        // "12.50" reads as a decimal point; "1.234" as thousands.
        const qsizetype dot = text.indexOf(u'.');
        if (text.size() - dot - 1 != 3) {
            whole = text.left(dot);
            fraction = text.mid(dot + 1);
        }
    }
    static const QRegularExpression grouped(u"^\\d{1,3}(\\.\\d{3})*$"_qs);
    static const QRegularExpression plain(u"^\\d*$"_qs);
    static const QRegularExpression fractionDigits(u"^\\d*$"_qs);
    if (whole.contains(u'.')) {
        if (!grouped.match(whole).hasMatch())
            return result;
        whole.remove(u'.');
    } else if (!plain.match(whole).hasMatch()) {
        return result;
    }
    if (!fractionDigits.match(fraction).hasMatch())
        return result;
    if (whole.isEmpty() && fraction.isEmpty())
        return result;
    if (fraction.size() > (euro ? 2 : 0))
        return result;
    // More whole digits than the currency columns hold are not an amount of this program.
    if (whole.size() > 15)
        return result;
    const std::optional<Money> value =
        Money::parse((whole.isEmpty() ? u"0"_qs : whole) + (fraction.isEmpty() ? QString() : u'.' + fraction));
    if (!value)
        return result;
    result.valid = true;
    result.value = negative ? -*value : *value;
    return result;
}

QString formatDate(const std::optional<QDate> &date)
{
    return date && date->isValid() ? date->toString(u"dd/MM/yyyy"_qs) : QString();
}

ParsedDate parseDate(const QString &input)
{
    ParsedDate result;
    const QString text = input.trimmed();
    if (text.isEmpty()) {
        result.valid = true;
        return result;
    }
    static const QRegularExpression separated(u"^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2}|\\d{4})$"_qs);
    // Typed without separators: ggmmaa or ggmmaaaa.
    static const QRegularExpression compact(u"^(\\d{2})(\\d{2})(\\d{2}|\\d{4})$"_qs);
    QRegularExpressionMatch m = separated.match(text);
    if (!m.hasMatch())
        m = compact.match(text);
    if (!m.hasMatch())
        return result;
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 70 ? 2000 : 1900;
    const QDate date(year, m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid())
        return result;
    result.valid = true;
    result.value = date;
    return result;
}

QString msgInvalidAmount(const QString &typed, bool euro)
{
    return u"\""_qs + typed.trimmed() + u"\" non è un importo valido: "_qs +
           (euro ? u"indicare l'importo in euro con al più due decimali, ad esempio 1.234,56."_qs
                 : u"indicare l'importo in lire senza decimali, ad esempio 1.234."_qs);
}

QString msgAmountOutOfRange(const QString &lowest, const QString &highest)
{
    return u"L'importo deve essere compreso tra "_qs + lowest + u" e "_qs + highest + u"."_qs;
}

QString msgInvalidDate(const QString &typed)
{
    return u"\""_qs + typed.trimmed() +
           u"\" non è una data valida: indicare la data come gg/mm/aaaa (oppure ggmmaa, ggmmaaaa, gg/mm/aa, gg-mm-aaaa)."_qs;
}

} // namespace liqiva
