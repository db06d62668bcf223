#include "gui/shell/ShellCommands.h"

#include "domain/document/CompanyDirectory.h"
#include "gui/common/Failures.h"
#include "gui/communication/frmComunicazioneLiqIva.h"
#include "gui/companies/CompanyCommands.h"
#include "gui/invoices/frmImportaFatture.h"
#include "gui/invoices/frmRegoleImportazione.h"
#include "gui/overview/frmAnnoLiquidazioni.h"
#include "gui/shell/BrowseFace.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/ShellDocuments.h"
#include "gui/shell/ShellHelp.h"
#include "gui/shell/ShellPrinting.h"
#include "gui/shell/ShellSettings.h"
#include "gui/shell/ShortcutText.h"
#include "gui/shell/WindowSettings.h"
#include "gui/shell/frmInformazioni.h"
#include "gui/shell/frmMDI.h"
#include "gui/shell/frmOption.h"
#include "gui/shell/frmToolBars.h"
#include "startup/Program.h"
#include "suite/BusyCounter.h"
#include "suite/HandOverStore.h"
#include "suite/Messages.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDesktopServices>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QUrl>

#ifndef LIQIVA_VERSION
#define LIQIVA_VERSION "1.0.0"
#endif

namespace liqiva {

namespace {

const QString busyText = QStringLiteral("Impossibile eseguire l'operazione: altri processi in corso.");

} // namespace

ShellCommands::ShellCommands(frmMDI &window) : m_w(window)
{
    connect(m_w.documentArea(), &QMdiArea::subWindowActivated, this, [this] { updateCommands(); });
    if (QMenu *windows = m_w.commandBar().menu(u"mnuWindow"_qs))
        connect(windows, &QMenu::aboutToShow, this, [this] { fillWindowMenu(); });
}

// ---- the dispatcher ------------------------------------------------------------------------

void ShellCommands::sbExecuteMenuCommand(const QString &commandKey)
{
    const QString key = m_w.commandBar().menuKey(commandKey);
    if (key.isEmpty())
        return; // keys that name no command do nothing
    if (BusyCounter::busy()) {
        m_w.program().messages().warn(busyText);
        return;
    }
    // A command that is not available now (state, rights, a window still to come) is not
    // reachable, whatever asked for it.
    if (!m_w.commandBar().isEnabled(key))
        return;
    BusyCounter::yieldToEvents(); // pending paints happen before the command runs
    Q_EMIT m_w.commandDispatched(key);
    // What a command could not do is said here, in one way for every command.
    runShowingFailures(m_w.program().messages(), [&] { dispatchCommand(key, m_w.docs().activeDocument()); });
}

bool ShellCommands::documentCommand(const QString &key, DocumentWindow *doc)
{
    ShellDocuments &docs = m_w.docs();
    FormFace *form = doc ? doc->formFace() : nullptr;
    if (key == u"Mnu_New"_qs) {
        docs.sbCreateNewChild();
    } else if (key == u"Mnu_Close"_qs) {
        if (QMdiSubWindow *frame = docs.frameOf(doc))
            frame->close();
    } else if (key == u"Mnu_Save"_qs || key == u"Mnu_SaveAs"_qs) {
        docs.save(doc); // the form takes what is being typed before it saves
    } else if (key == u"Mnu_Delete"_qs) {
        docs.remove(doc);
    } else if (key == u"Mnu_Clear"_qs) {
        docs.sbClearChild();
    } else if (key == u"Mnu_Search"_qs || key == u"Mnu_SearchFilter"_qs) {
        docs.search(doc, key == u"Mnu_Search"_qs);
    } else if (key == u"Mnu_SearchExecute"_qs) {
        docs.searchExecute(doc);
    } else if (key == u"Mnu_SearchPrevious"_qs || key == u"Mnu_SearchNext"_qs) {
        docs.move(doc, key == u"Mnu_SearchNext"_qs ? 1 : -1);
    } else if (key == u"Mnu_SearchResult"_qs || key == u"Mnu_SearchTable"_qs) {
        docs.showTable(doc);
    } else if (key == u"Mnu_SearchForm"_qs) {
        docs.showForm(doc);
    } else if (key == u"Mnu_SearchObject"_qs) {
        if (form)
            form->searchFocusedCode();
    } else if (key == u"Mnu_DatiProRata"_qs) {
        // Unsaved changes are saved (or left) first: the pro-rata computes the settlement again.
        if (form && (!doc->changedObject() || docs.fnQuestionForSave(doc, true)))
            form->sbGestioneProRata();
    } else if (key == u"Mnu_DatiDip"_qs) {
        if (form)
            form->sbDatiDip();
    } else if (key == u"Mnu_DatiAltreOperazioni"_qs) {
        // The same for the other operations: what they change computes the settlement again,
        // and what was typed meanwhile must not be lost with it.
        if (form && (!doc->changedObject() || docs.fnQuestionForSave(doc, true)))
            form->sbGestioneAltreOperazioni();
    } else {
        return false;
    }
    return true;
}

void ShellCommands::dispatchCommand(const QString &key, DocumentWindow *doc)
{
    if (documentCommand(key, doc)) {
        // the document's own commands
    } else if (key == u"Mnu_Exit"_qs) {
        m_w.close();
    } else if (key == u"Mnu_Cut"_qs || key == u"Mnu_Copy"_qs || key == u"Mnu_Paste"_qs) {
        commandEdit(key.mid(4).toLower());
    } else if (key == u"Mnu_ComunicazioneLiqIVA"_qs) {
        commandCommunication();
    } else if (m_w.printing().printingCommand(key, doc)) {
        // preview, print, exports, "Invia a", the declaration and the activity pane
    } else if (key == u"Mnu_TileHorizzontal"_qs || key == u"Mnu_TileVertical"_qs || key == u"Mnu_Cascade"_qs ||
               key == u"Mnu_DisposeIcon"_qs) {
        arrangeWindows(key);
    } else {
        shellCommand(key);
    }
    updateCommands();
}

QString ShellCommands::sbGestShortCut(int keyCode, int mask)
{
    const QString key = m_w.commandBar().commandForShortcut(ShortcutKey{mask, keyCode});
    if (!key.isEmpty())
        sbExecuteMenuCommand(key);
    return key;
}

bool ShellCommands::shortcutKey(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    // Keys of this window and of its document windows; a dialog or an open menu keeps its own.
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != &m_w)
        return false;
    const auto *k = static_cast<QKeyEvent *>(event);
    const ShortcutKey pressed = ShortcutText::fromKeyPress(k->key(), k->modifiers());
    if (!pressed.isValid())
        return false;
    // While work runs, the dispatcher refuses the command with its message, as for a click.
    return !sbGestShortCut(pressed.keyCode, pressed.mask).isEmpty();
}

