#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace liqiva {

class DocumentWindow;
class PrintCommand;
class frmActivityBox;
class frmMDI;

// The main window's print commands: preview, print, the exports, "Invia a", the declaration
// print, and the activity pane that shows how they go.
class ShellPrinting : public QObject {
public:
    // Makes the activity pane, docked on the window's left and hidden.
    explicit ShellPrinting(frmMDI &window);

    // The activity pane (Mnu_Folders shows and hides it).
    frmActivityBox *activityBox() const { return m_activityBox; }
    // Called with every print command before it runs (the tests answer its dialogs there).
    void setPrintCommandHook(std::function<void(PrintCommand &)> hook) { m_printHook = std::move(hook); }
    static QString msgSaveBeforePrint();

    // Runs the command when it is a print command; false for any other key.
    bool printingCommand(const QString &key, DocumentWindow *doc);
    // The print commands' part of the enabling.
    void updatePrintingCommands(DocumentWindow *doc);
    // At the end of the program: the user's print selection goes.
    void closePrinting();

private:
    // The settlement a print command prints: the one shown (its changes saved first), or the
    // row chosen in the list; 0 when there is none.
    int printableKey(DocumentWindow *doc);
    // The export kind chosen in the pane's dialog; empty when the user cancelled.
    QString chooseExport();
    std::unique_ptr<PrintCommand> makePrintCommand();
    void printDeclaration(DocumentWindow *doc);

    frmMDI &m_w;
    frmActivityBox *m_activityBox = nullptr;
    std::function<void(PrintCommand &)> m_printHook;
};

} // namespace liqiva
