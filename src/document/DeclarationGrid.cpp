#include "document/DeclarationGrid.h"

#include "engine/SettlementIdentity.h"
#include "suite/Rounding.h"

#include <cmath>

namespace liqiva {

namespace {
double money(double value, double step)
{
    return roundTo(value, step, RoundMode::HalfAwayFromZero);
}

// Puts a signed amount (debit positive) in the debit or the credit column of a row.
void place(std::optional<double> &debit, std::optional<double> &credit, double signedValue)
{
    if (signedValue > 0) {
        debit = signedValue;
        credit = std::nullopt;
    } else {
        debit = std::nullopt;
        credit = -signedValue;
    }
}
} // namespace

const QStringList &DeclarationGrid::rowCaptions()
{
    static const QStringList captions = {
        u"IVA esigibile per il periodo"_qs,
        u"IVA che si detrae per il periodo"_qs,
        u"IVA su Acquisti in Split Payment"_qs,
        u"IVA su Vendite in Split Payment"_qs,
        u"IVA a debito o a credito per il periodo"_qs,
        u"Variaz. d'imposta, compr. interessi, periodi prec."_qs,
        u"IVA non versata, compr. int. o vers. in eccesso, DIP prec."_qs,
        u"Debito o credito riportato dal periodo precedente"_qs,
        u"Credito compens. portato in detraz. nella liquidaz."_qs,
        u"IVA dovuta o a credito per il periodo"_qs,
        u"Crediti speciali d'imposta detratti"_qs,
        u"Interessi dovuti per liquidazioni trimestrali"_qs,
        u"Acconto versato"_qs,
    };
    return captions;
}

void DeclarationGrid::compute(double step)
{
    // The VAT of split-payment sales (row 4) is shown but not netted: the buyer owes it, and it
    // is never part of the seller's debit.
    const double period = money(debit(IvaEsigibile) + debit(IvaAcquistiSplit) - credit(IvaDetratta), step);
    place(m_debit[IvaDebitoCreditoPeriodo], m_credit[IvaDebitoCreditoPeriodo], period);

    const double due = money(period + net(VariazioniImposta) + net(IvaNonVersata) + net(RiportoPeriodoPrecedente)
                                 - credit(CreditoInDetrazione),
                             step);
    place(m_debit[IvaDovutaCreditoPeriodo], m_credit[IvaDovutaCreditoPeriodo], due);

    m_result = money(-(due + debit(InteressiTrimestrali) - credit(CreditiSpeciali) - credit(AccontoVersato)), step);
}

double DeclarationGrid::debtForMinimum() const
{
    return debit(IvaDovutaCreditoPeriodo) + debit(InteressiTrimestrali)
        - (credit(CreditiSpeciali) + credit(AccontoVersato));
}

double DeclarationGrid::interestBase(double step) const
{
    const double base = money(debit(IvaDovutaCreditoPeriodo) - credit(CreditiSpeciali), step);
    return base > 0 ? base : 0.0;
}

ClosingAmounts closingAmounts(double result, double intAnnDovuti, double rimbInfrannuale, double creCompF24,
                              double step)
{
    const double n = money(result - (intAnnDovuti + rimbInfrannuale + creCompF24), step);
    ClosingAmounts c;
    if (n < 0)
        c.ivaDaVersare = -n;
    else if (n > 0)
        c.creDimLiquiSucc = n;
    return c;
}

AdvanceAmount decemberAdvance(double reference, int method, int tipoNow, int tipoPrevious, double step)
{
    AdvanceAmount a{reference, amountToPayLabel()};
    if (method == AdvanceMethod::Analytical || reference == 0)
        return a;
    if (method == AdvanceMethod::Historical && tipoNow == 0 && tipoPrevious == 1) {
        a.label = u"Importo da versare (88% di 1/3 di "_qs + formatAdvanceReference(reference) + u"):"_qs;
        a.ivaDaVersare = roundTo(reference / 3.0, step, RoundMode::HalfAwayFromZero);
    } else {
        a.label = u"Importo da versare (88% di "_qs + formatAdvanceReference(reference) + u"):"_qs;
    }
    a.ivaDaVersare = roundTo(a.ivaDaVersare * 88.0 / 100.0, step, RoundMode::HalfAwayFromZero);
    return a;
}

QString formatAdvanceReference(double value)
{
    const double cents = std::round(std::fabs(value) * 100.0);
    const long long whole = static_cast<long long>(cents / 100.0);
    const int fraction = static_cast<int>(cents - double(whole) * 100.0);
    QString digits = whole == 0 ? QString() : QString::number(whole);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u'.');
    return (value < 0 ? u"-"_qs : QString()) + digits + u',' + QStringLiteral("%1").arg(fraction, 2, 10, QChar(u'0'));
}

} // namespace liqiva
