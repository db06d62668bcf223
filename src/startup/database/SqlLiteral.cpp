#include "startup/database/SqlLiteral.h"

#include "startup/database/DbError.h"

#include <cmath>

namespace liqiva {

QString sqlNumber(long long value)
{
    return QString::number(value);
}

QString sqlNumber(double value)
{
    // What a currency column holds (19 digits, 4 of them decimals) on both engines alike;
    // beyond it, or not a number at all (a sum that overflowed), nothing is written.
    if (!std::isfinite(value) || std::fabs(value) >= 1e15)
        throw DbError(u"Un importo supera i limiti che il database può contenere (999.999.999.999.999,9999): "
                      u"non è stato scritto nulla. Controllare i contatori IVA del periodo."_qs,
                      QString());
    if (value == std::trunc(value))
        return QString::number(static_cast<long long>(value));
    QString s = QString::number(value, 'f', 10);
    while (s.endsWith(u'0'))
        s.chop(1);
    if (s.endsWith(u'.'))
        s.chop(1);
    if (s == u"-0"_qs)
        s = u"0"_qs;
    return s;
}

QString sqlText(const QString &value)
{
    QString s = value;
    s.replace(u'\'', u"''"_qs);
    return u'\'' + s + u'\'';
}

QString sqlDate(const QDateTime &value, Engine engine)
{
    if (engine == Engine::Postgres)
        return u'\'' + value.toString(u"MM/dd/yyyy HH:mm:ss"_qs) + u'\'';
    return u'\'' + value.toString(u"yyyy-MM-dd HH:mm:ss"_qs) + u'\'';
}

QString sqlTimestamp(const QDateTime &value)
{
    return u'\'' + value.toString(u"yyyy-MM-dd HH:mm:ss.zzz"_qs) + u'\'';
}

QString sqlDate(const QDate &value, Engine engine)
{
    return sqlDate(QDateTime(value, QTime(0, 0)), engine);
}

} // namespace liqiva
