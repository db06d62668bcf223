#include "database/DbErrorText.h"

#include "database/DbError.h"

#include <QRegularExpression>

namespace liqiva {

namespace {

// The engine's words for each problem (SQLite messages and the PostgreSQL client's, in
// lower case), and the SQLSTATE classes PostgreSQL gives for them.
struct Sign {
    DbProblem problem;
    const char *words;
};

const Sign signs[] = {
    {DbProblem::NotADatabase, "file is not a database"},
    {DbProblem::NotADatabase, "file is encrypted or is not a database"},
    {DbProblem::NotADatabase, "database disk image is malformed"},
    {DbProblem::NoSchema, "no such table"},
    {DbProblem::Busy, "database is locked"},
    {DbProblem::Busy, "database table is locked"},
    {DbProblem::Busy, "database is busy"},
    {DbProblem::Timeout, "statement timeout"},
    {DbProblem::Timeout, "lock timeout"},
    {DbProblem::ReadOnly, "attempt to write a readonly database"},
    {DbProblem::ReadOnly, "readonly database"},
    {DbProblem::CannotOpen, "unable to open database file"},
    {DbProblem::CannotOpen, "unable to open database"},
    {DbProblem::NoSuchDatabase, "database \""},
    {DbProblem::Login, "password authentication failed"},
    {DbProblem::Login, "no password supplied"},
    {DbProblem::Login, "role \""},
    {DbProblem::Login, "no pg_hba.conf entry"},
    {DbProblem::NoServer, "connection refused"},
    {DbProblem::NoServer, "could not connect to server"},
    {DbProblem::NoServer, "no such file or directory"},
    {DbProblem::NoServer, "timeout expired"},
    {DbProblem::NoServer, "could not translate host name"},
    {DbProblem::NoServer, "network is unreachable"},
    {DbProblem::NoServer, "no route to host"},
    {DbProblem::NoServer, "server closed the connection"},
    {DbProblem::NoServer, "connection to server"},
};

QString engineText(const DbError &error)
{
    QString text = error.message();
    text.replace(u"\r\n"_qs, u" "_qs).replace(u'\r', u' ').replace(u'\n', u' ');
    return text.simplified();
}

} // namespace

DbProblem classifyDbError(const DbError &error)
{
    const QString state = error.nativeCode();
    if (state == u"42P01"_qs)
        return DbProblem::NoSchema;
    if (state == u"3D000"_qs)
        return DbProblem::NoSuchDatabase;
    if (state == u"28P01"_qs || state == u"28000"_qs)
        return DbProblem::Login;
    if (state == u"42501"_qs)
        return DbProblem::Denied;
    if (state == u"55P03"_qs || state == u"40P01"_qs)
        return DbProblem::Busy;
    // query_canceled: on this program's connections, the statement time-out it sets.
    if (state == u"57014"_qs)
        return DbProblem::Timeout;
    const QString text = error.message().toLower();
    for (const Sign &s : signs) {
        if (!text.contains(QLatin1String(s.words)))
            continue;
        // "database "x" does not exist" and "role "x" does not exist": only with those words.
        if ((s.problem == DbProblem::NoSuchDatabase || s.problem == DbProblem::Login) &&
            QByteArray(s.words).endsWith('"') && !text.contains(u"does not exist"_qs))
            continue;
        return s.problem;
    }
    return DbProblem::Other;
}

namespace {

QString explainWithoutContext(const DbError &error)
{
    QString sentence;
    switch (classifyDbError(error)) {
    case DbProblem::Other:
        return maskPassword(engineText(error));
    case DbProblem::NotADatabase:
        sentence = u"Il file non è un database SQLite o è danneggiato."_qs;
        break;
    case DbProblem::NoSchema:
        sentence = u"Il database non contiene le tabelle del programma."_qs;
        break;
    case DbProblem::Busy:
        sentence = u"Il database è occupato da un altro programma: riprovare tra poco."_qs;
        break;
    case DbProblem::Timeout:
        sentence = u"Il database non ha risposto in tempo: un altro utente tiene occupati gli stessi dati, o "
                   u"l'operazione è troppo lunga. Riprovare tra poco."_qs;
        break;
    case DbProblem::ReadOnly:
        sentence = u"Il database è in sola lettura: servono i permessi di scrittura sul file e sulla sua cartella."_qs;
        break;
    case DbProblem::CannotOpen:
        sentence = u"Impossibile aprire il file del database: controllare il percorso e i permessi."_qs;
        break;
    case DbProblem::NoServer:
        sentence = u"Il server PostgreSQL non risponde: controllare che sia avviato e che host, porta o cartella "
                   u"del socket siano giusti."_qs;
        break;
    case DbProblem::Login:
        sentence = u"Il server PostgreSQL non accetta l'utente o la password indicati."_qs;
        break;
    case DbProblem::NoSuchDatabase:
        sentence = u"Il server PostgreSQL non ha un database con il nome indicato."_qs;
        break;
    case DbProblem::Denied:
        sentence = u"Il server PostgreSQL non concede questa operazione al ruolo con cui ci si è collegati: "
                   u"chiederla a un amministratore."_qs;
        break;
    }
    const QString engine = maskPassword(engineText(error));
    return engine.isEmpty() ? sentence : sentence + u" ("_qs + engine + u")"_qs;
}

} // namespace

QString explainDbError(const DbError &error)
{
    return error.context() + explainWithoutContext(error);
}

QString maskPassword(const QString &url)
{
    QString shown = url;
    // password=... as a parameter of the address
    static const QRegularExpression parameter(u"(password\\s*=\\s*)[^&\\s]*"_qs,
                                              QRegularExpression::CaseInsensitiveOption);
    shown.replace(parameter, u"\\1****"_qs);
    // user:password@ after the scheme: everything between the first ':' and the last '@',
    // so that a password holding '@', '/' or '?' is hidden whole.
    const qsizetype scheme = shown.indexOf(u"://"_qs);
    if (scheme < 0)
        return shown;
    const qsizetype start = scheme + 3;
    const qsizetype at = shown.lastIndexOf(u'@');
    if (at < start)
        return shown;
    const qsizetype colon = shown.indexOf(u':', start);
    if (colon < 0 || colon > at)
        return shown;
    return shown.left(colon + 1) + u"****"_qs + shown.mid(at);
}

} // namespace liqiva