// ---- enabling ------------------------------------------------------------------------------

void ShellCommands::updateDocumentCommands(DocumentWindow *doc)
{
    const bool hasDoc = doc != nullptr;
    using Face = DocumentWindow::Face;
    const Face face = hasDoc ? doc->face() : Face::Table;
    const bool search = hasDoc && doc->searchChild();
    // The form face shows a settlement.
    const bool form = hasDoc && face == Face::Form && doc->formFace() && doc->tag() > 0;
    m_w.showReadOnlyNote(form && !m_w.rights().newSave());
    const int rows = hasDoc ? doc->browse()->listCount() : 0;
    const int row = hasDoc ? doc->browse()->currentRow() : -1;
    const bool rowSelected = hasDoc && doc->browse()->currentKey() > 0;

    auto set = [this](const char *key, bool enabled) {
        m_w.commandBar().setEnabled(QString::fromLatin1(key), enabled);
    };
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
}

void ShellCommands::updateCommands()
{
    if (!m_w.initialised())
        return;
    CommandBar &bar = m_w.commandBar();
    DocumentWindow *doc = m_w.docs().activeDocument();
    updateDocumentCommands(doc);
    m_w.printing().updatePrintingCommands(doc);
    // The windows that come later stay disabled (the command bar sees to it).
    for (const Command &c : bar.commands()) {
        if (c.availability == Command::Availability::Later)
            bar.setEnabled(c.key, false);
    }
    updateShellCommands();
    // A sub-menu whose items are all unavailable is unavailable itself.
    if (QMenu *sub = bar.menu(u"mnuExport"_qs)) {
        bool any = false;
        for (const QAction *a : sub->actions())
            any = any || a->isEnabled();
        sub->menuAction()->setEnabled(any);
    }
}

