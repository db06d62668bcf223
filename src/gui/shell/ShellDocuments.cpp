#include "gui/shell/ShellDocuments.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/SavedSettlements.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/WorkingRecords.h"
#include "gui/common/Failures.h"
#include "gui/document/frmNew.h"
#include "gui/shell/BrowseFace.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/ShellCommands.h"
#include "gui/shell/ToolIcons.h"
#include "gui/shell/WindowSettings.h"
#include "gui/shell/frmListSavedChild.h"
#include "gui/shell/frmMDI.h"
#include "startup/Program.h"
#include "suite/BusyCounter.h"
#include "suite/HandOverStore.h"
#include "suite/Messages.h"
#include "suite/ResourceStrings.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTimer>

namespace liqiva {

ShellDocuments::ShellDocuments(frmMDI &window) : m_w(window), m_formFactory(settlementFormFactory()) {}

void ShellDocuments::updateCommands()
{
    m_w.commands().updateCommands();
}

DocumentContext ShellDocuments::documentContext() const
{
    Program &program = m_w.program();
    WorkContext &ctx = program.context();
    DocumentContext c{ctx.db(), program.messages(), 0, 0, 0, true, {}};
    c.idUser = ctx.IDUser;
    c.idAzienda = ctx.lIDFirm;
    c.idFunction = ctx.IDFunction;
    c.mayRebuildVatData = m_w.mayRebuildVatData();
    c.heldByOther = [&program](int key) { return program.usageRegister().holderOf(program.context().objectType, key); };
    return c;
}

QMdiSubWindow *ShellDocuments::frameOf(DocumentWindow *doc) const
{
    return doc ? qobject_cast<QMdiSubWindow *>(doc->parentWidget()) : nullptr;
}

DocumentWindow *ShellDocuments::activeDocument() const
{
    QMdiSubWindow *frame = m_w.documentArea() ? m_w.documentArea()->currentSubWindow() : nullptr;
    auto *doc = frame ? qobject_cast<DocumentWindow *>(frame->widget()) : nullptr;
    return doc && !doc->closing() ? doc : nullptr;
}

QList<DocumentWindow *> ShellDocuments::documents() const
{
    QList<DocumentWindow *> out;
    if (!m_w.documentArea())
        return out;
    for (QMdiSubWindow *frame : m_w.documentArea()->subWindowList(QMdiArea::CreationOrder)) {
        auto *doc = qobject_cast<DocumentWindow *>(frame->widget());
        if (doc && !doc->closing())
            out << doc;
    }
    return out;
}

void ShellDocuments::activate(DocumentWindow *doc)
{
    QMdiSubWindow *frame = frameOf(doc);
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    m_w.documentArea()->setActiveSubWindow(frame);
    doc->focusFirstField();
    updateCommands();
}

void ShellDocuments::fillAreaWithOnlyDocument()
{
    // The first document window fills the area, now that the area has its size.
    const QList<DocumentWindow *> docs = documents();
    if (docs.size() == 1)
        if (QMdiSubWindow *frame = frameOf(docs.first()); frame && !frame->isMinimized() && !frame->isMaximized())
            frame->setGeometry(m_w.documentArea()->viewport()->rect());
}

void ShellDocuments::followAreaSize(const QResizeEvent &resize)
{
    // The only document window, while it fills the area (or no longer fits it), follows the
    // area's size: no scroll bars, its close button in sight.
    const QList<DocumentWindow *> docs = documents();
    if (docs.size() != 1)
        return;
    QMdiSubWindow *frame = frameOf(docs.first());
    if (!frame || frame->isMinimized() || frame->isMaximized())
        return;
    const QRect now(QPoint(0, 0), resize.size());
    if (frame->geometry() == QRect(QPoint(0, 0), resize.oldSize()) || !now.contains(frame->geometry()))
        frame->setGeometry(now);
}

void ShellDocuments::openFirst()
{
    Program &program = m_w.program();
    WorkContext &ctx = program.context();
    // Started as a picker by a calling program: the object it names is opened first.
    m_client = program.store().read(ctx.executableName, HandOver::Client).trimmed();
    bool opened = false;
    if (pickerMode()) {
        bool ok = false;
        const int key = program.store().read(ctx.executableName, HandOver::IDField).trimmed().toInt(&ok);
        if (ok && key > 0)
            opened = sbShowObject(key) != nullptr;
    }
    if (!opened)
        sbNewChildWithBrowse();
}

DocumentWindow *ShellDocuments::createDocumentWindow()
{
    Program &program = m_w.program();
    WorkContext &ctx = program.context();
    try {
        ++m_documentCounter;
        auto *doc = new DocumentWindow(m_documentCounter, program.messages());
        doc->browse()->setRecordSource(ctx.db(), browseStatement(ctx.lIDFirm, ctx.DBType), ctx.lIDFirm);
        doc->setCloseHandler([this](DocumentWindow &d, bool &cancel) { fnCloseChild(d, cancel); });
        connect(doc, &DocumentWindow::commandRequested, this,
                [this](const QString &key) { m_w.commands().sbExecuteMenuCommand(key); });
        connect(doc->browse(), &BrowseFace::currentKeyChanged, this, [this] { updateCommands(); });
        connect(&m_w, &frmMDI::settlementsChanged, doc,
                [this, doc](int key, bool stored) { followDatabase(*doc, key, stored); });
        connect(doc->browse(), &BrowseFace::contextMenuRequested, this, [this](const QPoint &p) {
            if (QMenu *menu = m_w.commandBar().menu(u"mnuTable"_qs))
                menu->popup(p);
        });

        QMdiSubWindow *current = m_w.documentArea()->currentSubWindow();
        QMdiSubWindow *frame = m_w.documentArea()->addSubWindow(doc);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(documentIcon());
        connect(frame, &QObject::destroyed, this,
                [this] { QTimer::singleShot(0, this, [this] { updateCommands(); }); });
        placeFrame(frame, current);

        doc->browse()->requery();
        doc->showFace(DocumentWindow::Face::Table);
        doc->updateCaption(m_w.objectNames().name);
        frame->show();
        m_w.documentArea()->setActiveSubWindow(frame);
        return doc;
    } catch (const std::bad_alloc &) {
        program.messages().error(u"Memoria insufficiente per aprire l'oggetto."_qs + u"\r"_qs +
                                 u"Chiudere una o più applicazioni attive e riprovare."_qs);
    } catch (const DbError &e) {
        program.messages().error(explainDbError(e));
    }
    return nullptr;
}

void ShellDocuments::placeFrame(QMdiSubWindow *frame, QMdiSubWindow *current)
{
    // The first window fills the area; the next ones cascade from the active one.
    const QRect area = m_w.documentArea()->viewport()->rect();
    if (!current || current->isMinimized()) {
        frame->setGeometry(area.isValid() && area.width() > 200 ? area : QRect(0, 0, 1000, 600));
    } else {
        QRect r = current->geometry().translated(28, 28);
        if (!area.contains(r.bottomRight()))
            r.moveTopLeft(QPoint(0, 0));
        frame->setGeometry(r);
    }
}

DocumentWindow *ShellDocuments::sbNewChildWithBrowse()
{
    DocumentWindow *doc = createDocumentWindow();
    if (doc)
        activate(doc);
    return doc;
}

void ShellDocuments::sbCreateNewChild()
{
    if (!formAvailable())
        return; // nothing could show the new settlement
    Program &program = m_w.program();
    WorkContext &ctx = program.context();
    frmNew dialog(ctx.db(), program.messages(), ctx.lIDFirm, ctx.IDUser, &m_w);
    if (dialog.loadFailed())
        return;
    // The new working settlement is registered as this session's in the transaction that
    // creates it: nobody's clean-up takes it for abandoned.
    dialog.logic().setOnCreated(
        [&program](int key) { program.usageRegister().registerUse(program.context().objectType, key, 2); });
    // The choice of the last "Nuovo" of the session, as far as it still exists.
    if (m_w.windowSettings().lastNew())
        dialog.select(*m_w.windowSettings().lastNew());
    dialog.exec();
    if (dialog.dialogResult() != 1 || dialog.currentKey() <= 0)
        return;
    m_w.windowSettings().setLastNew(dialog.selection());
    // A new window for the new settlement (or the window that shows the existing one).
    sbShowObject(dialog.currentKey(), nullptr, dialog.MakeDatiIva());
}

DocumentWindow *ShellDocuments::fnFindChild(int key)
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

DocumentWindow *ShellDocuments::sbShowObject(int key, DocumentWindow *into, bool makeDatiIva)
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
            doc->updateCaption(m_w.objectNames().name);
            doc->focusFirstField();
        }
        updateCommands();
        return nullptr;
    }
    activate(doc);
    return doc;
}

