#include "domain/printing/PrintedReport.h"

#include "domain/document/InputText.h"

namespace liqiva {

void PrintedReport::numberFrom(int first)
{
    for (PrintedPage &p : pages)
        p.number = first++;
}

QString PrintedReport::pageLabel(const PrintedPage &page) const
{
    return printTheYear ? QStringLiteral("Pagina %1/%2").arg(year).arg(page.number)
                        : QStringLiteral("Pagina %1").arg(page.number);
}

PrintedPage &PageBuilder::page()
{
    if (!m_open)
        newPage();
    return m_report.pages.back();
}

void PageBuilder::newPage()
{
    PrintedPage p;
    p.period = m_period;
    m_report.pages.push_back(p);
    m_open = true;
}

int PageBuilder::linesLeft() const
{
    return m_open ? PrintedReport::LinesPerPage - int(m_report.pages.back().lines.size()) : PrintedReport::LinesPerPage;
}

void PageBuilder::add(PrintLine line)
{
    if (linesLeft() <= 0)
        newPage();
    // A gap at the head of a page is wasted room.
    if (line.kind == PrintLine::Gap && page().lines.empty())
        return;
    page().lines.push_back(std::move(line));
}

void PageBuilder::startPart(const QString &period)
{
    m_period = period;
    m_table = -1;
    if (m_open && m_report.pages.back().lines.empty())
        m_report.pages.back().period = period;
    else
        newPage();
}

void PageBuilder::text(const QString &text)
{
    m_table = -1;
    add({PrintLine::Text, -1, {textCell(text)}});
}

void PageBuilder::gap()
{
    add({PrintLine::Gap, -1, {}});
}

void PageBuilder::section(const QString &title, const std::vector<PrintColumn> &columns)
{
    m_report.tables.push_back(columns);
    m_table = int(m_report.tables.size()) - 1;
    m_sectionTitle = title;
    // Title, headings and one row stay together (with the gap before them).
    if (linesLeft() < 4)
        newPage();
    gap();
    add({PrintLine::Section, m_table, {textCell(title)}});
    std::vector<PrintCell> headings;
    for (const PrintColumn &c : columns)
        headings.push_back(textCell(c.heading));
    add({PrintLine::Heading, m_table, headings});
}

void PageBuilder::tableLine(PrintLine::Kind kind, const std::vector<PrintCell> &cells)
{
    if (linesLeft() <= 0 && m_table >= 0) {
        newPage();
        add({PrintLine::Section, m_table, {textCell(m_sectionTitle + u" (segue)"_qs)}, true});
        std::vector<PrintCell> headings;
        for (const PrintColumn &c : m_report.tables[m_table])
            headings.push_back(textCell(c.heading));
        add({PrintLine::Heading, m_table, headings, true});
    }
    add({kind, m_table, cells});
}

void PageBuilder::row(const std::vector<PrintCell> &cells)
{
    tableLine(PrintLine::Row, cells);
}

void PageBuilder::total(const std::vector<PrintCell> &cells)
{
    tableLine(PrintLine::Total, cells);
}

void PageBuilder::finish()
{
    if (m_report.pages.empty())
        newPage();
}

PrintCell amountCell(std::optional<Money> value, bool euro)
{
    if (!value)
        return {};
    return {formatAmount(*value, euro), value};
}

PrintCell percentCell(std::optional<Money> value)
{
    if (!value)
        return {};
    return {formatPercent(Percent::fromMoney(*value)), value};
}

PrintCell textCell(const QString &text)
{
    return {text, std::nullopt};
}

} // namespace liqiva
