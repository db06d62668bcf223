#include "render/ReportExport.h"

#include "render/PageRenderer.h"
#include "suite/Refusal.h"
#include "suite/WholeFile.h"

#include <QFile>
#include <QHash>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextTable>
#include <list>
#include <optional>
#include <stdexcept>
#include <xlsxwriter.h>
#include <zip.h>

namespace liqiva {

namespace {

[[noreturn]] void cannotWrite(const QString &fileName, const QString &why)
{
    throw Refusal(WholeFile::msgCannotWrite(fileName, why));
}

// The report as one rich-text document: a heading per settlement, a table per section, the
// pages of the print as page breaks.
void fillDocument(const PrintedReport &report, QTextDocument &doc)
{
    QTextCursor c(&doc);
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat title = bold;
    title.setFontPointSize(14);

    c.insertText(report.title, title);
    c.insertBlock();
    c.insertText(report.company + (report.vatNumber.isEmpty() ? QString() : u" - Partita IVA "_qs + report.vatNumber),
                 plain);
    QTextTable *table = nullptr;
    int tableIndex = -1;
    QString period;
    for (const PrintedPage &page : report.pages) {
        if (page.period != period) {
            period = page.period;
            c.movePosition(QTextCursor::End);
            QTextBlockFormat heading;
            heading.setTopMargin(12);
            c.insertBlock(heading);
            c.insertText(period, bold);
            table = nullptr;
        }
        for (const PrintLine &line : page.lines) {
            if (line.repeated)
                continue; // the text flows on: no page, no repeated title
            switch (line.kind) {
            case PrintLine::Section:
            case PrintLine::Text: {
                c.movePosition(QTextCursor::End);
                QTextBlockFormat block;
                block.setTopMargin(line.kind == PrintLine::Section ? 8 : 0);
                c.insertBlock(block);
                for (const PrintCell &cell : line.cells)
                    c.insertText(cell.text + u' ', line.kind == PrintLine::Section ? bold : plain);
                table = nullptr;
                break;
            }
            case PrintLine::Gap:
                break;
            case PrintLine::Heading:
                if (table && tableIndex == line.table)
                    break; // the headings repeated on the next page
                [[fallthrough]];
            case PrintLine::Row:
            case PrintLine::Total: {
                const auto &columns = report.tables.at(std::size_t(line.table));
                if (!table || tableIndex != line.table) {
                    c.movePosition(QTextCursor::End);
                    QTextTableFormat format;
                    format.setCellPadding(2);
                    format.setBorder(0.5);
                    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
                    table = c.insertTable(1, int(columns.size()), format);
                    tableIndex = line.table;
                    for (int k = 0; k < int(columns.size()); ++k)
                        table->cellAt(0, k).firstCursorPosition().insertText(columns[std::size_t(k)].heading, bold);
                    if (line.kind == PrintLine::Heading)
                        break;
                }
                table->appendRows(1);
                const int r = table->rows() - 1;
                for (int k = 0; k < int(line.cells.size()) && k < int(columns.size()); ++k) {
                    QTextCursor cell = table->cellAt(r, k).firstCursorPosition();
                    if (columns[std::size_t(k)].amount) {
                        QTextBlockFormat right;
                        right.setAlignment(Qt::AlignRight);
                        cell.setBlockFormat(right);
                    }
                    cell.insertText(line.cells[std::size_t(k)].text, line.kind == PrintLine::Total ? bold : plain);
                }
                break;
            }
            }
        }
    }
}

void writeText(const PrintedReport &report, WholeFile &file, const QByteArray &format)
{
    QTextDocument doc;
    fillDocument(report, doc);
    // The title of the page (the browser's tab): the report, the company, the settlement.
    QString title = report.title + u" - "_qs + report.company;
    if (const QString period = report.firstPeriod(); !period.isEmpty())
        title += u" - "_qs + period;
    doc.setMetaInformation(QTextDocument::DocumentTitle, title);
    if (format == "html") {
        file.write(doc.toHtml().toUtf8());
    } else {
        QTextDocumentWriter writer(&file.device(), format);
        if (!writer.write(&doc))
            cannotWrite(file.target(), file.device().errorString());
    }
    file.finish();
}

// ---- exact numbers in the spreadsheet -----------------------------------------------------
//
// The spreadsheet library takes a number as a double and writes it with 16 significant
// digits, so an amount such as 9962.36 reaches the file as 9962.360000000001, and an amount
// of more than 15 digits loses its last decimals. Once the workbook is written, the value of
// every amount cell is written again as the amount's exact decimal (the file keeps numbers
// as text); the other numbers of the sheet (the indexes of its shared texts) with 15
// significant digits; every other part of the archive stays as the library wrote it.

// The amounts of the sheet by cell ("B7"), as exact decimals.
using SheetAmounts = QHash<QByteArray, QByteArray>;

QByteArray cellName(lxw_row_t row, lxw_col_t col)
{
    QByteArray letters;
    for (unsigned c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(char('A' + (c - 1) % 26));
    return letters + QByteArray::number(qulonglong(row) + 1);
}

// The values of a sheet's cells: amounts exact, other numbers with 15 significant digits.
QByteArray exactValues(const QByteArray &sheet, const SheetAmounts &amounts)
{
    QByteArray out;
    out.reserve(sheet.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = sheet.indexOf("<v>", from);
        if (open < 0)
            break;
        const qsizetype close = sheet.indexOf("</v>", open);
        if (close < 0)
            break;
        const QByteArray value = sheet.mid(open + 3, close - open - 3);
        // the cell the value belongs to: <c r="B7" ...><v>
        QByteArray cell;
        const qsizetype at = sheet.lastIndexOf("<c r=\"", open);
        if (at >= from) {
            const qsizetype end = sheet.indexOf('"', at + 6);
            if (end > at && end < open)
                cell = sheet.mid(at + 6, end - at - 6);
        }
        out.append(sheet.mid(from, open + 3 - from));
        const auto amount = amounts.constFind(cell);
        bool ok = false;
        const double d = amount == amounts.constEnd() ? value.toDouble(&ok) : 0.0;
        out.append(amount != amounts.constEnd() ? *amount : ok ? QByteArray::number(d, 'g', 15) : value);
        from = close;
    }
    out.append(sheet.mid(from));
    return out;
}

// Rewrites the sheets of the workbook inside its archive (libzip); false when the archive
// cannot be read or written again.
bool rewriteSheetNumbers(const QString &fileName, const SheetAmounts &amounts)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(fileName).constData(), 0, &error);
    if (!archive)
        return false;
    std::list<QByteArray> sheets; // the archive reads them when it is closed
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        const QByteArray name(zip_get_name(archive, zip_uint64_t(i), 0));
        if (!name.startsWith("xl/worksheets/sheet") || !name.endsWith(".xml"))
            continue;
        zip_stat_t stat;
        zip_file_t *file = nullptr;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
            !(file = zip_fopen_index(archive, zip_uint64_t(i), 0))) {
            zip_discard(archive);
            return false;
        }
        QByteArray sheet(qsizetype(stat.size), Qt::Uninitialized);
        const zip_int64_t read = zip_fread(file, sheet.data(), stat.size);
        zip_fclose(file);
        if (read != zip_int64_t(stat.size)) {
            zip_discard(archive);
            return false;
        }
        sheets.push_back(exactValues(sheet, amounts));
        zip_source_t *source =
            zip_source_buffer(archive, sheets.back().constData(), zip_uint64_t(sheets.back().size()), 0);
        if (!source || zip_file_replace(archive, zip_uint64_t(i), source, 0) != 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

void writeXlsx(const PrintedReport &report, WholeFile &file)
{
    // The library writes the workbook by name when it is closed: into the temporary file,
    // and what it says at the close decides.
    const QString fileName = file.target();
    const QByteArray path = QFile::encodeName(file.temporaryPath());
    lxw_workbook *book = workbook_new(path.constData());
    if (!book)
        cannotWrite(fileName, u"workbook"_qs);
    lxw_worksheet *sheet = workbook_add_worksheet(book, report.title.left(31).toUtf8().constData());
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format *amount = workbook_add_format(book);
    format_set_num_format(amount, report.euro ? "#,##0.00" : "#,##0");
    lxw_format *total = workbook_add_format(book);
    format_set_num_format(total, report.euro ? "#,##0.00" : "#,##0");
    format_set_bold(total);
    worksheet_set_column(sheet, 0, 0, 48, nullptr);
    worksheet_set_column(sheet, 1, 8, 16, nullptr);

    lxw_row_t row = 0;
    SheetAmounts amounts;
    auto text = [&](lxw_col_t col, const QString &s, lxw_format *f) {
        worksheet_write_string(sheet, row, col, s.toUtf8().constData(), f);
    };
    text(0, report.title, bold);
    ++row;
    text(0, report.company, nullptr);
    text(1, report.vatNumber, nullptr);
    row += 2;
    QString period;
    int lastTable = -1;
    for (const PrintedPage &page : report.pages) {
        if (page.period != period) {
            period = page.period;
            text(0, period, bold);
            ++row;
        }
        for (const PrintLine &line : page.lines) {
            if (line.kind == PrintLine::Gap || line.repeated)
                continue;
            if (line.kind == PrintLine::Heading && line.table == lastTable)
                continue; // repeated on a new page
            if (line.kind == PrintLine::Heading)
                lastTable = line.table;
            if (line.kind == PrintLine::Section || line.kind == PrintLine::Text)
                lastTable = -1;
            const bool strong = line.kind != PrintLine::Row && line.kind != PrintLine::Text;
            for (lxw_col_t k = 0; k < lxw_col_t(line.cells.size()); ++k) {
                const PrintCell &cell = line.cells[k];
                if (cell.amount) {
                    // the library's double is replaced by the exact amount afterwards
                    worksheet_write_number(sheet, row, k, cell.amount->toDouble(),
                                           line.kind == PrintLine::Total ? total : amount);
                    amounts.insert(cellName(row, k), cell.amount->toString().toLatin1());
                } else if (!cell.text.isEmpty())
                    text(k, cell.text, strong ? bold : nullptr);
            }
            ++row;
        }
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        cannotWrite(fileName, QString::fromUtf8(lxw_strerror(closed)));
    if (!rewriteSheetNumbers(file.temporaryPath(), amounts))
        cannotWrite(fileName, u"numeri del foglio"_qs);
    file.finish();
}

} // namespace

namespace {

// Each format with its suffix and the filter of the file dialog that saves it.
struct FormatNames {
    ExportFormat format;
    QStringView suffix;
    QStringView filter;
};
constexpr FormatNames formatNames[] = {
    {ExportFormat::Pdf, u"pdf", u"Documento PDF (*.pdf)"},
    {ExportFormat::Html, u"html", u"Pagina HTML (*.html)"},
    {ExportFormat::Odt, u"odt", u"Documento di testo (*.odt)"},
    {ExportFormat::Xlsx, u"xlsx", u"Foglio di calcolo (*.xlsx)"},
};

const FormatNames &namesOf(ExportFormat format)
{
    for (const FormatNames &n : formatNames)
        if (n.format == format)
            return n;
    return formatNames[0];
}

} // namespace

std::optional<ExportFormat> exportFormatOf(const QString &word)
{
    const QString w = word.toLower();
    if (w == u"htm"_qs)
        return ExportFormat::Html;
    for (const FormatNames &n : formatNames)
        if (w == n.suffix)
            return n.format;
    return std::nullopt;
}

QString exportSuffix(ExportFormat format)
{
    return namesOf(format).suffix.toString();
}

QString exportFileFilter(ExportFormat format)
{
    return namesOf(format).filter.toString();
}

void exportReport(const PrintedReport &report, ExportFormat format, WholeFile &file)
{
    switch (format) {
    case ExportFormat::Pdf:
        writePdf(report, file);
        return;
    case ExportFormat::Html:
        writeText(report, file, "html");
        return;
    case ExportFormat::Odt:
        writeText(report, file, "odf");
        return;
    case ExportFormat::Xlsx:
        writeXlsx(report, file);
        return;
    }
}

QString defaultExportName(const PrintedReport &report, ExportFormat format)
{
    QString name = report.title + u' ' + report.company + u' ' + report.firstPeriod();
    for (QChar &ch : name)
        if (!ch.isLetterOrNumber() && ch != u'-')
            ch = u'_';
    while (name.contains(u"__"_qs))
        name.replace(u"__"_qs, u"_"_qs);
    return name + u'.' + exportSuffix(format);
}

} // namespace liqiva
