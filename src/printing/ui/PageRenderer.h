#pragma once

#include "printing/PrintedReport.h"

class QPagedPaintDevice;
class QString;

namespace liqiva {

// Draws the pages of a report on a paged device (a printer, the preview's printer, a PDF
// writer), A4 portrait, one page of the report on one sheet. The device is set to A4 here.
void renderReport(const PrintedReport &report, QPagedPaintDevice &device);

// Writes the report as a PDF file; throws std::runtime_error with a readable reason when the
// file cannot be written.
void writePdf(const PrintedReport &report, const QString &fileName);

} // namespace liqiva
