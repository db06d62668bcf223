#include "cli/CliSupport.h"

#include "startup/database/Schema.h"

#include <QDateTime>
#include <QHash>
#include <QJsonDocument>
#include <cmath>

namespace liqiva::cli {

std::unique_ptr<Connection> openDatabase(const CliArgs &args)
{
    if (!args.has(u"db"_qs))
        throw UsageError{u"manca --db"_qs};
    auto db = Connection::open(args.value(u"db"_qs));
    db->setCommandTimeout(180);
    db->execute(u"set dateformat mdy"_qs);
    return db;
}

namespace {
// lower-case name -> name as declared, per table
const QHash<QString, QString> &canonicalNames(const QString &table)
{
    static QHash<QString, QHash<QString, QString>> cache;
    auto it = cache.find(table.toLower());
    if (it == cache.end()) {
        QHash<QString, QString> names;
        for (const SchemaTable &t : schemaTables())
            if (t.name.compare(table, Qt::CaseInsensitive) == 0)
                for (const QString &c : t.columns)
                    names.insert(c.toLower(), c);
        it = cache.insert(table.toLower(), names);
    }
    return *it;
}
} // namespace

QJsonObject recordToJson(const Recordset &rs, const QString &table)
{
    const QHash<QString, QString> &names = canonicalNames(table);
    QJsonObject o;
    for (int k = 0; k < rs.fieldCount(); ++k) {
        const QString raw = rs.fieldName(k);
        const QString name = names.value(raw.toLower(), raw);
        const QVariant v = rs.field(k);
        if (v.isNull()) {
            o.insert(name, QJsonValue::Null);
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::QDateTime:
            o.insert(name, v.toDateTime().toString(Qt::ISODate));
            break;
        case QMetaType::QDate:
            o.insert(name, v.toDate().toString(Qt::ISODate));
            break;
        case QMetaType::QString: {
            // SQLite keeps dates as ISO text: give them as PostgreSQL's come out
            const QString text = v.toString();
            const QDateTime when = QDateTime::fromString(text, u"yyyy-MM-dd HH:mm:ss"_qs);
            o.insert(name, when.isValid() ? when.toString(Qt::ISODate) : text);
            break;
        }
        default: {
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (ok)
                o.insert(name, std::round(d * 10000.0) / 10000.0); // amounts have four decimals
            else
                o.insert(name, v.toString());
        }
        }
    }
    return o;
}

void printJson(const QJsonObject &object)
{
    out(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)).trimmed());
}

} // namespace liqiva::cli
