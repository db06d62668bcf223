// The main window's commands: the dispatcher, the keyboard handler, the enabling of the
// command bar and what each command does to the active document window.

#include "gui/communication/frmComunicazioneLiqIva.h"
#include "domain/document/CompanyDirectory.h"
#include "gui/document/frmNew.h"
#include "gui/shell/BrowseFace.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/ShellSettings.h"
#include "gui/shell/ShortcutText.h"
#include "gui/shell/frmMDI.h"
#include "startup/Program.h"
#include "database/DbError.h"
#include "suite/BusyCounter.h"
#include "suite/Messages.h"
#include "gui/common/Failures.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDebug>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QResizeEvent>
#include <QToolBar>
#include <QToolButton>

namespace liqiva {

namespace {

const QString busyText = QStringLiteral("Impossibile eseguire l'operazione: altri processi in corso.");

} // namespace

// ---- the dispatcher ------------------------------------------------------------------------

void frmMDI::sbExecuteMenuCommand(const QString &commandKey)
{
    const QString key = m_bar->menuKey(commandKey);
    if (key.isEmpty())
        return; // keys that name no command do nothing
    if (BusyCounter::busy()) {
        m_program.messages().warn(busyText);
        return;
    }
    // A command that is not available now (state, rights, a window still to come) is not
    // reachable, whatever asked for it.
    if (!m_bar->isEnabled(key))
        return;
    BusyCounter::yieldToEvents(); // pending paints happen before the command runs
    Q_EMIT commandDispatched(key);
    // What a command could not do is said here, in one way for every command.
    runShowingFailures(m_program.messages(), [&] { dispatchCommand(key, activeDocument()); });
}

void frmMDI::dispatchCommand(const QString &key, DocumentWindow *doc)
{
    if (key == u"Mnu_New"_qs) {
        sbCreateNewChild();
    } else if (key == u"Mnu_Close"_qs) {
        if (QMdiSubWindow *frame = frameOf(doc))
            frame->close();
    } else if (key == u"Mnu_Save"_qs || key == u"Mnu_SaveAs"_qs) {
        commandSave(doc); // the form takes what is being typed before it saves
    } else if (key == u"Mnu_Exit"_qs) {
        close();
    } else if (key == u"Mnu_Delete"_qs) {
        commandDelete(doc);
    } else if (key == u"Mnu_Clear"_qs) {
        sbClearChild();
    } else if (key == u"Mnu_Cut"_qs) {
        commandEdit(u"cut"_qs);
    } else if (key == u"Mnu_Copy"_qs) {
        commandEdit(u"copy"_qs);
    } else if (key == u"Mnu_Paste"_qs) {
        commandEdit(u"paste"_qs);
    } else if (key == u"Mnu_Search"_qs) {
        commandSearch(doc, true);
    } else if (key == u"Mnu_SearchExecute"_qs) {
        commandSearchExecute(doc);
    } else if (key == u"Mnu_SearchPrevious"_qs) {
        commandMove(doc, -1);
    } else if (key == u"Mnu_SearchNext"_qs) {
        commandMove(doc, 1);
    } else if (key == u"Mnu_SearchResult"_qs || key == u"Mnu_SearchTable"_qs) {
        commandShowTable(doc);
    } else if (key == u"Mnu_SearchFilter"_qs) {
        commandSearch(doc, false);
    } else if (key == u"Mnu_SearchForm"_qs) {
        commandShowForm(doc);
    } else if (key == u"Mnu_SearchObject"_qs) {
        if (doc && doc->formFace())
            doc->formFace()->searchFocusedCode();
    } else if (key == u"Mnu_ComunicazioneLiqIVA"_qs) {
        commandCommunication();
    } else if (key == u"Mnu_DatiProRata"_qs) {
        // Unsaved changes are saved (or left) first: the pro-rata computes the settlement again.
        if (doc && doc->formFace() && (!doc->changedObject() || fnQuestionForSave(doc, true)))
            doc->formFace()->sbGestioneProRata();
    } else if (key == u"Mnu_DatiDip"_qs) {
        if (doc && doc->formFace())
            doc->formFace()->sbDatiDip();
    } else if (key == u"Mnu_DatiAltreOperazioni"_qs) {
        // The same for the other operations: what they change computes the settlement again,
        // and what was typed meanwhile must not be lost with it.
        if (doc && doc->formFace() && (!doc->changedObject() || fnQuestionForSave(doc, true)))
            doc->formFace()->sbGestioneAltreOperazioni();
    } else if (printingCommand(key, doc)) {
        // preview, print, exports, "Invia a", the declaration and the activity pane
    } else if (key == u"Mnu_TileHorizzontal"_qs || key == u"Mnu_TileVertical"_qs || key == u"Mnu_Cascade"_qs ||
               key == u"Mnu_DisposeIcon"_qs) {
        arrangeWindows(key);
    } else {
        shellCommand(key);
    }
    updateCommands();
}

QString frmMDI::sbGestShortCut(int keyCode, int mask)
{
    const QString key = m_bar->commandForShortcut(ShortcutKey{mask, keyCode});
    if (!key.isEmpty())
        sbExecuteMenuCommand(key);
    return key;
}

bool frmMDI::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this && property("debugHook").toBool())
        qDebug().noquote() << u"frmMDI:"_qs << event->type();
    // The only document window, while it fills the area (or no longer fits it), follows the
    // area's size: no scroll bars, its close button in sight.
    if (event->type() == QEvent::Resize && m_area && watched == m_area->viewport()) {
        const auto *resize = static_cast<QResizeEvent *>(event);
        const QList<DocumentWindow *> docs = documents();
        if (docs.size() == 1)
            if (QMdiSubWindow *frame = frameOf(docs.first()); frame && !frame->isMinimized() && !frame->isMaximized()) {
                const QRect now(QPoint(0, 0), resize->size());
                if (frame->geometry() == QRect(QPoint(0, 0), resize->oldSize()) || !now.contains(frame->geometry()))
                    frame->setGeometry(now);
            }
    }
    // Tooltips of the toolbars only when the user wants them.
    if (event->type() == QEvent::ToolTip && m_settings && !m_settings->toolTips)
        if (auto *button = qobject_cast<QToolButton *>(watched);
            button && qobject_cast<QToolBar *>(button->parentWidget()))
            return true;
    if (m_initialised && !m_closed && helpKey(watched, event))
        return true;
    if (event->type() != QEvent::KeyPress || m_closed || !m_initialised)
        return QMainWindow::eventFilter(watched, event);
    // Keys of this window and of its document windows; a dialog or an open menu keeps its own.
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != this)
        return QMainWindow::eventFilter(watched, event);
    const auto *k = static_cast<QKeyEvent *>(event);
    const ShortcutKey pressed = ShortcutText::fromKeyPress(k->key(), k->modifiers());
    if (!pressed.isValid())
        return QMainWindow::eventFilter(watched, event);
    // While work runs, the dispatcher refuses the command with its message, as for a click.
    if (!sbGestShortCut(pressed.keyCode, pressed.mask).isEmpty())
        return true;
    return QMainWindow::eventFilter(watched, event);
}

