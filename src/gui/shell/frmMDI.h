#pragma once

#include "gui/shell/CommandTable.h"
#include "startup/MainWindowInterface.h"
#include "startup/ModuleLauncher.h"
#include "suite/rights/UserRights.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class QLabel;
class QMdiArea;

namespace liqiva {

class CommandBar;
class Program;
class ShellCommands;
class ShellDocuments;
class ShellHelp;
class ShellPrinting;
class WindowSettings;

// The main window: a multiple-document frame whose document windows each hold the browse of
// the saved settlements and the form of one settlement. It holds the command bar, the
// document area and the status bar, and wires together the parts that do the work: the
// commands (the dispatcher and the one enabler), the document windows, the window's
// settings, the help and the printing. It starts them in order and closes the program in order.
class frmMDI : public QMainWindow, public MainWindowInterface {
    Q_OBJECT
public:
    explicit frmMDI(Program &program, QWidget *parent = nullptr);
    ~frmMDI() override;

    // MainWindowInterface
    unsigned long long windowHandle() override;
    void setWindowProperty(const char *name, const QVariant &value) override;
    QVariant windowProperty(const char *name) const override;
    void enableDebugHook() override;
    void initialise() override;
    void showWindow() override;
    void unload() override;

    // sbInitMDI: rights, caption, settings, and the first document window.
    void sbInitMDI();
    // sbMDIInitialization: the caption, title + " - " + company + " [" + branch + "]".
    void sbMDIInitialization();
    // The status-bar text routine of the menu-hover events.
    void sbStatusBarText(const QString &text);
    // The status-bar note of a form the user may look at but not change.
    void showReadOnlyNote(bool show);

    // The parts.
    ShellCommands &commands() const { return *m_commands; }
    ShellDocuments &docs() const { return *m_documents; }
    WindowSettings &windowSettings() const { return *m_settings; }
    ShellHelp &help() const { return *m_help; }
    ShellPrinting &printing() const { return *m_printing; }

    // What the parts share.
    Program &program() const { return m_program; }
    QMdiArea *documentArea() const { return m_area; }
    CommandBar &commandBar() const { return *m_bar; }
    const ObjectNames &objectNames() const { return m_names; }
    const UserRights &rights() const { return m_rights; }
    bool mayRebuildVatData() const { return m_mayRebuildVatData; }
    // Started (sbInitMDI has run) and not yet closed.
    bool running() const { return m_initialised && !m_closed; }
    bool initialised() const { return m_initialised; }

    // What the launcher does while a module runs; tests may replace the window check.
    ModuleLauncher::Hooks &launcherHooks() { return m_launcherHooks; }
    void setModuleStartTimeout(int ms) { m_moduleStartTimeoutMs = ms; }
    // The launcher of the suite's modules, with this window's hooks.
    ModuleLauncher launcher() const;
    // The generic launcher (Mnu_RunApplication and the communication): the key chosen there.
    std::optional<int> runApplication(int functionKey, int objectKey = 0, const QString &parameters = {});

Q_SIGNALS:
    // A command was run by the dispatcher (after the busy check).
    void commandDispatched(const QString &key);
    // The settlements stored in the database changed (a save, a delete, a fill that rebuilt
    // a settlement's report data or created its working row, a new settlement given up):
    // every document window shows the database as it now is. key: the settlement written;
    // stored: the stored figures changed (a save or a delete), which the figures of other
    // settlements build on (the credit or debt carried from the period before).
    void settlementsChanged(int key, bool stored);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildStatusBar();
    void installLauncherHooks();

    Program &m_program;
    ObjectNames m_names;
    QMdiArea *m_area;
    CommandBar *m_bar;
    UserRights m_rights;
    bool m_mayRebuildVatData = true;
    bool m_unloading = false;
    bool m_closed = false;
    bool m_initialised = false;
    QLabel *m_readOnlyNote = nullptr;
    ModuleLauncher::Hooks m_launcherHooks;
    int m_moduleStartTimeoutMs = 30000;
    std::unique_ptr<WindowSettings> m_settings;
    std::unique_ptr<ShellHelp> m_help;
    std::unique_ptr<ShellDocuments> m_documents;
    std::unique_ptr<ShellPrinting> m_printing;
    std::unique_ptr<ShellCommands> m_commands;
};

} // namespace liqiva
