#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/PasswordInput.h"
#include "database/Connection.h"
#include "domain/companies/CompanySetup.h"
#include "domain/companies/Passwords.h"
#include "domain/companies/RowWriter.h"
#include "domain/companies/ServerRoles.h"
#include "domain/companies/UserGroups.h"
#include "domain/companies/VatYear.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

namespace liqiva::cli {

namespace {

QJsonObject readJsonFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Refusal(
            QStringLiteral("Il file %1 non si apre (%2): nulla è stato scritto.").arg(path, file.errorString()));
    const QByteArray bytes = file.read(4 << 20);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        const int line = int(bytes.left(error.offset).count('\n')) + 1;
        throw Refusal(QStringLiteral("Il file %1 non è JSON valido alla riga %2 (%3): nulla è stato scritto.")
                          .arg(path)
                          .arg(line)
                          .arg(error.errorString()));
    }
    if (!doc.isObject())
        throw Refusal(QStringLiteral("Il file %1 deve contenere un oggetto { ... }: nulla è stato scritto.").arg(path));
    return doc.object();
}

// Refuses unless the user manages the users (the group amministrazione). The three groups
// are made first when the database lacks them, so that the administrators of an existing
// database are found.
void requireAdministrator(Connection &db, int user)
{
    requireUser(db, user);
    UserGroups groups(db);
    {
        Transaction tx(db);
        RowWriter w(db, user);
        groups.ensureGroups(w);
        tx.commit();
    }
    if (!groups.isAdministrator(user))
        throw Refusal(QStringLiteral("L'utente %1 non è nel gruppo %2: solo chi ne fa parte gestisce utenti e aziende.")
                          .arg(user)
                          .arg(Groups::Admin));
}

// Opens the database of --db for a command of the administrators.
std::unique_ptr<Connection> openAsAdministrator(const CliArgs &args, int user)
{
    auto db = openDatabase(args);
    requireAdministrator(*db, user);
    return db;
}

// Once a database has administrators, only they set up companies.
bool hasAdministrators(Connection &db)
{
    return db.scalar(u"SELECT COUNT(*) FROM UtentePerGruppo INNER JOIN Gruppo ON UtentePerGruppo.IDGruppo = "
                     u"Gruppo.IDGruppo WHERE LOWER(Gruppo.Gruppo) = ? AND UtentePerGruppo.VirtualDelete = 0 AND "
                     u"Gruppo.VirtualDelete = 0"_qs,
                     {Groups::Admin})
               .toInt() > 0;
}

int runCompanyCreate(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    if (!args.has(u"input"_qs))
        throw UsageError{u"manca --input FILE.json"_qs};
    // The file is read and checked before the database is touched.
    const CompanySetup setup = CompanySetup::fromJson(readJsonFile(args.value(u"input"_qs)));
    auto db = openDatabase(args);
    requireUser(*db, user);
    if (hasAdministrators(*db))
        requireAdministrator(*db, user);
    const CreatedCompany made = createCompany(*db, setup, user);
    out(QStringLiteral("Azienda %1 creata: %2, partita IVA %3, anno IVA %4 (chiave %5).")
            .arg(made.company)
            .arg(setup.name, setup.vatNumber)
            .arg(setup.firstYear)
            .arg(made.vatYear));
    for (size_t k = 0; k < made.activities.size(); ++k)
        out(QStringLiteral("  attività %1 \"%2\", filiale %3 \"%4\"")
                .arg(made.activities[k])
                .arg(setup.activities[k].name)
                .arg(made.branches[k])
                .arg(setup.activities[k].branch));
    return 0;
}

int runYearOpen(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int company = args.key(u"company"_qs);
    const int year = args.integer(u"year"_qs, 2000, 2100);
    auto db = openForCompany(args, user, company, u"NewSave"_qs);
    const int key = openVatYear(*db, company, year, user);
    out(QStringLiteral("Anno IVA %1 aperto per l'azienda %2 (chiave %3), con le impostazioni del %4.")
            .arg(year)
            .arg(company)
            .arg(key)
            .arg(year - 1));
    return 0;
}

int runUserAdd(const CliArgs &args)
{
    if (!args.has(u"name"_qs))
        throw UsageError{u"manca --name NOME"_qs};
    const QString group = args.value(u"group"_qs, Groups::Search);
    auto db = openDatabase(args);
    UserGroups groups(*db);
    int by = 0;
    if (args.has(u"user"_qs)) {
        by = args.key(u"user"_qs);
        requireAdministrator(*db, by);
    } else if (groups.userCount() > 0) {
        throw UsageError{u"manca --user N: un utente del gruppo amministrazione aggiunge gli utenti"_qs};
    }
    const int user = groups.addUser(args.value(u"name"_qs), group, by);
    out(QStringLiteral("Utente %1 \"%2\" creato nel gruppo %3.")
            .arg(user)
            .arg(args.value(u"name"_qs).trimmed(), groups.isAdministrator(user) ? Groups::Admin : group));
    return 0;
}