// ---- enabling ------------------------------------------------------------------------------

void frmMDI::updateCommands()
{
    if (!m_initialised)
        return;
    DocumentWindow *doc = activeDocument();
    const bool hasDoc = doc != nullptr;
    using Face = DocumentWindow::Face;
    const Face face = hasDoc ? doc->face() : Face::Table;
    const bool search = hasDoc && doc->searchChild();
    // The form face shows a settlement.
    const bool form = hasDoc && face == Face::Form && doc->formFace() && doc->tag() > 0;
    showReadOnlyNote(form && !m_rights.newSave());
    const int rows = hasDoc ? doc->browse()->listCount() : 0;
    const int row = hasDoc ? doc->browse()->currentRow() : -1;
    const bool rowSelected = hasDoc && doc->browse()->currentKey() > 0;

    auto set = [this](const char *key, bool enabled) { m_bar->setEnabled(QString::fromLatin1(key), enabled); };
    // Always there (rights permitting).
    set("Mnu_New", true);
    set("Mnu_Exit", true);
    set("Mnu_Search", true);
    set("Mnu_ComunicazioneLiqIVA", true);
    // The document and its window.
    set("Mnu_Close", hasDoc);
    set("Mnu_Save", form && doc->changedObject() && !search);
    set("Mnu_SaveAs", form && doc->savedObject() && !search);
    set("Mnu_Delete", form && doc->savedObject() && !search);
    set("Mnu_Clear", form && doc->changedObject() && !search);
    set("Mnu_SearchObject", form);
    set("Mnu_DatiProRata", form && !search);
    set("Mnu_DatiDip", form && !search);
    set("Mnu_DatiAltreOperazioni", form && !search && doc->formFace()->otherOperationsEnabled());
    set("Mnu_Cut", hasDoc);
    set("Mnu_Copy", hasDoc);
    set("Mnu_Paste", hasDoc);
    // Search mode and moving through the browse.
    set("Mnu_SearchExecute", search);
    set("Mnu_SearchPrevious", hasDoc && !search && row > 0);
    set("Mnu_SearchNext", hasDoc && !search && row >= 0 && row < rows - 1);
    set("Mnu_SearchResult", hasDoc && face != Face::Table);
    set("Mnu_SearchTable", hasDoc && face != Face::Table);
    set("Mnu_SearchFilter", hasDoc && face != Face::Filter);
    set("Mnu_SearchForm", hasDoc && face != Face::Form && (rowSelected || doc->tag() > 0));
    for (const char *key : {"Mnu_TileHorizzontal", "Mnu_TileVertical", "Mnu_Cascade", "Mnu_DisposeIcon"})
        set(key, hasDoc);
    updatePrintingCommands(doc);
    // The windows that come later stay disabled (the command bar sees to it).
    for (const Command &c : m_bar->commands()) {
        if (c.availability == Command::Availability::Later)
            m_bar->setEnabled(c.key, false);
    }
    updateShellCommands();
    // A sub-menu whose items are all unavailable is unavailable itself.
    if (QMenu *sub = m_bar->menu(u"mnuExport"_qs)) {
        bool any = false;
        for (const QAction *a : sub->actions())
            any = any || a->isEnabled();
        sub->menuAction()->setEnabled(any);
    }
}

