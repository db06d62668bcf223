#pragma once

#include "suite/Money.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QStringList>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

// A line of a detail grid: a description and its amounts (empty cells stay empty).
struct GridLine {
    QString description;
    std::vector<std::optional<Money>> amounts;
    bool total = false;
};

// One of the fifteen detail grids of the settlement, as data: the window only shows it.
struct DetailGrid {
    QString name;       // the control name, e.g. "spdAcquisti"
    QStringList headings;
    std::vector<GridLine> lines;
};

// A line of the credit or the debit summary.
struct SummaryLine {
    QString description;
    std::optional<Money> amount;
};

// Names of the detail grids, in the order the fill builds them.
namespace Grid {
inline constexpr const char *Acquisti = "spdAcquisti";
inline constexpr const char *AcquistiSosp = "spdAcquistiSosp";
inline constexpr const char *PagamentiSosp = "spdPagamentiSosp";
inline constexpr const char *Vendite = "spdVendite";
inline constexpr const char *AutoCEE = "spdAutoCEE";
inline constexpr const char *AutoReverse = "spdAutoReverse";
inline constexpr const char *IncassoSosp = "spdIncassoSosp";
inline constexpr const char *VenditeSosp = "spdVenditeSosp";
inline constexpr const char *Corrispettivi = "spdCorrispettivi";
inline constexpr const char *CorrispettiviDaVentilare = "spdCorrispettiviDaVentilare";
inline constexpr const char *VenditeSplit = "spdVenditeSplit";
inline constexpr const char *VenditeSospSplit = "spdVenditeSospSplit";
inline constexpr const char *IncassoSospSplit = "spdIncassoSospSplit";
inline constexpr const char *AcquistiSplit = "spdAcquistiSplit";
inline constexpr const char *AltreOperazioni = "spdAltreOperazioni";
} // namespace Grid

// The report tables of one settlement read back into grids and summaries.
struct ReportView {
    std::vector<DetailGrid> grids; // the fourteen report grids, then the other operations
    std::vector<SummaryLine> credito;
    std::vector<SummaryLine> debito;
    QHash<QString, QVariant> header; // the header figures the declaration reads, by lower-case name

    const DetailGrid *grid(const QString &name) const;
    DetailGrid *grid(const QString &name);
};

} // namespace liqiva
