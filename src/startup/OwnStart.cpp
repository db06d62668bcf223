#include "startup/OwnStart.h"

#include "database/DbError.h"
#include "database/Schema.h"
#include "database/SqlValue.h"
#include "domain/companies/Passwords.h"
#include "domain/document/CompanyDirectory.h"
#include "suite/HandOverStore.h"
#include "suite/Refusal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace liqiva {

namespace {

const QString recentSection = u"ArchiviRecenti"_qs;

QString recentKey(int i)
{
    return u"Archivio"_qs + QString::number(i + 1);
}

// A location as the user gave it: a PostgreSQL address, or a file path with or without the
// "sqlite:" prefix.
DatabaseLocation locationOf(const QString &location)
{
    const QString t = location.trimmed();
    if (t.contains(u"://"_qs) || t.startsWith(u"sqlite:"_qs, Qt::CaseInsensitive))
        return DatabaseLocation::parse(t);
    return DatabaseLocation::parse(u"sqlite:"_qs + QFileInfo(t).absoluteFilePath());
}

} // namespace

bool OwnStart::wanted(const HandOverStore &store, const QString &section)
{
    return !store.contains(section, HandOver::IDUser);
}

QStringList OwnStart::recentArchives(const HandOverStore &store)
{
    QStringList out;
    for (int i = 0; i < kRecentArchives; ++i) {
        const QString v = store.read(recentSection, recentKey(i)).trimmed();
        if (!v.isEmpty() && !out.contains(v))
            out << v;
    }
    return out;
}

void OwnStart::rememberArchive(HandOverStore &store, const QString &location)
{
    QStringList list = recentArchives(store);
    list.removeAll(location);
    list.prepend(location);
    for (int i = 0; i < kRecentArchives; ++i) {
        if (i < list.size())
            store.write(recentSection, recentKey(i), list[i]);
        else
            store.remove(recentSection, recentKey(i));
    }
    store.sync();
}

std::unique_ptr<Connection> OwnStart::createArchive(const QString &path)
{
    const QString file = QFileInfo(path.trimmed()).absoluteFilePath();
    if (path.trimmed().isEmpty())
        throw Refusal(u"Indicare il nome del nuovo archivio."_qs);
    if (QFileInfo::exists(file))
        throw Refusal(QStringLiteral("Il file %1 esiste già: per usarlo scegliere \"Apri...\"; un nuovo archivio "
                                     "non sostituisce un file.")
                          .arg(QDir::toNativeSeparators(file)));
    if (!QFileInfo(QFileInfo(file).absolutePath()).isDir())
        throw Refusal(
            QStringLiteral("La cartella %1 non esiste.").arg(QDir::toNativeSeparators(QFileInfo(file).absolutePath())));
    std::unique_ptr<Connection> db;
    try {
        db = Connection::open(DatabaseLocation::parse(u"sqlite:"_qs + file), Connection::Create::Yes);
        createSchema(*db);
        return db;
    } catch (...) {
        // A half-made archive is no archive: nothing of it stays.
        if (db)
            db->close();
        db.reset();
        for (const QString &suffix : {u""_qs, u"-wal"_qs, u"-shm"_qs, u"-journal"_qs})
            QFile::remove(file + suffix);
        throw;
    }
}

std::unique_ptr<Connection> OwnStart::openArchive(const QString &location, const QString &password)
{
    DatabaseLocation where = locationOf(location);
    if (where.engine == Engine::Sqlite && !QFileInfo::exists(where.path))
        throw Refusal(QStringLiteral("L'archivio %1 non esiste più.").arg(QDir::toNativeSeparators(where.path)));
    if (!password.isEmpty())
        where.password = password;
    std::unique_ptr<Connection> db = Connection::open(where);
    // A file that opens but holds no tables of ours is not an archive.
    try {
        db->scalar(u"SELECT COUNT(*) FROM Utente"_qs);
    } catch (const DbError &) {
        throw Refusal(
            QStringLiteral("%1 non è un archivio della liquidazione IVA (mancano le sue tabelle).")
                .arg(where.engine == Engine::Sqlite ? QDir::toNativeSeparators(where.path) : where.toString()));
    }
    return db;
}