// ---- the commands --------------------------------------------------------------------------

int frmMDI::yearForCommands(int *quarter)
{
    WorkContext &ctx = m_program.context();
    CompanyDirectory directory(ctx.db());
    int year = 0, q = 4;
    runShowingFailures(m_program.messages(), [&] {
        DocumentWindow *doc = activeDocument();
        if (doc && doc->showsForm() && doc->tag() > 0)
            if (const auto period = directory.settlementPeriod(doc->tag())) {
                year = period->anno;
                q = period->mese >= 1 && period->mese <= 12 ? (period->mese + 2) / 3 : 4;
                return;
            }
        year = directory.latestVatYear(ctx.lIDFirm).value_or(0);
        // In the current year the last quarter that has ended, else the first.
        const QDate today = QDate::currentDate();
        if (year == today.year())
            q = qMax(1, (today.month() - 1) / 3);
    });
    if (quarter)
        *quarter = q;
    return year;
}

// The communication of the quarter of the settlement shown, else of the company's latest
// VAT year.
void frmMDI::commandCommunication()
{
    int quarter = 4;
    const int year = yearForCommands(&quarter);
    if (year <= 0) {
        m_program.messages().warn(u"L'azienda non ha periodi I.V.A.: nessuna liquidazione da comunicare."_qs);
        return;
    }
    WorkContext &ctx = m_program.context();
    frmComunicazioneLiqIva dialog(ctx.db(), m_program.messages(), ctx.lIDFirm, year, quarter, this);
    dialog.setUser(ctx.IDUser);
    // Writing the file marks the settlements communicated: a write, for who may save.
    dialog.setMayWrite(m_rights.newSave());
    dialog.exec();
}

void frmMDI::sbCreateNewChild()
{
    if (!formAvailable())
        return; // nothing could show the new settlement
    WorkContext &ctx = m_program.context();
    frmNew dialog(ctx.db(), m_program.messages(), ctx.lIDFirm, ctx.IDUser, this);
    if (dialog.loadFailed())
        return;
    // The new working settlement is registered as this session's in the transaction that
    // creates it: nobody's clean-up takes it for abandoned.
    dialog.logic().setOnCreated(
        [this](int key) { m_program.usageRegister().registerUse(m_program.context().objectType, key, 2); });
    // The choice of the last "Nuovo" of the session, as far as it still exists.
    if (m_lastNew)
        dialog.select(*m_lastNew);
    dialog.exec();
    if (dialog.dialogResult() != 1 || dialog.currentKey() <= 0)
        return;
    m_lastNew = dialog.selection();
    // A new window for the new settlement (or the window that shows the existing one).
    sbShowObject(dialog.currentKey(), nullptr, dialog.MakeDatiIva());
}

