// liqiva launch: plays the suite's launcher. It writes the hand-over block of the
// settlement program into the user's settings (the same store the program reads) and starts
// the program from the folder of liqiva.

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/document/CompanyDirectory.h"
#include "suite/HandOverStore.h"
#include "suite/ResourceStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace liqiva::cli {

namespace {

const QString programName = QStringLiteral("liquidazione-iva");

// Key, table and column of one id of the command line, with its name where it has one.
struct Lookup {
    const char *option;
    const char *table;
    const char *keyColumn;
    const char *nameColumn; // nullptr: only checked
};

QString programPath()
{
    QString file = QDir(QCoreApplication::applicationDirPath()).filePath(programName);
#ifdef Q_OS_WIN
    file += u".exe"_qs;
#endif
    return file;
}

// The name of the row with the key; a missing row adds its reason to problems.
QString readName(Connection &db, const Lookup &l, int id, QStringList &problems, std::optional<int> ofCompany = {})
{
    const QString table = QString::fromUtf8(l.table);
    Recordset rs = CompanyDirectory(db).record(table, QString::fromUtf8(l.keyColumn), id, ofCompany);
    if (rs.eof()) {
        problems << QStringLiteral("--%1 %2: nessuna riga con %3 = %2 nella tabella %4%5.")
                        .arg(QString::fromUtf8(l.option))
                        .arg(id)
                        .arg(QString::fromUtf8(l.keyColumn), table,
                             ofCompany ? u" per l'azienda indicata"_qs : QString());
        return {};
    }
    if (!l.nameColumn || !rs.hasField(QString::fromUtf8(l.nameColumn)))
        return {};
    return rs.text(QString::fromUtf8(l.nameColumn)).trimmed();
}

// What the hand-over block says of the ids of the command line.
struct LaunchKeys {
    int user = 1, company = 1, branch = 1, function = 1, activity = 1;
    QString userName, password, firmName, branchName;
};

// The names of the ids, read from the database; every id that names no row is said and the
// launch stops (false).
bool readLaunchNames(Connection &db, LaunchKeys &k)
{
    QStringList problems;
    k.userName = readName(db, {"user", "Utente", "IDUtente", "Utente"}, k.user, problems);
    {
        Recordset rs = CompanyDirectory(db).record(u"Utente"_qs, u"IDUtente"_qs, k.user);
        if (!rs.eof() && rs.hasField(u"Password"_qs))
            k.password = rs.text(u"Password"_qs);
    }
    k.firmName = readName(db, {"company", "Azienda", "IDAzienda", "Azienda"}, k.company, problems);
    k.branchName = readName(db, {"branch", "Filiale", "IDFiliale", "Filiale"}, k.branch, problems);
    readName(db, {"function", "Funzione", "IDFunzione", nullptr}, k.function, problems);
    readName(db, {"activity", "AttivitaAzienda", "IDAttivitaAzienda", nullptr}, k.activity, problems, k.company);
    for (const QString &p : problems)
        err(u"liqiva launch: "_qs + p);
    return problems.isEmpty();
}

void writeHandOver(const LaunchKeys &k, const DatabaseLocation &where, const QString &url)
{
    const ResourceStrings texts;
    auto store = HandOverStore::forUser(texts.registryApplicationName());
    // A fresh block: keys left by an earlier run (a calling program, a chosen key) must not
    // reach this one.
    store->removeSection(programName);
    const QList<std::pair<QString, QString>> keys = {
        {HandOver::UserName, k.userName},
        {HandOver::Password, k.password},
        {HandOver::IDUser, QString::number(k.user)},
        {HandOver::lIDFirm, QString::number(k.company)},
        {HandOver::lIDBranch, QString::number(k.branch)},
        {HandOver::IDFunction, QString::number(k.function)},
        {HandOver::lIDActivity, QString::number(k.activity)},
        {HandOver::FirmName, k.firmName},
        {HandOver::Branch, k.branchName},
    };
    for (const auto &[key, value] : keys)
        store->write(programName, key, value);
    store->write(HandOver::MenuSettings, HandOver::Path,
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    store->write(HandOver::MenuSettings, HandOver::DBType, QString::number(int(where.engine)));
    store->write(HandOver::MenuSettings, HandOver::Database,
                 where.engine == Engine::Sqlite ? QFileInfo(where.path).absoluteFilePath() : url);
    store->sync();
}

// Starts the program; with wait, waits for it and gives its exit code.
int startProgram(const QString &program, const QStringList &programArgs, bool wait, const LaunchKeys &k)
{
    if (!wait) {
        if (!QProcess::startDetached(program, programArgs)) {
            err(u"liqiva launch: impossibile avviare "_qs + QDir::toNativeSeparators(program));
            return 1;
        }
        out(QStringLiteral("Avviato %1 per l'utente %2, azienda %3 (%4).")
                .arg(programName)
                .arg(k.user)
                .arg(k.company)
                .arg(k.firmName));
        return 0;
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(program, programArgs);
    if (!child.waitForStarted()) {
        err(u"liqiva launch: impossibile avviare "_qs + QDir::toNativeSeparators(program) + u": "_qs +
            child.errorString());
        return 1;
    }
    child.waitForFinished(-1);
    if (child.exitStatus() != QProcess::NormalExit) {
        err(u"liqiva launch: "_qs + programName + u" si è interrotto in modo anomalo."_qs);
        return 1;
    }
    return child.exitCode();
}

int runLaunch(const CliArgs &args)
{
    databaseLocation(args); // a malformed address is a bad argument, before anything runs
    const QString url = args.value(u"db"_qs);
    // The demo's keys: user 1, company 1, its first branch, the settlement function, the
    // company's first activity.
    LaunchKeys k;
    k.user = args.key(u"user"_qs, 1);
    k.company = args.key(u"company"_qs, 1);
    k.branch = args.key(u"branch"_qs, 1);
    k.function = args.key(u"function"_qs, 1);
    k.activity = args.key(u"activity"_qs, 1);

    const QString program = programPath();
    if (!QFileInfo(program).isExecutable()) {
        err(u"liqiva launch: il programma "_qs + QDir::toNativeSeparators(program) + u" non esiste."_qs);
        return 1;
    }

    auto db = openDatabase(args);
    const bool named = readLaunchNames(*db, k);
    const DatabaseLocation where = db->location();
    db.reset();
    if (!named)
        return 1;
    writeHandOver(k, where, url);

    QStringList programArgs;
    if (args.flag(u"debug"_qs))
        programArgs << u"Debug"_qs;
    return startProgram(program, programArgs, args.flag(u"wait"_qs), k);
}

} // namespace

const std::vector<Command> &launchCommands()
{
    static const std::vector<Command> table = {
        {"launch",
         "launch  --db URL [--user N] [--company N] [--branch N] [--function N] [--activity N] [--wait] [--debug]"
         "  avvia il programma di liquidazione",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"branch"_qs, u"function"_qs, u"activity"_qs},
         {u"wait"_qs, u"debug"_qs},
         runLaunch},
    };
    return table;
}

} // namespace liqiva::cli
