#pragma once

#include <QString>
#include <functional>
#include <optional>

class QProcess;

namespace liqiva {

class HandOverStore;
class ResourceStrings;
class UtilityServices;
struct WorkContext;

// Starts the suite's other modules and waits for them. A module is a separate executable
// that reads its work context from the same hand-over block this program reads at start-up:
// the launcher writes that block into the module's section, starts the module (or leaves a
// running instance alone and brings it forward), waits while it runs and reads back the key
// the user chose there (IDField).
//
// Where a module's executable lives: the section "Modules" of the settings names the file
// of each executable by its name (Modules/DatiIva = /opt/suite/datiiva); without an entry it
// is MenuSettings/PATH, a separator and the executable's name.
class ModuleLauncher {
public:
    // A tools command that starts a module.
    struct Target {
        QString section;   // section of the target and name of its executable
        QString tableName; // TableName written for it
        int functionKey = 0;
        bool rightChecked = false; // the user's right to the function is asked first
    };
    // The command's target ("Mnu_DatiIva" or its button "DatiIva"); nothing for other keys.
    static std::optional<Target> targetOf(const QString &commandKey);

    // What the main window does while a module runs.
    struct Hooks {
        // Lets the windows repaint (no user input).
        std::function<void()> keepAlive;
        // true: the module is about to run, the windows are closed to input; false: it ended.
        std::function<void(bool running)> waiting;
        // Whether a handle written by a module as hExe names a window that is still there,
        // and bringing it to the foreground.
        std::function<bool(qint64 handle)> windowExists;
        std::function<void(qint64 handle)> bringToFront;
    };

    ModuleLauncher(WorkContext &ctx, HandOverStore &store, UtilityServices &services, const ResourceStrings &texts,
                   Hooks hooks);

    // The module launcher of a tools command. False when nothing ran (no right, a running
    // instance brought forward, a module that could not be started).
    bool runModule(const QString &commandKey);

    // The generic launcher: function key of the target, the key of an object to open there,
    // the parameter text of its command line. Returns the key the user chose in the target
    // (IDField), or nothing when the target did not run.
    std::optional<int> runApplication(int functionKey, int objectKey = 0, const QString &parameters = {},
                                      const QString &tableName = {}, const QString &caption = {});

    // The suite's maintenance of a table (its object type, e.g. "NumerazionePerRegistro") run
    // on one of its rows, as "Configura..." of the print options does. False when it did not
    // run; the user was told why.
    bool runMaintenanceOf(const QString &object, int objectKey, const QString &caption);

    // How long a started module has to write its hExe (30 seconds; tests shorten it).
    void setStartTimeoutMs(int ms) { m_startTimeoutMs = ms; }
    // The executable of a module: Modules/<name>, or PATH, a separator and the name.
    QString executableOf(const QString &name) const;
    // Why a tools command cannot start its module (its executable is not installed), for
    // the command's tooltip; empty when it can, or for a key that starts no module.
    QString unavailableReason(const QString &commandKey) const;
    static QString msgNotInstalled(const QString &program);

    static const QString NoRightText;     // "Diritti non sufficienti per avviare l'applicazione."
    static const QString RecalculateText; // the warning shown after a module of the tools ran

private:
    // The target's row of the suite's tables (its executable, its name, its object type),
    // read and checked against the user's rights; nothing (the user was told why) otherwise.
    struct FunctionRow {
        QString executable;
        QString functionName;
        int objectType = 0;
    };
    std::optional<FunctionRow> readFunction(int functionKey);
    void writeApplicationKeys(const FunctionRow &row, int functionKey, int objectKey, const QString &tableName,
                              const QString &caption);
    // Starts the module and waits until its window is up; false (the user was told) when it
    // could not start or did not come up in time.
    bool startModule(QProcess &process, const QString &program, const QString &parameters, const QString &section);
    // While the module runs, the windows repaint but take no input.
    void waitForModule(QProcess &process);
    void moduleDidNotStart(const QString &why);
    bool handOverRunning(const QString &section);
    void writeCommonKeys(const QString &section, const QString &tableName, const QString &caption);

    WorkContext &m_ctx;
    HandOverStore &m_store;
    UtilityServices &m_services;
    const ResourceStrings &m_texts;
    Hooks m_hooks;
    int m_startTimeoutMs = 30000;
};

} // namespace liqiva
