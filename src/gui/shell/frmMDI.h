#pragma once

#include "gui/document/frmNew.h"
#include "gui/shell/CommandTable.h"
#include "gui/shell/FormFace.h"
#include "gui/shell/frmHelp.h"
#include "startup/MainWindowInterface.h"
#include "startup/ModuleLauncher.h"
#include "suite/rights/UserRights.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QLabel;
class QMdiArea;
class QMdiSubWindow;

namespace liqiva {

enum class Answer;
class CommandBar;
class DocumentWindow;
class PrintCommand;
class Program;
class ShellSettings;
class frmHelp;
class frmActivityBox;
struct DocumentContext;
struct ProgramInfo;

// The main window: a multiple-document frame whose document windows each hold the browse of
// the saved settlements and the form of one settlement. It builds the command bar, applies
// the user's rights, runs every command through one dispatcher, keeps the commands' enabling
// in step with the active document, asks whether to save before a document is closed or
// replaced, and closes the program in order.
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

    // sbInitMDI: command bar, rights, caption, and the first document window.
    void sbInitMDI();
    // sbMDIInitialization: the object-name texts and the caption, title + " - " + company +
    // " [" + branch + "]".
    void sbMDIInitialization();
    // The status-bar text routine of the menu-hover events.
    void sbStatusBarText(const QString &text);

    // The form face of new document windows (the settlement's form unless a test says
    // otherwise). Without one a document window offers only its browse.
    void setFormFaceFactory(FormFaceFactory factory) { m_formFactory = std::move(factory); }

    QMdiArea *documentArea() const { return m_area; }
    CommandBar &commandBar() const { return *m_bar; }
    const ObjectNames &objectNames() const { return m_names; }
    const UserRights &rights() const { return m_rights; }

    // ---- documents -------------------------------------------------------------------------
    DocumentWindow *activeDocument() const;
    QList<DocumentWindow *> documents() const;
    // A new document window showing the browse of the saved settlements; nullptr (with the
    // message shown) when it could not be made.
    DocumentWindow *sbNewChildWithBrowse();
    // "New": the new-settlement dialog, then the chosen settlement in a document window.
    void sbCreateNewChild();
    // The open document window showing a settlement, restored and activated; nullptr if none.
    DocumentWindow *fnFindChild(int key);
    // Shows a settlement in the form face: activates the window that shows it already, or
    // fills the given window (after its save question), or a new one. Returns the window.
    DocumentWindow *sbShowObject(int key, DocumentWindow *into = nullptr, bool makeDatiIva = false);
    // Asks whether to save the document's changes. False: stop (cancelled, or the save
    // failed). keepWorkingRows: "No" leaves the document's working rows in place.
    bool fnQuestionForSave(DocumentWindow *doc, bool keepWorkingRows = false);
    // A document window is about to close.
    void fnCloseChild(DocumentWindow &doc, bool &cancel);
    void sbSetbChangedObject(bool changed);
    void sbSetbSavedObject(bool saved);
    // "Clear": the form face drops its unsaved changes.
    void sbClearChild();

    // ---- commands --------------------------------------------------------------------------
    // The dispatcher: every click, menu choice and shortcut ends here with the command's key.
    void sbExecuteMenuCommand(const QString &key);
    // A key press (key code and modifier mask): dispatches the command whose shortcut it is,
    // when that command is enabled. Returns the command's key, empty when none matched.
    QString sbGestShortCut(int keyCode, int mask);
    // The one place that decides the enabling of every command from the active document,
    // its face, its state and the user's rights.
    void updateCommands();

    // ---- settings, help, modules (frmMDIShell.cpp) ----------------------------------------
    // The user's settings of the window, read at start-up and written at the close.
    ShellSettings &settings() const { return *m_settings; }
    void sbGetCommonSettings();
    void sbSaveCommonSettings();
    // The keys whose stored values could not be used at the last start (empty: all well).
    const QStringList &settingsNotes() const { return m_settingsNotes; }
    // The folder of the help pages (the pages compiled in unless a test says otherwise).
    void setHelpRoot(const QString &root) { m_helpRoot = root; }
    // The help window, when it is open.
    frmHelp *helpWindow() const { return m_help; }
    // Opens the help on a page; over: the dialog that asked for it (the help then comes up
    // over it), or nothing for the main window.
    void openHelp(const QString &page, QWidget *over = nullptr);
    // What the launcher does while a module runs; tests may replace the window check.
    ModuleLauncher::Hooks &launcherHooks() { return m_launcherHooks; }
    void setModuleStartTimeout(int ms) { m_moduleStartTimeoutMs = ms; }
    // The generic launcher (Mnu_RunApplication and the communication): the key chosen there.
    std::optional<int> runApplication(int functionKey, int objectKey = 0, const QString &parameters = {});
    ProgramInfo programInfo() const;

