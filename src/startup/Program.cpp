#include "startup/Program.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "database/SqlValue.h"
#include "domain/companies/Passwords.h"
#include "domain/companies/ServerRoles.h"
#include "domain/document/WorkingRecords.h"
#include "startup/MainWindowInterface.h"
#include "suite/BusyCounter.h"
#include "suite/ConnectionProvider.h"
#include "suite/ErrorReport.h"
#include "suite/HandOverStore.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"
#include "suite/ResourceStrings.h"
#include "suite/SharedServices.h"
#include "suite/StartupError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace liqiva {

namespace {

// Help file of the suite, appended to MenuSettings/PATH as it stands.
const QString helpFileName = QStringLiteral("\\Brevanto.chm");

SqlStatement objectTypeStatement(int idFunction)
{
    return u"SELECT"_qs
           u" Funzione.IDTipoOggetto,"_qs
           u" TipoOggetto.ContextHelpID"_qs
           u" FROM"_qs
           u" Funzione"_qs
           u" INNER JOIN"_qs
           u" TipoOggetto"_qs
           u" ON"_qs
           u" Funzione.IDTipoOggetto = TipoOggetto.IDTipoOggetto"_qs
           u" WHERE Funzione.IDFunzione = "_qs +
           sqlParam(idFunction);
}

SqlStatement processesStatement(int idFunction)
{
    return u"SELECT IDProcesso FROM ProcessoPerFunzione"_qs
           u" WHERE IDFunzione = "_qs +
           sqlParam(idFunction) + u" ORDER BY Sequenza"_qs;
}

SqlStatement processParametersStatement(int idFunction)
{
    return u"SELECT IDParametroProcesso,ParametroProcessoPerFunzione FROM ParametroProcessoPerFunzione AS PPF, "
           u"ProcessoPerFunzione as PF"_qs
           u" WHERE PPF.IDProcessoPerFunzione = PF.IDProcessoPerFunzione"_qs
           u" AND PF.IDFunzione = "_qs +
           sqlParam(idFunction);
}

} // namespace

