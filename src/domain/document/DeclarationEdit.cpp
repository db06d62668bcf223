#include "domain/document/DeclarationEdit.h"

#include "domain/document/DeclarationGrid.h"
#include "domain/document/InputText.h"
#include "domain/document/SettlementDocument.h"
#include "domain/engine/Amounts.h"
#include "suite/Messages.h"

#include <cmath>

namespace liqiva {

namespace {

using G = DeclarationGrid;

// A cell whose total is made of parts recorded elsewhere (the credit windows, the
// late-payment corrections) and one part the user types: the typed total may not go below
// what is recorded elsewhere.
struct TypedPart {
    Money (Amounts::*get)() const;
    void (Amounts::*set)(Money);
    Money (Amounts::*total)() const;
};

std::optional<TypedPart> typedPartOf(int row, DeclarationColumn column)
{
    const bool debit = column == DeclarationColumn::Debit;
    switch (row) {
    case G::VariazioniImposta:
        return debit ? TypedPart{&Amounts::AltreVarDeb, &Amounts::setAltreVarDeb, &Amounts::VarImpoPeriodoPrecDeb}
                     : TypedPart{&Amounts::VarImpCre, &Amounts::setVarImpCre, &Amounts::VarImpoPeriodoPrecCre};
    case G::IvaNonVersata:
        return debit ? TypedPart{&Amounts::ImpNoverPerPrec, &Amounts::setImpNoverPerPrec, &Amounts::IvaNoVersataPrec}
                     : TypedPart{&Amounts::IvaVersataEccesso, &Amounts::setIvaVersataEccesso,
                                 &Amounts::IvaVersataEccesso};
    case G::CreditiSpeciali:
        if (!debit)
            return TypedPart{&Amounts::AltriCreImpUti, &Amounts::setAltriCreImpUti, &Amounts::CreditiSpeciali};
        break;
    case G::InteressiTrimestrali:
        if (debit)
            return TypedPart{&Amounts::IntTrimDovuti, &Amounts::setIntTrimDovuti, &Amounts::IntTrimDovuti};
        break;
    case G::AccontoVersato:
        if (!debit)
            return TypedPart{&Amounts::AccontoVersato, &Amounts::setAccontoVersato, &Amounts::AccontoVersato};
        break;
    default:
        break;
    }
    return std::nullopt;
}

} // namespace

bool isEditableCell(int row, DeclarationColumn column)
{
    return typedPartOf(row, column).has_value();
}

QString msgCellNotEditable()
{
    return u"L'importo di questa casella è calcolato e non si può modificare."_qs;
}

QString msgCellOutOfRange()
{
    return u"L'importo deve essere compreso tra 0 e 9.999.999.999.999."_qs;
}

QString msgBelowRecordedPart(const QString &recorded)
{
    return u"L'importo non può essere inferiore a "_qs + recorded +
           u", la parte già registrata con i crediti e le variazioni del periodo."_qs;
}

DeclarationEditOutcome editDeclarationCell(SettlementDocument &doc, int row, DeclarationColumn column,
                                           std::optional<Money> value)
{
    const std::optional<TypedPart> part = typedPartOf(row, column);
    if (!part)
        return {false, msgCellNotEditable()};
    const Money typed = value.value_or(Money());
    if (typed < Money() || typed > G::MaxCell)
        return {false, msgCellOutOfRange()};

    Amounts &a = doc.amounts();
    // The grid holds the header's currency, the amounts object thousands of lire in the lire years.
    const Money before = doc.fromAmounts((a.*part->get)());
    const Money recordedElsewhere = doc.fromAmounts((a.*part->total)()) - before;
    const Money own = typed - recordedElsewhere;
    // Amounts of half a cent or less off are the rounding of the parts, not a real shortfall.
    if (own < -Money::fromRaw(doc.currencyUnit().raw() / 2))
        return {false, msgBelowRecordedPart(formatAmount(recordedElsewhere, doc.euro()))};
    if (row == G::CreditiSpeciali) {
        // The special credits used are checked on a copy, so that a refusal leaves the
        // amounts as they were.
        Amounts trial = a;
        (trial.*part->set)(doc.toAmounts(std::max(own, Money())));
        if (const std::optional<QString> reason = trial.CheckAmounts())
            return {false, *reason};
    }
    (a.*part->set)(doc.toAmounts(std::max(own, Money())));

    G &grid = doc.declaration();
    const std::optional<Money> cell = typed.isZero() ? std::nullopt : std::optional<Money>(typed);
    if (column == DeclarationColumn::Debit)
        grid.setDebit(row, cell);
    else
        grid.setCredit(row, cell);
    doc.recomputeDeclaration();
    return {true, {}};
}

QString specialCreditsFault(const Amounts &amounts)
{
    return amounts.CheckAmounts().value_or(QString());
}

} // namespace liqiva
