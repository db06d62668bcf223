#include "engine/Ventilation.h"

#include "suite/Rounding.h"

#include <QHash>
#include <cmath>

namespace liqiva {

QList<VentilationEntry> mergeVentilationWeights(const QList<VentilationWeight> &weights)
{
    QList<VentilationEntry> entries;
    QHash<int, int> position;
    for (const VentilationWeight &w : weights) {
        if (!(w.totaleAcq > 0))
            continue;
        const int code = w.idIvaVentilazione != 0 ? w.idIvaVentilazione : w.idIva;
        const auto it = position.constFind(code);
        if (it == position.constEnd()) {
            position.insert(code, int(entries.size()));
            VentilationEntry e;
            e.idIva = code;
            e.importo = w.totaleAcq;
            entries.append(e);
        } else {
            entries[*it].importo += w.totaleAcq;
        }
    }
    return entries;
}

bool splitReceipts(QList<VentilationEntry> &entries, double receipts, bool lira)
{
    double total = 0;
    for (const VentilationEntry &e : entries)
        total += e.importo;

    // Shares: to 1e-7 percent, then the digits of share / 100 (nine decimals at most):
    // the first four are the share in hundredths of a percent, the next three the remainder.
    long long sum = 0;
    for (VentilationEntry &e : entries) {
        const double share = roundTo(e.importo / total * 100.0, 1e-7, RoundMode::HalfAwayFromZero);
        const long long units = std::llround(share * 1e7); // share in 1e-7 percent
        if (units >= 1000000000LL) {
            e.prime4CifreDecimali = 10000;
            e.ultime3CifreDecimali = 0;
        } else {
            e.prime4CifreDecimali = int(units / 100000);
            e.ultime3CifreDecimali = int((units / 100) % 1000);
        }
        e.percSuTotale = share;
        sum += e.prime4CifreDecimali;
    }

    if (sum != 10000) {
        int chosen = -1;
        for (qsizetype k = 0; k < entries.size(); ++k) {
            const int r = entries[k].ultime3CifreDecimali;
            if (r != 0 && (chosen < 0 || r > entries[chosen].ultime3CifreDecimali))
                chosen = int(k);
        }
        if (chosen < 0)
            return false;
        entries[chosen].prime4CifreDecimali += int(10000 - sum);
    }

    const double unit = lira ? 1.0 : 0.01;
    double gross = 0;
    for (VentilationEntry &e : entries) {
        e.percSuTotale = e.prime4CifreDecimali / 100.0;
        e.divisionePerAliquota = receipts * e.percSuTotale / 100.0;
        e.importoLordo = roundTo(e.divisionePerAliquota, unit, RoundMode::HalfAwayFromZero);
        gross += e.importoLordo;
    }
    const double difference = roundTo(roundTo(receipts, unit, RoundMode::HalfAwayFromZero) - gross, unit,
                                      RoundMode::HalfAwayFromZero);
    entries.last().importoLordo = roundTo(entries.last().importoLordo + difference, unit, RoundMode::HalfAwayFromZero);

    for (VentilationEntry &e : entries) {
        const double vat = e.importoLordo * e.aliquota / (100.0 + e.aliquota);
        e.imposta = lira ? roundTo(vat, 1.0, RoundMode::HalfUp) : roundTo(vat, 0.01, RoundMode::HalfAwayFromZero);
        e.imponibile = roundTo(e.importoLordo - e.imposta, 0.0001, RoundMode::HalfAwayFromZero);
    }
    return true;
}

} // namespace liqiva
