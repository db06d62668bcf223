#include "gui/printing/PrintCommand.h"

#include "database/DbError.h"
#include "domain/printing/PrintOptions.h"
#include "gui/common/Failures.h"
#include "gui/common/FileDialogs.h"
#include "gui/printing/frmStampaOptions.h"
#include "render/PageRenderer.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"
#include "suite/WholeFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>
#include <stdexcept>
#include <utility>

namespace liqiva {

namespace {

bool runPrinterDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"Stampa"_qs);
    return dialog.exec() == QDialog::Accepted;
}

bool runPreview(QPrinter &printer, const std::function<void(QPrinter *)> &paint, QWidget *parent)
{
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(u"frmAnteprima"_qs);
    dialog.setWindowTitle(u"Anteprima di stampa"_qs);
    // Large, but inside the work area of the screen, with room for its frame.
    QSize size(1000, 800);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(24, 56));
    dialog.resize(size);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog.move(area.topLeft() +
                    QPoint((area.width() - size.width()) / 2, qMax(0, (area.height() - size.height() - 40) / 2)));
    }
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    // The dialog is accepted when the pages were sent to the printer from it.
    return dialog.exec() == QDialog::Accepted;
}

// A new message of the desktop's mail program with the file attached, where the desktop has
// a way to attach one.
bool openMailWithAttachment(const QString &file, const QString &subject)
{
    const QString xdgEmail = QStandardPaths::findExecutable(u"xdg-email"_qs);
    if (!xdgEmail.isEmpty())
        return QProcess::startDetached(xdgEmail, {u"--subject"_qs, subject, u"--attach"_qs, file});
    return false;
}

} // namespace

PrintCommand::PrintCommand(const PrintContext &context, QWidget *parent)
    : m_ctx(context), m_parent(parent), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    // The page is drawn from the paper's edge with margins of its own.
    m_printer->setFullPage(true);
    m_printerDialog = [this](QPrinter &p) { return runPrinterDialog(p, m_parent); };
    m_preview = [this](QPrinter &p, const std::function<void(QPrinter *)> &paint) {
        return runPreview(p, paint, m_parent);
    };
    m_chooseFile = [this](const QString &suggested, const QString &filter) {
        // The overwrite question is ours, asked once whatever the platform's dialog does.
        return chooseFileToWrite(m_parent, u"Esporta"_qs, suggested, filter, false);
    };
    m_mailer = openMailWithAttachment;
}

PrintCommand::~PrintCommand() = default;

QString PrintCommand::msgOverwrite(const QString &file)
{
    return QStringLiteral("Il file %1 esiste già. Sostituirlo?").arg(QDir::toNativeSeparators(file));
}

QString PrintCommand::msgMailByHand(const QString &file)
{
    return QStringLiteral("Il programma di posta non permette di allegare il documento: è stato salvato in %1. "
                          "Allegarlo al messaggio.")
        .arg(QDir::toNativeSeparators(file));
}

namespace {
// The folder of the last file exported in this session: the next export proposes it.
QString &lastExportFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString PrintCommand::exportFolder()
{
    if (const QString last = lastExportFolder(); !last.isEmpty() && QDir(last).exists())
        return last;
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.isEmpty() ? QDir::homePath() : docs;
}

QString PrintCommand::mailFolder()
{
    const QString dir =
        QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation)).filePath(u"liquidazione-iva-posta"_qs);
    QDir().mkpath(dir);
    return dir;
}

void PrintCommand::say(const QString &text, int done, int total)
{
    if (m_progress)
        m_progress(text, done, total);
}

bool PrintCommand::output(PrintDestination destination, ExportFormat format, const PrintedReport &report)
{
    if (!produce(destination, format, report))
        return false;
    publish();
    return true;
}

