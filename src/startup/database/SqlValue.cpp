#include "startup/database/SqlValue.h"

namespace liqiva {

QVariant sqlBindValue(const QVariant &value, Engine engine)
{
    if (!value.isValid() || value.isNull())
        return value;
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<SqlDecimal>()) {
        const QString text = value.value<SqlDecimal>().text;
        // SQLite's numeric columns take the number; PostgreSQL casts the text to NUMERIC
        // exactly.
        return engine == Engine::Sqlite ? QVariant(text.toDouble()) : QVariant(text);
    }
    if (type == QMetaType::fromType<SqlTimestamp>())
        return value.value<SqlTimestamp>().value.toString(u"yyyy-MM-dd HH:mm:ss.zzz"_qs);
    if (type.id() == QMetaType::QDate)
        return value.toDate().startOfDay().toString(u"yyyy-MM-dd HH:mm:ss"_qs);
    if (type.id() == QMetaType::QDateTime)
        return value.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_qs);
    return value;
}

} // namespace liqiva
