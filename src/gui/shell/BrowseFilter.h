#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace liqiva {

// A column of the browse: the field of the browse statement, its heading, whether it holds a
// number (compared as a number by the filter) and whether the grid shows it.
struct BrowseColumn {
    QString field;
    QString heading;
    bool numeric = false;
    bool shown = true; // false: offered by the filter, not shown by the grid
};

// The balance of a saved settlement as the browse shows it, in two columns: the amount to
// pay and the credit (the stored balance is negative for a credit).
inline const QString &browseToPayField()
{
    static const QString f = QStringLiteral("DaVersare");
    return f;
}
inline const QString &browseCreditField()
{
    static const QString f = QStringLiteral("ACredito");
    return f;
}

// The columns the browse of saved settlements shows and filters on, in order.
const std::vector<BrowseColumn> &browseColumns();

// The text the grid shows for a field of a row of the browse statement (the advance method
// by name on December advance rows only, nothing for a NULL).
QString browseDisplayText(const QString &field, const QVariant &value, int idMese);

// One condition of the filter definition: a column, an operator and a value.
struct BrowseCondition {
    enum class Op { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual, Contains, StartsWith };
    QString field;
    Op op = Op::Equal;
    QString value;

    bool operator==(const BrowseCondition &) const = default;
    // "Anno = 2024", "Attività contiene 'ingrosso'".
    QString describe() const;
};

// The operators in the order the filter definition offers them, with their texts.
const std::vector<std::pair<BrowseCondition::Op, QString>> &browseOperators();

// Checks a condition before it enters the definition: a known column, a value given, and a
// number for a numeric column. Returns the message to show, or nothing when it is good.
std::optional<QString> checkCondition(const BrowseCondition &c);

// Whether a row (the displayed texts and raw values by field) meets every condition. Numeric
// columns compare as numbers, the others as text without regard to case; a NULL meets only
// "<>" and no other operator.
bool rowMatches(const std::vector<BrowseCondition> &conditions, const QStringList &fields, const QVariantList &values,
                const QStringList &texts);

} // namespace liqiva
