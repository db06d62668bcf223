// The main window's settings, help, the launching of the suite's modules, the web pages and the
// year overview.

#include "gui/companies/CompanyCommands.h"
#include "gui/invoices/frmImportaFatture.h"
#include "gui/invoices/frmRegoleImportazione.h"
#include "gui/overview/frmAnnoLiquidazioni.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/ShellSettings.h"
#include "gui/shell/frmHelp.h"
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
#include <QDate>
#include <QDesktopServices>
#include <QDialog>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#ifndef LIQIVA_VERSION
#define LIQIVA_VERSION "1.0.0"
#endif

namespace liqiva {

// ---- settings ------------------------------------------------------------------------------

void frmMDI::sbGetCommonSettings()
{
    WorkContext &ctx = m_program.context();
    m_settings = std::make_unique<ShellSettings>(m_program.store(), ctx.executableName);
    m_settings->sbGetCommonOptionSetting();
    m_settingsNotes = m_settings->sbGetCommonSettings(*this);
    if (!m_settingsNotes.isEmpty()) {
        const QString note = u"Impostazioni non valide ignorate (sono stati usati i valori predefiniti): "_qs +
                             m_settingsNotes.join(u", "_qs) + u"."_qs;
        statusBar()->showMessage(note);
        // The activity pane lists it too, when it has a list of messages.
        if (QDockWidget *pane = activityPane(*this);
            pane && pane->metaObject()->indexOfMethod("addMessage(QString)") >= 0)
            QMetaObject::invokeMethod(pane, "addMessage", Q_ARG(QString, note));
    }
}

void frmMDI::sbSaveCommonSettings()
{
    if (m_settings)
        m_settings->sbSaveCommonSettings(*this);
}

void frmMDI::applySettingsLook()
{
    m_settings->applyLook(*this);
    statusBar()->setVisible(m_settings->statusBar);
}

// ---- commands ------------------------------------------------------------------------------

bool frmMDI::shellCommand(const QString &key)
{
    if (key == u"Mnu_Option"_qs)
        commandOptions();
    else if (key == u"Mnu_ToolBar"_qs)
        commandToolBars();
    else if (key == u"Mnu_Info"_qs)
        commandInfo();
    else if (key == u"Mnu_HelpOnLine"_qs)
        commandHelp(false);
    else if (key == u"Mnu_Arg"_qs)
        commandHelp(true);
    else if (ModuleLauncher::targetOf(key))
        commandModule(key);
    else if (key == u"Mnu_Web"_qs || key == u"Mnu_Agg_Web"_qs)
        commandWeb(key);
    else if (key == u"Mnu_AnnoLiquidazioni"_qs)
        commandYearOverview();
    else if (CompanyCommands::keys().contains(key))
        CompanyCommands::run(key, m_program.context().db(), m_program.messages(), m_program.context().IDUser,
                             m_program.context().lIDFirm, this);
    else if (key == u"Mnu_RegoleImportazione"_qs)
        frmRegoleImportazione(m_program.context().db(), m_program.messages(), m_program.context().lIDFirm,
                              m_program.context().IDUser, this)
            .exec();
    else if (key == u"Mnu_ImportaFatture"_qs || key == u"Mnu_FattureImportate"_qs) {
        WorkContext &ctx = m_program.context();
        if (key == u"Mnu_ImportaFatture"_qs)
            frmImportaFatture(ctx.db(), m_program.messages(), ctx.lIDFirm, ctx.IDUser, this).exec();
        else
            frmFattureImportate(ctx.db(), m_program.messages(), ctx.lIDFirm, ctx.IDUser, this).exec();
    }
    else if (key == u"Mnu_RunApplication"_qs || key == u"Mnu_RunApplicationPriceList"_qs)
        commandRunApplication();
    else if (key == u"Mnu_SearchObjectPriceList"_qs || key == u"Mnu_SearchArticlePriceList"_qs) {
        // The settlement has no field bound to a price list: the code search of the field is
        // what the user gets.
        DocumentWindow *doc = activeDocument();
        if (!doc || !doc->formFace() || !doc->formFace()->searchFocusedCode())
            sbStatusBarText(u"Il campo attivo non è collegato a un listino."_qs);
    } else
        return false;
    return true;
}

void frmMDI::updateShellCommands()
{
    for (const char *key :
         {"Mnu_Option", "Mnu_ToolBar", "Mnu_Info", "Mnu_HelpOnLine", "Mnu_Arg", "Mnu_Web", "Mnu_Agg_Web", "Mnu_DatiIva",
          "Mnu_CreditiIva", "Mnu_ControlloDateIva", "Mnu_RicostruzioneDatiIva", "Mnu_AnnoLiquidazioni",
          "Mnu_ImportaFatture", "Mnu_FattureImportate", "Mnu_RegoleImportazione"})
        m_bar->setEnabled(QString::fromLatin1(key), true);
    // The company's own set-up and its users: an administrator's; anyone else is told so.
    for (const QString &key : CompanyCommands::keys())
        m_bar->setEnabled(key, true);
    // A module of the suite that is not installed: its command says so before it is tried.
    const ModuleLauncher launcher(m_program.context(), m_program.store(), m_program.services(), m_program.texts(),
                                  m_launcherHooks);
    for (const char *key : {"Mnu_DatiIva", "Mnu_CreditiIva", "Mnu_ControlloDateIva", "Mnu_RicostruzioneDatiIva"}) {
        QAction *a = m_bar->action(QString::fromLatin1(key));
        if (!a)
            continue;
        if (!a->property("liqivaToolTip").isValid())
            a->setProperty("liqivaToolTip", a->toolTip());
        const QString reason = launcher.unavailableReason(QString::fromLatin1(key));
        const QString base = a->property("liqivaToolTip").toString();
        a->setToolTip(reason.isEmpty() ? base : base + u" - "_qs + reason);
    }
    DocumentWindow *doc = activeDocument();
    const bool form = doc && doc->showsForm() && doc->formFace() && doc->tag() > 0;
    for (const char *key : {"Mnu_RunApplication", "Mnu_RunApplicationPriceList", "Mnu_SearchObjectPriceList",
                            "Mnu_SearchArticlePriceList"})
        m_bar->setEnabled(QString::fromLatin1(key), form);
}

void frmMDI::commandOptions()
{
    frmOption dialog(*m_settings, this);
    dialog.exec();
    if (dialog.confirmed()) {
        applySettingsLook();
        // The export proposed first is also the activity pane's choice.
        if (QDockWidget *pane = findChild<QDockWidget *>(u"frmActivityBox"_qs))
            pane->setProperty("DefaultExport", ShellSettings::exportNames().value(m_settings->defaultExport));
    }
}

void frmMDI::commandToolBars()
{
    frmToolBars dialog(*this, *m_settings, this);
    dialog.exec();
}

ProgramInfo frmMDI::programInfo() const
{
    WorkContext &ctx = m_program.context();
    ProgramInfo info;
    info.title = m_names.title;
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

void frmMDI::commandInfo()
{
    frmInformazioni dialog(programInfo(), this);
    dialog.exec();
}

void frmMDI::openHelp(const QString &page, QWidget *over)
{
    const HelpBook book(m_helpRoot.isEmpty() ? QStringLiteral(":/help") : m_helpRoot);
    if (!book.available()) {
        m_program.messages().warn(HelpBook::UnavailableText);
        return;
    }
    if (over) {
        // Over a dialog the help is its own window on top of it, closed before going back.
        auto *help = new frmHelp(book, over);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->setWindowModality(Qt::WindowModal);
        help->showPage(page);
        m_help = help;
        help->show();
        return;
    }
    if (!m_help) {
        m_help = new frmHelp(book, this);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->showPage(page);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void frmMDI::commandHelp(bool index)
{
    if (index) {
        openHelp(HelpBook::indexPage());
        return;
    }
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus->window() != this)
        focus = activeDocument() ? static_cast<QWidget *>(activeDocument()) : this;
    // A document window showing its list has the list's page; its form the page of its tab.
    openHelp(HelpBook::pageFor(focus));
}

bool frmMDI::helpKey(QObject *watched, QEvent *event)
{
    // F1 in a dialog of the program opens the page of that dialog (the main window's own keys
    // go through the command bar).
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *k = static_cast<QKeyEvent *>(event);
    if (k->key() != Qt::Key_F1 || k->modifiers() != Qt::NoModifier)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() == this || !qobject_cast<QDialog *>(w->window()))
        return false;
    if (w->window()->parentWidget() && w->window()->parentWidget()->window() != this)
        return false;
    openHelp(HelpBook::pageFor(w), w->window());
    return true;
}

// ---- modules -------------------------------------------------------------------------------

std::optional<int> frmMDI::runApplication(int functionKey, int objectKey, const QString &parameters)
{
    ModuleLauncher launcher(m_program.context(), m_program.store(), m_program.services(), m_program.texts(),
                            m_launcherHooks);
    launcher.setStartTimeoutMs(m_moduleStartTimeoutMs);
    return launcher.runApplication(functionKey, objectKey, parameters);
}

void frmMDI::commandModule(const QString &key)
{
    ModuleLauncher launcher(m_program.context(), m_program.store(), m_program.services(), m_program.texts(),
                            m_launcherHooks);
    launcher.setStartTimeoutMs(m_moduleStartTimeoutMs);
    launcher.runModule(key);
}

void frmMDI::commandRunApplication()
{
    DocumentWindow *doc = activeDocument();
    if (!doc || !doc->formFace())
        return;
    // The fields of the settlement hold codes of the suite's tables (banks, branches, agents),
    // which no module of the suite opens on a single row: the search list is offered instead.
    if (!doc->formFace()->searchFocusedCode())
        m_program.messages().inform(
            u"Il campo attivo non è gestito da un'altra applicazione: nessuna applicazione da avviare."_qs);
}

void frmMDI::commandWeb(const QString &key)
{
    const bool updates = key == u"Mnu_Agg_Web"_qs;
    const QString settingKey = updates ? u"Agg_Web"_qs : u"Web"_qs;
    const QString address = m_program.store().read(HandOver::MenuSettings, settingKey).trimmed();
    const QUrl url = QUrl::fromUserInput(address);
    if (address.isEmpty() || !url.isValid()) {
        m_program.messages().warn((updates ? u"L'indirizzo della pagina degli aggiornamenti"_qs
                                           : u"L'indirizzo del sito web"_qs) +
                                  u" non è configurato (impostazioni dell'installazione, MenuSettings, "_qs +
                                  settingKey + u")."_qs);
        return;
    }
    if (!QDesktopServices::openUrl(url))
        m_program.messages().warn(u"Impossibile aprire l'indirizzo "_qs + url.toString() +
                                  u": nessun programma di navigazione disponibile."_qs);
}

void frmMDI::commandYearOverview()
{
    WorkContext &ctx = m_program.context();
    const int year = yearForCommands();
    if (year <= 0) {
        m_program.messages().warn(u"L'azienda non ha periodi I.V.A.: nessuna liquidazione da mostrare."_qs);
        return;
    }
    auto *overview = new frmAnnoLiquidazioni(ctx.db(), m_program.messages(), ctx.lIDFirm, year, this);
    overview->setWindowFlag(Qt::Window);
    overview->setAttribute(Qt::WA_DeleteOnClose);
    connect(overview, &frmAnnoLiquidazioni::openSettlement, this, [this](int key) {
        activateWindow();
        sbShowObject(key);
    });
    overview->resize(1100, 500);
    overview->show();
}

} // namespace liqiva
