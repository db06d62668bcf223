#include "gui/shell/frmMDI.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "database/SqlValue.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/SavedSettlements.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/WorkingRecords.h"
#include "gui/common/Failures.h"
#include "gui/printing/PrintCommand.h"
#include "gui/shell/BrowseFace.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/ShellSettings.h"
#include "gui/shell/ToolIcons.h"
#include "gui/shell/frmActivityBox.h"
#include "gui/shell/frmListSavedChild.h"
#include "startup/Program.h"
#include "suite/BusyCounter.h"
#include "suite/HandOverStore.h"
#include "suite/Messages.h"
#include "suite/ResourceStrings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace liqiva {

frmMDI::frmMDI(Program &program, QWidget *parent)
    : QMainWindow(parent), m_program(program), m_area(new QMdiArea(this)), m_bar(new CommandBar(*this, m_names)),
      m_formFactory(settlementFormFactory())
{
    setObjectName(u"frmMDI"_qs);
    setWindowTitle(m_names.title);
    setWindowIcon(documentIcon());
    m_area->setObjectName(u"mdiArea"_qs);
    m_area->setViewMode(QMdiArea::SubWindowView);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    statusBar()->setObjectName(u"stbMain"_qs);
    m_readOnlyNote = new QLabel(u"Sola consultazione: l'utente non ha il diritto di modificare e salvare le "_qs +
                                    m_names.plural + u"."_qs,
                                this);
    m_readOnlyNote->setObjectName(u"lblSolaConsultazione"_qs);
    m_readOnlyNote->setVisible(false);
    statusBar()->addPermanentWidget(m_readOnlyNote);

    m_bar->build();
    setupPrinting();
    m_bar->setHandler([this](const QString &key) { sbExecuteMenuCommand(key); });
    connect(m_bar, &CommandBar::statusText, this, &frmMDI::sbStatusBarText);
    connect(m_area, &QMdiArea::subWindowActivated, this, [this] { updateCommands(); });
    if (QMenu *windows = m_bar->menu(u"mnuWindow"_qs))
        connect(windows, &QMenu::aboutToShow, this, &frmMDI::fillWindowMenu);

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

    // Every key press inside the window passes the shortcut handler first.
    qApp->installEventFilter(this);
    resize(1280, 800);
    // Small enough for the smallest screen the program is used on, with its bars.
    setMinimumSize(640, 480);
}

frmMDI::~frmMDI()
{
    qApp->removeEventFilter(this);
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
    sbGetCommonSettings();
    qApp->setProperty("helpFile", ctx.helpFile);
    m_initialised = true;

    // Started as a picker by a calling program: the object it names is opened first.
    m_client = m_program.store().read(ctx.executableName, HandOver::Client).trimmed();
    bool opened = false;
    if (pickerMode()) {
        bool ok = false;
        const int key = m_program.store().read(ctx.executableName, HandOver::IDField).trimmed().toInt(&ok);
        if (ok && key > 0)
            opened = sbShowObject(key) != nullptr;
    }
    if (!opened)
        sbNewChildWithBrowse();
    updateCommands();
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
    // Where the user left it, when the settings say so.
    if (m_settings && m_settings->geometryRestored()) {
        if (m_settings->maximised())
            showMaximized();
        else
            show();
    } else if (screen()) {
        fitToScreen();
        show();
        // The desktop adds its frame once the window is shown: fitted again with the frame
        // it really has.
        QTimer::singleShot(0, this, &frmMDI::fitToScreen);
        QTimer::singleShot(300, this, &frmMDI::fitToScreen);
    } else {
        show();
    }
    fillAreaWithOnlyDocument();
}

void frmMDI::fitToScreen()
{
    const QScreen *s = screen();
    if (!s || isMaximized() || isFullScreen() || (m_settings && m_settings->geometryRestored()))
        return;
    // The window fits the work area of its screen, its frame and the status bar included.
    // Before the desktop has framed it, a title bar and borders of the usual size are
    // reckoned with.
    const QRect area = s->availableGeometry();
    QSize frame = frameGeometry().size() - geometry().size();
    // Not framed yet: the position given is the inside's, so the frame's top and left are
    // left free above and beside it.
    const bool framed = !frame.isEmpty();
    if (!framed)
        frame = QSize(12, 40);
    const QSize room = area.size() - frame;
    if (isVisible() && width() <= room.width() && height() <= room.height() && area.contains(frameGeometry()))
        return;
    // Once the user has sized the window, it stays as the user left it.
    const QSize fitted = property("liqivaFittedSize").toSize();
    if (isVisible() && fitted.isValid() && size() != fitted)
        return;
    const QSize wanted = QSize(1280, 800).boundedTo(room).expandedTo(minimumSize().boundedTo(room));
    resize(wanted);
    setProperty("liqivaFittedSize", wanted);
    const QPoint centred((room.width() - wanted.width()) / 2, (room.height() - wanted.height()) / 2);
    move(area.topLeft() + centred +
         (framed ? QPoint() : QPoint(frame.width() / 2, frame.height() - frame.width() / 2)));
    fillAreaWithOnlyDocument();
}

