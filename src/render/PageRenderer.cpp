#include "render/PageRenderer.h"

#include "suite/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <stdexcept>

namespace liqiva {

namespace {

// The page in millimetres: 15 mm margins left and right leave the 180 mm the tables are cut
// for; the lines have a fixed pitch so that the body holds exactly LinesPerPage of them.
constexpr double Left = 15.0;
constexpr double Width = 180.0;
constexpr double Top = 12.0;
constexpr double BodyTop = 36.0;
constexpr double Pitch = 4.3;
constexpr double Padding = 1.5;

class Painter {
public:
    Painter(QPainter &p, double pxPerMm) : m_p(p), m_mm(pxPerMm) {}

    double mm(double v) const { return v * m_mm; }

    void text(double x, double y, double w, const QString &s, Qt::Alignment align, const QFont &font)
    {
        // Too long for its column: drawn smaller, down to six tenths of its size, so that
        // it is read whole; only what is longer still is cut with an ellipsis, never drawn
        // over the next column.
        const double room = mm(w - 2 * Padding);
        QFont used = font;
        const double wide = QFontMetricsF(font, m_p.device()).horizontalAdvance(s);
        if (wide > room && room > 0) {
            const double factor = std::max(0.6, room / wide * 0.98);
            used.setPointSizeF(font.pointSizeF() * factor);
        }
        m_p.setFont(used);
        const QFontMetricsF fm(used, m_p.device());
        const QString shown = fm.elidedText(s, Qt::ElideRight, room);
        m_p.drawText(QRectF(mm(x + Padding), mm(y), mm(w - 2 * Padding), mm(Pitch)), align | Qt::AlignVCenter, shown);
    }
    void hline(double x1, double x2, double y, double widthMm = 0.2)
    {
        QPen pen(Qt::black);
        pen.setWidthF(mm(widthMm));
        m_p.setPen(pen);
        m_p.drawLine(QPointF(mm(x1), mm(y)), QPointF(mm(x2), mm(y)));
    }
    void fill(double x, double y, double w, double h, const QColor &c)
    {
        m_p.fillRect(QRectF(mm(x), mm(y), mm(w), mm(h)), c);
    }

private:
    QPainter &m_p;
    double m_mm;
};

QFont font(double points, bool bold = false)
{
    QFont f(u"DejaVu Sans"_qs);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void drawHeader(Painter &pt, const PrintedReport &report, const PrintedPage &page)
{
    const QFont title = font(12, true);
    const QFont normal = font(8.5);
    const QFont bold = font(8.5, true);
    pt.text(Left, Top, 120, report.title, Qt::AlignLeft, title);
    pt.text(Left + 120, Top, 60, report.pageLabel(page), Qt::AlignRight, bold);
    pt.text(Left, Top + 6, 120, report.company, Qt::AlignLeft, bold);
    pt.text(Left + 120, Top + 6, 60, u"Partita IVA "_qs + report.vatNumber, Qt::AlignRight, normal);
    pt.text(Left, Top + 10.5, 120, page.period, Qt::AlignLeft, normal);
    pt.text(Left + 100, Top + 10.5, 80,
            report.definitive || !report.onRegister ? report.registerName : u"Stampa di prova (non definitiva)"_qs,
            Qt::AlignRight, normal);
    pt.hline(Left, Left + Width, Top + 16.5, 0.4);
}

void drawLine(Painter &pt, const PrintedReport &report, const PrintLine &line, double y)
{
    const QFont normal = font(8);
    const QFont bold = font(8, true);
    switch (line.kind) {
    case PrintLine::Gap:
        return;
    case PrintLine::Text:
        pt.text(Left, y, Width, line.cells.empty() ? QString() : line.cells.front().text, Qt::AlignLeft, normal);
        return;
    case PrintLine::Section:
        pt.text(Left, y, Width, line.cells.empty() ? QString() : line.cells.front().text, Qt::AlignLeft, font(9, true));
        return;
    case PrintLine::Heading:
    case PrintLine::Row:
    case PrintLine::Total:
        break;
    }
    const std::vector<PrintColumn> &columns = report.tables.at(line.table);
    if (line.kind == PrintLine::Heading)
        pt.fill(Left, y, Width, Pitch, QColor(225, 225, 225));
    if (line.kind == PrintLine::Total)
        pt.hline(Left, Left + Width, y, 0.2);
    double x = Left;
    for (size_t c = 0; c < columns.size(); ++c) {
        const QString text = c < line.cells.size() ? line.cells[c].text : QString();
        const Qt::Alignment align = columns[c].amount ? Qt::AlignRight : Qt::AlignLeft;
        pt.text(x, y, columns[c].width, text, align, line.kind == PrintLine::Row ? normal : bold);
        x += columns[c].width;
    }
}

} // namespace

void renderReport(const PrintedReport &report, QPagedPaintDevice &device,
                  const std::function<void(int page, int pages)> &progress)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&device))
        throw std::runtime_error("Impossibile avviare la stampa.");
    Painter pt(painter, device.logicalDpiX() / 25.4);
    for (size_t i = 0; i < report.pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        const PrintedPage &page = report.pages[i];
        drawHeader(pt, report, page);
        double y = BodyTop;
        for (const PrintLine &line : page.lines) {
            drawLine(pt, report, line, y);
            y += Pitch;
        }
        if (progress)
            progress(int(i) + 1, report.pageCount());
    }
    painter.end();
}

void writePdf(const PrintedReport &report, WholeFile &file, const std::function<void(int page, int pages)> &progress)
{
    {
        // QPdfWriter says nothing when it cannot write: the file's own errors are looked at
        // when it is finished.
        QPdfWriter writer(&file.device());
        writer.setResolution(300);
        writer.setCreator(u"Liquidazione I.V.A."_qs);
        writer.setTitle(report.title);
        renderReport(report, writer, progress);
    }
    file.finish();
}

void writePdf(const PrintedReport &report, const QString &fileName,
              const std::function<void(int page, int pages)> &progress)
{
    WholeFile file(fileName, WholeFile::Replace::Yes);
    writePdf(report, file, progress);
    file.commit();
}

} // namespace liqiva