std::int32_t handOverInteger(const QString &key, const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        throw StartupError(QStringLiteral("Parametro di avvio mancante: la chiave %1 è vuota o non esiste. "
                                          "Avviare il programma dal menu di Brevanto.")
                               .arg(key));
    static const QRegularExpression integer(u"^[+-]?[0-9]+$"_qs);
    bool ok = integer.match(t).hasMatch();
    const qlonglong v = ok ? t.toLongLong(&ok) : 0;
    if (!ok || v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw StartupError(
            QStringLiteral("Parametro di avvio non valido: la chiave %1 vale \"%2\", che non è un numero intero.")
                .arg(key, text));
    return std::int32_t(v);
}

std::optional<int> handOverDbType(const QString &text)
{
    QString t = text.trimmed();
    t.replace(u',', u'.');
    static const QRegularExpression decimal(u"^[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)$"_qs);
    if (!decimal.match(t).hasMatch())
        return std::nullopt;
    const double d = t.toDouble();
    const double r = std::round(d); // to the nearest; a half away from zero
    if (r < std::numeric_limits<std::int16_t>::min() || r > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return int(r);
}

const std::vector<int> &Program::startupObjectTypes()
{
    static const std::vector<int> types = {16, 19, 148, 123, 20, 227, 304};
    return types;
}

Program::Program(ProgramEnvironment env) : m_env(std::move(env)), m_services(m_env.messages) {}

Program::~Program() = default;

bool Program::commandLineHasDebug(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ').contains(u"Debug"_qs);
}

QString Program::executableName(const QString &applicationFilePath)
{
    return QFileInfo(applicationFilePath).completeBaseName();
}

QString Program::mainWindowCaption(const WorkContext &ctx)
{
    return applicationTitle() + u" - "_qs + ctx.FirmName + u" ["_qs + ctx.Branch + u"]"_qs;
}

void Program::readHandOver()
{
    WorkContext &c = m_ctx;
    HandOverStore &store = m_env.store;
    const QString &section = c.executableName;
    c.UserName = store.read(section, HandOver::UserName);
    c.Password = store.read(section, HandOver::Password);
    c.IDUser = handOverInteger(HandOver::IDUser, store.read(section, HandOver::IDUser));
    c.lIDFirm = handOverInteger(HandOver::lIDFirm, store.read(section, HandOver::lIDFirm));
    c.lIDBranch = handOverInteger(HandOver::lIDBranch, store.read(section, HandOver::lIDBranch));
    c.IDFunction = handOverInteger(HandOver::IDFunction, store.read(section, HandOver::IDFunction));
    c.lIDActivity = handOverInteger(HandOver::lIDActivity, store.read(section, HandOver::lIDActivity));

    // The table-maintenance executable of the suite shares this reader; the settlement
    // program never runs under that name and has no table component to hand it to.
    if (section.toUpper() == u"TABLES"_qs)
        m_tableName = store.read(section, HandOver::TableName);

    c.FirmName = store.read(section, HandOver::FirmName);
    c.helpFile = store.read(HandOver::MenuSettings, HandOver::Path) + helpFileName;
    c.Branch = store.read(section, HandOver::Branch);

    if (!c.debug) {
        for (const QString &key : {HandOver::UserName, HandOver::Password, HandOver::IDUser, HandOver::lIDFirm}) {
            store.write(section, key, u"1"_qs);
            store.remove(section, key);
        }
        store.sync();
    }
}

bool Program::readEngineAndUser()
{
    WorkContext &c = m_ctx;
    const std::optional<int> dbType = handOverDbType(m_env.store.read(HandOver::MenuSettings, HandOver::DBType));
    if (!dbType || *dbType <= -1) {
        m_services.messageBox(m_env.texts.text(ResourceStrings::DatabaseTypeMissing), Buttons::Ok, Icon::Critical);
        return false;
    }
    c.DBType = std::int16_t(*dbType);
    if (c.IDUser == -1) {
        m_services.messageBox(m_env.texts.text(ResourceStrings::NoUserOrCompany), Buttons::Ok, Icon::Critical);
        return false;
    }
    return true;
}

bool Program::openAndSignIn()
{
    WorkContext &c = m_ctx;
    if (c.DBType == int(Engine::Sqlite))
        m_services.prepareDesktopEngine(QString());

    c.database = m_env.openDatabase ? m_env.openDatabase() : nullptr;
    if (!c.database)
        c.database = ConnectionProvider::open(m_env.store, c.DBType);
    c.database->setCommandTimeout(CommandTimeoutSeconds);
    c.database->execute(u"set dateformat mdy"_qs);

    // On a server whose roles are mapped, the hand-over's user must be the role's.
    try {
        ServerRoles(*c.database).requireActingUser(c.IDUser);
    } catch (const Refusal &r) {
        throw StartupError(r.message());
    }
    // A user with a password proves it before anything else is read.
    if (c.IDUser != m_env.signedInUser && !signIn(*c.database, c.IDUser, c.UserName)) {
        c.database.reset();
        return false;
    }
    return true;
}

void Program::readFunctionObjectType()
{
    WorkContext &c = m_ctx;
    Recordset rs = c.database->openRecordset(objectTypeStatement(c.IDFunction));
    if (rs.eof())
        throw StartupError(QStringLiteral("La funzione %1 non esiste o il suo tipo oggetto non è definito "
                                          "(tabelle Funzione e TipoOggetto).")
                               .arg(c.IDFunction));
    c.objectType = rs.integer(u"IDTipoOggetto"_qs);
    c.helpContext = rs.integer(u"ContextHelpID"_qs);
}

Connection *Program::readParameters(MainWindowInterface &window)
{
    WorkContext &c = m_ctx;
    try {
        readHandOver();
        if (!readEngineAndUser() || !openAndSignIn())
            return nullptr;
        readFunctionObjectType();
        m_usage.setContext(*c.database, m_env.texts, c.IDUser, c.lIDBranch, c.IDFunction);

        if (c.debug)
            window.enableDebugHook();

        m_env.store.write(c.executableName, HandOver::hExe, QString::number(window.windowHandle()));
        m_env.store.sync();
        window.setWindowProperty("KVR", 1);
        return c.database.get();
    } catch (const StartupError &e) {
        m_services.messageBox(e.message(), Buttons::Ok, Icon::Critical);
    } catch (const DbError &e) {
        m_services.messageBox(u"Impossibile avviare il programma, errore del database: "_qs + explainDbError(e),
                              Buttons::Ok, Icon::Critical);
    }
    m_usage.clearContext();
    c.database.reset();
    return nullptr;
}

bool Program::signIn(Connection &db, int user, const QString &userName)
{
    UserPasswords passwords(db);
    if (!passwords.hasPassword(user))
        return true;
    if (!m_env.askPassword) {
        m_services.messageBox(QStringLiteral("L'utente %1 ha una password, che qui non può essere chiesta.").arg(user),
                              Buttons::Ok, Icon::Critical);
        return false;
    }
    // Asked again after a wrong one; the lock after the fifth in a row ends the attempts.
    for (int attempt = 0; attempt < UserPasswords::kWrongInARow; ++attempt) {
        const std::optional<QString> given = m_env.askPassword(user, userName);
        if (!given)
            return false;
        try {
            passwords.signIn(user, *given);
            return true;
        } catch (const Refusal &r) {
            m_services.messageBox(r.message(), Buttons::Ok, Icon::Warning);
            if (r.message().contains(u"bloccato"_qs))
                return false;
        }
    }
    return false;
}

Program::Outcome Program::start(MainWindowInterface &window)
{
    try {
        m_ctx.registryApplicationName = m_env.texts.registryApplicationName();
        m_ctx.executableName = executableName(m_env.applicationFilePath);
        m_ctx.debug = commandLineHasDebug(m_env.arguments);

        if (!readParameters(window)) {
            window.unload();
            end(1);
            return Outcome::Stopped;
        }
        Connection &db = m_ctx.db();

        auto session = std::make_unique<ServiceSession>(QString(), 2, CommandTimeoutSeconds);
        m_sharedServices = std::make_unique<ServiceHost>();
        m_sharedServices->attach(std::move(session));
        m_sharedServices->configure();
        m_usage.setObjectType(m_ctx.objectType);

        std::vector<int> processes;
        {
            Recordset rs = db.openRecordset(processesStatement(m_ctx.IDFunction));
            for (; !rs.eof(); rs.moveNext())
                processes.push_back(rs.integer(u"IDProcesso"_qs));
        }

        for (int process : processes) {
            if (process != SettlementProcess)
                continue;
            {
                // Read through as the suite's other programs do; the settlement takes no
                // parameters from its function.
                Recordset rs = db.openRecordset(processParametersStatement(m_ctx.IDFunction));
                while (!rs.eof())
                    rs.moveNext();
            }
            for (int type : startupObjectTypes())
                m_usage.registerUse(type, -1, 1);
            // The working settlements that no live session holds: the user's own left by an
            // earlier run and those of any process that died.
            // (A search-only role of a shared server may not delete them: a session that may does.)
            if (ServerRoles(db).roleMay(u"DELETE"_qs, u"RisultatoLiquidazioneIvaXTipo"_qs))
                WorkingRecords::removeAbandoned(db, [this] { return m_usage.heldKeys(m_ctx.objectType); });
            m_usage.startHeartbeat();

            if (m_ctx.lIDFirm == -1) {
                // No company: the window cannot be built.
                m_services.messageBox(m_env.texts.text(ResourceStrings::NoUserOrCompany), Buttons::Ok, Icon::Critical);
                window.unload();
                shutdown();
                end(1);
                return Outcome::Stopped;
            }
            window.initialise();
            window.showWindow();
            return Outcome::Running;
        }

        endOfProgram();
        return Outcome::Ended;
    } catch (const StartupError &e) {
        fatalError(e.number(), e.message(), &window);
    } catch (const DbError &e) {
        fatalError(e.nativeNumber(), e.message(), &window);
    } catch (const std::exception &e) {
        fatalError(0, QString::fromLocal8Bit(e.what()), &window);
    }
    return Outcome::Failed;
}

bool Program::queryUnload()
{
    if (BusyCounter::busy()) {
        m_services.messageBox(u"Impossibile chiudere: altri processi in corso."_qs, Buttons::Ok, Icon::Warning);
        return false;
    }
    return true;
}

void Program::mainWindowUnloaded()
{
    try {
        m_usage.release(m_ctx.objectType, -1, 0);
    } catch (const DbError &e) {
        m_services.messageBox(explainDbError(e), Buttons::Ok, Icon::Warning);
    }
    endOfProgram();
}

void Program::releaseRegistrations()
{
    // Nine calls: the seven object types of the start-up, then the program's own type for
    // its open documents (mode 2) and for itself (mode 1).
    try {
        for (int type : startupObjectTypes())
            m_usage.release(type, -1, 1);
        m_usage.release(m_ctx.objectType, -1, 2);
        m_usage.release(m_ctx.objectType, -1, 1);
    } catch (const DbError &e) {
        m_services.messageBox(explainDbError(e), Buttons::Ok, Icon::Warning);
    }
}

void Program::endOfProgram()
{
    releaseRegistrations();
    m_sharedServices.reset();
    shutdown();
    end(0);
}

void Program::shutdown()
{
    HandOverStore &store = m_env.store;
    const QString &section = m_ctx.executableName;
    if (m_ctx.database) {
        try {
            // The session's unconfirmed rows do not outlive the program, nor its registrations;
            // another session's (the same user's elsewhere too) stay.
            m_usage.releaseAll();
            if (ServerRoles(*m_ctx.database).roleMay(u"DELETE"_qs, u"RisultatoLiquidazioneIvaXTipo"_qs))
                WorkingRecords::removeAbandoned(*m_ctx.database, [this] { return m_usage.heldKeys(m_ctx.objectType); });
        } catch (const DbError &e) {
            m_services.messageBox(explainDbError(e), Buttons::Ok, Icon::Warning);
        }
        m_usage.clearContext();
        m_ctx.database->close();
        m_ctx.database.reset();
    }
    if (section.isEmpty())
        return;
    store.write(section, HandOver::hExe, u"1"_qs);
    // From here on errors are ignored: the store may already be gone.
    if (!m_ctx.debug) {
        store.removeSection(section);
        store.remove(section, HandOver::hExe);
    }
    store.sync();
}

void Program::fatalError(long long number, const QString &description, MainWindowInterface *window)
{
    const QFileInfo file(m_env.applicationFilePath);
    ErrorReport report;
    report.number = number;
    report.description = description;
    report.executable = file.completeBaseName();
    report.path = file.absolutePath();
    report.version = m_env.version;
    m_env.errors.show(report);
    if (window)
        window->unload();
    releaseRegistrations();
    m_sharedServices.reset();
    shutdown();
    end(1);
}

void Program::end(int code)
{
    m_ended = true;
    m_exitCode = code;
    if (m_onEnd)
        m_onEnd(code);
}

} // namespace liqiva