void frmMDI::commandSave(DocumentWindow *doc)
{
    if (!doc || !doc->formFace() || doc->tag() <= 0)
        return;
    FormFace &form = *doc->formFace();
    bool saved = false;
    runShowingFailures(m_program.messages(), [&] { saved = form.fnChildSave(); });
    if (!saved) {
        // The document said why. When its settlement has gone meanwhile (deleted by another
        // user), the windows show the database as it is: this one goes back to its list.
        if (!settlementExists(doc->tag()))
            Q_EMIT settlementsChanged(doc->tag(), false);
        return;
    }
    form.setChanged(false);
    doc->setChangedObject(false);
    doc->setSavedObject(true);
    runShowingFailures(m_program.messages(),
                       [&] { m_program.usageRegister().registerUse(m_program.context().objectType, doc->tag(), 2); });
    doc->browse()->requery();
    doc->browse()->moveByRowIds(doc->tag());
    doc->updateCaption(m_names.name);
    doc->focusFirstField();
    updateCommands();
    sbStatusBarText(u"Liquidazione salvata"_qs);
    Q_EMIT settlementsChanged(doc->tag(), true);
}

void frmMDI::commandDelete(DocumentWindow *doc)
{
    if (!doc || !doc->formFace() || doc->tag() <= 0)
        return;
    const QString question =
        u"Si desidera eliminare "_qs + m_names.withArticle + u" \""_qs + doc->documentCaption() + u"\"?"_qs;
    if (!m_program.messages().askYesNo(question))
        return;
    discardChanges(*doc);
    bool deleted = false;
    runShowingFailures(m_program.messages(), [&] { deleted = doc->formFace()->sbChildDelete(); });
    if (!deleted)
        return;
    const int key = doc->tag();
    releaseDocument(*doc);
    doc->setTag(0);
    doc->setSavedObject(false);
    const QPointer<DocumentWindow> guard(doc);
    Q_EMIT settlementsChanged(key, true);
    if (!guard || !requeryOrUnload(*doc))
        return;
    doc->showFace(DocumentWindow::Face::Table);
    doc->updateCaption(m_names.name);
    doc->focusFirstField();
}

void frmMDI::sbClearChild()
{
    DocumentWindow *doc = activeDocument();
    if (!doc || !doc->showsForm() || !doc->formFace() || doc->tag() <= 0)
        return;
    if (doc->changedObject()) {
        const QString question =
            u"Le modifiche apportate a \""_qs + doc->documentCaption() + u"\" andranno perse. Proseguire?"_qs;
        if (!m_program.messages().askYesNo(question))
            return;
    }
    // The form shows the settlement again as it stands, without the unsaved edits.
    discardChanges(*doc);
    fillDocument(*doc, doc->tag(), false);
}

void frmMDI::leaveSearchMode(DocumentWindow *doc)
{
    if (!doc)
        return;
    doc->setSearchChild(false);
    if (doc->face() == DocumentWindow::Face::Filter)
        doc->browse()->abandonFilterDefinition();
}

void frmMDI::commandSearch(DocumentWindow *doc, bool empty)
{
    if (doc && doc->showsForm()) {
        const QPointer<DocumentWindow> guard(doc);
        if (!fnQuestionForSave(doc))
            return;
        if (!guard || doc->closing())
            doc = nullptr;
    }
    if (!doc)
        doc = sbNewChildWithBrowse();
    if (!doc)
        return;
    doc->setSearchChild(true);
    doc->browse()->defineFilter(empty);
    doc->showFace(DocumentWindow::Face::Filter);
    doc->focusFirstField();
}

void frmMDI::commandSearchExecute(DocumentWindow *doc)
{
    if (!doc || !doc->searchChild())
        return;
    if (!doc->browse()->applyFilterDefinition())
        return;
    doc->setSearchChild(false);
    doc->showFace(DocumentWindow::Face::Table);
    doc->browse()->moveByRowIds(doc->tag());
    doc->focusFirstField();
}

void frmMDI::commandMove(DocumentWindow *doc, int step)
{
    if (!doc)
        return;
    // The neighbour of the settlement shown, taken before the question: a new settlement
    // given up leaves the list, and with it its place in the list.
    if (doc->tag() > 0)
        doc->browse()->moveByRowIds(doc->tag());
    const int key = doc->browse()->neighbourKey(step);
    if (key <= 0)
        return;
    const QPointer<DocumentWindow> guard(doc);
    if (!fnQuestionForSave(doc))
        return;
    if (!guard || doc->closing())
        return;
    doc->browse()->moveByRowIds(key);
    if (sbShowObject(key, doc) != doc && guard && doc->showsForm() && doc->tag() <= 0) {
        // The neighbour is shown in another window (or could not be): this one, whose
        // settlement went with the answer, shows the list rather than an empty form.
        doc->showFace(DocumentWindow::Face::Table);
        doc->updateCaption(m_names.name);
    }
}

