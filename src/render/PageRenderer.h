#pragma once

#include "domain/printing/PrintedReport.h"

#include <functional>

class QPagedPaintDevice;
class QString;

namespace liqiva {

class WholeFile;

// Draws the pages of a report on a paged device (a printer, the preview's printer, a PDF
// writer), A4 portrait, one page of the report on one sheet. The device is set to A4 here.
// progress, when given, hears of every page drawn (page from 1, pages in all).
void renderReport(const PrintedReport &report, QPagedPaintDevice &device,
                  const std::function<void(int page, int pages)> &progress = {});

// Writes the report as a PDF into a file written whole, finished but not yet put in place
// (WholeFile::commit is the caller's); throws Refusal with the reason when it cannot be written.
void writePdf(const PrintedReport &report, WholeFile &file,
              const std::function<void(int page, int pages)> &progress = {});
// The same, put in place at once (an existing regular file is replaced).
void writePdf(const PrintedReport &report, const QString &fileName,
              const std::function<void(int page, int pages)> &progress = {});

} // namespace liqiva
