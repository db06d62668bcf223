#pragma once

#include "database/Engine.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace liqiva {

// The values bound to the placeholders ("?") of one statement, in order. Values never reach
// a statement's text.
using SqlParams = QVariantList;

// An exact decimal number bound as such ("1234.5", "-0.0001"): a currency amount never
// travels through a binary double on its way to the database. A number made from a whole
// count of its last place (fromUnits) keeps that count too, so that binding it needs no
// reading of its text back.
struct SqlDecimal {
    QString text;
    long long units = 0; // the number in units of 10^-scale, when scale >= 0
    int scale = -1;      // -1: the text alone says the number

    // units * 10^-scale, its text with no trailing zeros ("1234.5", "-3", "0"); scale 0 to 18.
    static SqlDecimal fromUnits(long long units, int scale);
};

// A moment to the millisecond: the stamp of a change that another user's change must not be
// mistaken for (bound as ISO text, read alike by both engines).
struct SqlTimestamp {
    QDateTime value;
};

// A number bound to a statement. A double goes as the exact decimal of its ten first
// decimals ("1234.5", "-0.01"), as the currency columns take it; beyond what a currency
// column holds (10^15), or not a number at all (a sum that overflowed), it throws DbError and
// nothing is written.
QVariant sqlValue(double value);
inline QVariant sqlValue(long long value)
{
    return QVariant(value);
}
inline QVariant sqlValue(int value)
{
    return QVariant(value);
}

// A statement, or a piece of one, with the values of its placeholders in order. Pieces join
// with "+" as texts do, their values following in the same order, so a statement built from
// pieces keeps the suite's SQL with a "?" where each value goes.
struct SqlStatement {
    QString text;
    SqlParams params;

    SqlStatement() = default;
    SqlStatement(const QString &sql) : text(sql) {} // NOLINT: a piece without values
    SqlStatement(QString sql, SqlParams values) : text(std::move(sql)), params(std::move(values)) {}

    SqlStatement &operator+=(const SqlStatement &o)
    {
        text += o.text;
        params += o.params;
        return *this;
    }
    SqlStatement &operator+=(const QString &o)
    {
        text += o;
        return *this;
    }
    bool isEmpty() const { return text.isEmpty(); }
};

inline SqlStatement operator+(SqlStatement a, const SqlStatement &b)
{
    return a += b;
}
inline SqlStatement operator+(SqlStatement a, const QString &b)
{
    return a += b;
}
inline SqlStatement operator+(const QString &a, const SqlStatement &b)
{
    return SqlStatement(a) += b;
}

// One value in its place: "?" with the value bound to it.
inline SqlStatement sqlParam(const QVariant &value)
{
    return {u"?"_qs, {value}};
}
inline SqlStatement sqlParam(double value)
{
    return {u"?"_qs, {sqlValue(value)}};
}
inline SqlStatement sqlParam(long long value)
{
    return {u"?"_qs, {QVariant(value)}};
}
inline SqlStatement sqlParam(int value)
{
    return {u"?"_qs, {QVariant(value)}};
}
inline SqlStatement sqlParam(const QString &value)
{
    return {u"?"_qs, {QVariant(value)}};
}
inline SqlStatement sqlParam(const QDate &value)
{
    return {u"?"_qs, {QVariant(value)}};
}
inline SqlStatement sqlParam(const QDateTime &value)
{
    return {u"?"_qs, {QVariant(value)}};
}

// The values of an IN list: "?, ?, ?" with each value bound (never empty: an empty IN list
// is not SQL, the caller leaves the condition out).
SqlStatement sqlList(const SqlParams &values);

// The pieces joined by a separator, their values in the same order.
SqlStatement sqlJoin(const QList<SqlStatement> &pieces, const QString &separator);

// How the connection binds a value: a date or a date and time goes in the form each engine
// stores and compares (ISO text on SQLite, a timestamp on PostgreSQL), to the second.
QVariant sqlBindValue(const QVariant &value, Engine engine);

} // namespace liqiva

Q_DECLARE_METATYPE(liqiva::SqlDecimal)
Q_DECLARE_METATYPE(liqiva::SqlTimestamp)
