#pragma once

#include "suite/Money.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace liqiva {

// A cell of a printed line: its text as printed and, for an amount, the amount itself (the
// spreadsheet export writes numbers, not text).
struct PrintCell {
    QString text;
    std::optional<Money> amount;
};

// A column of a printed table; widths in millimetres of the A4 page's 180 mm of text width.
struct PrintColumn {
    QString heading;
    int width = 30;
    bool amount = true;
};

struct PrintLine {
    enum Kind { Section, Heading, Row, Total, Text, Gap };
    Kind kind = Row;
    int table = -1; // index into PrintedReport::tables for Heading, Row and Total
    std::vector<PrintCell> cells;
    // The section title and headings a table repeats at the top of the next page: a page's
    // furniture, which an export that flows without pages leaves out.
    bool repeated = false;
};

struct PrintedPage {
    QString period; // the settlement the page belongs to, in the page header
    std::vector<PrintLine> lines;
    int number = 0; // the number printed on the page
};

// What goes on the pages of a report, already cut into pages: every page has the same number
// of lines at a fixed pitch, so the page count is known before anything is drawn, and the
// drawing cannot change it.
// A settlement the pages were made from, as it was when it was read: its key and the row's
// identity and last change, so that a definitive print records nothing for a settlement that
// was deleted or saved again meanwhile.
struct PrintedSource {
    int key = 0;
    QString row; // period, state and last change of the row; empty when it was not there
};

struct PrintedReport {
    static constexpr int LinesPerPage = 56;

    QString title;     // "Liquidazione I.V.A." or "Riepilogo I.V.A."
    QString company;   // name of the company
    QString vatNumber; // its VAT number
    QString registerName;
    int year = 0;
    bool printTheYear = false;
    bool definitive = false;
    // A print for the VAT register (the settlement, the summary); the declaration forms are not.
    bool onRegister = true;
    bool euro = true;
    std::vector<std::vector<PrintColumn>> tables;
    std::vector<PrintedPage> pages;
    std::vector<PrintedSource> sources;

    int pageCount() const { return int(pages.size()); }
    // The settlement of the first page, empty for a report without pages.
    QString firstPeriod() const { return pages.empty() ? QString() : pages.front().period; }
    // The numbers printed on the first and the last page, 0 for a report without pages.
    int firstPageNumber() const { return pages.empty() ? 0 : pages.front().number; }
    int lastPageNumber() const { return pages.empty() ? 0 : pages.back().number; }
    // Numbers the pages from first on.
    void numberFrom(int first);
    // The page number as printed: "Pagina 25", or "Pagina 2024/25" on a register that prints
    // the year with the page number.
    QString pageLabel(const PrintedPage &page) const;
};

// Builds a report line by line and cuts it into pages: a table never starts at the foot of a
// page without at least one row under its headings, and a table that goes on to the next
// page repeats its section title and its headings there.
class PageBuilder {
public:
    explicit PageBuilder(PrintedReport &report) : m_report(report) {}

    // A new page for the next part (a settlement of a summary, a new settlement of a print).
    void startPart(const QString &period);
    void text(const QString &text);
    void gap();
    // A section: its title and a table with these columns.
    void section(const QString &title, const std::vector<PrintColumn> &columns);
    void row(const std::vector<PrintCell> &cells);
    void total(const std::vector<PrintCell> &cells);
    void finish();

private:
    PrintedPage &page();
    void newPage();
    int linesLeft() const;
    void add(PrintLine line);
    void tableLine(PrintLine::Kind kind, const std::vector<PrintCell> &cells);

    PrintedReport &m_report;
    QString m_period;
    QString m_sectionTitle;
    int m_table = -1;
    bool m_open = false;
};

// An amount as the settlement window shows it: Italian separators, two decimals in euro,
// none in lire; an empty cell for no amount.
PrintCell amountCell(std::optional<Money> value, bool euro);
PrintCell percentCell(std::optional<Money> value);
PrintCell textCell(const QString &text);

} // namespace liqiva
