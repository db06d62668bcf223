#pragma once

#include "printing/PrintedReport.h"

#include <functional>

class QPagedPaintDevice;
class QString;

namespace liqiva {

// Draws the pages of a report on a paged device (a printer, the preview's printer, a PDF
// writer), A4 portrait, one page of the report on one sheet. The device is set to A4 here.
// progress, when given, hears of every page drawn (page from 1, pages in all).
void renderReport(const PrintedReport &report, QPagedPaintDevice &device,
                  const std::function<void(int page, int pages)> &progress = {});

// Writes the report as a PDF file; throws std::runtime_error with a readable reason when the
// file cannot be written.
void writePdf(const PrintedReport &report, const QString &fileName,
              const std::function<void(int page, int pages)> &progress = {});

} // namespace liqiva
