#pragma once

#include "startup/WorkContext.h"
#include "suite/UsageRegister.h"
#include "suite/UtilityServices.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace liqiva {

class ErrorReporter;
class HandOverStore;
class MainWindowInterface;
class MessageService;
class ResourceStrings;
class ServiceHost;

// What the program is given by its surroundings: the settings store of the hand-over, where
// messages and error reports go, its texts, and its own command line and file.
struct ProgramEnvironment {
    HandOverStore &store;
    MessageService &messages;
    const ResourceStrings &texts;
    ErrorReporter &errors;
    QString applicationFilePath;
    QStringList arguments; // the whole command line, the program first
    QString version;       // major.minor.revision
    // Asks the password of a user who has one (the windows' sign-in); nothing when the person
    // gives up. Without it such a user cannot start the program.
    std::function<std::optional<QString>(int user, const QString &userName)> askPassword = {};
    // The start of our own: the connection its archive dialog opened (on PostgreSQL with the
    // password asked), taken in place of the one the settings name, and the user it signed in,
    // who is not asked again.
    std::function<std::unique_ptr<Connection>()> openDatabase = {};
    std::optional<int> signedInUser = {};
};

// The settlement program from start to end: the entry procedure and its parameter reader,
// the shutdown, the end-of-program and the fatal-error routines. It holds the work context,
// the utility services and the usage register for the life of the process and hands them
// down; the main window reaches it through the MainWindowInterface and by calling back
// queryUnload() and mainWindowUnloaded() when it is closed.
class Program {
public:
    enum class Outcome {
        Running, // the main window is shown; the event loop takes over
        Ended,   // the function has no settlement process: ended without a window
        Stopped, // start-up refused, with a message (bad hand-over, no database, no company)
        Failed,  // an unexpected error: reported by the fatal-error routine
    };

    // The settlement process a function must carry.
    static constexpr int SettlementProcess = 59;
    // The object types the program works on, registered at start-up with key -1, mode 1.
    static const std::vector<int> &startupObjectTypes();
    static constexpr int CommandTimeoutSeconds = 180;

    explicit Program(ProgramEnvironment env);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // The entry procedure: reads the hand-over, opens the database, checks the function,
    // clears the user's working rows, registers the object types and shows the window.
    Outcome start(MainWindowInterface &window);

    // The parameter reader: fills the work context and opens the shared connection.
    // Returns nothing when the start-up must stop; the reason has been shown.
    Connection *readParameters(MainWindowInterface &window);
    // The windows' sign-in of a user with a password: false when it is refused or given up.
    bool signIn(Connection &db, int user, const QString &userName);

    // The main window's query-unload: refused, with its message, while work is running.
    bool queryUnload();
    // The main window's unload: releases the program's object type and runs the
    // end-of-program routine.
    void mainWindowUnloaded();

    // Releases the usage register and the shared services, runs the shutdown, ends.
    void endOfProgram();
    // Closes the database and removes the hand-over block (unless "Debug").
    void shutdown();
    // Reports an unexpected error and ends the program.
    void fatalError(long long number, const QString &description, MainWindowInterface *window);

    WorkContext &context() { return m_ctx; }
    UtilityServices &services() { return m_services; }
    UsageRegister &usageRegister() { return m_usage; }
    MessageService &messages() { return m_env.messages; }
    const ResourceStrings &texts() const { return m_env.texts; }
    HandOverStore &store() { return m_env.store; }
    const ServiceHost *sharedServices() const { return m_sharedServices.get(); }
    // TableName of the hand-over, read only when the executable is "TABLES".
    QString tableName() const { return m_tableName; }

    // The process ends: the GUI quits its event loop with the code; tests record it.
    void setEndHandler(std::function<void(int)> handler) { m_onEnd = std::move(handler); }
    bool ended() const { return m_ended; }
    int exitCode() const { return m_exitCode; }

    // The command line contains the word "Debug" (anywhere after the program's own name).
    static bool commandLineHasDebug(const QStringList &arguments);
    // The section of the hand-over: the executable's file name without extension.
    static QString executableName(const QString &applicationFilePath);
    // The caption of the main window for a work context.
    static QString mainWindowCaption(const WorkContext &ctx);

private:
    // The steps of readParameters: the hand-over's keys (the secret ones then wiped), the
    // engine and the user (false: the user was told why), the connection and the sign-in,
    // the object type of the function.
    void readHandOver();
    bool readEngineAndUser();
    bool openAndSignIn();
    void readFunctionObjectType();
    void releaseRegistrations();
    void end(int code);

    ProgramEnvironment m_env;
    WorkContext m_ctx;
    UtilityServices m_services;
    UsageRegister m_usage;
    std::unique_ptr<ServiceHost> m_sharedServices;
    QString m_tableName;
    std::function<void(int)> m_onEnd;
    bool m_ended = false;
    int m_exitCode = 0;
};

// Conversions of the hand-over's texts. Both throw StartupError with a text that names the key.
// An integer key: optional blanks and sign, digits only, within 32 bits.
std::int32_t handOverInteger(const QString &key, const QString &text);
// DBType: a decimal number (point or comma) rounded to the nearest integer; nothing when
// it is missing or cannot be read.
std::optional<int> handOverDbType(const QString &text);

} // namespace liqiva
