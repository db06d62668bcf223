// The VAT counters of a demo company: monthly totals per VAT code, counter kind and branch,
// built from a table of lines (what the bookkeeping of each activity records every month)
// with seasonal factors and a yearly growth. No random numbers: every amount is
//
//     taxable = base x season[month] x growth[year] x company factor, rounded to the cent
//     VAT     = taxable x rate / 100, rounded to the cent (half away from zero)
//
// For the receipts (kind 5) the base is the gross amount, split as the register splits it:
// VAT = gross x rate / (100 + rate), taxable = gross - VAT. The receipts to be split by
// rate (kind 6) hold the gross amount as taxable and no VAT. The December advance rows
// (AccontoIva 1, IDMese 12) hold the operations up to 20 December: 20/31 of December.

#include "domain/demo/DemoData.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "suite/Rounding.h"

#include <array>
#include <cmath>
#include <map>

namespace liqiva::demo {

namespace {

// The demo's counters are made with binary arithmetic from seasons and growth rates; their
// cents are rounded half away from zero after the binary noise of the product is cleaned,
// always the same way, so that the demo's figures never move.
double roundEuro(double value)
{
    long double q = static_cast<long double>(value) * 100.0L;
    q = std::round(q * 1e9L) / 1e9L;
    const long double r = q < 0 ? -std::floor(-q + 0.5L) : std::floor(q + 0.5L);
    const double out = static_cast<double>(r / 100.0L);
    return out == 0.0 ? 0.0 : out;
}

// VAT rate of each demo VAT code (DemoCompany.cpp creates the codes).
double rateOf(int iva)
{
    switch (iva) {
    case 1:
    case 7:
    case 8:
    case 11:
    case 16:
    case 17:
        return 22;
    case 2:
    case 12:
    case 14:
        return 10;
    case 3:
        return 5;
    case 4:
    case 13:
    case 15:
        return 4;
    default:
        return 0; // exempt, non-taxable, out of scope, receipts to be split
    }
}

using Season = std::array<double, 12>;
const Season kRetail = {0.92, 0.85, 0.97, 1.00, 1.03, 0.98, 0.95, 0.70, 1.00, 1.04, 1.10, 1.46};
const Season kWholesale = {0.90, 0.95, 1.05, 1.00, 1.05, 1.00, 0.95, 0.60, 1.05, 1.10, 1.10, 1.25};
const Season kTraining = {1.00, 1.10, 1.15, 1.05, 1.00, 0.80, 0.40, 0.10, 0.90, 1.15, 1.20, 0.85};
const Season kHarvest = {0.30, 0.30, 0.50, 0.70, 1.00, 1.30, 1.60, 1.80, 1.70, 1.30, 0.80, 0.50};
const Season kFlat = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

double growth(int year)
{
    return year == 2023 ? 1.00 : year == 2024 ? 1.045 : 1.08;
}

constexpr unsigned kEveryMonth = 0xFFF;
constexpr unsigned month(int m)
{
    return 1u << (m - 1);
}
constexpr unsigned kQuarterEnds = month(3) | month(6) | month(9) | month(12);
constexpr unsigned kQuarterStarts = month(1) | month(4) | month(7) | month(10);

enum Flags { Late = 1, OnlyVentilation = 2, Gross = 4, NoVat = 8, NotInSettlement = 16 };

struct Line {
    int branch; // local branch 1..5 (its activity: kBranchActivity)
    int type;   // IDTipoContatoreIva
    int iva;
    int classConto; // 0 = NULL
    int classCF;    // 0 = NULL
    double base;
    const Season *season;
    unsigned months;
    int flags;
};

// What each activity records. Activity 1 (retail, monthly): branch 1 keeps receipts by rate,
// branch 4 receipts to be split by rate with its purchases of goods for resale as weights.
// Activity 2 (wholesale, quarterly with interest): domestic, export and intra-EU sales,
// intra-EU and reverse-charge self-invoices, split payment, suspended VAT, a late invoice.
// Activity 3 (training, pro-rata): exempt courses and taxable consulting. Activity 4
// (farming, flat-rate compensation, quarterly).
const Line kLines[] = {
    // activity 1, branch 1 (Milano)
    {1, 5, 1, 0, 0, 18400.00, &kRetail, kEveryMonth, Gross},
    {1, 5, 2, 0, 0, 4850.00, &kRetail, kEveryMonth, Gross},
    {1, 5, 4, 0, 0, 1230.00, &kRetail, kEveryMonth, Gross},
    {1, 3, 1, 0, 0, 1150.00, &kRetail, kEveryMonth, 0},
    {1, 2, 1, 7, 0, 3420.50, &kRetail, kEveryMonth, 0},
    {1, 1, 1, 7, 0, 11800.00, &kRetail, kEveryMonth, 0},
    {1, 1, 2, 7, 0, 2950.00, &kRetail, kEveryMonth, 0},
    {1, 1, 4, 7, 0, 780.00, &kRetail, kEveryMonth, 0},
    {1, 1, 1, 1, 0, 2150.00, &kFlat, kEveryMonth, 0},
    {1, 1, 7, 1, 0, 420.00, &kFlat, kEveryMonth, 0},
    {1, 1, 8, 1, 0, 180.00, &kRetail, kEveryMonth, 0},
    // activity 1, branch 4 (Como)
    {4, 6, 18, 0, 0, 14600.00, &kRetail, kEveryMonth, NoVat},
    {4, 4, 1, 0, 0, 640.00, &kRetail, kEveryMonth, 0},
    {4, 1, 11, 7, 0, 7900.00, &kRetail, kEveryMonth, 0},
    {4, 1, 12, 7, 0, 2300.00, &kRetail, kEveryMonth, 0},
    {4, 1, 13, 7, 0, 640.00, &kRetail, kEveryMonth, 0},
    {4, 1, 11, 7, 0, 1250.00, &kFlat, month(5), Late},
    {4, 1, 11, 7, 0, 900.00, &kFlat, month(6), OnlyVentilation},
    {4, 1, 1, 1, 0, 1480.00, &kFlat, kEveryMonth, 0},
    // activity 2, branch 2 (Bergamo)
    {2, 2, 1, 7, 0, 26800.00, &kWholesale, kEveryMonth, 0},
    {2, 2, 2, 7, 0, 4200.00, &kWholesale, kEveryMonth, 0},
    {2, 2, 6, 7, 0, 1800.00, &kFlat, kQuarterEnds, 0},
    {2, 2, 9, 7, 1, 5600.00, &kWholesale, kEveryMonth, 0},
    {2, 2, 1, 7, 6, 3900.00, &kWholesale, kEveryMonth, 0},
    {2, 1, 1, 7, 1, 3900.00, &kWholesale, kEveryMonth, 0},
    {2, 2, 1, 1, 14, 1450.00, &kFlat, kEveryMonth, 0},
    {2, 1, 1, 1, 14, 1450.00, &kFlat, kEveryMonth, 0},
    {2, 12, 1, 7, 0, 2100.00, &kFlat, kEveryMonth, 0},
    {2, 13, 1, 7, 0, 1800.00, &kFlat, kQuarterStarts, 0},
    {2, 14, 1, 7, 0, 1800.00, &kFlat, kQuarterEnds, 0},
    {2, 15, 1, 1, 0, 350.00, &kFlat, month(6) | month(12), 0},
    {2, 7, 1, 7, 0, 2700.00, &kFlat, kEveryMonth, 0},
    {2, 9, 1, 7, 0, 2700.00, &kFlat, kEveryMonth & ~month(1), 0},
    {2, 8, 1, 1, 0, 1100.00, &kFlat, kEveryMonth, 0},
    {2, 10, 1, 1, 0, 1100.00, &kFlat, kEveryMonth & ~month(1), 0},
    {2, 1, 1, 7, 0, 18900.00, &kWholesale, kEveryMonth, 0},
    {2, 1, 2, 7, 0, 3100.00, &kWholesale, kEveryMonth, 0},
    {2, 1, 1, 1, 0, 2600.00, &kFlat, kEveryMonth, 0},
    {2, 1, 1, 10, 0, 12000.00, &kFlat, month(4), 0},
    {2, 1, 1, 1, 0, 980.00, &kFlat, month(2), Late},
    {2, 1, 7, 1, 0, 620.00, &kFlat, kEveryMonth, 0},
    // activity 3, branch 3 (Monza)
    {3, 2, 5, 0, 0, 16500.00, &kTraining, kEveryMonth, 0},
    {3, 2, 1, 0, 0, 7800.00, &kTraining, kEveryMonth, 0},
    {3, 2, 10, 0, 0, 400.00, &kFlat, kQuarterEnds, NotInSettlement},
    {3, 1, 1, 1, 0, 3400.00, &kFlat, kEveryMonth, 0},
    {3, 1, 2, 1, 0, 600.00, &kTraining, kEveryMonth, 0},
    {3, 1, 1, 10, 0, 6500.00, &kFlat, month(9), 0},
    // activity 4, branch 5 (Lodi)
    {5, 2, 14, 7, 0, 9200.00, &kHarvest, kEveryMonth, 0},
    {5, 2, 15, 7, 0, 3100.00, &kHarvest, kEveryMonth, 0},
    {5, 2, 16, 8, 0, 700.00, &kFlat, kEveryMonth, 0},
    {5, 1, 1, 1, 0, 2300.00, &kFlat, kEveryMonth, 0},
    {5, 1, 17, 10, 0, 1500.00, &kFlat, month(3) | month(9), 0},
    {5, 1, 3, 8, 0, 800.00, &kFlat, month(2) | month(5) | month(8) | month(11), 0},
};

struct Amount {
    double taxable = 0;
    double vat = 0;
};

Amount amountOf(const Line &line, double value)
{
    Amount a;
    const double rate = rateOf(line.iva);
    if (line.flags & NoVat) {
        a.taxable = value;
    } else if (line.flags & Gross) {
        a.vat = roundEuro(value * rate / (100 + rate));
        a.taxable = roundEuro(value - a.vat);
    } else {
        a.taxable = value;
        a.vat = roundEuro(value * rate / 100);
    }
    return a;
}

// The month's amount of a line, or the advance part of December.
Amount lineAmount(const Line &line, int year, int m, double factor, bool advance)
{
    double value = roundEuro(line.base * (*line.season)[size_t(m - 1)] * growth(year) * factor);
    if (advance)
        value = roundEuro(value * 20.0 / 31.0);
    return amountOf(line, value);
}

int activityOfLine(const Line &line)
{
    return kBranchActivity[line.branch - 1];
}

} // namespace

int trainingProRata(int year)
{
    if (year < kFirstYear)
        return kFirstProRata;
    // Taxable and exempt operations of the year (sales kinds 2 to 7 of codes that count for
    // the pro-rata), as the pro-rata computation sums them.
    double taxable = 0, exempt = 0;
    for (const Line &line : kLines) {
        if (activityOfLine(line) != 3 || line.type < 2 || line.type > 7 || line.iva == 10)
            continue;
        for (int m = 1; m <= 12; ++m)
            if (line.months & month(m))
                (line.iva == 5 ? exempt : taxable) += lineAmount(line, year, m, 1.0, false).taxable;
    }
    return int(std::lround(taxable / (taxable + exempt) * 100));
}

long long insertCounters(Connection &db, int company, double factor, int firstKey)
{
    BatchInsert batch(
        db, u"ContatoreIva"_qs,
        {u"IDContatoreIva"_qs, u"IDTipoContatoreIva"_qs, u"IDIva"_qs, u"Anno"_qs, u"IDMese"_qs, u"IDFiliale"_qs,
         u"Imponibile"_qs, u"Importo"_qs, u"RiportoSuChiusuraIVA"_qs, u"AcquistiSolaVentilazione"_qs,
         u"IDClassificazioneIvaConto"_qs, u"IDClassificazioneIvaCF"_qs, u"FatturaInRitardo"_qs, u"AccontoIva"_qs},
        db.engine() == Engine::Postgres ? 10000 : 1000,
        {u"integer"_qs, u"integer"_qs, u"integer"_qs, u"smallint"_qs, u"integer"_qs, u"integer"_qs, u"numeric"_qs,
         u"numeric"_qs, u"smallint"_qs, u"smallint"_qs, u"integer"_qs, u"integer"_qs, u"smallint"_qs, u"smallint"_qs});
    int key = firstKey;
    for (int year = kFirstYear; year <= kLastYear; ++year) {
        // The training activity books the undeductible share of its purchase VAT every
        // month (kind 11) at the percentage stored for the year.
        const double undeductible = (100.0 - trainingProRata(year - 1)) / 100.0;
        for (int m = 1; m <= 12; ++m) {
            for (int advance = 0; advance <= (m == 12 ? 1 : 0); ++advance) {
                double trainingPurchaseVat = 0;
                for (const Line &line : kLines) {
                    if (!(line.months & month(m)))
                        continue;
                    const Amount a = lineAmount(line, year, m, factor, advance != 0);
                    if (activityOfLine(line) == 3 && line.type == 1)
                        trainingPurchaseVat += a.vat;
                    batch.add({lit(key++), lit(line.type), lit(line.iva), lit(year), lit(m),
                               lit(branchKey(company, line.branch)), lit(a.taxable), lit(a.vat),
                               lit((line.flags & NotInSettlement) ? 0 : 1), lit((line.flags & OnlyVentilation) ? 1 : 0),
                               litOrNull(line.classConto), litOrNull(line.classCF), lit((line.flags & Late) ? 1 : 0),
                               lit(advance)});
                }
                batch.add({lit(key++), lit(11), lit(1), lit(year), lit(m), lit(branchKey(company, 3)), lit(0.0),
                           lit(roundEuro(trainingPurchaseVat * undeductible)), lit(1), lit(0), nul(), nul(), lit(0),
                           lit(advance)});
            }
        }
    }
    batch.flush();
    return batch.rows();
}

} // namespace liqiva::demo
