#pragma once

namespace liqiva {

// Amount types of RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva).
namespace AmountType {
constexpr int Risultato = 1;           // balance of the period (a credit stored negative)
constexpr int CreditoIniziale = 2;     // opening credit of January
constexpr int IntTrimDovuti = 3;       // quarterly interest due
constexpr int CreAutotraspUti = 4;     // truckers' credit used
constexpr int VersamentoPeriodico = 8; // periodic payment with its payment data
constexpr int AccontoVersato = 9;      // December advance paid
constexpr int DaVersare = 10;          // amount to pay (lire years)
constexpr int IvaDaVersare = 11;       // VAT to pay for the period
constexpr int IvaPeriodo = 12;         // VAT of the period, debit positive
constexpr int TotIvaCredito = 13;      // VAT deducted in the period
constexpr int TotIvaDebito = 14;       // VAT due in the period
constexpr int VarRavvOperoso = 15;
constexpr int IntLiqTrimRavv = 16;
constexpr int IntRavv = 17;
constexpr int AltreVarDeb = 18;
constexpr int VarImpCre = 19;
constexpr int ImpNoverPerPrec = 20;
constexpr int Int150TrimPerPrec = 21;
constexpr int IntMoraPerPrec = 22;
constexpr int AltriCreImpUti = 23;
constexpr int IntTrimDovutiCalc = 24;
constexpr int CreDimLiquiSucc = 25;
constexpr int VarImpCrePrec = 26;
constexpr int VariazioniInDiminuzione = 27;
constexpr int DebitoPrec = 28;
constexpr int CreditoPrec = 29;
constexpr int ImportazioniImponibile = 34; // imports without VAT paid at customs
constexpr int ImportazioniImposta = 35;
constexpr int IvaVersataEccesso = 36;
constexpr int CreditoBeniAmmortizzabili = 37;
constexpr int IntAnnDovuti = 38;
constexpr int IntAnnDovutiCalc = 43;
constexpr int OperazioniImponibiliProRata = 46;
constexpr int OperazioniEsentiProRata = 47;
constexpr int RottamiImponibile = 48;
constexpr int RottamiImposta = 49;
} // namespace AmountType

} // namespace liqiva
