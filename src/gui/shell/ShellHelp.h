#pragma once

#include "gui/shell/frmHelp.h"

#include <QPointer>
#include <QString>

class QEvent;
class QObject;
class QWidget;

namespace liqiva {

class frmMDI;

// The main window's help: the help window, the help commands and F1 in the program's dialogs.
class ShellHelp {
public:
    explicit ShellHelp(frmMDI &window) : m_w(window) {}

    // The folder of the help pages (the pages compiled in unless a test says otherwise).
    void setHelpRoot(const QString &root) { m_helpRoot = root; }
    // The help window, when it is open.
    frmHelp *helpWindow() const { return m_help; }
    // Opens the help on a page; over: the dialog that asked for it (the help then comes up
    // over it), or nothing for the main window.
    void openHelp(const QString &page, QWidget *over = nullptr);
    // Mnu_Arg (index) and Mnu_HelpOnLine (the page of what has the focus).
    void commandHelp(bool index);
    // F1 in a dialog of the program: its page, over it. True when the key was taken.
    bool helpKey(QObject *watched, QEvent *event);
    void close();

private:
    frmMDI &m_w;
    QString m_helpRoot;
    QPointer<frmHelp> m_help;
};

} // namespace liqiva