void frmMDI::fillAreaWithOnlyDocument()
{
    // The first document window fills the area, now that the area has its size.
    const QList<DocumentWindow *> docs = documents();
    if (docs.size() == 1)
        if (QMdiSubWindow *frame = frameOf(docs.first()); frame && !frame->isMinimized() && !frame->isMaximized())
            frame->setGeometry(m_area->viewport()->rect());
}

void frmMDI::unload()
{
    m_unloading = true;
    close();
}

// ---- documents -----------------------------------------------------------------------------

DocumentContext frmMDI::documentContext() const
{
    WorkContext &ctx = m_program.context();
    DocumentContext c{ctx.db(), m_program.messages(), 0, 0, 0, true, {}};
    c.idUser = ctx.IDUser;
    c.idAzienda = ctx.lIDFirm;
    c.idFunction = ctx.IDFunction;
    c.mayRebuildVatData = m_mayRebuildVatData;
    c.heldByOther = [this](int key) { return m_program.usageRegister().holderOf(m_program.context().objectType, key); };
    return c;
}

QMdiSubWindow *frmMDI::frameOf(DocumentWindow *doc) const
{
    return doc ? qobject_cast<QMdiSubWindow *>(doc->parentWidget()) : nullptr;
}

DocumentWindow *frmMDI::activeDocument() const
{
    QMdiSubWindow *frame = m_area->currentSubWindow();
    auto *doc = frame ? qobject_cast<DocumentWindow *>(frame->widget()) : nullptr;
    return doc && !doc->closing() ? doc : nullptr;
}

QList<DocumentWindow *> frmMDI::documents() const
{
    QList<DocumentWindow *> out;
    for (QMdiSubWindow *frame : m_area->subWindowList(QMdiArea::CreationOrder)) {
        auto *doc = qobject_cast<DocumentWindow *>(frame->widget());
        if (doc && !doc->closing())
            out << doc;
    }
    return out;
}

void frmMDI::activate(DocumentWindow *doc)
{
    QMdiSubWindow *frame = frameOf(doc);
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    m_area->setActiveSubWindow(frame);
    doc->focusFirstField();
    updateCommands();
}

DocumentWindow *frmMDI::createDocumentWindow()
{
    WorkContext &ctx = m_program.context();
    try {
        ++m_documentCounter;
        auto *doc = new DocumentWindow(m_documentCounter, m_program.messages());
        doc->browse()->setRecordSource(ctx.db(), browseStatement(ctx.lIDFirm, ctx.DBType), ctx.lIDFirm);
        doc->setCloseHandler([this](DocumentWindow &d, bool &cancel) { fnCloseChild(d, cancel); });
        connect(doc, &DocumentWindow::commandRequested, this, &frmMDI::sbExecuteMenuCommand);
        connect(doc->browse(), &BrowseFace::currentKeyChanged, this, [this] { updateCommands(); });
        connect(this, &frmMDI::settlementsChanged, doc,
                [this, doc](int key, bool stored) { followDatabase(*doc, key, stored); });
        connect(doc->browse(), &BrowseFace::contextMenuRequested, this, [this](const QPoint &p) {
            if (QMenu *menu = m_bar->menu(u"mnuTable"_qs))
                menu->popup(p);
        });

        QMdiSubWindow *current = m_area->currentSubWindow();
        QMdiSubWindow *frame = m_area->addSubWindow(doc);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(documentIcon());
        connect(frame, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &frmMDI::updateCommands); });

        // The first window fills the area; the next ones cascade from the active one.
        const QRect area = m_area->viewport()->rect();
        if (!current || current->isMinimized()) {
            frame->setGeometry(area.isValid() && area.width() > 200 ? area : QRect(0, 0, 1000, 600));
        } else {
            QRect r = current->geometry().translated(28, 28);
            if (!area.contains(r.bottomRight()))
                r.moveTopLeft(QPoint(0, 0));
            frame->setGeometry(r);
        }

        doc->browse()->requery();
        doc->showFace(DocumentWindow::Face::Table);
        doc->updateCaption(m_names.name);
        frame->show();
        m_area->setActiveSubWindow(frame);
        return doc;
    } catch (const std::bad_alloc &) {
        m_program.messages().error(u"Memoria insufficiente per aprire l'oggetto."_qs + u"\r"_qs +
                                   u"Chiudere una o più applicazioni attive e riprovare."_qs);
    } catch (const DbError &e) {
        m_program.messages().error(explainDbError(e));
    }
    return nullptr;
}

