#include "cli/CliSupport.h"
#include "cli/PasswordInput.h"
#include "domain/companies/Passwords.h"
#include "domain/companies/ServerRoles.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/InputText.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "database/Schema.h"
#include "database/SqlValue.h"
#include "suite/Money.h"
#include "suite/rights/UserRights.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <cmath>

namespace liqiva::cli {

DatabaseLocation databaseLocation(const CliArgs &args)
{
    if (!args.has(u"db"_qs))
        throw UsageError{u"manca --db (sqlite:PERCORSO oppure postgresql://utente@host:porta/database)"_qs};
    try {
        return DatabaseLocation::parse(args.value(u"db"_qs));
    } catch (const DbError &e) {
        throw UsageError{e.message()};
    }
}

std::unique_ptr<Connection> openDatabase(const CliArgs &args)
{
    const DatabaseLocation where = databaseLocation(args);
    const QString createHint =
        QStringLiteral(" Per crearlo: liqiva schema --db %1 (oppure liqiva demo).").arg(where.toString());
    std::unique_ptr<Connection> db;
    try {
        db = Connection::open(where);
    } catch (const DbError &e) {
        const bool missing = where.engine == Engine::Sqlite && !QFileInfo(where.path).isDir() &&
                             (!QFileInfo::exists(where.path) || QFileInfo(where.path).size() == 0);
        throw Refusal{explainDbError(e) + (missing ? createHint : QString())};
    }
    // A database without the program's tables: say so before any statement fails on it.
    try {
        CompanyDirectory(*db).checkSchema();
    } catch (const DbError &e) {
        if (classifyDbError(e) == DbProblem::NoSchema)
            throw Refusal{QStringLiteral("Il database %1 non contiene le tabelle del programma (%2).%3")
                              .arg(where.toString(), e.message().simplified(),
                                   QStringLiteral(" Per crearle: liqiva schema --db %1").arg(where.toString()))};
        throw;
    }
    db->setCommandTimeout(180);
    db->execute(u"set dateformat mdy"_qs);
    // The user a command acts for proves it with the password, when the user has one.
    if (args.has(u"user"_qs)) {
        const int user = args.key(u"user"_qs);
        // On a server whose roles are mapped, a person acts only as the user of their role.
        ServerRoles(*db).requireActingUser(user);
        UserPasswords passwords(*db);
        if (passwords.hasPassword(user))
            passwords.signIn(
                user, readPassword("LIQIVA_PASSWORD_FILE", QStringLiteral("Password dell'utente %1: ").arg(user)));
    }
    return db;
}

int settlementFunction(Connection &db)
{
    return CompanyDirectory(db).settlementFunction();
}

void requireUser(Connection &db, int user)
{
    if (!CompanyDirectory(db).userExists(user))
        throw Refusal(QStringLiteral("L'utente %1 non esiste: indicare con --user un utente del database.").arg(user));
}

std::unique_ptr<Connection> openForCompany(const CliArgs &args, int user, int company, const QString &right)
{
    auto db = openDatabase(args);
    requireUser(*db, user);
    if (!CompanyDirectory(*db).companyExists(company))
        throw Refusal(
            QStringLiteral("L'azienda %1 non esiste: indicare con --company un'azienda del database.").arg(company));
    requireRight(*db, user, company, right);
    return db;
}

void requireRight(Connection &db, int user, int company, const QString &right)
{
    CompanyDirectory directory(db);
    const int branch = directory.prevailingBranch(company);
    const UserRights rights =
        UserRights::read(db, user, branch, directory.objectTypeOfFunction(directory.settlementFunction()));
    if (!rights.has(right))
        throw Refusal{UserRights::refusal(right, user, branch, company)};
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
        if (schemaAmountColumn(table, raw)) { // read exactly, as text or number
            o.insert(name, Money::fromVariant(v).toDouble());
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

namespace liqiva::cli {

void printClosingAmounts(const QString &toPayCaption, std::optional<Money> toPay, std::optional<Money> credit,
                         bool euro)
{
    auto money = [euro](std::optional<Money> v) { return v ? formatAmount(*v, euro) : QString(); };
    out(QStringLiteral("%1 %2").arg(toPayCaption, -60).arg(money(toPay), 16));
    out(QStringLiteral("%1 %2").arg(u"Credito residuo:"_qs, -60).arg(money(credit), 16));
}

void insertClosingAmounts(QJsonObject &object, std::optional<Money> toPay, std::optional<Money> credit)
{
    auto json = [](std::optional<Money> v) { return v ? QJsonValue(v->toDouble()) : QJsonValue(QJsonValue::Null); };
    object.insert(u"IvaDaVersare"_qs, json(toPay));
    object.insert(u"CreDimLiquiSucc"_qs, json(credit));
}

} // namespace liqiva::cli
