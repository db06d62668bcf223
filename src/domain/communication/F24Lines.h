#pragma once

#include "suite/Money.h"

#include <QString>
#include <vector>

namespace liqiva {

class Connection;

// One line of the F24 form, section Erario, for the VAT of a settlement.
struct F24Line {
    QString codiceTributo;   // 6001..6012, 6031..6034, 6013, 6035, 6099
    int annoRiferimento = 0;
    Money importoDebito;     // amount in debit (paid)
    Money importoCredito;    // amount in credit (a credit used in compensation)
    QString descrizione;
};

// What the lines of a settlement depend on.
struct F24Input {
    int anno = 0;
    int idMese = 0;                // 1..12 (a quarter by its last month), 13 the December advance, 0 the year
    bool quarterly = false;        // the activity settles by quarter
    bool interestByOption = false; // quarterly by option, with the interest (else a special quarterly)
    Money daVersare;               // the amount to pay of the settlement (quarterly interest included)
    Money percInteressi = Money::units(1); // the quarterly interest rate, in percent
    Money minimoPeriodico = Money::fromRaw(1000000); // 100,00: not above it, a periodic debt is carried on
    Money minimoAcconto = Money::fromRaw(1032900);   // 103,29: under it, no advance is due
    Money creditoAnnualeCompensato; // the previous year's credit used in compensation in the form
};

// The VAT balance of a year is not due up to this amount.
constexpr Money kMinimoSaldoAnnuale = Money::fromRaw(103300); // 10,33

// The lines of the F24 form for a settlement (nothing when nothing is due):
//  - a month: 6001..6012 of its year, when the debt is above the minimum periodic payment;
//  - quarters 1-3: 6031..6033 (the interest is already in the amount), above the minimum;
//  - quarter 4 by option: with the annual balance, 6099, the VAT plus the interest;
//  - quarter 4 of a special quarterly taxpayer: 6034, no interest;
//  - the December advance: 6013 monthly, 6035 quarterly, from 103,29;
//  - the annual balance: 6099, above 10,33;
//  - the previous year's credit used in compensation: 6099 of the previous year, in credit.
std::vector<F24Line> f24Lines(const F24Input &in);

// Why a settlement with an amount to pay has no line in debit (nothing when it has one, or
// has nothing to pay): the debt not above the minimum periodic payment is carried to the
// next period, the December advance under its minimum and the annual balance up to 10,33
// are not due.
QString f24NothingDueReason(const F24Input &in);

// The input of a settlement (saved or still a working row) from the database: its period,
// the activity's settlement type, the interest rate and the company's minimums, with the
// amount to pay given by the caller (the document's closing amount).
F24Input loadF24Input(Connection &db, int idRisultatoLiquidazioneIva, Money daVersare);

} // namespace liqiva
