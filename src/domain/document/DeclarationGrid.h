#pragma once

#include "suite/Rounding.h"

#include "suite/Money.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace liqiva {

// The declaration grid of a settlement: thirteen rows with a debit and a credit column, in
// the shape of the periodic VAT declaration, and the signed result of the period (credit
// positive) that the closing amounts start from.
class DeclarationGrid {
public:
    static constexpr int RowCount = 13;
    enum Row {
        IvaEsigibile = 0,          // debit: header TotIvaDebito
        IvaDetratta,               // credit: header TotIvaCredito
        IvaAcquistiSplit,          // debit: header TotAcquistiIvaSplit
        IvaVenditeSplit,           // credit: header IvaSplitPayment
        IvaDebitoCreditoPeriodo,   // computed
        VariazioniImposta,         // VarImpoPeriodoPrecDeb / VarImpoPeriodoPrecCre
        IvaNonVersata,             // IvaNoVersataPrec / IvaVersataEccesso
        RiportoPeriodoPrecedente,  // header DebitoPeriodoPrec / CreditoPeriodoPrec
        CreditoInDetrazione,       // credit: CreditoInDetrazione
        IvaDovutaCreditoPeriodo,   // computed
        CreditiSpeciali,           // credit: CreditiSpeciali
        InteressiTrimestrali,      // debit: header Interessi150 (IntTrimDovuti)
        AccontoVersato,            // credit: AccontoVersato
    };

    static const QStringList &rowCaptions();

    // The largest amount a cell accepts ("0" to "9999999999999").
    static constexpr Money MaxCell = Money::units(9999999999999);

    Money debit(int row) const { return m_debit[row].value_or(Money()); }
    Money credit(int row) const { return m_credit[row].value_or(Money()); }
    std::optional<Money> debitCell(int row) const { return m_debit[row]; }
    std::optional<Money> creditCell(int row) const { return m_credit[row]; }
    void setDebit(int row, std::optional<Money> value) { m_debit[row] = value; }
    void setCredit(int row, std::optional<Money> value) { m_credit[row] = value; }

    // Computes the two computed rows and the result, rounding to the currency step:
    //  row 5  = rows 1 and 3 (debit) less rows 2 and 4 (credit): debit when positive, else credit;
    //  row 10 = row 5 plus the debit less the credit of rows 6, 7 and 8, less row 9;
    //  R      = -(row 10 net + row 12 - row 11 - row 13), credit positive.
    void compute(Step currencyStep);

    // Signed values: debit positive.
    Money net(int row) const { return debit(row) - credit(row); }
    // The signed result of the period, credit positive.
    Money result() const { return m_result; }

    // The debt compared with the minimum periodic payment: row 10 debit + row 12 debit
    // - (row 11 credit + row 13 credit).
    Money debtForMinimum() const;
    // The base of the quarterly interest: the debt of row 10 less row 11, when positive.
    Money interestBase(Step currencyStep) const;

private:
    std::array<std::optional<Money>, RowCount> m_debit{};
    std::array<std::optional<Money>, RowCount> m_credit{};
    Money m_result;
};

// The two closing amounts of a settlement.
struct ClosingAmounts {
    Money ivaDaVersare;    // VAT to pay for the period (amount type 11)
    Money creDimLiquiSucc; // credit carried to the next settlement (amount type 25)
};

// From the signed result R (credit positive) less the annual interest, the infra-annual
// refund and the infra-annual credit used in F24: what to pay, or the credit carried on.
ClosingAmounts closingAmounts(Money result, Money intAnnDovuti, Money rimbInfrannuale, Money creCompF24,
                              Step currencyStep);

// The December advance with the historical or the forecast method: 88% of the reference
// amount, or of one third of it when the activity is monthly now and was quarterly in the
// previous year (historical method only). The analytical method is left as it is.
struct AdvanceAmount {
    Money ivaDaVersare;
    QString label; // the caption of the first declaration amount
};
AdvanceAmount decemberAdvance(Money reference, int method, int tipoLiquidazioneNow, int tipoLiquidazionePrevious,
                              Step currencyStep);

// The caption of the first declaration amount for every other settlement.
inline QString amountToPayLabel() { return QStringLiteral("Importo da versare:"); }

// An amount with the mask "###,###,###.00" in Italian separators: 3000 -> "3.000,00",
// 0.5 -> ",50".
QString formatAdvanceReference(Money value);

} // namespace liqiva
