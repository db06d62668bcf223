#include "gui/shell/ShellPrinting.h"

#include "domain/document/CompanyDirectory.h"
#include "domain/document/SettlementDocument.h"
#include "domain/printing/DeclarationPrint.h"
#include "domain/printing/PrintSelection.h"
#include "gui/common/Failures.h"
#include "gui/declarations/frmDatiDip.h"
#include "gui/printing/PrintCommand.h"
#include "gui/printing/frmStampaDip.h"
#include "gui/shell/BrowseFace.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/ShellCommands.h"
#include "gui/shell/ShellDocuments.h"
#include "gui/shell/frmActivityBox.h"
#include "gui/shell/frmMDI.h"
#include "startup/ModuleLauncher.h"
#include "startup/Program.h"
#include "suite/BusyCounter.h"
#include "suite/Messages.h"

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

ShellPrinting::ShellPrinting(frmMDI &window) : m_w(window)
{
    m_activityBox = new frmActivityBox(&m_w);
    m_w.addDockWidget(Qt::LeftDockWidgetArea, m_activityBox);
    m_activityBox->hide();
    // The pane's close button and the command stay in step.
    connect(m_activityBox, &QDockWidget::visibilityChanged, this, [this] {
        if (QAction *a = m_w.commandBar().action(u"Mnu_Folders"_qs)) {
            a->setCheckable(true);
            a->setChecked(m_activityBox->isVisible());
        }
    });
    connect(m_activityBox, &frmActivityBox::exportChosen, this,
            [this](const QString &key) { m_w.commands().sbExecuteMenuCommand(u"Mnu_"_qs + key); });
}

QString ShellPrinting::msgSaveBeforePrint()
{
    return u"La liquidazione I.V.A. non è ancora salvata: salvarla prima di stamparla."_qs;
}

int ShellPrinting::printableKey(DocumentWindow *doc)
{
    if (!doc)
        return 0;
    if (doc->showsForm()) {
        // What is printed is the settlement as stored: unsaved changes are saved first.
        const QPointer<DocumentWindow> guard(doc);
        if (!m_w.docs().fnQuestionForSave(doc))
            return 0;
        if (!guard || doc->closing())
            return 0;
        return doc->tag();
    }
    return doc->browse()->currentKey();
}

QString ShellPrinting::chooseExport()
{
    // The export choices of the pane: the kind chosen last is offered first.
    m_activityBox->showActivity(frmActivityBox::Export);
    const QStringList kinds = {u"Documento Word (.odt)"_qs, u"Foglio Excel (.xlsx)"_qs, u"Pagina HTML (.html)"_qs,
                               u"Documento PDF (.pdf)"_qs};
    bool ok = false;
    const QString kind = QInputDialog::getItem(&m_w, u"Esporta"_qs, u"Formato del file:"_qs, kinds,
                                               m_activityBox->defaultExport(), false, &ok);
    return ok ? exportCommands.value(int(kinds.indexOf(kind))) : QString();
}

bool ShellPrinting::printingCommand(const QString &key, DocumentWindow *doc)
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
    const QString command = key == u"Mnu_Export"_qs ? chooseExport() : key;
    if (command.isEmpty())
        return true;
    const int settlement = printableKey(doc);
    if (settlement <= 0)
        return true;
    Program &program = m_w.program();
    bool saved = false;
    if (!runShowingFailures(program.messages(), [&] {
            saved = CompanyDirectory(program.context().db()).savedSettlement(settlement).has_value();
        }))
        return true;
    if (!saved) {
        program.messages().warn(msgSaveBeforePrint());
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

std::unique_ptr<PrintCommand> ShellPrinting::makePrintCommand()
{
    Program &program = m_w.program();
    WorkContext &ctx = program.context();
    auto print = std::make_unique<PrintCommand>(
        PrintContext{ctx.db(), program.messages(), ctx.IDUser, ctx.lIDFirm, ctx.IDFunction}, &m_w);
    print->setProgress([this](const QString &text, int done, int total) {
        m_activityBox->showProgress(text, done, total);
        m_w.sbStatusBarText(text);
    });
    print->setConfigure([this](int idRegistroIva) {
        return m_w.launcher().runMaintenanceOf(u"NumerazionePerRegistro"_qs, idRegistroIva,
                                               u"numerazione dei registri I.V.A."_qs);
    });
    if (m_printHook)
        m_printHook(*print);
    return print;
}

void ShellPrinting::printDeclaration(DocumentWindow *doc)
{
    if (!doc || !doc->formFace() || doc->tag() <= 0)
        return;
    Program &program = m_w.program();
    // The declaration is a print of the settlement: it needs the right to print, as in liqiva.
    if (!m_w.rights().print()) {
        program.messages().warn(UserRights::refusal(UserRights::Print) + u"."_qs);
        return;
    }
    const QPointer<DocumentWindow> guard(doc);
    if (!m_w.docs().fnQuestionForSave(doc) || !guard || doc->closing())
        return;
    SettlementDocument *settlement = doc->formFace()->settlementDocument();
    if (!settlement)
        return;
    WorkContext &ctx = program.context();
    const DeclarationData data = declarationData(*settlement);
    QStringList missing;
    if (!runShowingFailures(program.messages(), [&] {
            missing = DeclarationPrint::missingData(ctx.db(), ctx.lIDFirm, data.anno, settlement->soggettoRimborso(),
                                                    settlement->datiDip());
        }))
        return;
    if (!missing.isEmpty()) {
        frmInfoDip info(&m_w);
        info.NotNecessaryItems(missing.join(u"\n"_qs));
        info.exec();
        if (info.CancelOperation())
            return;
    }
    std::unique_ptr<PrintCommand> print = makePrintCommand();
    frmStampaDip dialog(ctx.db(), program.messages(), ctx.IDUser, *print, &m_w);
    dialog.setData(data);
    dialog.exec();
}

// At the end of the program the user's print selection goes (the pane stays as it is, so that
// the settings saved afterwards remember it).
void ShellPrinting::closePrinting()
{
    Program &program = m_w.program();
    WorkContext &ctx = program.context();
    runShowingFailures(program.messages(),
                       [&] { PrintSelection(ctx.db(), ctx.IDUser, ctx.IDFunction).sbDeletePrintOperation(); });
}

void ShellPrinting::updatePrintingCommands(DocumentWindow *doc)
{
    CommandBar &bar = m_w.commandBar();
    const bool hasDoc = doc != nullptr;
    const bool form = hasDoc && doc->showsForm() && doc->formFace() && doc->tag() > 0;
    const bool chosen =
        hasDoc && !doc->searchChild() && (form || (!doc->showsForm() && doc->browse()->currentKey() > 0));
    for (const char *key : {"Mnu_PrePrint", "Mnu_Print", "Mnu_Export", "Mnu_SendTo", "Mnu_ExportWord",
                            "Mnu_ExportExcel", "Mnu_ExportHtml", "Mnu_ExportPDF"})
        bar.setEnabled(QString::fromLatin1(key), chosen);
    bar.setEnabled(u"Mnu_StampaDip"_qs, form && !doc->searchChild() && doc->formFace()->settlementDocument());
    bar.setEnabled(u"Mnu_Folders"_qs, true);
}

} // namespace liqiva