DocumentWindow *frmMDI::sbNewChildWithBrowse()
{
    DocumentWindow *doc = createDocumentWindow();
    if (doc)
        activate(doc);
    return doc;
}

DocumentWindow *frmMDI::fnFindChild(int key)
{
    if (key <= 0)
        return nullptr;
    const QList<DocumentWindow *> docs = documents();
    for (auto it = docs.crbegin(); it != docs.crend(); ++it) {
        if ((*it)->tag() == key) {
            activate(*it);
            return *it;
        }
    }
    return nullptr;
}

DocumentWindow *frmMDI::sbShowObject(int key, DocumentWindow *into, bool makeDatiIva)
{
    if (key <= 0)
        return nullptr;
    if (DocumentWindow *shown = fnFindChild(key)) {
        if (!shown->showsForm()) {
            shown->showFace(DocumentWindow::Face::Form);
            shown->browse()->moveByRowIds(key);
            shown->focusFirstField();
            updateCommands();
        }
        return shown;
    }
    if (!formAvailable())
        return nullptr;
    DocumentWindow *doc = into;
    if (doc && doc->tag() > 0) {
        const QPointer<DocumentWindow> guard(doc);
        if (!fnQuestionForSave(doc))
            return nullptr;
        if (!guard || doc->closing())
            doc = nullptr; // the window went with the document it showed
    }
    const bool made = !doc;
    if (!doc)
        doc = createDocumentWindow();
    if (!doc)
        return nullptr;
    if (!fillDocument(*doc, key, makeDatiIva)) {
        // Nothing is left open for a settlement that could not be shown: a window made for
        // it goes, a window that had it in view shows what it still holds.
        if (made) {
            doc->closeWithoutQuestion();
        } else if (doc->tag() <= 0 || !doc->formFace() || doc->formFace()->key() != doc->tag()) {
            doc->showFace(DocumentWindow::Face::Table);
            doc->updateCaption(m_names.name);
            doc->focusFirstField();
        }
        updateCommands();
        return nullptr;
    }
    activate(doc);
    return doc;
}

bool frmMDI::formAvailable()
{
    if (m_formFactory)
        return true;
    m_program.messages().warn(u"La scheda della liquidazione non è disponibile in questa versione del programma."_qs);
    return false;
}

bool frmMDI::settlementExists(int key)
{
    std::optional<int> state;
    runShowingFailures(m_program.messages(),
                       [&] { state = CompanyDirectory(m_program.context().db()).settlementState(key); });
    return state && *state >= 0;
}

bool frmMDI::fillDocument(DocumentWindow &doc, int key, bool makeDatiIva)
{
    // A settlement deleted since the list was read is not opened: the lists drop it.
    if (!settlementExists(key)) {
        m_program.messages().warn(u"La "_qs + m_names.name +
                                  u" scelta non esiste più: è stata eliminata. L'elenco è stato aggiornato."_qs);
        Q_EMIT settlementsChanged(key, false);
        return false;
    }
    if (!doc.formFace()) {
        if (!formAvailable())
            return false;
        doc.setFormFace(m_formFactory(documentContext(), &doc));
        // Without the right to save, every field of the form is read-only.
        doc.formFace()->setReadOnly(!m_rights.newSave());
        // Alt and a letter opens a menu of the menu bar; the form's tabs and buttons keep
        // other letters, so that no access key stands twice in the window.
        QString menuKeys;
        for (const QAction *a : menuBar()->actions())
            if (const qsizetype amp = a->text().indexOf(u'&'); amp >= 0 && amp + 1 < a->text().size())
                menuKeys += a->text().at(amp + 1).toLower();
        doc.formFace()->avoidAccessKeys(menuKeys);
        const QPointer<DocumentWindow> guard(&doc);
        doc.formFace()->onChangedState([this, guard](bool changed) {
            if (m_filling || !guard)
                return;
            guard->setChangedObject(changed);
            if (guard == activeDocument())
                updateCommands();
        });
    }
    if (doc.tag() > 0 && doc.tag() != key)
        releaseDocument(doc);

    FormFace &form = *doc.formFace();
    m_filling = true;
    // What the status bar said before the fill (a save just made) stays said after it.
    const QString before = statusBar()->currentMessage();
    sbStatusBarText(u"Elaborazione della "_qs + m_names.name + u" in corso..."_qs);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BusyCounter::yieldToEvents(); // the status text shows before the work starts
    runShowingFailures(m_program.messages(), [&] { form.sbChildFill(key, makeDatiIva); });
    QApplication::restoreOverrideCursor();
    sbStatusBarText(before);
    m_filling = false;

    // Saved: its row is live. A settlement never saved holds data not yet stored, so it
    // starts out changed (Save is offered and closing asks).
    bool saved = false;
    runShowingFailures(m_program.messages(), [&] {
        saved = CompanyDirectory(m_program.context().db()).settlementState(key) == 0;
        if (saved)
            m_program.usageRegister().registerUse(m_program.context().objectType, key, 2);
    });
    doc.setTag(key);
    doc.setSavedObject(saved);
    form.setChanged(!saved);
    doc.setChangedObject(!saved);
    doc.setSearchChild(false);
    doc.browse()->moveByRowIds(key);
    doc.showFace(DocumentWindow::Face::Form);
    doc.updateCaption(m_names.name);
    doc.focusFirstField();
    updateCommands();
    // The fill rebuilt the settlement's report data (and a new one is listed from now on).
    Q_EMIT settlementsChanged(key, false);
    return true;
}