bool ShellDocuments::formAvailable()
{
    if (m_formFactory)
        return true;
    m_w.program().messages().warn(
        u"La scheda della liquidazione non è disponibile in questa versione del programma."_qs);
    return false;
}

bool ShellDocuments::settlementExists(int key)
{
    std::optional<int> state;
    runShowingFailures(m_w.program().messages(),
                       [&] { state = CompanyDirectory(m_w.program().context().db()).settlementState(key); });
    return state && *state >= 0;
}

void ShellDocuments::installForm(DocumentWindow &doc)
{
    doc.setFormFace(m_formFactory(documentContext(), &doc));
    // Without the right to save, every field of the form is read-only.
    doc.formFace()->setReadOnly(!m_w.rights().newSave());
    // Alt and a letter opens a menu of the menu bar; the form's tabs and buttons keep
    // other letters, so that no access key stands twice in the window.
    QString menuKeys;
    for (const QAction *a : m_w.menuBar()->actions())
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

bool ShellDocuments::fillDocument(DocumentWindow &doc, int key, bool makeDatiIva)
{
    Program &program = m_w.program();
    // A settlement deleted since the list was read is not opened: the lists drop it.
    if (!settlementExists(key)) {
        program.messages().warn(u"La "_qs + m_w.objectNames().name +
                                u" scelta non esiste più: è stata eliminata. L'elenco è stato aggiornato."_qs);
        Q_EMIT m_w.settlementsChanged(key, false);
        return false;
    }
    if (!doc.formFace()) {
        if (!formAvailable())
            return false;
        installForm(doc);
    }
    if (doc.tag() > 0 && doc.tag() != key)
        releaseDocument(doc);

    FormFace &form = *doc.formFace();
    m_filling = true;
    // What the status bar said before the fill (a save just made) stays said after it.
    const QString before = m_w.statusBar()->currentMessage();
    m_w.sbStatusBarText(u"Elaborazione della "_qs + m_w.objectNames().name + u" in corso..."_qs);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BusyCounter::yieldToEvents(); // the status text shows before the work starts
    runShowingFailures(program.messages(), [&] { form.sbChildFill(key, makeDatiIva); });
    QApplication::restoreOverrideCursor();
    m_w.sbStatusBarText(before);
    m_filling = false;

    // Saved: its row is live. A settlement never saved holds data not yet stored, so it
    // starts out changed (Save is offered and closing asks).
    bool saved = false;
    runShowingFailures(program.messages(), [&] {
        saved = CompanyDirectory(program.context().db()).settlementState(key) == 0;
        if (saved)
            program.usageRegister().registerUse(program.context().objectType, key, 2);
    });
    doc.setTag(key);
    doc.setSavedObject(saved);
    form.setChanged(!saved);
    doc.setChangedObject(!saved);
    doc.setSearchChild(false);
    doc.browse()->moveByRowIds(key);
    doc.showFace(DocumentWindow::Face::Form);
    doc.updateCaption(m_w.objectNames().name);
    doc.focusFirstField();
    updateCommands();
    // The fill rebuilt the settlement's report data (and a new one is listed from now on).
    Q_EMIT m_w.settlementsChanged(key, false);
    return true;
}

void ShellDocuments::refillUnchanged(DocumentWindow &doc)
{
    // The window the user works in stays the active one, with its focus.
    QMdiSubWindow *active = m_w.documentArea()->activeSubWindow();
    QWidget *focus = QApplication::focusWidget();
    m_following = true;
    fillDocument(doc, doc.tag(), false);
    m_following = false;
    if (active && active != frameOf(&doc))
        m_w.documentArea()->setActiveSubWindow(active);
    if (focus && focus != QApplication::focusWidget() && !frameOf(&doc)->isAncestorOf(focus))
        focus->setFocus(Qt::OtherFocusReason);
}

void ShellDocuments::followDatabase(DocumentWindow &doc, int key, bool stored)
{
    if (doc.closing())
        return;
    doc.browse()->requery();
    // A saved settlement shown without changes of the user's is computed again from the
    // figures now stored; one with the user's changes keeps them (the save will say if the
    // figures moved meanwhile).
    if (stored && !m_following && !m_filling && doc.showsForm() && doc.formFace() && doc.tag() > 0 &&
        doc.tag() != key && doc.savedObject() && !doc.changedObject() && settlementExists(doc.tag()))
        refillUnchanged(doc);
    // The settlement of the form went (deleted in another window): the window shows the list.
    if (doc.tag() > 0 && !settlementExists(doc.tag())) {
        discardChanges(doc);
        releaseDocument(doc);
        doc.setTag(0);
        doc.setSavedObject(false);
        if (doc.showsForm()) {
            doc.showFace(DocumentWindow::Face::Table);
            doc.updateCaption(m_w.objectNames().name);
        }
    }
    if (&doc == activeDocument())
        updateCommands();
}

void ShellDocuments::releaseDocument(DocumentWindow &doc)
{
    if (doc.tag() <= 0)
        return;
    Program &program = m_w.program();
    runShowingFailures(program.messages(),
                       [&] { program.usageRegister().release(program.context().objectType, doc.tag(), 0); });
}

void ShellDocuments::removeWorkingRows(DocumentWindow &doc)
{
    const int key = doc.tag();
    if (key <= 0)
        return;
    WorkContext &ctx = m_w.program().context();
    runShowingFailures(m_w.program().messages(), [&] {
        // The document's own clean-up only for a settlement never saved: a saved one keeps
        // every row but the user's working rows.
        if (!doc.savedObject() && doc.formFace())
            doc.formFace()->sbRemoveTrashRecord();
        WorkingRecords::removeDocumentRows(ctx.db(), ctx.IDUser, key);
        if (!CompanyDirectory(ctx.db()).settlementState(key)) {
            releaseDocument(doc);
            doc.setTag(0);
            doc.setSavedObject(false);
            Q_EMIT m_w.settlementsChanged(key, false);
        }
    });
}

bool ShellDocuments::requeryOrUnload(DocumentWindow &doc)
{
    doc.browse()->requery();
    if (doc.browse()->listCount() > 0)
        return true;
    releaseDocument(doc);
    doc.closeWithoutQuestion();
    updateCommands();
    return false;
}

Answer ShellDocuments::askAndSave(DocumentWindow &doc)
{
    // Save is offered when the document holds changes and the user may save; otherwise the
    // answer is no.
    if (!doc.changedObject() || doc.searchChild() || !m_w.rights().newSave())
        return Answer::No;
    activate(&doc);
    Program &program = m_w.program();
    const QString text =
        program.texts().text(ResourceStrings::SaveChangesQuestion) + u" \""_qs + doc.documentCaption() + u"\"?"_qs;
    const Answer answer =
        program.messages().messageBox(text, Buttons::YesNoCancel, Icon::Question, m_w.objectNames().title);
    if (answer != Answer::Yes)
        return answer == Answer::No ? Answer::No : Answer::Cancel;
    save(&doc); // the form takes what is being typed before it saves
    // A failed save keeps the document open with its changes.
    return doc.changedObject() ? Answer::Cancel : Answer::Yes;
}

void ShellDocuments::discardChanges(DocumentWindow &doc)
{
    if (doc.formFace())
        doc.formFace()->setChanged(false);
    doc.setChangedObject(false);
}

bool ShellDocuments::fnQuestionForSave(DocumentWindow *doc, bool keepWorkingRows)
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

void ShellDocuments::fnCloseChild(DocumentWindow &doc, bool &cancel)
{
    if (BusyCounter::busy()) {
        m_w.program().messages().warn(u"Impossibile chiudere: altri processi in corso."_qs);
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
                showTable(guard);
            updateCommands();
        });
        return;
    }
    if (doc.tag() > 0 && doc.formFace()) {
        const Answer answer = askAndSave(doc);
        if (answer == Answer::Cancel) {
            // A closing of the whole suite stops here too.
            m_w.setProperty("BrevantoClosing", QVariant());
            cancel = true;
            return;
        }
        if (answer == Answer::No) {
            discardChanges(doc);
            removeWorkingRows(doc);
        }
    }
    releaseDocument(doc);
    m_w.commandBar().setEnabled(u"Mnu_PrintBarCode"_qs, false);
    // The window leaves the list of documents once its close is accepted.
    QTimer::singleShot(0, this, [this] { updateCommands(); });
}