int runUserPasswd(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int target = args.key(u"of"_qs, user);
    auto db = openDatabase(args); // the user's own password, when there is one, is asked here
    requireUser(*db, user);
    if (target != user)
        requireAdministrator(*db, user);
    requireUser(*db, target);
    const QString password =
        readNewPassword("LIQIVA_NEW_PASSWORD_FILE", QStringLiteral("Nuova password dell'utente %1: ").arg(target));
    UserPasswords(*db).setPassword(target, password, user);
    out(QStringLiteral("Password dell'utente %1 impostata.").arg(target));
    return 0;
}

int runUserGroup(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int member = args.key(u"member"_qs);
    if (!args.has(u"group"_qs))
        throw UsageError{u"manca --group consultazione|elaborazione|amministrazione"_qs};
    const QString group = args.value(u"group"_qs);
    const bool remove = args.flag(u"remove"_qs);
    auto db = openAsAdministrator(args, user);
    UserGroups(*db).setMembership(member, group, remove, user);
    out(remove ? QStringLiteral("Utente %1 tolto dal gruppo %2.").arg(member).arg(group)
               : QStringLiteral("Utente %1 nel gruppo %2.").arg(member).arg(group));
    return 0;
}

int runUserRole(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int member = args.key(u"member"_qs);
    if (!args.has(u"role"_qs))
        throw UsageError{u"manca --role RUOLO (il ruolo del server della persona)"_qs};
    auto db = openAsAdministrator(args, user);
    ServerRoles(*db).map(args.value(u"role"_qs), member, user);
    out(QStringLiteral("Il ruolo del server \"%1\" è dell'utente %2.").arg(args.value(u"role"_qs)).arg(member));
    return 0;
}

int runUsersRoles(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    auto db = openAsAdministrator(args, user);
    for (const QString &line : ServerRoles(*db).grantPrivileges())
        out(line);
    return 0;
}

} // namespace

const std::vector<Command> &companyCommands()
{
    static const std::vector<Command> table = {
        {"company create",
         "company create --db URL --user N --input FILE.json   crea un'azienda: anagrafica, dichiarante, "
         "versamenti minimi, attività e filiali, primo anno IVA, registro delle liquidazioni, codici IVA",
         {u"db"_qs, u"user"_qs, u"input"_qs},
         {},
         runCompanyCreate},
        {"year open",
         "year open --db URL --user N --company N --year Y   apre l'anno IVA Y con le impostazioni delle attività "
         "dell'anno Y-1",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"year"_qs},
         {},
         runYearOpen},
        {"user add",
         "user add --db URL [--user N] --name NOME [--group G]   crea un utente nel gruppo G (consultazione, "
         "elaborazione o amministrazione; il primo utente di un database è amministratore)",
         {u"db"_qs, u"user"_qs, u"name"_qs, u"group"_qs},
         {},
         runUserAdd},
        {"user passwd",
         "user passwd --db URL --user N [--of M]   nuova password dell'utente N (o M, per un amministratore), dal "
         "file di LIQIVA_NEW_PASSWORD_FILE o chiesta due volte",
         {u"db"_qs, u"user"_qs, u"of"_qs},
         {},
         runUserPasswd},
        {"user group",
         "user group --db URL --user N --member M --group G [--remove]   mette l'utente M nel gruppo G (o lo toglie)",
         {u"db"_qs, u"user"_qs, u"member"_qs, u"group"_qs},
         {u"remove"_qs},
         runUserGroup},
        {"user role",
         "user role --db URL --user N --member M --role RUOLO   il ruolo del server RUOLO è l'utente M (PostgreSQL): "
         "chi si collega con quel ruolo agisce solo come M",
         {u"db"_qs, u"user"_qs, u"member"_qs, u"role"_qs},
         {},
         runUserRole},
        {"users roles",
         "users roles --db URL --user N   dà a ogni ruolo associato i soli diritti sulle tabelle che servono ai "
         "diritti del suo utente (sola consultazione: sola lettura)",
         {u"db"_qs, u"user"_qs},
         {},
         runUsersRoles},
    };
    return table;
}

} // namespace liqiva::cli