QString OwnStart::serverAddress(const QString &host, int port, const QString &database, const QString &user)
{
    DatabaseLocation where;
    where.engine = Engine::Postgres;
    where.host = host.trimmed().isEmpty() ? u"localhost"_qs : host.trimmed();
    where.port = port;
    where.database = database.trimmed();
    where.user = user.trimmed();
    if (where.database.isEmpty())
        throw Refusal(u"Indicare il nome del database sul server."_qs);
    return where.toString();
}

std::vector<OwnStart::User> OwnStart::users(Connection &db)
{
    std::vector<User> out;
    for (
        Recordset rs = db.openRecordset(
            u"SELECT Utente.IDUtente, Utente.Utente, PasswordUtente.HashPassword FROM Utente LEFT JOIN PasswordUtente "
            u"ON PasswordUtente.IDUtente = Utente.IDUtente WHERE COALESCE(Utente.VirtualDelete, 0) = 0 ORDER BY Utente.Utente, Utente.IDUtente"_qs);
        !rs.eof(); rs.moveNext())
        out.push_back(
            {rs.integer(u"IDUtente"_qs), rs.text(u"Utente"_qs).trimmed(), !rs.text(u"HashPassword"_qs).isEmpty()});
    return out;
}

bool OwnStart::anyPassword(Connection &db)
{
    for (const User &u : users(db))
        if (u.hasPassword)
            return true;
    return false;
}

OwnStart::User OwnStart::userNamed(Connection &db, const QString &name)
{
    for (const User &u : users(db))
        if (u.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return u;
    throw Refusal(QStringLiteral("L'utente \"%1\" non esiste in questo archivio.").arg(name.trimmed()));
}

std::vector<OwnStart::Place> OwnStart::places(Connection &db)
{
    std::vector<Place> out;
    for (Recordset rs = db.openRecordset(
             u"SELECT Azienda.IDAzienda, Azienda.Azienda, Filiale.IDFiliale, Filiale.Filiale, "
             u"AttivitaAzienda.IDAttivitaAzienda FROM Azienda INNER JOIN AttivitaAzienda ON "
             u"AttivitaAzienda.IDAzienda = Azienda.IDAzienda INNER JOIN Filiale ON Filiale.IDAttivitaAzienda = "
             u"AttivitaAzienda.IDAttivitaAzienda ORDER BY Azienda.Azienda, Azienda.IDAzienda, Filiale.Filiale, "
             u"Filiale.IDFiliale"_qs);
         !rs.eof(); rs.moveNext())
        out.push_back({rs.integer(u"IDAzienda"_qs), rs.text(u"Azienda"_qs).trimmed(), rs.integer(u"IDFiliale"_qs),
                       rs.text(u"Filiale"_qs).trimmed(), rs.integer(u"IDAttivitaAzienda"_qs)});
    return out;
}

QString OwnStart::placeCaption(const Place &p)
{
    return p.companyName + u" - "_qs + p.branchName;
}

void OwnStart::writeHandOver(HandOverStore &store, const QString &section, Connection &db, const User &user,
                             const Place &place)
{
    const int function = CompanyDirectory(db).settlementFunction();
    store.removeSection(section);
    const QList<std::pair<QString, QString>> keys = {
        {HandOver::UserName, user.name},
        {HandOver::Password, QString()},
        {HandOver::IDUser, QString::number(user.id)},
        {HandOver::lIDFirm, QString::number(place.company)},
        {HandOver::lIDBranch, QString::number(place.branch)},
        {HandOver::IDFunction, QString::number(function)},
        {HandOver::lIDActivity, QString::number(place.activity)},
        {HandOver::FirmName, place.companyName},
        {HandOver::Branch, place.branchName},
    };
    for (const auto &[key, value] : keys)
        store.write(section, key, value);
    const DatabaseLocation &where = db.location();
    store.write(HandOver::MenuSettings, HandOver::Path,
                QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    store.write(HandOver::MenuSettings, HandOver::DBType, QString::number(int(where.engine)));
    // The address only: a password never reaches the store.
    store.write(HandOver::MenuSettings, HandOver::Database,
                where.engine == Engine::Sqlite ? where.path : where.toString());
    store.sync();
}

} // namespace liqiva
