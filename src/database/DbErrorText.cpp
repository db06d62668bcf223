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

// The SQLSTATE codes PostgreSQL gives for the problems; query_canceled (57014) is, on this
// program's connections, the statement time-out it sets.
const Sign states[] = {
    {DbProblem::NoSchema, "42P01"}, {DbProblem::NoSuchDatabase, "3D000"}, {DbProblem::Login, "28P01"},
    {DbProblem::Login, "28000"},    {DbProblem::Denied, "42501"},         {DbProblem::Busy, "55P03"},
    {DbProblem::Busy, "40P01"},     {DbProblem::Timeout, "57014"},
};

// What each problem means to the user, in a sentence.
struct Explanation {
    DbProblem problem;
    QStringView sentence;
};

constexpr Explanation explanations[] = {
    {DbProblem::NotADatabase, u"Il file non è un database SQLite o è danneggiato."},
    {DbProblem::NoSchema, u"Il database non contiene le tabelle del programma."},
    {DbProblem::Busy, u"Il database è occupato da un altro programma: riprovare tra poco."},
    {DbProblem::Timeout, u"Il database non ha risposto in tempo: un altro utente tiene occupati gli stessi dati, o "
                         u"l'operazione è troppo lunga. Riprovare tra poco."},
    {DbProblem::ReadOnly,
     u"Il database è in sola lettura: servono i permessi di scrittura sul file e sulla sua cartella."},
    {DbProblem::CannotOpen, u"Impossibile aprire il file del database: controllare il percorso e i permessi."},
    {DbProblem::NoServer, u"Il server PostgreSQL non risponde: controllare che sia avviato e che host, porta o "
                          u"cartella del socket siano giusti."},
    {DbProblem::Login, u"Il server PostgreSQL non accetta l'utente o la password indicati."},
    {DbProblem::NoSuchDatabase, u"Il server PostgreSQL non ha un database con il nome indicato."},
    {DbProblem::Denied, u"Il server PostgreSQL non concede questa operazione al ruolo con cui ci si è collegati: "
                        u"chiederla a un amministratore."},
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
    for (const Sign &s : states)
        if (state == QLatin1String(s.words))
            return s.problem;
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
    const DbProblem problem = classifyDbError(error);
    const QString engine = maskPassword(engineText(error));
    for (const Explanation &e : explanations)
        if (e.problem == problem)
            return engine.isEmpty() ? e.sentence.toString() : e.sentence.toString() + u" ("_qs + engine + u")"_qs;
    return engine; // DbProblem::Other: the engine's own words
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
