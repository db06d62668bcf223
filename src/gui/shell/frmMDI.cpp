#include "gui/shell/frmMDI.h"

#include "gui/common/Failures.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/ShellCommands.h"
#include "gui/shell/ShellDocuments.h"
#include "gui/shell/ShellHelp.h"
#include "gui/shell/ShellPrinting.h"
#include "gui/shell/ToolIcons.h"
#include "gui/shell/WindowSettings.h"
#include "startup/Program.h"
#include "suite/BusyCounter.h"
#include "suite/Messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace liqiva {

frmMDI::frmMDI(Program &program, QWidget *parent)
    : QMainWindow(parent), m_program(program), m_area(new QMdiArea(this)), m_bar(new CommandBar(*this, m_names))
{
    setObjectName(u"frmMDI"_qs);
    setWindowTitle(m_names.title);
    setWindowIcon(documentIcon());
    m_area->setObjectName(u"mdiArea"_qs);
    m_area->setViewMode(QMdiArea::SubWindowView);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    buildStatusBar();

    m_bar->build();
    m_settings = std::make_unique<WindowSettings>(*this);
    m_help = std::make_unique<ShellHelp>(*this);
    m_documents = std::make_unique<ShellDocuments>(*this);
    m_printing = std::make_unique<ShellPrinting>(*this);
    m_commands = std::make_unique<ShellCommands>(*this);
    m_bar->setHandler([this](const QString &key) { m_commands->sbExecuteMenuCommand(key); });
    connect(m_bar, &CommandBar::statusText, this, &frmMDI::sbStatusBarText);
    installLauncherHooks();

    // Every key press inside the window passes the shortcut handler first.
    qApp->installEventFilter(this);
    resize(1280, 800);
    // Small enough for the smallest screen the program is used on, with its bars.
    setMinimumSize(640, 480);
}

frmMDI::~frmMDI()
{
    qApp->removeEventFilter(this);
    // The document windows go while the parts that keep them are still there.
    m_initialised = false;
    for (QMdiSubWindow *frame : m_area->subWindowList())
        delete frame;
}

void frmMDI::buildStatusBar()
{
    statusBar()->setObjectName(u"stbMain"_qs);
    m_readOnlyNote = new QLabel(u"Sola consultazione: l'utente non ha il diritto di modificare e salvare le "_qs +
                                    m_names.plural + u"."_qs,
                                this);
    m_readOnlyNote->setObjectName(u"lblSolaConsultazione"_qs);
    m_readOnlyNote->setVisible(false);
    statusBar()->addPermanentWidget(m_readOnlyNote);
}

void frmMDI::installLauncherHooks()
{
    // While a module of the suite runs, the windows repaint but take no input.
    m_launcherHooks.keepAlive = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20); };
    m_launcherHooks.waiting = [this](bool running) {
        if (running)
            BusyCounter::raise();
        for (const char *name : {"Activate", "Deactivate", "KVR"})
            setProperty(name, running ? QVariant(1) : (qstrcmp(name, "KVR") == 0 ? QVariant(1) : QVariant()));
        menuBar()->setEnabled(!running);
        m_area->setEnabled(!running);
        for (QToolBar *tb : findChildren<QToolBar *>())
            tb->setEnabled(!running);
        if (!running)
            BusyCounter::lower();
    };
    // A handle names a window that is there when it is one of this program's own windows; the
    // windows of other processes are not visible to a portable program.
    m_launcherHooks.windowExists = [](qint64 handle) { return QWidget::find(WId(handle)) != nullptr; };
    m_launcherHooks.bringToFront = [](qint64 handle) {
        if (QWidget *w = QWidget::find(WId(handle))) {
            w->showNormal();
            w->raise();
            w->activateWindow();
        }
    };
}

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
    setProperty("debugHook", true);
}

void frmMDI::initialise()
{
    sbInitMDI();
}

void frmMDI::sbInitMDI()
{
    WorkContext &ctx = m_program.context();
    Connection &db = ctx.db();
    // Without its rights the user may do nothing that needs one.
    m_rights = UserRights();
    runShowingFailures(m_program.messages(), u"Impossibile leggere i diritti dell'utente: "_qs,
                       [&] { m_rights = UserRights::read(db, ctx.IDUser, ctx.lIDBranch, ctx.objectType); });
    m_bar->applyRights(m_rights);
    m_mayRebuildVatData = false;
    runShowingFailures(m_program.messages(),
                       [&] { m_mayRebuildVatData = m_program.services().hasRight(ctx.IDUser, ctx.IDFunction, db); });

    sbMDIInitialization();
    m_settings->sbGetCommonSettings();
    qApp->setProperty("helpFile", ctx.helpFile);
    m_initialised = true;
    m_documents->openFirst();
    m_commands->updateCommands();
}

void frmMDI::sbMDIInitialization()
{
    WorkContext &ctx = m_program.context();
    setWindowTitle(Program::mainWindowCaption(ctx));
    m_program.services().applyWindowStyle(*this);
}

void frmMDI::sbStatusBarText(const QString &text)
{
    statusBar()->showMessage(text);
}

void frmMDI::showReadOnlyNote(bool show)
{
    m_readOnlyNote->setVisible(show);
}

void frmMDI::showWindow()
{
    m_settings->showWindow();
    m_documents->fillAreaWithOnlyDocument();
}

void frmMDI::unload()
{
    m_unloading = true;
    close();
}

ModuleLauncher frmMDI::launcher() const
{
    ModuleLauncher launcher(m_program.context(), m_program.store(), m_program.services(), m_program.texts(),
                            m_launcherHooks);
    launcher.setStartTimeoutMs(m_moduleStartTimeoutMs);
    return launcher;
}

std::optional<int> frmMDI::runApplication(int functionKey, int objectKey, const QString &parameters)
{
    return launcher().runApplication(functionKey, objectKey, parameters);
}

bool frmMDI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this && property("debugHook").toBool())
        qDebug().noquote() << u"frmMDI:"_qs << event->type();
    if (event->type() == QEvent::Resize && m_area && watched == m_area->viewport())
        m_documents->followAreaSize(*static_cast<QResizeEvent *>(event));
    if (m_settings->hidesToolTip(watched, event))
        return true;
    if (running() && (m_help->helpKey(watched, event) || m_commands->shortcutKey(watched, event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
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
    if (m_documents->pickerMode())
        m_documents->runPicker();
    if (!m_documents->closeDocuments()) {
        // A document refused to close (the user cancelled its save question).
        event->ignore();
        m_commands->updateCommands();
        return;
    }
    m_closed = true;
    // The settings as the user leaves the window, before anything of it closes.
    m_settings->sbSaveCommonSettings();
    m_help->close();
    m_printing->closePrinting();
    event->accept();
    qApp->removeEventFilter(this);
    m_program.mainWindowUnloaded();
}

} // namespace liqiva