void ShellDocuments::sbSetbChangedObject(bool changed)
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

void ShellDocuments::sbSetbSavedObject(bool saved)
{
    if (DocumentWindow *doc = activeDocument())
        doc->setSavedObject(saved);
    updateCommands();
}

void ShellDocuments::sbClearChild()
{
    DocumentWindow *doc = activeDocument();
    if (!doc || !doc->showsForm() || !doc->formFace() || doc->tag() <= 0)
        return;
    if (doc->changedObject()) {
        const QString question =
            u"Le modifiche apportate a \""_qs + doc->documentCaption() + u"\" andranno perse. Proseguire?"_qs;
        if (!m_w.program().messages().askYesNo(question))
            return;
    }
    // The form shows the settlement again as it stands, without the unsaved edits.
    discardChanges(*doc);
    fillDocument(*doc, doc->tag(), false);
}

// ---- the commands on a document window -----------------------------------------------------

void ShellDocuments::save(DocumentWindow *doc)
{
    if (!doc || !doc->formFace() || doc->tag() <= 0)
        return;
    Program &program = m_w.program();
    FormFace &form = *doc->formFace();
    bool saved = false;
    runShowingFailures(program.messages(), [&] { saved = form.fnChildSave(); });
    if (!saved) {
        // The document said why. When its settlement has gone meanwhile (deleted by another
        // user), the windows show the database as it is: this one goes back to its list.
        if (!settlementExists(doc->tag()))
            Q_EMIT m_w.settlementsChanged(doc->tag(), false);
        return;
    }
    form.setChanged(false);
    doc->setChangedObject(false);
    doc->setSavedObject(true);
    runShowingFailures(program.messages(),
                       [&] { program.usageRegister().registerUse(program.context().objectType, doc->tag(), 2); });
    doc->browse()->requery();
    doc->browse()->moveByRowIds(doc->tag());
    doc->updateCaption(m_w.objectNames().name);
    doc->focusFirstField();
    updateCommands();
    m_w.sbStatusBarText(u"Liquidazione salvata"_qs);
    Q_EMIT m_w.settlementsChanged(doc->tag(), true);
}