    // ---- picker mode -----------------------------------------------------------------------
    bool pickerMode() const { return !m_client.isEmpty(); }

    // ---- printing --------------------------------------------------------------------------
    // The activity pane (Mnu_Folders shows and hides it).
    frmActivityBox *activityBox() const { return m_activityBox; }
    // Called with every print command before it runs (the tests answer its dialogs there).
    void setPrintCommandHook(std::function<void(PrintCommand &)> hook) { m_printHook = std::move(hook); }
    static QString msgSaveBeforePrint();
    // The key chosen in the picker, -1 when it was cancelled (or not shown).
    int pickerResult() const { return m_pickerResult; }

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
    DocumentWindow *createDocumentWindow();
    // The window inside its screen's work area (first start: no size stored).
    void fitToScreen();
    void fillAreaWithOnlyDocument();
    DocumentContext documentContext() const;
    QMdiSubWindow *frameOf(DocumentWindow *doc) const;
    void activate(DocumentWindow *doc);
    // Whether a form face can be made; says so when it cannot.
    bool formAvailable();
    bool fillDocument(DocumentWindow &doc, int key, bool makeDatiIva);
    void releaseDocument(DocumentWindow &doc);
    // The save question of one document; on Yes it saves. Cancel also when the save failed.
    Answer askAndSave(DocumentWindow &doc);
    void discardChanges(DocumentWindow &doc);
    void removeWorkingRows(DocumentWindow &doc);
    bool requeryOrUnload(DocumentWindow &doc);
    // Brings a document window in step with the database after settlementsChanged.
    void followDatabase(DocumentWindow &doc, int key, bool stored);
    // Whether a settlement is still stored (live or a working row).
    bool settlementExists(int key);
    // The status-bar note of a form the user may look at but not change.
    void showReadOnlyNote(bool show);
    bool closeDocuments();
    void runPicker();

    // The commands.
    // The command behind a key, for the active document (none: nullptr).
    void dispatchCommand(const QString &key, DocumentWindow *doc);
    void commandSave(DocumentWindow *doc);
    void commandDelete(DocumentWindow *doc);
    void commandCommunication();
    // The year (and quarter) the year window and the communication open on: those of the
    // settlement shown, else the company's latest VAT year; 0 when the company has none.
    int yearForCommands(int *quarter = nullptr);
    void commandSearch(DocumentWindow *doc, bool empty);
    void commandSearchExecute(DocumentWindow *doc);
    void commandMove(DocumentWindow *doc, int step);
    void commandShowTable(DocumentWindow *doc);
    void commandShowForm(DocumentWindow *doc);
    void commandEdit(const QString &action);
    void arrangeWindows(const QString &key);
    void leaveSearchMode(DocumentWindow *doc);
    void fillWindowMenu();
    // The commands of settings, help, modules, web pages and the year overview; false when
    // the key is none of them.
    bool shellCommand(const QString &key);
    void updateShellCommands();
    void commandOptions();
    void commandToolBars();
    void commandInfo();
    void commandHelp(bool index);
    void commandModule(const QString &key);
    void commandWeb(const QString &key);
    void commandYearOverview();
    void commandRunApplication();
    bool helpKey(QObject *watched, QEvent *event);
    void applySettingsLook();
    // The print commands (frmMDIPrinting.cpp).
    void setupPrinting();
    bool printingCommand(const QString &key, DocumentWindow *doc);
    void updatePrintingCommands(DocumentWindow *doc);
    int printableKey(DocumentWindow *doc);
    std::unique_ptr<PrintCommand> makePrintCommand();
    void printDeclaration(DocumentWindow *doc);
    void closePrinting();

    Program &m_program;
    ObjectNames m_names;
    QMdiArea *m_area;
    CommandBar *m_bar;
    UserRights m_rights;
    FormFaceFactory m_formFactory;
    bool m_mayRebuildVatData = true;
    std::int16_t m_documentCounter = 0;
    bool m_filling = false;
    bool m_following = false; // document windows are being filled again after a save
    bool m_unloading = false;
    bool m_closingAll = false; // the program closes every document window
    bool m_closed = false;
    bool m_initialised = false;
    QString m_client;
    int m_pickerResult = -1;
    QLabel *m_readOnlyNote = nullptr;
    std::unique_ptr<ShellSettings> m_settings;
    QStringList m_settingsNotes;
    QString m_helpRoot;
    QPointer<frmHelp> m_help;
    ModuleLauncher::Hooks m_launcherHooks;
    int m_moduleStartTimeoutMs = 30000;
    frmActivityBox *m_activityBox = nullptr;
    std::function<void(PrintCommand &)> m_printHook;
    std::optional<frmNew::Selection> m_lastNew; // what "Nuovo" proposes next
};

} // namespace liqiva
