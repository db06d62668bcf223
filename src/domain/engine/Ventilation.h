#pragma once

#include "suite/Money.h"
#include "suite/Percent.h"

#include <QList>
#include <QString>

namespace liqiva {

// One row of the ventilation weights query: a VAT code of goods for resale, the code its
// receipts are split under (0 when the code has none) and its purchase weight.
struct VentilationWeight {
    int idIva = 0;
    int idIvaVentilazione = 0;
    Money totaleAcq;
};

// One rate of the split of receipts.
struct VentilationEntry {
    int idIva = 0;                  // the ventilation code
    QString descrizioneIva;
    Percent aliquota;
    Money importo;                  // purchase weight
    Percent percSuTotale;           // share in percent, two decimals after the closing to 100
    int prime4CifreDecimali = 0;    // the share in hundredths of a percent, truncated
    int ultime3CifreDecimali = 0;   // the next three digits: what the truncation left out
    Money divisionePerAliquota;     // the share of the receipts, to four decimals
    Money importoLordo;             // gross receipts of the rate
    Money imponibile;
    Money imposta;
};

// Merges the weights by ventilation code (the code's own when it has none), in first-met
// order; rows whose weight is not above 0 are left out. The entries carry idIva and importo.
QList<VentilationEntry> mergeVentilationWeights(const QList<VentilationWeight> &weights);

// Splits the gross receipts R over the entries (idIva, descrizioneIva, aliquota and importo
// filled): shares to 1e-7 percent, truncated to hundredths and closed to 100 % on the entry
// with the largest remainder (the first among equals); the gross amount of each rate rounded
// to the currency unit, the last entry absorbing the difference to R; VAT taken out of each
// gross amount. Returns false, leaving the entries unsplit, when the shares cannot be closed
// to 100 % (no remainder to round up, or no entries at all).
bool splitReceipts(QList<VentilationEntry> &entries, Money receipts, bool lira);

} // namespace liqiva