void ShellDocuments::remove(DocumentWindow *doc)
{
    if (!doc || !doc->formFace() || doc->tag() <= 0)
        return;
    const QString question =
        u"Si desidera eliminare "_qs + m_w.objectNames().withArticle + u" \""_qs + doc->documentCaption() + u"\"?"_qs;
    if (!m_w.program().messages().askYesNo(question))
        return;
    discardChanges(*doc);
    bool deleted = false;
    runShowingFailures(m_w.program().messages(), [&] { deleted = doc->formFace()->sbChildDelete(); });
    if (!deleted)
        return;
    const int key = doc->tag();
    releaseDocument(*doc);
    doc->setTag(0);
    doc->setSavedObject(false);
    const QPointer<DocumentWindow> guard(doc);
    Q_EMIT m_w.settlementsChanged(key, true);
    if (!guard || !requeryOrUnload(*doc))
        return;
    doc->showFace(DocumentWindow::Face::Table);
    doc->updateCaption(m_w.objectNames().name);
    doc->focusFirstField();
}

void ShellDocuments::leaveSearchMode(DocumentWindow *doc)
{
    if (!doc)
        return;
    doc->setSearchChild(false);
    if (doc->face() == DocumentWindow::Face::Filter)
        doc->browse()->abandonFilterDefinition();
}

