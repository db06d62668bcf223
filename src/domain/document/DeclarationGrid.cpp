#include "domain/document/DeclarationGrid.h"

#include "domain/engine/SettlementIdentity.h"
#include "suite/Rounding.h"


namespace liqiva {

namespace {
Money money(Money value, Step step)
{
    return roundTo(value, step, RoundMode::HalfAwayFromZero);
}

// Puts a signed amount (debit positive) in the debit or the credit column of a row.
void place(std::optional<Money> &debit, std::optional<Money> &credit, Money signedValue)
{
    if (signedValue > Money()) {
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

void DeclarationGrid::compute(Step step)
{
    // The VAT of split-payment sales (row 4) is shown but not netted: the buyer owes it, and it
    // is never part of the seller's debit.
    const Money period = money(debit(IvaEsigibile) + debit(IvaAcquistiSplit) - credit(IvaDetratta), step);
    place(m_debit[IvaDebitoCreditoPeriodo], m_credit[IvaDebitoCreditoPeriodo], period);

    const Money due = money(period + net(VariazioniImposta) + net(IvaNonVersata) + net(RiportoPeriodoPrecedente)
                                 - credit(CreditoInDetrazione),
                             step);
    place(m_debit[IvaDovutaCreditoPeriodo], m_credit[IvaDovutaCreditoPeriodo], due);

    m_result = money(-(due + debit(InteressiTrimestrali) - credit(CreditiSpeciali) - credit(AccontoVersato)), step);
}

Money DeclarationGrid::debtForMinimum() const
{
    return debit(IvaDovutaCreditoPeriodo) + debit(InteressiTrimestrali)
        - (credit(CreditiSpeciali) + credit(AccontoVersato));
}

Money DeclarationGrid::interestBase(Step step) const
{
    const Money base = money(debit(IvaDovutaCreditoPeriodo) - credit(CreditiSpeciali), step);
    return base > Money() ? base : Money();
}

ClosingAmounts closingAmounts(Money result, Money intAnnDovuti, Money rimbInfrannuale, Money creCompF24,
                              Step step)
{
    const Money n = money(result - (intAnnDovuti + rimbInfrannuale + creCompF24), step);
    ClosingAmounts c;
    if (n < Money())
        c.ivaDaVersare = -n;
    else if (n > Money())
        c.creDimLiquiSucc = n;
    return c;
}

AdvanceAmount decemberAdvance(Money reference, int method, int tipoNow, int tipoPrevious, Step step)
{
    AdvanceAmount a{reference, amountToPayLabel()};
    if (method == AdvanceMethod::Analytical || reference.isZero())
        return a;
    if (method == AdvanceMethod::Historical && tipoNow == 0 && tipoPrevious == 1) {
        a.label = u"Importo da versare (88% di 1/3 di "_qs + formatAdvanceReference(reference) + u"):"_qs;
        a.ivaDaVersare = roundedShare(reference, 1, 3, step, RoundMode::HalfAwayFromZero);
    } else {
        a.label = u"Importo da versare (88% di "_qs + formatAdvanceReference(reference) + u"):"_qs;
    }
    a.ivaDaVersare = roundedShare(a.ivaDaVersare, 88, 100, step, RoundMode::HalfAwayFromZero);
    return a;
}

QString formatAdvanceReference(Money value)
{
    const Money cents = roundTo(value, Step::Cent, RoundMode::HalfAwayFromZero);
    const long long a = cents.raw() < 0 ? -cents.raw() : cents.raw();
    const long long whole = a / Money::Scale;
    const int fraction = static_cast<int>(a % Money::Scale / 100);
    QString digits = whole == 0 ? QString() : QString::number(whole);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u'.');
    return (value < Money() ? u"-"_qs : QString()) + digits + u',' + QStringLiteral("%1").arg(fraction, 2, 10, QChar(u'0'));
}

} // namespace liqiva
