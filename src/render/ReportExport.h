#pragma once

#include "domain/printing/PrintedReport.h"

#include <QString>

namespace liqiva {

class WholeFile;

// The formats a report is exported to, besides the printer.
enum class ExportFormat { Pdf, Html, Odt, Xlsx };

// The format a file name or a format word names ("pdf", "html", "odt" for the word
// processor, "xlsx" for the spreadsheet); nothing for anything else.
std::optional<ExportFormat> exportFormatOf(const QString &word);
QString exportSuffix(ExportFormat format);
// The filter of the file dialog that saves a format ("Documento PDF (*.pdf)").
QString exportFileFilter(ExportFormat format);

// Writes the report in a format: PDF as printed; HTML and OpenDocument text with the same
// tables and the page breaks of the print; a spreadsheet with one sheet whose amounts are
// numbers (formatted as the window shows them) and whose texts are texts. The file is written
// whole and finished, not yet put in place (WholeFile::commit is the caller's). Throws Refusal
// with the reason when the file cannot be written.
void exportReport(const PrintedReport &report, ExportFormat format, WholeFile &file);

// A file name for the export: company, period and the format's suffix, without characters
// that a file system refuses.
QString defaultExportName(const PrintedReport &report, ExportFormat format);

} // namespace liqiva