void frmMDI::followDatabase(DocumentWindow &doc, int key, bool stored)
{
    if (doc.closing())
        return;
    doc.browse()->requery();
    // A saved settlement shown without changes of the user's is computed again from the
    // figures now stored; one with the user's changes keeps them (the save will say if the
    // figures moved meanwhile).
    if (stored && !m_following && !m_filling && doc.showsForm() && doc.formFace() && doc.tag() > 0 &&
        doc.tag() != key && doc.savedObject() && !doc.changedObject() && settlementExists(doc.tag())) {
        // The window the user works in stays the active one, with its focus.
        QMdiSubWindow *active = m_area->activeSubWindow();
        QWidget *focus = QApplication::focusWidget();
        m_following = true;
        fillDocument(doc, doc.tag(), false);
        m_following = false;
        if (active && active != frameOf(&doc))
            m_area->setActiveSubWindow(active);
        if (focus && focus != QApplication::focusWidget() && !frameOf(&doc)->isAncestorOf(focus))
            focus->setFocus(Qt::OtherFocusReason);
    }
    // The settlement of the form went (deleted in another window): the window shows the list.
    if (doc.tag() > 0 && !settlementExists(doc.tag())) {
        discardChanges(doc);
        releaseDocument(doc);
        doc.setTag(0);
        doc.setSavedObject(false);
        if (doc.showsForm()) {
            doc.showFace(DocumentWindow::Face::Table);
            doc.updateCaption(m_names.name);
        }
    }
    if (&doc == activeDocument())
        updateCommands();
}

void frmMDI::releaseDocument(DocumentWindow &doc)
{
    if (doc.tag() <= 0)
        return;
    runShowingFailures(m_program.messages(),
                       [&] { m_program.usageRegister().release(m_program.context().objectType, doc.tag(), 0); });
}

void frmMDI::removeWorkingRows(DocumentWindow &doc)
{
    const int key = doc.tag();
    if (key <= 0)
        return;
    WorkContext &ctx = m_program.context();
    runShowingFailures(m_program.messages(), [&] {
        // The document's own clean-up only for a settlement never saved: a saved one keeps
        // every row but the user's working rows.
        if (!doc.savedObject() && doc.formFace())
            doc.formFace()->sbRemoveTrashRecord();
        WorkingRecords::removeDocumentRows(ctx.db(), ctx.IDUser, key);
        if (!CompanyDirectory(ctx.db()).settlementState(key)) {
            releaseDocument(doc);
            doc.setTag(0);
            doc.setSavedObject(false);
            Q_EMIT settlementsChanged(key, false);
        }
    });
}

bool frmMDI::requeryOrUnload(DocumentWindow &doc)
{
    doc.browse()->requery();
    if (doc.browse()->listCount() > 0)
        return true;
    releaseDocument(doc);
    doc.closeWithoutQuestion();
    updateCommands();
    return false;
}

Answer frmMDI::askAndSave(DocumentWindow &doc)
{
    // Save is offered when the document holds changes and the user may save; otherwise the
    // answer is no.
    if (!doc.changedObject() || doc.searchChild() || !m_rights.newSave())
        return Answer::No;
    activate(&doc);
    const QString text =
        m_program.texts().text(ResourceStrings::SaveChangesQuestion) + u" \""_qs + doc.documentCaption() + u"\"?"_qs;
    const Answer answer = m_program.messages().messageBox(text, Buttons::YesNoCancel, Icon::Question, m_names.title);
    if (answer != Answer::Yes)
        return answer == Answer::No ? Answer::No : Answer::Cancel;
    commandSave(&doc); // the form takes what is being typed before it saves
    // A failed save keeps the document open with its changes.
    return doc.changedObject() ? Answer::Cancel : Answer::Yes;
}

