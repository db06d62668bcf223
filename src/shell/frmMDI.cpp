#include "shell/frmMDI.h"

#include "startup/Program.h"
#include "suite/Messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QMdiArea>
#include <QStatusBar>

namespace liqiva {

frmMDI::frmMDI(Program &program, QWidget *parent) : QMainWindow(parent), m_program(program), m_area(new QMdiArea(this))
{
    setObjectName(u"frmMDI"_qs);
    setWindowTitle(applicationTitle());
    m_area->setObjectName(u"mdiArea"_qs);
    m_area->setViewMode(QMdiArea::SubWindowView);
    setCentralWidget(m_area);
    statusBar()->setObjectName(u"stbMain"_qs);
    resize(1024, 720);
}

frmMDI::~frmMDI() = default;

unsigned long long frmMDI::windowHandle()
{
    return static_cast<unsigned long long>(winId());
}

void frmMDI::setWindowProperty(const char *name, const QVariant &value)
{
    setProperty(name, value);
}

QVariant frmMDI::windowProperty(const char *name) const
{
    return property(name);
}

void frmMDI::enableDebugHook()
{
    // Traces what reaches the window, as a debugger of the suite would watch it.
    installEventFilter(this);
}

bool frmMDI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this)
        qDebug().noquote() << u"frmMDI:"_qs << event->type();
    return QMainWindow::eventFilter(watched, event);
}

void frmMDI::initialise()
{
    sbInitMDI();
}

void frmMDI::sbInitMDI()
{
    sbMDIInitialization();
    qApp->setProperty("helpFile", m_program.context().helpFile);
    // The menus, the rights and the settings come with the command bar.
}

void frmMDI::sbMDIInitialization()
{
    setWindowTitle(Program::mainWindowCaption(m_program.context()));
    m_program.services().applyWindowStyle(*this);
}

void frmMDI::sbStatusBarText(const QString &text)
{
    statusBar()->showMessage(text);
}

void frmMDI::showWindow()
{
    show();
}

void frmMDI::unload()
{
    m_unloading = true;
    close();
}

void frmMDI::closeEvent(QCloseEvent *event)
{
    if (m_unloading || m_closed) {
        event->accept();
        return;
    }
    if (!m_program.queryUnload()) {
        event->ignore();
        return;
    }
    m_area->closeAllSubWindows();
    if (!m_area->subWindowList().isEmpty()) {
        // A document refused to close (the user cancelled its save question).
        event->ignore();
        return;
    }
    m_closed = true;
    event->accept();
    m_program.mainWindowUnloaded();
}

} // namespace liqiva
