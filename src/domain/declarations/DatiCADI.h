#pragma once

#include "suite/Money.h"

namespace liqiva {

// The figures of the annual VAT data communication: totals of the year from the counters
// and the imports the user enters. Values only.
class DatiCADI {
public:
    int IDAttivitaAzienda = 0;
    int IDPeriodoIva = 0;
    Money OperazioniAttive;           // index 0
    Money OperazioniNonImponibili;    // 1
    Money OperazioniEsenti;           // 2
    Money OperazioniIntracomunitarie; // 3
    Money OperazioniBeniStrumentali;  // 12
    Money OperazioniPassive;          // 4
    Money AcquistiNonImponibili;      // 5
    Money AcquistiEsenti;             // 6
    Money AcquistiIntracomunitarie;   // 7
    Money AcquistiBeniStrumentali;    // 13
    Money Imponibile;                 // 8: gold and silver imported without VAT at customs
    Money Imposta;                    // 9
    Money ImponibileRottami;          // 10: scrap and recovered materials
    Money ImpostaRottami;             // 11
    bool EventiEccezionali = false;
    Money IvaEsigibile;
    Money IvaCheSiDetrae;

    // The VAT debit (positive) or credit (negative) of the year.
    Money IvaDebitoCredito() const { return IvaEsigibile - IvaCheSiDetrae; }

    // The fourteen amounts in the order of the window's currency fields (curCADI(0..13)).
    Money byIndex(int index) const;
};

} // namespace liqiva