bool PrintCommand::produce(PrintDestination destination, ExportFormat format, const PrintedReport &report)
{
    MessageService &messages = m_ctx.messages;
    m_staged.reset();
    m_mailSubject.clear();
    const int pages = report.pageCount();
    auto pageDone = [this, &report](int page, int total) {
        say(QStringLiteral("%1: pagina %2 di %3").arg(report.title).arg(page).arg(total), page, total);
    };
    switch (destination) {
    case PrintDestination::Preview: {
        say(u"Anteprima di stampa"_qs, 0, pages);
        return m_preview(*m_printer, [&](QPrinter *printer) { renderReport(report, *printer, pageDone); });
    }
    case PrintDestination::Printer:
        if (!m_printerDialog(*m_printer))
            return false;
        if (m_printer->outputFormat() == QPrinter::PdfFormat && !m_printer->outputFileName().isEmpty()) {
            // Printed to a file (the print dialog asked before replacing one): written whole
            // like an export.
            m_staged = std::make_unique<WholeFile>(m_printer->outputFileName(), WholeFile::Replace::Yes);
            writePdf(report, *m_staged, pageDone);
            return true;
        }
        renderReport(report, *m_printer, pageDone);
        return true;
    case PrintDestination::File: {
        const QString suggested = QDir(exportFolder()).filePath(defaultExportName(report, format));
        QString file = m_chooseFile(suggested, exportFileFilter(format));
        if (file.isEmpty())
            return false;
        lastExportFolder() = QFileInfo(file).absolutePath();
        if (QFileInfo(file).suffix().isEmpty())
            file += u"."_qs + exportSuffix(format);
        // A folder, a device or a file of the database is refused before the question.
        WholeFile::check(file, WholeFile::Replace::Yes);
        if (QFileInfo::exists(file) && !messages.askYesNo(msgOverwrite(file)))
            return false;
        say(QStringLiteral("Esportazione in %1").arg(QFileInfo(file).fileName()), 0, pages);
        m_staged = std::make_unique<WholeFile>(file, WholeFile::Replace::Yes);
        if (format == ExportFormat::Pdf)
            writePdf(report, *m_staged, pageDone);
        else
            exportReport(report, format, *m_staged);
        return true;
    }
    case PrintDestination::Mail: {
        const QString file = QDir(mailFolder()).filePath(defaultExportName(report, ExportFormat::Pdf));
        m_staged = std::make_unique<WholeFile>(file, WholeFile::Replace::Yes);
        writePdf(report, *m_staged, pageDone);
        m_mailSubject = report.title + u" - "_qs + report.company;
        return true;
    }
    }
    return false;
}

void PrintCommand::publish()
{
    if (!m_staged)
        return;
    const std::unique_ptr<WholeFile> staged = std::move(m_staged);
    staged->commit();
    m_lastFile = staged->target();
    if (m_mailSubject.isEmpty())
        return;
    const QString file = m_lastFile;
    const QString subject = std::exchange(m_mailSubject, QString());
    if (!m_mailer(file, subject)) {
        QUrl mail(u"mailto:"_qs);
        QUrlQuery query;
        query.addQueryItem(u"subject"_qs, subject);
        query.addQueryItem(u"body"_qs, u"Documento: "_qs + QDir::toNativeSeparators(file));
        mail.setQuery(query);
        QDesktopServices::openUrl(mail);
        m_ctx.messages.inform(msgMailByHand(file));
    }
}

bool PrintCommand::run(int key, PrintReport reportKind, PrintDestination destination, ExportFormat format)
{
    MessageService &messages = m_ctx.messages;
    m_lastFile.clear();
    m_lastPages = 0;
    const auto print = [&]() -> bool {
        PrintOptions options(m_ctx.db, m_ctx.idAzienda, reportKind, key,
                             destination == PrintDestination::Printer ? PrintOperation::Printer
                                                                      : PrintOperation::Other);
        frmStampaOptions dialog(options, messages, m_parent);
        dialog.setConfigure(m_configure);
        if (m_optionsHook)
            m_optionsHook(dialog);
        if (dialog.exec() != QDialog::Accepted || options.okCancel() != 1) {
            say(u"Stampa annullata"_qs);
            return false;
        }
        PrintRequest request = options.request();
        if (reportKind == PrintReport::Summary)
            request.settlements = PrintJob::summarySettlements(m_ctx.db, key);
        say(u"Preparazione delle pagine..."_qs);
        PrintJob job(m_ctx);
        PrintedReport report = job.build(request);
        // The file of an export or a mail is put in place with the recording of a definitive
        // print, or not at all.
        const bool done = job.run(
            request, report, [&](const PrintedReport &r) { return produce(destination, format, r); },
            [this] { publish(); });
        m_staged.reset();
        if (!done) {
            const QString what =
                destination == PrintDestination::Preview ? u"Anteprima chiusa"_qs : u"Stampa annullata"_qs;
            say(request.definitive ? what + u": la numerazione del registro non è cambiata"_qs : what);
            return false;
        }
        m_lastPages = report.pageCount();
        say(QStringLiteral("%1: %2 pagine%3")
                .arg(report.title)
                .arg(report.pageCount())
                .arg(request.definitive ? QStringLiteral(" (stampa definitiva, pagine %1-%2)")
                                              .arg(report.firstPageNumber())
                                              .arg(report.lastPageNumber())
                                        : QString()),
            report.pageCount(), report.pageCount());
        return true;
    };
    bool printed = false;
    if (runShowingFailures(messages, [&] { printed = print(); }))
        return printed;
    m_staged.reset();
    say(u"Stampa non riuscita: la numerazione del registro non è cambiata"_qs);
    return false;
}

} // namespace liqiva
