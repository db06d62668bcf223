#include "domain/companies/ServerRoles.h"

#include "database/Connection.h"
#include "domain/companies/RowWriter.h"
#include "domain/companies/UserGroups.h"
#include "domain/document/CompanyDirectory.h"
#include "suite/Refusal.h"
#include "suite/rights/UserRights.h"

#include <QRegularExpression>

namespace liqiva {

namespace {

bool mapsRoles(Connection &db)
{
    // A database made before the table (not brought up by `liqiva schema`) maps no roles.
    return db.engine() == Engine::Postgres &&
           db.scalar(u"SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = current_schema() AND "
                     u"table_name = ?"_qs,
                     {u"ruoloserverutente"_qs})
                   .toInt() > 0 &&
           db.scalar(u"SELECT COUNT(*) FROM RuoloServerUtente WHERE VirtualDelete = 0"_qs).toInt() > 0;
}

// The tables of the users and their rights: only an administrator writes them.
const QStringList &userTables()
{
    static const QStringList t = {u"utente"_qs,
                                  u"gruppo"_qs,
                                  u"utentepergruppo"_qs,
                                  u"abilitapertipooggettopergruppo"_qs,
                                  u"abilitapertipooggettoperutente"_qs,
                                  u"ruoloserverutente"_qs,
                                  u"passwordutente"_qs};
    return t;
}

// What every session writes for itself: the usage register; the sign-in's count of wrong
// passwords.
const QStringList &sessionTables()
{
    static const QStringList t = {u"utilizzooggetto"_qs};
    return t;
}

QString quoted(const QString &role)
{
    return u'"' + role + u'"';
}

} // namespace

bool ServerRoles::validRoleName(const QString &role)
{
    static const QRegularExpression name(u"^[a-z_][a-z0-9_]{0,62}$"_qs);
    return name.match(role).hasMatch();
}

std::optional<int> ServerRoles::userOfConnection()
{
    if (!mapsRoles(m_db))
        return std::nullopt;
    const QString role = m_db.scalar(u"SELECT CAST(current_user AS TEXT)"_qs).toString();
    const QVariant user =
        m_db.scalar(u"SELECT MIN(IDUtente) FROM RuoloServerUtente WHERE Ruolo = ? AND VirtualDelete = 0"_qs, {role});
    if (user.isNull())
        throw Refusal(QStringLiteral("Il ruolo del server \"%1\" non è di nessun utente di questo archivio: un "
                                     "amministratore deve associarlo a un utente.")
                          .arg(role));
    return user.toInt();
}

void ServerRoles::requireActingUser(int user)
{
    const std::optional<int> own = userOfConnection();
    if (own && *own != user)
        throw Refusal(QStringLiteral("Collegati al server come ruolo dell'utente %1, non si può agire come utente %2: "
                                     "ognuno lavora con il proprio ruolo del server.")
                          .arg(*own)
                          .arg(user));
}

bool ServerRoles::roleMay(const QString &privilege, const QString &table)
{
    if (m_db.engine() != Engine::Postgres)
        return true;
    return m_db.scalar(u"SELECT CASE WHEN has_table_privilege(current_user, CAST(? AS TEXT), CAST(? AS TEXT)) THEN 1 "
                       u"ELSE 0 END"_qs,
                       {table.toLower(), privilege})
               .toInt() != 0;
}

void ServerRoles::map(const QString &role, int user, int byUser)
{
    if (!validRoleName(role))
        throw Refusal(QStringLiteral("\"%1\" non è un nome di ruolo valido: lettere minuscole, cifre e trattino basso, "
                                     "al più 63 caratteri. Nulla è stato cambiato.")
                          .arg(role));
    if (!CompanyDirectory(m_db).userExists(user))
        throw Refusal(QStringLiteral("L'utente %1 non esiste: nulla è stato cambiato.").arg(user));
    Transaction tx(m_db);
    // Two administrators mapping one role at once: the second waits and replaces the first's.
    if (m_db.engine() == Engine::Postgres)
        m_db.executeRaw(u"LOCK TABLE RuoloServerUtente IN EXCLUSIVE MODE"_qs);
    m_db.execute(u"DELETE FROM RuoloServerUtente WHERE Ruolo = ?"_qs, {role});
    RowWriter w(m_db, byUser);
    w.insert(u"RuoloServerUtente"_qs, u"IDRuoloServerUtente"_qs, {u"Ruolo"_qs, u"IDUtente"_qs}, {role, user});
    tx.commit();
}

QStringList ServerRoles::grantPrivileges()
{
    if (m_db.engine() != Engine::Postgres)
        throw Refusal(u"I ruoli del server esistono solo su PostgreSQL: un archivio SQLite non ne ha."_qs);
    QStringList tables;
    for (Recordset rs = m_db.openRecordset(
             u"SELECT CAST(tablename AS TEXT) AS t FROM pg_tables WHERE schemaname = current_schema() ORDER BY 1"_qs);
         !rs.eof(); rs.moveNext())
        tables << rs.text(u"t"_qs);
    std::vector<std::pair<QString, int>> roles;
    for (Recordset rs = m_db.openRecordset(
             u"SELECT Ruolo, IDUtente FROM RuoloServerUtente WHERE VirtualDelete = 0 ORDER BY Ruolo"_qs);
         !rs.eof(); rs.moveNext())
        roles.emplace_back(rs.text(u"Ruolo"_qs), rs.integer(u"IDUtente"_qs));
    std::vector<int> branches;
    for (Recordset rs = m_db.openRecordset(u"SELECT IDFiliale FROM Filiale WHERE VirtualDelete = 0"_qs); !rs.eof();
         rs.moveNext())
        branches.push_back(rs.integer(u"IDFiliale"_qs));
    CompanyDirectory directory(m_db);
    const int objectType = directory.objectTypeOfFunction(directory.settlementFunction());

    QStringList out, administrators;
    Transaction tx(m_db);
    for (const auto &[role, user] : roles) {
        if (!validRoleName(role))
            throw Refusal(QStringLiteral("Il ruolo \"%1\" non è un nome valido: nulla è stato cambiato.").arg(role));
        if (m_db.scalar(u"SELECT COUNT(*) FROM pg_roles WHERE rolname = ?"_qs, {role}).toInt() == 0)
            throw Refusal(QStringLiteral("Il ruolo \"%1\" non esiste sul server: crearlo (CREATE ROLE) prima di "
                                         "dargli i diritti. Nulla è stato cambiato.")
                              .arg(role));
        const bool admin = UserGroups(m_db).isAdministrator(user);
        bool writes = admin;
        for (int branch : branches) {
            const UserRights r = UserRights::read(m_db, user, branch, objectType);
            writes = writes || r.newSave() || r.canDelete() || r.print();
        }
        // Identifiers cannot be bound: the role's name is checked above, the tables' come from
        // the server's catalogue.
        for (const QString &table : tables) {
            const QString on = u" ON TABLE "_qs + quoted(table) + u" "_qs;
            m_db.executeRaw(u"REVOKE ALL"_qs + on + u"FROM "_qs + quoted(role));
            QString privileges = u"SELECT"_qs;
            if (admin)
                privileges = u"SELECT, INSERT, UPDATE, DELETE"_qs;
            else if (sessionTables().contains(table) || (writes && !userTables().contains(table)))
                privileges = u"SELECT, INSERT, UPDATE, DELETE"_qs;
            else if (table == u"passwordutente"_qs)
                // of the user's own row only (the row security below): the sign-in's count of
                // wrong passwords and lock-out, and a new password of one's own; a user's first
                // password is set by an administrator
                privileges = u"SELECT, UPDATE (HashPassword, PasswordErrate, BloccatoFino, DataUltimaVariazione, "
                             u"IDUtenteUltimaVariazione)"_qs;
            m_db.executeRaw(u"GRANT "_qs + privileges + on + u"TO "_qs + quoted(role));
        }
        if (admin)
            administrators << quoted(role);
        out << QStringLiteral("%1: utente %2, %3")
                   .arg(role)
                   .arg(user)
                   .arg(admin    ? u"amministrazione (ogni tabella)"_qs
                        : writes ? u"lettura e scrittura (tranne utenti e diritti)"_qs
                                 : u"sola lettura"_qs);
    }
    protectPasswordHashes(administrators);
    tx.commit();
    return out;
}

// The password hashes: an administrator's role reads and writes every row; any other mapped
// role only the row of its own user, so that no one learns another user's hash to try
// passwords against it elsewhere. The tables' owner, who runs this, is not bound by row
// security.
void ServerRoles::protectPasswordHashes(const QStringList &administrators)
{
    m_db.executeRaw(u"ALTER TABLE PasswordUtente ENABLE ROW LEVEL SECURITY"_qs);
    m_db.executeRaw(u"DROP POLICY IF EXISTS passwordutente_propria ON PasswordUtente"_qs);
    m_db.executeRaw(u"CREATE POLICY passwordutente_propria ON PasswordUtente USING (IDUtente = (SELECT "
                    u"MIN(RuoloServerUtente.IDUtente) FROM RuoloServerUtente WHERE RuoloServerUtente.Ruolo = "
                    u"CAST(current_user AS TEXT) AND RuoloServerUtente.VirtualDelete = 0))"_qs);
    m_db.executeRaw(u"DROP POLICY IF EXISTS passwordutente_amministratori ON PasswordUtente"_qs);
    // Role names are checked by validRoleName before they get here: they cannot be bound.
    if (!administrators.isEmpty())
        m_db.executeRaw(u"CREATE POLICY passwordutente_amministratori ON PasswordUtente TO "_qs +
                        administrators.join(u", "_qs) + u" USING (true) WITH CHECK (true)"_qs);
}

} // namespace liqiva
