#pragma once

#include <QObject>
#include <QString>

class QEvent;

namespace liqiva {

class DocumentWindow;
class frmMDI;
struct ProgramInfo;

// The main window's commands: the dispatcher every click, menu choice and shortcut ends in,
// the keyboard's shortcuts, the one place that decides which commands are enabled, and the
// commands that are not the documents' or the printing's own (editing, the window
// arrangement, the communication, the year overview, options, modules, web pages).
class ShellCommands : public QObject {
public:
    explicit ShellCommands(frmMDI &window);

    // The dispatcher: every click, menu choice and shortcut ends here with the command's key.
    void sbExecuteMenuCommand(const QString &key);
    // A key press (key code and modifier mask): dispatches the command whose shortcut it is,
    // when that command is enabled. Returns the command's key, empty when none matched.
    QString sbGestShortCut(int keyCode, int mask);
    // A key press inside the main window that is a command's shortcut: dispatched, and true.
    bool shortcutKey(QObject *watched, QEvent *event);
    // The one place that decides the enabling of every command from the active document,
    // its face, its state and the user's rights.
    void updateCommands();

    ProgramInfo programInfo() const;

private:
    void dispatchCommand(const QString &key, DocumentWindow *doc);
    // The commands on the document and its form; false when the key is none of them.
    bool documentCommand(const QString &key, DocumentWindow *doc);
    void updateDocumentCommands(DocumentWindow *doc);
    // The year (and quarter) the year window and the communication open on: those of the
    // settlement shown, else the company's latest VAT year; 0 when the company has none.
    int yearForCommands(int *quarter = nullptr);
    void commandCommunication();
    void commandEdit(const QString &action);
    void arrangeWindows(const QString &key);
    void fillWindowMenu();
    // The commands of settings, help, modules, web pages and the year overview; false when
    // the key is none of them.
    bool shellCommand(const QString &key);
    void updateShellCommands();
    void commandOptions();
    void commandInfo();
    void commandWeb(const QString &key);
    void commandYearOverview();
    void commandRunApplication();

    frmMDI &m_w;
};

} // namespace liqiva
