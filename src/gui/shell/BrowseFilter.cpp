#include "gui/shell/BrowseFilter.h"

#include "domain/document/InputText.h"

#include <QLocale>

namespace liqiva {

const std::vector<BrowseColumn> &browseColumns()
{
    static const std::vector<BrowseColumn> columns = {
        {u"PeriodoIva"_qs, u"Periodo IVA"_qs, false},
        // The VAT year's name says the year already: the year is there for the filter.
        {u"Anno"_qs, u"Anno"_qs, true, false},
        {u"Mesi"_qs, u"Mese"_qs, false},
        {browseToPayField(), u"Da versare"_qs, true},
        {browseCreditField(), u"A credito"_qs, true},
        {u"AttivitaAzienda"_qs, u"Attività"_qs, false},
        {u"CodiceAttivita"_qs, u"Codice attività"_qs, false},
        {u"DescrizioneAttivita"_qs, u"Descrizione attività"_qs, false},
        {u"MetodoCalcoloAccontoIva"_qs, u"Metodo calcolo acconto"_qs, false},
    };
    return columns;
}

QString browseDisplayText(const QString &field, const QVariant &value, int idMese)
{
    if (field.compare(u"MetodoCalcoloAccontoIva"_qs, Qt::CaseInsensitive) == 0) {
        if (idMese != 13)
            return {};
        static const QStringList methods = {u"Metodo analitico"_qs, u"Metodo storico"_qs, u"Metodo previsionale"_qs};
        const int m = value.toInt();
        return m >= 0 && m < methods.size() ? methods.at(m) : QString();
    }
    if (!value.isValid() || value.isNull())
        return {};
    if (field.compare(u"Anno"_qs, Qt::CaseInsensitive) == 0)
        return QString::number(value.toLongLong());
    if (field == browseToPayField() || field == browseCreditField()) {
        // Two decimals, Italian separators ("1.234,56").
        return formatAmount(Money::fromVariant(value), true);
    }
    return value.toString().trimmed();
}

const std::vector<std::pair<BrowseCondition::Op, QString>> &browseOperators()
{
    using Op = BrowseCondition::Op;
    static const std::vector<std::pair<Op, QString>> ops = {
        {Op::Equal, u"="_qs},
        {Op::NotEqual, u"<>"_qs},
        {Op::Less, u"<"_qs},
        {Op::LessOrEqual, u"<="_qs},
        {Op::Greater, u">"_qs},
        {Op::GreaterOrEqual, u">="_qs},
        {Op::Contains, u"contiene"_qs},
        {Op::StartsWith, u"inizia con"_qs},
    };
    return ops;
}

namespace {

const BrowseColumn *columnOf(const QString &field)
{
    for (const BrowseColumn &c : browseColumns()) {
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

QString operatorText(BrowseCondition::Op op)
{
    for (const auto &[o, text] : browseOperators()) {
        if (o == op)
            return text;
    }
    return {};
}

// A number typed in a condition, as an amount is typed ("1.234,56", "12,5", "7").
std::optional<Money> numberOf(const QString &text)
{
    const ParsedAmount typed = parseAmount(text, true);
    return typed.valid ? typed.value : std::nullopt;
}

template <typename T> bool compare(BrowseCondition::Op op, const T &a, const T &b)
{
    using Op = BrowseCondition::Op;
    switch (op) {
    case Op::Equal:
        return a == b;
    case Op::NotEqual:
        return a != b;
    case Op::Less:
        return a < b;
    case Op::LessOrEqual:
        return a <= b;
    case Op::Greater:
        return a > b;
    case Op::GreaterOrEqual:
        return a >= b;
    default:
        return false;
    }
}

} // namespace

QString BrowseCondition::describe() const
{
    const BrowseColumn *c = columnOf(field);
    const QString heading = c ? c->heading : field;
    const QString v = c && c->numeric ? value.trimmed() : u"'"_qs + value + u"'"_qs;
    return heading + u" "_qs + operatorText(op) + u" "_qs + v;
}

std::optional<QString> checkCondition(const BrowseCondition &c)
{
    using Op = BrowseCondition::Op;
    const BrowseColumn *column = columnOf(c.field);
    if (!column)
        return u"Scegliere la colonna su cui porre la condizione."_qs;
    if (c.value.trimmed().isEmpty())
        return u"Indicare il valore della condizione su "_qs + column->heading + u"."_qs;
    if (column->numeric) {
        if (c.op == Op::Contains || c.op == Op::StartsWith)
            return u"La colonna "_qs + column->heading +
                   u" contiene numeri: usare un confronto (=, <>, <, <=, >, >=)."_qs;
        if (!numberOf(c.value))
            return u"Il valore \""_qs + c.value.trimmed() + u"\" indicato per "_qs + column->heading +
                   u" non è un numero."_qs;
    }
    return std::nullopt;
}

bool rowMatches(const std::vector<BrowseCondition> &conditions, const QStringList &fields, const QVariantList &values,
                const QStringList &texts)
{
    using Op = BrowseCondition::Op;
    for (const BrowseCondition &c : conditions) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (fields.at(i).compare(c.field, Qt::CaseInsensitive) == 0) {
                at = i;
                break;
            }
        }
        if (at < 0)
            return false;
        const QVariant &raw = values.value(at);
        const QString text = texts.value(at);
        const BrowseColumn *column = columnOf(c.field);
        const bool isNull = column && column->numeric ? (!raw.isValid() || raw.isNull()) : text.isEmpty();
        if (isNull) {
            if (c.op != Op::NotEqual)
                return false;
            continue;
        }
        bool ok = false;
        if (column && column->numeric) {
            const std::optional<Money> wanted = numberOf(c.value);
            ok = wanted && compare(c.op, Money::fromVariant(raw), *wanted);
        } else {
            const QString a = text.toLower();
            const QString b = c.value.trimmed().toLower();
            if (c.op == Op::Contains)
                ok = a.contains(b);
            else if (c.op == Op::StartsWith)
                ok = a.startsWith(b);
            else
                ok = compare(c.op, QString::localeAwareCompare(a, b), 0);
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace liqiva
