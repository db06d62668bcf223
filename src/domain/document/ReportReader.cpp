#include "domain/document/ReportReader.h"

#include <cmath>

namespace liqiva {

namespace {

struct GridSource {
    const char *grid;
    const char *description;
    const char *imponibile;
    const char *imposta;
};

// The report grids in the order the fill builds them, with their source columns.
const GridSource gridSources[] = {
    {Grid::Acquisti, "DescrizioneIvaAcquisti", "ImpAcquisti", "IvaAcquisti"},
    {Grid::AcquistiSosp, "DescrizioneIvaAcquisti", "ImpFattAcquistiSospeso", "IvaFattAcquistiSospeso"},
    {Grid::PagamentiSosp, "DescrizioneIvaAcquisti", "ImpPagamentoSospeso", "IvaPagamentoSospeso"},
    {Grid::Vendite, "DescrizioneIvaVendite", "VenditeComplessivoImp", "VenditeComplessivoIva"},
    {Grid::AutoCEE, "DescrizioneIvaVendite", "VenditeComplessivoImpCEE", "VenditeComplessivoIvaCEE"},
    {Grid::AutoReverse, "DescrizioneIvaVendite", "VenditeComplessivoImpReverse", "VenditeComplessivoIvaReverse"},
    {Grid::IncassoSosp, "DescrizioneIvaVendite", "ImpIncassoSospeso", "IvaIncassoSospeso"},
    {Grid::VenditeSosp, "DescrizioneIvaVendite", "ImpFattVenditeSospeso", "IvaFattVenditeSospeso"},
    {Grid::Corrispettivi, "DescrizioneIvaCorr", "ImpCorr", "IvaCorrispettivi"},
    {Grid::CorrispettiviDaVentilare, "DescrizioneIvaCorrDaVentilare", "ImpCorrDaVentilare", "IvaCorrDaVentilare"},
    {Grid::VenditeSplit, "DescrizioneIvaVendite", "VenditeImpSplit", "VenditeIvaSplit"},
    {Grid::VenditeSospSplit, "DescrizioneIvaVendite", "VenditeImpSospesoSplit", "VenditeIvaSospesoSplit"},
    {Grid::IncassoSospSplit, "DescrizioneIvaVendite", "VenditeImpIncSospesoSplit", "VenditeIvaIncSospesoSplit"},
    {Grid::AcquistiSplit, "DescrizioneIvaAcquisti", "ImpAcquistiSplit", "IvaAcquistiSplit"},
};

// The totals lines: grid, caption, header columns.
struct TotalSource {
    const char *grid;
    const char *caption;
    std::vector<const char *> columns;
};

const std::vector<TotalSource> &totalSources()
{
    static const std::vector<TotalSource> totals = {
        {Grid::Acquisti, "Totale acquisti:", {"TotAcquistiImp", "TotAcquistiIva"}},
        {Grid::Acquisti, "IVA indetraibile:", {"ImpAcquistiConIvaIndetraibile", "IvaAcquistiConIvaIndetraibile"}},
        {Grid::AcquistiSosp, "Totale acquisti iva in sospensione:", {"TotAcquistiImpSospeso", "TotAcquistiIvaSospeso"}},
        {Grid::PagamentiSosp,
         "Totale pagamenti fatture di acquisto in sospensione:",
         {"TotAcquistiImpPagSospeso", "TotAcquistiIvaPagSospeso"}},
        {Grid::Vendite, "Totale vendite:", {"TotVenditeComplessivoImp", "TotVenditeComplessivoIva"}},
        {Grid::VenditeSosp, "Totale vendite in sospeso:", {"TotVenditeImpSospeso", "TotVenditeIvaSospeso"}},
        {Grid::IncassoSosp,
         "Totale incassi fatture in sospeso:",
         {"TotVenditeImpIncSospeso", "TotVenditeIvaIncSospeso"}},
        {Grid::AutoCEE, "Totale autofatture CEE:", {"TotVenditeComplessivoImpCEE", "TotVenditeComplessivoIvaCEE"}},
        {Grid::AutoReverse,
         "Totale autofatture reverse charge:",
         {"TotVenditeComplessivoImpReverse", "TotVenditeComplessivoIvaReverse"}},
        {Grid::VenditeSplit, "Totale vendite con split payment:", {"TotVenditeImpSplit", "TotVenditeIvaSplit"}},
        {Grid::AcquistiSplit, "Totale acquisti con split payment:", {"TotAcquistiImpSplit", "TotAcquistiIvaSplit"}},
        {Grid::VenditeSospSplit,
         "Totale vendite split payment in sospeso:",
         {"TotVenditeImpSospesoSplit", "TotVenditeIvaSospesoSplit"}},
        {Grid::IncassoSospSplit,
         "Totale incassi fatture split payment in sospeso:",
         {"TotVenditeImpIncSospesoSplit", "TotVenditeIvaIncSospesoSplit"}},
        {Grid::Corrispettivi, "Totale corrispettivi:", {"TotCorrImp", "TotCorrIva"}},
        {Grid::CorrispettiviDaVentilare,
         "Totale corrispettivi da ventilare:",
         {"TotCorrDaVentilareImp", "TotCorrDaVentilareIva", "TotCorrDaVentilareImportoLordo",
          "TotCorrDaVentilarePercRip", "TotCorrDaVentilareAcquisti"}},
    };
    return totals;
}

std::optional<Money> cell(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    return Money::fromVariant(v);
}

std::optional<Money> cell(const ReportHeader &h, const char *column)
{
    return cell(h.value(QString::fromLatin1(column)));
}

QStringList headingsFor(const QString &grid)
{
    if (grid == QLatin1String(Grid::CorrispettiviDaVentilare))
        return {u"Descrizione I.V.A."_qs, u"Imponibile"_qs, u"Imposta"_qs,
                u"Importo Lordo"_qs,      u"% Rip."_qs,     u"Acquisti"_qs};
    return {u"Descrizione I.V.A."_qs, u"Imponibile"_qs, u"Imposta"_qs};
}

} // namespace

namespace {

// Detail lines: a report row shows in a grid unless its two amounts there cancel out.
void readDetailLines(const ReportRows &rows, ReportView &view)
{
    for (const int idIva : rows.ids()) {
        auto field = [&rows, idIva](const char *column) { return rows.value(idIva, QString::fromLatin1(column)); };
        for (size_t g = 0; g < std::size(gridSources); ++g) {
            const GridSource &s = gridSources[g];
            const Money imp = Money::fromVariant(field(s.imponibile));
            const Money iva = Money::fromVariant(field(s.imposta));
            if ((imp + iva).isZero())
                continue;
            GridLine line{field(s.description).toString(), {imp, iva}, false};
            if (QLatin1String(s.grid) == QLatin1String(Grid::CorrispettiviDaVentilare)) {
                line.amounts.push_back(cell(field("ImpLordoCorrDaVentilare")));
                line.amounts.push_back(cell(field("PercRipCorrDaVentilare")));
                line.amounts.push_back(cell(field("AcquistiCorrDaVentilare")));
            }
            view.grids[g].lines.push_back(std::move(line));
        }
    }
}

void addLine(std::vector<SummaryLine> &to, const ReportHeader &h, const QString &caption, const char *column)
{
    to.push_back({caption, cell(h, column)});
}

// The credit summary, in its fixed order.
void readCreditSummary(const ReportHeader &h, const SummaryInputs &inputs, ReportView &view)
{
    auto add = [&h](std::vector<SummaryLine> &to, const QString &caption, const char *column) {
        addLine(to, h, caption, column);
    };
    add(view.credito, u"Totale IVA su acquisti"_qs, "TotIvaSuAcquisti");
    add(view.credito, u"Credito precedente"_qs, "CreditoPrecedente");
    const std::optional<Money> perc = cell(h, "PercProrata");
    if (perc && *perc != Money::units(100))
        add(view.credito, u"% prorata "_qs + perc->toString().replace(u'.', u','), "ImportoProrata");
    if (!h.amount(u"Art34DPRn63372"_qs).isZero()) {
        view.credito.push_back({u"Compensazione ART.34 DPR 633/72"_qs, std::nullopt});
        for (const auto &g : inputs.compensation) {
            view.credito.push_back(
                {u"Compensazione al "_qs + g.percentualeCompensazione.toString().replace(u'.', u',') + u"%"_qs,
                 std::nullopt});
            view.credito.push_back({u"Totale vendite: "_qs, g.totaleVendite});
            view.credito.push_back({u"IVA detraibile: "_qs, g.ivaDetraibile});
        }
        add(view.credito, u"Totale IVA compensata"_qs, "TotIvaDetraibile");
        add(view.credito, u"Totale IVA su acquisti diversi"_qs, "TotIvaDetraibileSuAcquisti");
    }
    add(view.credito, u"Acconto"_qs, "Acconto");
    if (!inputs.gestioneArt36) {
        const QVariant v = inputs.activityYear.creditoIvaAutotrasportatori;
        view.credito.push_back({u"Credito autotrasportatori"_qs,
                                v.isNull() ? std::optional<Money>() : std::optional<Money>(Money::fromVariant(v))});
    } else {
        add(view.credito, u"Credito autotrasportatori"_qs, "CreditoAutotrasportatori");
    }
    add(view.credito, u"Versamenti effettuati"_qs, "VersamentiEffettuati");
    add(view.credito, u"Interessi trimestrali versati"_qs, "InteressiTrimestraliVersati");
    add(view.credito, u"Totale IVA a credito"_qs, "TotIvaCredito");
    add(view.credito, u"Totale credito"_qs, "TotCredito");
    add(view.credito, u"IVA Split Payment"_qs, "TotAcquistiIvaSplit");
}

// The debit summary.
void readDebitSummary(const ReportHeader &h, ReportView &view)
{
    auto add = [&h](std::vector<SummaryLine> &to, const QString &caption, const char *column) {
        addLine(to, h, caption, column);
    };
    add(view.debito, u"Totale IVA su vendite"_qs, "TotIvaSuVendite");
    add(view.debito, u"IVA Autofatture CEE"_qs, "TotVenditeComplessivoIvaCEE");
    add(view.debito, u"IVA Autofatture reverse charge"_qs, "TotVenditeComplessivoIvaReverse");
    add(view.debito, u"Debito precedente"_qs, "DebitoPrecedente");
    add(view.debito, u"Interessi trimestrali dovuti"_qs, "InteressiTrimestraliDovuti");
    add(view.debito, u"Totale IVA a debito"_qs, "TotIvaDebito");
    add(view.debito, u"IVA Split payment"_qs, "IvaSplitPayment");
    add(view.debito, u"Totale debito"_qs, "TotDebito");
    add(view.debito, u"Interessi 1,50"_qs, "Interessi150");
    add(view.debito, u"Tot da versare"_qs, "TotDaVersare");
}

} // namespace

ReportView reportView(const ReportRows &rows, const ReportHeader &h, const SummaryInputs &inputs)
{
    ReportView view;
    for (const GridSource &s : gridSources)
        view.grids.push_back({QString::fromLatin1(s.grid), headingsFor(QString::fromLatin1(s.grid)), {}});
    view.grids.push_back({QString::fromLatin1(Grid::AltreOperazioni), headingsFor(QString()), {}});
    readDetailLines(rows, view);

    // The figures the declaration grid reads next (SettlementDocument::loadDeclaration).
    for (const char *c : {"TotIvaDebito", "TotIvaCredito", "Acconto", "CreditoAutotrasportatori", "TotAcquistiIvaSplit",
                          "IvaSplitPayment", "DebitoPeriodoPrec", "CreditoPeriodoPrec", "Interessi150"})
        view.header.insert(QString::fromLatin1(c).toLower(), h.value(QString::fromLatin1(c)));
    for (const TotalSource &t : totalSources()) {
        GridLine line{QString::fromUtf8(t.caption), {}, true};
        for (const char *c : t.columns)
            line.amounts.push_back(cell(h, c));
        view.grid(QString::fromLatin1(t.grid))->lines.push_back(std::move(line));
    }

    readCreditSummary(h, inputs, view);
    readDebitSummary(h, view);
    return view;
}

} // namespace liqiva