void frmMDI::commandShowTable(DocumentWindow *doc)
{
    if (!doc)
        return;
    if (doc->showsForm()) {
        const QPointer<DocumentWindow> guard(doc);
        if (!fnQuestionForSave(doc))
            return;
        if (!guard || doc->closing())
            return;
    }
    leaveSearchMode(doc);
    doc->setOpenedFromBrowse(false);
    doc->showFace(DocumentWindow::Face::Table);
    doc->browse()->moveByRowIds(doc->tag());
    doc->updateCaption(m_names.name);
    doc->focusFirstField();
}

void frmMDI::commandShowForm(DocumentWindow *doc)
{
    if (!doc || doc->showsForm())
        return;
    const int key = doc->browse()->currentKey() > 0 ? doc->browse()->currentKey() : doc->tag();
    if (key <= 0)
        return;
    const bool fromTable = doc->face() == DocumentWindow::Face::Table;
    leaveSearchMode(doc);
    if (key == doc->tag() && doc->formFace()) {
        doc->showFace(DocumentWindow::Face::Form);
        doc->setOpenedFromBrowse(fromTable);
        doc->updateCaption(m_names.name);
        doc->focusFirstField();
        return;
    }
    const QPointer<DocumentWindow> guard(doc);
    sbShowObject(key, doc);
    if (guard && guard->showsForm())
        guard->setOpenedFromBrowse(fromTable);
}

void frmMDI::commandEdit(const QString &action)
{
    QWidget *f = QApplication::focusWidget();
    if (!f || f->window() != this)
        return;
    QObject *target = f;
    if (auto *combo = qobject_cast<QComboBox *>(f); combo && combo->lineEdit())
        target = combo->lineEdit();
    // The control's own cut, copy and paste where it has them; otherwise the keys that mean
    // the same to any control.
    if (QMetaObject::invokeMethod(target, action.toLatin1().constData()))
        return;
    int key = Qt::Key_Insert;
    Qt::KeyboardModifiers mods = Qt::ShiftModifier;
    if (action == u"cut"_qs)
        key = Qt::Key_Delete;
    else if (action == u"copy"_qs)
        mods = Qt::ControlModifier;
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(f, &press);
    QApplication::sendEvent(f, &release);
}

void frmMDI::arrangeWindows(const QString &key)
{
    if (key == u"Mnu_Cascade"_qs) {
        m_area->cascadeSubWindows();
        return;
    }
    const QRect area = m_area->viewport()->rect();
    QList<QMdiSubWindow *> open, minimized;
    for (QMdiSubWindow *w : m_area->subWindowList(QMdiArea::StackingOrder)) {
        if (!w->isVisible())
            continue;
        (w->isMinimized() ? minimized : open) << w;
    }
    if (key == u"Mnu_DisposeIcon"_qs) {
        // The reduced windows in a row along the bottom edge.
        int x = 0;
        for (QMdiSubWindow *w : minimized) {
            w->move(x, area.bottom() - w->height() + 1);
            x += w->width();
        }
        return;
    }
    const int n = int(open.size());
    if (n == 0)
        return;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = open.at(i);
        if (w->isMaximized())
            w->showNormal();
        if (key == u"Mnu_TileHorizzontal"_qs) // one above the other, each the whole width
            w->setGeometry(0, area.height() * i / n, area.width(), area.height() * (i + 1) / n - area.height() * i / n);
        else // side by side, each the whole height
            w->setGeometry(area.width() * i / n, 0, area.width() * (i + 1) / n - area.width() * i / n, area.height());
    }
}

void frmMDI::fillWindowMenu()
{
    QMenu *menu = m_bar->menu(u"mnuWindow"_qs);
    if (!menu)
        return;
    // The list of windows is made again each time the menu opens.
    for (QAction *a : menu->actions()) {
        if (a->property("windowList").toBool()) {
            menu->removeAction(a);
            a->deleteLater();
        }
    }
    const QList<DocumentWindow *> docs = documents();
    if (docs.isEmpty())
        return;
    QAction *sep = menu->addSeparator();
    sep->setProperty("windowList", true);
    DocumentWindow *active = activeDocument();
    int i = 0;
    for (DocumentWindow *doc : docs) {
        ++i;
        const QString text =
            (i < 10 ? u"&"_qs + QString::number(i) : QString::number(i)) + u" "_qs + doc->windowTitle();
        QAction *a = menu->addAction(text);
        a->setProperty("windowList", true);
        a->setCheckable(true);
        a->setChecked(doc == active);
        const QPointer<DocumentWindow> guard(doc);
        connect(a, &QAction::triggered, this, [this, guard] {
            if (guard)
                activate(guard);
        });
    }
}

} // namespace liqiva
