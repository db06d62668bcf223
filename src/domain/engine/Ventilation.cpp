#include "domain/engine/Ventilation.h"

#include "suite/Rounding.h"

#include <QHash>

namespace liqiva {

QList<VentilationEntry> mergeVentilationWeights(const QList<VentilationWeight> &weights)
{
    QList<VentilationEntry> entries;
    QHash<int, int> position;
    for (const VentilationWeight &w : weights) {
        if (!(w.totaleAcq > Money()))
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

bool splitReceipts(QList<VentilationEntry> &entries, Money receipts, bool lira)
{
    Money total;
    for (const VentilationEntry &e : entries)
        total += e.importo;

    // Shares: to 1e-7 percent, then the digits of share / 100 (nine decimals at most):
    // the first four are the share in hundredths of a percent, the next three the remainder.
    long long sum = 0;
    for (VentilationEntry &e : entries) {
        const Percent share = Percent::ratio(e.importo, total, Percent::TenMillionth, RoundMode::HalfAwayFromZero);
        const long long units = share.raw() / (Percent::Scale / 10000000); // share in 1e-7 percent
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

    const Step unit = lira ? Step::Lira : Step::Cent;
    Money gross;
    for (VentilationEntry &e : entries) {
        e.percSuTotale = Percent::fromRaw(e.prime4CifreDecimali * (Percent::Scale / 100));
        e.divisionePerAliquota = e.percSuTotale.of(receipts, Step::TenThousandth, RoundMode::HalfAwayFromZero);
        e.importoLordo = e.percSuTotale.of(receipts, unit, RoundMode::HalfAwayFromZero);
        gross += e.importoLordo;
    }
    entries.last().importoLordo += roundTo(receipts, unit, RoundMode::HalfAwayFromZero) - gross;

    for (VentilationEntry &e : entries) {
        e.imposta = lira ? e.aliquota.vatInGross(e.importoLordo, Step::Lira, RoundMode::HalfUp)
                         : e.aliquota.vatInGross(e.importoLordo, Step::Cent, RoundMode::HalfAwayFromZero);
        e.imponibile = e.importoLordo - e.imposta;
    }
    return true;
}

} // namespace liqiva