void ShellCommands::updateShellCommands()
{
    CommandBar &bar = m_w.commandBar();
    for (const char *key :
         {"Mnu_Option", "Mnu_ToolBar", "Mnu_Info", "Mnu_HelpOnLine", "Mnu_Arg", "Mnu_Web", "Mnu_Agg_Web", "Mnu_DatiIva",
          "Mnu_CreditiIva", "Mnu_ControlloDateIva", "Mnu_RicostruzioneDatiIva", "Mnu_AnnoLiquidazioni",
          "Mnu_ImportaFatture", "Mnu_FattureImportate", "Mnu_RegoleImportazione"})
        bar.setEnabled(QString::fromLatin1(key), true);
    // The company's own set-up and its users: an administrator's; anyone else is told so.
    for (const QString &key : CompanyCommands::keys())
        bar.setEnabled(key, true);
    // A module of the suite that is not installed: its command says so before it is tried.
    const ModuleLauncher launcher = m_w.launcher();
    for (const char *key : {"Mnu_DatiIva", "Mnu_CreditiIva", "Mnu_ControlloDateIva", "Mnu_RicostruzioneDatiIva"}) {
        QAction *a = bar.action(QString::fromLatin1(key));
        if (!a)
            continue;
        if (!a->property("liqivaToolTip").isValid())
            a->setProperty("liqivaToolTip", a->toolTip());
        const QString reason = launcher.unavailableReason(QString::fromLatin1(key));
        const QString base = a->property("liqivaToolTip").toString();
        a->setToolTip(reason.isEmpty() ? base : base + u" - "_qs + reason);
    }
    DocumentWindow *doc = m_w.docs().activeDocument();
    const bool form = doc && doc->showsForm() && doc->formFace() && doc->tag() > 0;
    for (const char *key : {"Mnu_RunApplication", "Mnu_RunApplicationPriceList", "Mnu_SearchObjectPriceList",
                            "Mnu_SearchArticlePriceList"})
        bar.setEnabled(QString::fromLatin1(key), form);
}

// ---- the commands --------------------------------------------------------------------------

