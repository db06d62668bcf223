#include "domain/printing/SettlementReport.h"

#include "domain/communication/F24Lines.h"
#include "domain/document/SettlementDocument.h"
#include "database/Connection.h"
#include "database/SqlValue.h"

namespace liqiva {

namespace {

// The detail tables in print order, with their titles.
struct GridTitle {
    const char *grid;
    const char *title;
};
const GridTitle gridTitles[] = {
    {Grid::Acquisti, "Acquisti vari"},
    {Grid::AcquistiSosp, "Acquisti con IVA non esigibile"},
    {Grid::PagamentiSosp, "Pagamento fatture DPR 633/72"},
    {Grid::AcquistiSplit, "Acquisti con Split Payment"},
    {Grid::Vendite, "Fatture emesse"},
    {Grid::VenditeSosp, "Fatture con IVA non esigibile"},
    {Grid::IncassoSosp, "Incassi fatture DPR 633/72"},
    {Grid::AutoCEE, "Autofatture CEE"},
    {Grid::AutoReverse, "Autofatture reverse charge"},
    {Grid::VenditeSplit, "Fatture con Split Payment"},
    {Grid::VenditeSospSplit, "Fatture sospese Split Payment"},
    {Grid::IncassoSospSplit, "Incassi fatture sospese Split Payment"},
    {Grid::Corrispettivi, "Corrispettivi"},
    {Grid::CorrispettiviDaVentilare, "Corrispettivi da ventilare"},
    {Grid::AltreOperazioni, "Altre operazioni a debito"},
};

const QString percentHeading = u"% Rip."_qs;

bool hasRows(const DetailGrid &g)
{
    for (const GridLine &l : g.lines)
        if (!l.total)
            return true;
    return false;
}

void addGrid(PageBuilder &pages, const DetailGrid &grid, const QString &title, bool euro)
{
    std::vector<PrintColumn> columns;
    const int amounts = int(grid.headings.size()) - 1;
    // 180 mm: the description takes what the amounts leave.
    // A percentage takes less room than an amount.
    const int amountWidth = amounts > 3 ? 26 : 32;
    const int percentWidth = 16;
    int description = 180;
    for (int c = 1; c < grid.headings.size(); ++c)
        description -= grid.headings.at(c) == percentHeading ? percentWidth : amountWidth;
    columns.push_back({grid.headings.value(0), description, false});
    for (int c = 1; c < grid.headings.size(); ++c)
        columns.push_back(
            {grid.headings.at(c), grid.headings.at(c) == percentHeading ? percentWidth : amountWidth, true});
    pages.section(title, columns);
    for (const GridLine &line : grid.lines) {
        std::vector<PrintCell> cells{textCell(line.description)};
        for (int c = 0; c < amounts; ++c) {
            const std::optional<Money> v = c < int(line.amounts.size()) ? line.amounts[c] : std::nullopt;
            cells.push_back(grid.headings.value(c + 1) == percentHeading ? percentCell(v)
                                                                         : amountCell(v, euro));
        }
        if (line.total)
            pages.total(cells);
        else
            pages.row(cells);
    }
}

void addSummary(PageBuilder &pages, const QString &title, const std::vector<SummaryLine> &lines, bool euro)
{
    pages.section(title, {{u"Descrizione"_qs, 140, false}, {u"Importo"_qs, 40, true}});
    for (const SummaryLine &l : lines) {
        const bool total = l.description.startsWith(u"Totale"_qs) || l.description.startsWith(u"Tot da versare"_qs);
        std::vector<PrintCell> cells{textCell(l.description), amountCell(l.amount, euro)};
        if (total)
            pages.total(cells);
        else
            pages.row(cells);
    }
}

QString placeText(const Payment &p)
{
    switch (p.place) {
    case PaymentPlace::Bank:
        return QStringLiteral("Banca ABI %1 CAB %2").arg(p.abi, p.cab);
    case PaymentPlace::CollectionAgent:
        return QStringLiteral("Concessione %1").arg(p.codiceConcessione);
    case PaymentPlace::PostOffice:
        return u"Ufficio postale"_qs;
    case PaymentPlace::None:
        break;
    }
    return {};
}

void addPayment(PageBuilder &pages, const QString &what, const Payment &p, bool euro)
{
    pages.row({textCell(what), textCell(p.dataVersamento ? p.dataVersamento->toString(u"dd/MM/yyyy"_qs) : QString()),
               textCell(placeText(p)), amountCell(p.importo, euro)});
}

} // namespace

CompanyHeading readCompanyHeading(Connection &db, int idAzienda)
{
    Recordset rs =
        db.openRecordset(u"SELECT Azienda.Azienda, Anagrafica.PartitaIva FROM Azienda LEFT JOIN Anagrafica"
                         u" ON Azienda.IDAnagrafica = Anagrafica.IDAnagrafica WHERE Azienda.IDAzienda = ?"_qs,
                         {sqlValue(idAzienda)});
    if (rs.eof())
        return {};
    return {rs.text(u"Azienda"_qs), rs.text(u"PartitaIva"_qs)};
}

QString settlementCaption(const SettlementDocument &doc)
{
    return doc.periodText() + u" - "_qs + doc.lblAttivita().section(u": "_qs, 1);
}

void addSettlementPages(PageBuilder &pages, const SettlementDocument &doc)
{
    const bool euro = doc.euro();
    pages.startPart(settlementCaption(doc));
    for (const QString &label : {doc.lblPeriodoIva(), doc.lblPeriodo(), doc.lblTipoLiquidazione(), doc.lblAttivita()})
        pages.text(label);

    for (const GridTitle &t : gridTitles) {
        const DetailGrid *grid = doc.report().grid(QString::fromLatin1(t.grid));
        if (!grid)
            continue;
        const bool always = QLatin1String(t.grid) == QLatin1String(Grid::Acquisti) ||
                            QLatin1String(t.grid) == QLatin1String(Grid::Vendite);
        if (always || hasRows(*grid))
            addGrid(pages, *grid, QString::fromUtf8(t.title), euro);
    }

    addSummary(pages, u"Riepilogo IVA a credito"_qs, doc.report().credito, euro);
    addSummary(pages, u"Riepilogo IVA a debito"_qs, doc.report().debito, euro);

    const DeclarationGrid &g = doc.declaration();
    pages.section(u"Liquidazione"_qs,
                  {{u"Descrizione"_qs, 110, false}, {u"Debiti"_qs, 35, true}, {u"Crediti"_qs, 35, true}});
    for (int r = 0; r < DeclarationGrid::RowCount; ++r) {
        std::vector<PrintCell> cells{textCell(DeclarationGrid::rowCaptions().value(r)),
                                     amountCell(g.debitCell(r), euro), amountCell(g.creditCell(r), euro)};
        if (r == DeclarationGrid::IvaDebitoCreditoPeriodo || r == DeclarationGrid::IvaDovutaCreditoPeriodo)
            pages.total(cells);
        else
            pages.row(cells);
    }
    pages.section(u"Importi"_qs, {{u"Descrizione"_qs, 145, false}, {u"Importo"_qs, 35, true}});
    const std::pair<QString, Money> closing[] = {
        {doc.amountToPayCaption(), doc.importoDaVersare()},
        {u"Interessi annuali dovuti:"_qs, doc.interessiAnnuali()},
        {u"Credito residuo:"_qs, doc.creditoResiduo()},
        {u"Credito infrannuale compensato in F24:"_qs, doc.creditoInfrannualeF24()},
        {u"Credito infrannuale chiesto a rimborso:"_qs, doc.creditoInfrannualeRimborso()},
    };
    for (const auto &[caption, value] : closing)
        pages.row({textCell(caption), amountCell(value, euro)});

    const PaymentData &pay = doc.payments();
    pages.section(
        u"Dati versamento"_qs,
        {{u"Versamento"_qs, 45, false}, {u"Data"_qs, 30, false}, {u"Presso"_qs, 70, false}, {u"Importo"_qs, 35, true}});
    addPayment(pages, u"Versamento periodico"_qs, pay.periodic, euro);
    if (pay.advanceEnabled)
        addPayment(pages, u"Versamento in acconto"_qs, pay.advance, euro);

    // The lines of the F24 form for what the settlement leaves to pay (the form is in euro:
    // none in the lire years).
    if (doc.identity().lireRules() || doc.key() <= 0)
        return;
    const std::vector<F24Line> lines = f24Lines(doc.f24Input());
    if (lines.empty())
        return;
    pages.section(u"Modello F24 - Sezione Erario"_qs, {{u"Codice tributo"_qs, 28, false},
                                                       {u"Anno rif."_qs, 22, false},
                                                       {u"Descrizione"_qs, 70, false},
                                                       {u"Importi a debito"_qs, 30, true},
                                                       {u"Importi a credito"_qs, 30, true}});
    Money debit, credit;
    for (const F24Line &l : lines) {
        pages.row(
            {textCell(l.codiceTributo), textCell(QString::number(l.annoRiferimento)), textCell(l.descrizione),
             amountCell(l.importoDebito.isZero() ? std::nullopt : std::optional<Money>(l.importoDebito), true),
             amountCell(l.importoCredito.isZero() ? std::nullopt : std::optional<Money>(l.importoCredito), true)});
        debit += l.importoDebito;
        credit += l.importoCredito;
    }
    pages.total({textCell(u"Totale"_qs), textCell({}), textCell({}), amountCell(debit, true),
                 credit.isZero() ? textCell({}) : amountCell(credit, true)});
    if (!credit.isZero())
        pages.total({textCell(u"Saldo (A - B)"_qs), textCell({}), textCell({}), amountCell(debit - credit, true),
                     textCell({})});
}

} // namespace liqiva