void frmMDI::discardChanges(DocumentWindow &doc)
{
    if (doc.formFace())
        doc.formFace()->setChanged(false);
    doc.setChangedObject(false);
}

bool frmMDI::fnQuestionForSave(DocumentWindow *doc, bool keepWorkingRows)
{
    // On the browse face there is nothing to ask.
    if (!doc || !doc->showsForm() || !doc->formFace() || doc->tag() <= 0)
        return true;
    const Answer answer = askAndSave(*doc);
    if (answer == Answer::Cancel)
        return false;
    if (answer == Answer::No) {
        discardChanges(*doc);
        if (!keepWorkingRows) {
            removeWorkingRows(*doc);
            if (!requeryOrUnload(*doc))
                return true;
        }
    }
    updateCommands();
    return true;
}

void frmMDI::fnCloseChild(DocumentWindow &doc, bool &cancel)
{
    if (BusyCounter::busy()) {
        m_program.messages().warn(u"Impossibile chiudere: altri processi in corso."_qs);
        cancel = true;
        return;
    }
    if (doc.searchChild())
        leaveSearchMode(&doc);
    // A settlement opened from the window's list closes back to the list (after its save
    // question); the list closes on its own close.
    if (!m_closingAll && doc.openedFromBrowse() && doc.showsForm()) {
        cancel = true;
        const QPointer<DocumentWindow> guard(&doc);
        QTimer::singleShot(0, this, [this, guard] {
            if (guard && !guard->closing())
                commandShowTable(guard);
            updateCommands();
        });
        return;
    }
    if (doc.tag() > 0 && doc.formFace()) {
        const Answer answer = askAndSave(doc);
        if (answer == Answer::Cancel) {
            // A closing of the whole suite stops here too.
            setProperty("BrevantoClosing", QVariant());
            cancel = true;
            return;
        }
        if (answer == Answer::No) {
            discardChanges(doc);
            removeWorkingRows(doc);
        }
    }
    releaseDocument(doc);
    m_bar->setEnabled(u"Mnu_PrintBarCode"_qs, false);
    // The window leaves the list of documents once its close is accepted.
    QTimer::singleShot(0, this, &frmMDI::updateCommands);
}

void frmMDI::sbSetbChangedObject(bool changed)
{
    if (m_filling)
        return;
    if (DocumentWindow *doc = activeDocument()) {
        doc->setChangedObject(changed);
        if (doc->formFace())
            doc->formFace()->setChanged(changed);
    }
    updateCommands();
}

void frmMDI::sbSetbSavedObject(bool saved)
{
    if (DocumentWindow *doc = activeDocument())
        doc->setSavedObject(saved);
    updateCommands();
}

// ---- closing the program -------------------------------------------------------------------

bool frmMDI::closeDocuments()
{
    m_closingAll = true;
    for (DocumentWindow *doc : documents()) {
        QMdiSubWindow *frame = frameOf(doc);
        if (frame && !frame->close()) {
            m_closingAll = false;
            return false;
        }
    }
    m_closingAll = false;
    return true;
}

void frmMDI::runPicker()
{
    std::vector<frmListSavedChild::Entry> entries;
    for (DocumentWindow *doc : documents()) {
        if (doc->tag() > 0 && doc->savedObject())
            entries.push_back({doc->windowTitle(), doc->tag()});
    }
    if (entries.empty())
        return;
    frmListSavedChild picker(u"Selezionare "_qs + m_names.withArticle +
                                 u" che si desidera riportare nel programma chiamante."_qs,
                             entries, this);
    picker.exec();
    m_pickerResult = picker.chosenKey();
    if (m_pickerResult > 0) {
        HandOverStore &store = m_program.store();
        store.write(m_client, HandOver::IDField, QString::number(m_pickerResult));
        store.sync();
    }
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
    if (pickerMode())
        runPicker();
    if (!closeDocuments()) {
        // A document refused to close (the user cancelled its save question).
        event->ignore();
        updateCommands();
        return;
    }
    m_closed = true;
    // The settings as the user leaves the window, before anything of it closes.
    sbSaveCommonSettings();
    if (m_help)
        m_help->close();
    closePrinting();
    event->accept();
    qApp->removeEventFilter(this);
    m_program.mainWindowUnloaded();
}

} // namespace liqiva
