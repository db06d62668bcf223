// The main window's print commands: preview, print, the exports, "Invia a", the declaration
// print, and the activity pane that shows how they go.

#include "gui/declarations/frmDatiDip.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/SettlementDocument.h"
#include "domain/printing/DeclarationPrint.h"
#include "domain/printing/PrintSelection.h"
#include "gui/printing/PrintCommand.h"
#include "gui/printing/frmStampaDip.h"
#include "gui/shell/BrowseFace.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/frmActivityBox.h"
#include "gui/shell/frmMDI.h"
#include "startup/ModuleLauncher.h"
#include "startup/Program.h"
#include "database/DbError.h"
#include "suite/BusyCounter.h"
#include "suite/Messages.h"
#include "gui/common/Failures.h"

#include <QAction>
#include <QInputDialog>
#include <QPointer>

namespace liqiva {

namespace {

const QStringList exportCommands = {u"Mnu_ExportWord"_qs, u"Mnu_ExportExcel"_qs, u"Mnu_ExportHtml"_qs,
                                    u"Mnu_ExportPDF"_qs};

ExportFormat formatOfCommand(const QString &key)
{
    switch (exportCommands.indexOf(key)) {
    case 0:
        return ExportFormat::Odt;
    case 1:
        return ExportFormat::Xlsx;
    case 2:
        return ExportFormat::Html;
    default:
        return ExportFormat::Pdf;
    }
}

} // namespace

QString frmMDI::msgSaveBeforePrint()
{
    return u"La liquidazione I.V.A. non è ancora salvata: salvarla prima di stamparla."_qs;
}

void frmMDI::setupPrinting()
{
    m_activityBox = new frmActivityBox(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_activityBox);
    m_activityBox->hide();
    // The pane's close button and the command stay in step.
    connect(m_activityBox, &QDockWidget::visibilityChanged, this, [this] {
        if (QAction *a = m_bar->action(u"Mnu_Folders"_qs)) {
            a->setCheckable(true);
            a->setChecked(m_activityBox->isVisible());
        }
    });
    connect(m_activityBox, &frmActivityBox::exportChosen, this,
            [this](const QString &key) { sbExecuteMenuCommand(u"Mnu_"_qs + key); });
}

int frmMDI::printableKey(DocumentWindow *doc)
{
    if (!doc)
        return 0;
    if (doc->showsForm()) {
        // What is printed is the settlement as stored: unsaved changes are saved first.
        const QPointer<DocumentWindow> guard(doc);
        if (!fnQuestionForSave(doc))
            return 0;
        if (!guard || doc->closing())
            return 0;
        return doc->tag();
    }
    return doc->browse()->currentKey();
}

bool frmMDI::printingCommand(const QString &key, DocumentWindow *doc)
{
    if (key == u"Mnu_Folders"_qs) {
        m_activityBox->setVisible(!m_activityBox->isVisible());
        return true;
    }
    const bool exportKey = exportCommands.contains(key);
    if (key != u"Mnu_PrePrint"_qs && key != u"Mnu_Print"_qs && key != u"Mnu_Export"_qs && key != u"Mnu_SendTo"_qs &&
        key != u"Mnu_StampaDip"_qs && !exportKey)
        return false;
    if (key == u"Mnu_StampaDip"_qs) {
        printDeclaration(doc);
        return true;
    }

    QString command = key;
    if (key == u"Mnu_Export"_qs) {
        // The export choices of the pane: the kind chosen last is offered first.
        m_activityBox->showActivity(frmActivityBox::Export);
        const QStringList kinds = {u"Documento Word (.odt)"_qs, u"Foglio Excel (.xlsx)"_qs, u"Pagina HTML (.html)"_qs,
                                   u"Documento PDF (.pdf)"_qs};
        bool ok = false;
        const QString kind = QInputDialog::getItem(this, u"Esporta"_qs, u"Formato del file:"_qs, kinds,
                                                   m_activityBox->defaultExport(), false, &ok);
        if (!ok)
            return true;
        command = exportCommands.value(int(kinds.indexOf(kind)));
    }
    const int settlement = printableKey(doc);
    if (settlement <= 0)
        return true;
    bool saved = false;
    if (!runShowingFailures(m_program.messages(), [&] {
            saved = CompanyDirectory(m_program.context().db()).savedSettlement(settlement).has_value();
        }))
        return true;
    if (!saved) {
        m_program.messages().warn(msgSaveBeforePrint());
        return true;
    }

    PrintDestination destination = PrintDestination::Printer;
    ExportFormat format = ExportFormat::Pdf;
    if (command == u"Mnu_PrePrint"_qs) {
        destination = PrintDestination::Preview;
    } else if (command == u"Mnu_SendTo"_qs) {
        destination = PrintDestination::Mail;
    } else if (exportCommands.contains(command)) {
        destination = PrintDestination::File;
        format = formatOfCommand(command);
        m_activityBox->recordExport(command.mid(4));
    }
    std::unique_ptr<PrintCommand> print = makePrintCommand();
    BusyScope busy;
    print->run(settlement, m_activityBox->selectedReport(), destination, format);
    return true;
}

std::unique_ptr<PrintCommand> frmMDI::makePrintCommand()
{
    WorkContext &ctx = m_program.context();
    auto print = std::make_unique<PrintCommand>(
        PrintContext{ctx.db(), m_program.messages(), ctx.IDUser, ctx.lIDFirm, ctx.IDFunction}, this);
    print->setProgress([this](const QString &text, int done, int total) {
        m_activityBox->showProgress(text, done, total);
        sbStatusBarText(text);
    });
    print->setConfigure([this](int idRegistroIva) {
        ModuleLauncher launcher(m_program.context(), m_program.store(), m_program.services(), m_program.texts(),
                                m_launcherHooks);
        launcher.setStartTimeoutMs(m_moduleStartTimeoutMs);
        return launcher.runMaintenanceOf(u"NumerazionePerRegistro"_qs, idRegistroIva,
                                         u"numerazione dei registri I.V.A."_qs);
    });
    if (m_printHook)
        m_printHook(*print);
    return print;
}

void frmMDI::printDeclaration(DocumentWindow *doc)
{
    if (!doc || !doc->formFace() || doc->tag() <= 0)
        return;
    // The declaration is a print of the settlement: it needs the right to print, as in liqiva.
    if (!m_rights.print()) {
        m_program.messages().warn(UserRights::refusal(UserRights::Print) + u"."_qs);
        return;
    }
    const QPointer<DocumentWindow> guard(doc);
    if (!fnQuestionForSave(doc) || !guard || doc->closing())
        return;
    SettlementDocument *settlement = doc->formFace()->settlementDocument();
    if (!settlement)
        return;
    WorkContext &ctx = m_program.context();
    const DeclarationData data = declarationData(*settlement);
    QStringList missing;
    if (!runShowingFailures(m_program.messages(), [&] {
            missing = DeclarationPrint::missingData(ctx.db(), ctx.lIDFirm, data.anno, settlement->soggettoRimborso(),
                                                    settlement->datiDip());
        }))
        return;
    if (!missing.isEmpty()) {
        frmInfoDip info(this);
        info.NotNecessaryItems(missing.join(u"\n"_qs));
        info.exec();
        if (info.CancelOperation())
            return;
    }
    std::unique_ptr<PrintCommand> print = makePrintCommand();
    frmStampaDip dialog(ctx.db(), m_program.messages(), ctx.IDUser, *print, this);
    dialog.setData(data);
    dialog.exec();
}

// At the end of the program the user's print selection goes (the pane stays as it is, so that
// the settings saved afterwards remember it).
void frmMDI::closePrinting()
{
    WorkContext &ctx = m_program.context();
    runShowingFailures(m_program.messages(),
                       [&] { PrintSelection(ctx.db(), ctx.IDUser, ctx.IDFunction).sbDeletePrintOperation(); });
}

void frmMDI::updatePrintingCommands(DocumentWindow *doc)
{
    const bool hasDoc = doc != nullptr;
    const bool form = hasDoc && doc->showsForm() && doc->formFace() && doc->tag() > 0;
    const bool chosen =
        hasDoc && !doc->searchChild() && (form || (!doc->showsForm() && doc->browse()->currentKey() > 0));
    for (const char *key : {"Mnu_PrePrint", "Mnu_Print", "Mnu_Export", "Mnu_SendTo", "Mnu_ExportWord",
                            "Mnu_ExportExcel", "Mnu_ExportHtml", "Mnu_ExportPDF"})
        m_bar->setEnabled(QString::fromLatin1(key), chosen);
    m_bar->setEnabled(u"Mnu_StampaDip"_qs, form && !doc->searchChild() && doc->formFace()->settlementDocument());
    m_bar->setEnabled(u"Mnu_Folders"_qs, true);
}

} // namespace liqiva
