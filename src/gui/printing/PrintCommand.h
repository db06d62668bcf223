#pragma once

#include "domain/printing/PrintJob.h"
#include "render/ReportExport.h"

#include <QPrinter>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace liqiva {

class frmStampaOptions;
class WholeFile;

// Where a print from the windows goes.
enum class PrintDestination { Preview, Printer, File, Mail };

// A print started from the main window, from the options to the output: "Opzioni di stampa",
// the pages, the preview, the printer dialog, the file of an export or the message of "Invia
// a", and for a definitive print the numbering and the mark stored after the output was
// produced. Every refusal and error is said through the message service; nothing is left
// half done.
class PrintCommand {
public:
    PrintCommand(const PrintContext &context, QWidget *parent);
    ~PrintCommand();

    // What the program is doing, for the activity pane: a text and the pages done so far
    // (total 0 when there is nothing to count).
    void setProgress(std::function<void(const QString &text, int done, int total)> progress)
    {
        m_progress = std::move(progress);
    }
    // The register numbering of a register, from "Configura..." in the options.
    void setConfigure(std::function<bool(int idRegistroIva)> configure) { m_configure = std::move(configure); }
    // The dialogs a person answers, replaceable (the tests answer them): the printer dialog
    // (false: cancelled), the file to write (empty: cancelled), the preview (true when the
    // pages were printed from it) and the mail program (false: not available).
    void setPrinterDialog(std::function<bool(QPrinter &)> f) { m_printerDialog = std::move(f); }
    void setFileChooser(std::function<QString(const QString &suggested, const QString &filter)> f)
    {
        m_chooseFile = std::move(f);
    }
    void setPreview(std::function<bool(QPrinter &, const std::function<void(QPrinter *)> &paint)> f)
    {
        m_preview = std::move(f);
    }
    void setMailer(std::function<bool(const QString &file, const QString &subject)> f) { m_mailer = std::move(f); }
    // Called with the options dialog before it is shown (tests set the choices there).
    void setOptionsHook(std::function<void(frmStampaOptions &)> f) { m_optionsHook = std::move(f); }

    // Prints a saved settlement (or the summary of its year). Returns true when the output was
    // produced (and, for a definitive print, recorded).
    bool run(int idRisultatoLiquidazioneIva, PrintReport report, PrintDestination destination,
             ExportFormat format = ExportFormat::Pdf);

    // Sends pages already made to a destination (the declaration forms use it): true when
    // produced, false when cancelled; errors are thrown.
    bool output(PrintDestination destination, ExportFormat format, const PrintedReport &report);

    // The file written by the last export or mail, the pages of the last print.
    QString lastFile() const { return m_lastFile; }
    int lastPages() const { return m_lastPages; }

    static QString msgOverwrite(const QString &file);
    static QString msgMailByHand(const QString &file);
    // The folder the exports are offered in, and where a mail's attachment is written.
    static QString exportFolder();
    static QString mailFolder();

private:
    void say(const QString &text, int done = 0, int total = 0);
    // Produces the pages at the destination; a file is written whole but left under a
    // temporary name until publish() puts it in place (and then starts the mail).
    bool produce(PrintDestination destination, ExportFormat format, const PrintedReport &report);
    void publish();

    PrintContext m_ctx;
    QWidget *m_parent;
    std::unique_ptr<QPrinter> m_printer;
    std::function<void(const QString &, int, int)> m_progress;
    std::function<bool(int)> m_configure;
    std::function<bool(QPrinter &)> m_printerDialog;
    std::function<QString(const QString &, const QString &)> m_chooseFile;
    std::function<bool(QPrinter &, const std::function<void(QPrinter *)> &)> m_preview;
    std::function<bool(const QString &, const QString &)> m_mailer;
    std::function<void(frmStampaOptions &)> m_optionsHook;
    QString m_lastFile;
    int m_lastPages = 0;
    std::unique_ptr<WholeFile> m_staged;
    QString m_mailSubject;
};

} // namespace liqiva
