#pragma once

#include "startup/database/Engine.h"

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
// travels through a binary double on its way to the database.
struct SqlDecimal {
    QString text;
};

// A moment to the millisecond: the stamp of a change that another user's change must not be
// mistaken for (bound as ISO text, read alike by both engines).
struct SqlTimestamp {
    QDateTime value;
};

// How the connection binds a value: a date or a date and time goes in the form each engine
// stores and compares (ISO text on SQLite, a timestamp on PostgreSQL), to the second.
QVariant sqlBindValue(const QVariant &value, Engine engine);

} // namespace liqiva

Q_DECLARE_METATYPE(liqiva::SqlDecimal)
Q_DECLARE_METATYPE(liqiva::SqlTimestamp)
