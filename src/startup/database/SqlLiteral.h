#pragma once

#include "startup/database/Engine.h"

#include <QDateTime>
#include <QString>

namespace liqiva {

// Values reach a statement only through these: no statement can be changed by data.

// A number with a decimal point and no exponent ("1234.5", "-0.01", "100").
QString sqlNumber(double value);
QString sqlNumber(long long value);
inline QString sqlNumber(int value) { return sqlNumber(static_cast<long long>(value)); }
// A text in single quotes, the quotes inside doubled.
QString sqlText(const QString &value);
// A date and time for the engine: month first on PostgreSQL (its date style is set to MDY
// at start-up), ISO text on SQLite, where dates are stored as text and compared as such.
QString sqlDate(const QDateTime &value, Engine engine);
QString sqlDate(const QDate &value, Engine engine);
// A moment to the millisecond (ISO form, read alike by both engines): the stamp of a change
// that another user's change must not be mistaken for.
QString sqlTimestamp(const QDateTime &value);

} // namespace liqiva