int ShellCommands::yearForCommands(int *quarter)
{
    WorkContext &ctx = m_w.program().context();
    CompanyDirectory directory(ctx.db());
    int year = 0, q = 4;
    runShowingFailures(m_w.program().messages(), [&] {
        DocumentWindow *doc = m_w.docs().activeDocument();
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
void ShellCommands::commandCommunication()
{
    int quarter = 4;
    const int year = yearForCommands(&quarter);
    if (year <= 0) {
        m_w.program().messages().warn(u"L'azienda non ha periodi I.V.A.: nessuna liquidazione da comunicare."_qs);
        return;
    }
    WorkContext &ctx = m_w.program().context();
    frmComunicazioneLiqIva dialog(ctx.db(), m_w.program().messages(), ctx.lIDFirm, year, quarter, &m_w);
    dialog.setUser(ctx.IDUser);
    // Writing the file marks the settlements communicated: a write, for who may save.
    dialog.setMayWrite(m_w.rights().newSave());
    dialog.exec();
}

void ShellCommands::commandEdit(const QString &action)
{
    QWidget *f = QApplication::focusWidget();
    if (!f || f->window() != &m_w)
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

void ShellCommands::arrangeWindows(const QString &key)
{
    QMdiArea *area = m_w.documentArea();
    if (key == u"Mnu_Cascade"_qs) {
        area->cascadeSubWindows();
        return;
    }
    const QRect room = area->viewport()->rect();
    QList<QMdiSubWindow *> open, minimized;
    for (QMdiSubWindow *w : area->subWindowList(QMdiArea::StackingOrder)) {
        if (!w->isVisible())
            continue;
        (w->isMinimized() ? minimized : open) << w;
    }
    if (key == u"Mnu_DisposeIcon"_qs) {
        // The reduced windows in a row along the bottom edge.
        int x = 0;
        for (QMdiSubWindow *w : minimized) {
            w->move(x, room.bottom() - w->height() + 1);
            x += w->width();
        }
        return;
    }
    const int n = int(open.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = open.at(i);
        if (w->isMaximized())
            w->showNormal();
        if (key == u"Mnu_TileHorizzontal"_qs) // one above the other, each the whole width
            w->setGeometry(0, room.height() * i / n, room.width(), room.height() * (i + 1) / n - room.height() * i / n);
        else // side by side, each the whole height
            w->setGeometry(room.width() * i / n, 0, room.width() * (i + 1) / n - room.width() * i / n, room.height());
    }
}

void ShellCommands::fillWindowMenu()
{
    QMenu *menu = m_w.commandBar().menu(u"mnuWindow"_qs);
    if (!menu)
        return;
    // The list of windows is made again each time the menu opens.
    for (QAction *a : menu->actions()) {
        if (a->property("windowList").toBool()) {
            menu->removeAction(a);
            a->deleteLater();
        }
    }
    const QList<DocumentWindow *> docs = m_w.docs().documents();
    if (docs.isEmpty())
        return;
    QAction *sep = menu->addSeparator();
    sep->setProperty("windowList", true);
    DocumentWindow *active = m_w.docs().activeDocument();
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
                m_w.docs().activate(guard);
        });
    }
}

bool ShellCommands::shellCommand(const QString &key)
{
    Program &program = m_w.program();
    WorkContext &ctx = program.context();
    if (key == u"Mnu_Option"_qs)
        commandOptions();
    else if (key == u"Mnu_ToolBar"_qs)
        frmToolBars(m_w, m_w.windowSettings().settings(), &m_w).exec();
    else if (key == u"Mnu_Info"_qs)
        commandInfo();
    else if (key == u"Mnu_HelpOnLine"_qs || key == u"Mnu_Arg"_qs)
        m_w.help().commandHelp(key == u"Mnu_Arg"_qs);
    else if (ModuleLauncher::targetOf(key))
        m_w.launcher().runModule(key);
    else if (key == u"Mnu_Web"_qs || key == u"Mnu_Agg_Web"_qs)
        commandWeb(key);
    else if (key == u"Mnu_AnnoLiquidazioni"_qs)
        commandYearOverview();
    else if (CompanyCommands::keys().contains(key))
        CompanyCommands::run(key, ctx.db(), program.messages(), ctx.IDUser, ctx.lIDFirm, &m_w);
    else if (key == u"Mnu_ImportaFatture"_qs)
        frmImportaFatture(ctx.db(), program.messages(), ctx.lIDFirm, ctx.IDUser, &m_w).exec();
    else if (key == u"Mnu_FattureImportate"_qs)
        frmFattureImportate(ctx.db(), program.messages(), ctx.lIDFirm, ctx.IDUser, &m_w).exec();
    else if (key == u"Mnu_RegoleImportazione"_qs)
        frmRegoleImportazione(ctx.db(), program.messages(), ctx.lIDFirm, ctx.IDUser, &m_w).exec();
    else if (key == u"Mnu_RunApplication"_qs || key == u"Mnu_RunApplicationPriceList"_qs)
        commandRunApplication();
    else if (key == u"Mnu_SearchObjectPriceList"_qs || key == u"Mnu_SearchArticlePriceList"_qs) {
        // The settlement has no field bound to a price list: the code search of the field is
        // what the user gets.
        DocumentWindow *doc = m_w.docs().activeDocument();
        if (!doc || !doc->formFace() || !doc->formFace()->searchFocusedCode())
            m_w.sbStatusBarText(u"Il campo attivo non è collegato a un listino."_qs);
    } else
        return false;
    return true;
}

void ShellCommands::commandOptions()
{
    ShellSettings &settings = m_w.windowSettings().settings();
    frmOption dialog(settings, &m_w);
    dialog.exec();
    if (dialog.confirmed()) {
        m_w.windowSettings().applySettingsLook();
        // The export proposed first is also the activity pane's choice.
        if (QDockWidget *pane = m_w.findChild<QDockWidget *>(u"frmActivityBox"_qs))
            pane->setProperty("DefaultExport", ShellSettings::exportNames().value(settings.defaultExport));
    }
}

ProgramInfo ShellCommands::programInfo() const
{
    WorkContext &ctx = m_w.program().context();
    ProgramInfo info;
    info.title = m_w.objectNames().title;
    info.description = u"Liquidazione periodica dell'IVA: calcolo mensile, trimestrale, acconto di dicembre e "
                       u"liquidazione annuale, stampa e dati delle dichiarazioni."_qs;
    info.version = QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral(LIQIVA_VERSION)
                                                                    : QCoreApplication::applicationVersion();
    if (ctx.hasDatabase()) {
        const DatabaseLocation &where = ctx.db().location();
        if (where.engine == Engine::Sqlite) {
            info.engine = u"SQLite (database su file)"_qs;
            info.address = where.path;
        } else {
            info.engine = u"PostgreSQL (server di database)"_qs;
            // Never the password.
            info.address = (where.user.isEmpty() ? QString() : where.user + u"@"_qs) + where.host + u":"_qs +
                           QString::number(where.port) + u"/"_qs + where.database;
        }
    }
    info.user = ctx.UserName.isEmpty() ? QString::number(ctx.IDUser)
                                       : ctx.UserName + u" (codice "_qs + QString::number(ctx.IDUser) + u")"_qs;
    info.company = ctx.FirmName + (ctx.Branch.isEmpty() ? QString() : u" - "_qs + ctx.Branch);
    return info;
}

void ShellCommands::commandInfo()
{
    frmInformazioni dialog(programInfo(), &m_w);
    dialog.exec();
}

void ShellCommands::commandRunApplication()
{
    DocumentWindow *doc = m_w.docs().activeDocument();
    if (!doc || !doc->formFace())
        return;
    // The fields of the settlement hold codes of the suite's tables (banks, branches, agents),
    // which no module of the suite opens on a single row: the search list is offered instead.
    if (!doc->formFace()->searchFocusedCode())
        m_w.program().messages().inform(
            u"Il campo attivo non è gestito da un'altra applicazione: nessuna applicazione da avviare."_qs);
}

void ShellCommands::commandWeb(const QString &key)
{
    MessageService &messages = m_w.program().messages();
    const bool updates = key == u"Mnu_Agg_Web"_qs;
    const QString settingKey = updates ? u"Agg_Web"_qs : u"Web"_qs;
    const QString address = m_w.program().store().read(HandOver::MenuSettings, settingKey).trimmed();
    const QUrl url = QUrl::fromUserInput(address);
    if (address.isEmpty() || !url.isValid()) {
        messages.warn((updates ? u"L'indirizzo della pagina degli aggiornamenti"_qs : u"L'indirizzo del sito web"_qs) +
                      u" non è configurato (impostazioni dell'installazione, MenuSettings, "_qs + settingKey +
                      u")."_qs);
        return;
    }
    if (!QDesktopServices::openUrl(url))
        messages.warn(u"Impossibile aprire l'indirizzo "_qs + url.toString() +
                      u": nessun programma di navigazione disponibile."_qs);
}

void ShellCommands::commandYearOverview()
{
    WorkContext &ctx = m_w.program().context();
    const int year = yearForCommands();
    if (year <= 0) {
        m_w.program().messages().warn(u"L'azienda non ha periodi I.V.A.: nessuna liquidazione da mostrare."_qs);
        return;
    }
    auto *overview = new frmAnnoLiquidazioni(ctx.db(), m_w.program().messages(), ctx.lIDFirm, year, &m_w);
    overview->setWindowFlag(Qt::Window);
    overview->setAttribute(Qt::WA_DeleteOnClose);
    connect(overview, &frmAnnoLiquidazioni::openSettlement, this, [this](int key) {
        m_w.activateWindow();
        m_w.docs().sbShowObject(key);
    });
    overview->resize(1100, 500);
    overview->show();
}

} // namespace liqiva