void ShellDocuments::search(DocumentWindow *doc, bool empty)
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

void ShellDocuments::searchExecute(DocumentWindow *doc)
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

void ShellDocuments::move(DocumentWindow *doc, int step)
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
        doc->updateCaption(m_w.objectNames().name);
    }
}

void ShellDocuments::showTable(DocumentWindow *doc)
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
    doc->updateCaption(m_w.objectNames().name);
    doc->focusFirstField();
}

void ShellDocuments::showForm(DocumentWindow *doc)
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
        doc->updateCaption(m_w.objectNames().name);
        doc->focusFirstField();
        return;
    }
    const QPointer<DocumentWindow> guard(doc);
    sbShowObject(key, doc);
    if (guard && guard->showsForm())
        guard->setOpenedFromBrowse(fromTable);
}

// ---- closing -------------------------------------------------------------------------------

bool ShellDocuments::closeDocuments()
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

void ShellDocuments::runPicker()
{
    std::vector<frmListSavedChild::Entry> entries;
    for (DocumentWindow *doc : documents()) {
        if (doc->tag() > 0 && doc->savedObject())
            entries.push_back({doc->windowTitle(), doc->tag()});
    }
    if (entries.empty())
        return;
    frmListSavedChild picker(u"Selezionare "_qs + m_w.objectNames().withArticle +
                                 u" che si desidera riportare nel programma chiamante."_qs,
                             entries, &m_w);
    picker.exec();
    m_pickerResult = picker.chosenKey();
    if (m_pickerResult > 0) {
        HandOverStore &store = m_w.program().store();
        store.write(m_client, HandOver::IDField, QString::number(m_pickerResult));
        store.sync();
    }
}

} // namespace liqiva
