#include "startup/database/SqlLiteral.h"

#include <cmath>

namespace liqiva {

QString sqlNumber(long long value)
{
    return QString::number(value);
}

QString sqlNumber(double value)
{
    if (!std::isfinite(value))
        return u"0"_qs;
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
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

QString sqlDate(const QDate &value, Engine engine)
{
    return sqlDate(QDateTime(value, QTime(0, 0)), engine);
}

} // namespace liqiva
