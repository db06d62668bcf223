#include "domain/credits/Prospetto.h"

#include "domain/engine/Amounts.h"
#include "suite/Refusal.h"

#include <algorithm>

namespace liqiva {

namespace {

constexpr Money MaxCell = Money::units(9999999999999);

// A setter of the amounts, as the row stores it.
template <typename Setter> std::function<void(Amounts &, Money)> into(Setter setter)
{
    return [setter](Amounts &a, Money v) { (a.*setter)(v); };
}

QString sumTo(int lastRow)
{
    return QStringLiteral("SUM(B1:B%1)").arg(lastRow);
}

} // namespace

QString Prospetto::caption(int type)
{
    switch (type) {
    case VariazioniCredito:
        return u"Variazioni a credito d'imposta relative a periodi precedenti"_qs;
    case VariazioniDebito:
        return u"Variazioni a debito d'imposta relative a periodi precedenti"_qs;
    case IvaNonVersata:
        return u"IVA non versata risultante da liquidazioni periodiche precedenti"_qs;
    case CreditiSpeciali:
        return u"Crediti speciali d'imposta detratti"_qs;
    case CreditoInfrannuale:
        return u"Gestione credito IVA Infrannuale"_qs;
    }
    return {};
}

Prospetto::Prospetto(int type, Amounts &amounts, const Context &context)
    : m_type(type), m_amounts(amounts), m_context(context)
{
    // The infra-annual credit of the first three quarters can have been taken out only from
    // April on: the months of the first quarter, the year and the advance have one row.
    m_quarters = context.idMese >= 4 && context.idMese <= 12;
    m_letters[0] = context.lettA;
    m_letters[1] = context.lettB;
    m_letters[2] = context.lettC;
    build();
}

void Prospetto::add(const QString &text, Money value, std::function<void(Amounts &, Money)> store, bool shownOnly)
{
    m_rows.append(Row{text, QString(), value, shownOnly, std::move(store)});
}

void Prospetto::addFormula(const QString &text, const QString &formula, std::function<void(Amounts &, Money)> store)
{
    m_rows.append(Row{text, formula, Money(), true, std::move(store)});
}

void Prospetto::build()
{
    switch (m_type) {
    case VariazioniCredito:
        buildVariazioniCredito();
        break;
    case VariazioniDebito:
        buildVariazioniDebito();
        break;
    case IvaNonVersata:
        buildIvaNonVersata();
        break;
    case CreditiSpeciali:
        buildCreditiSpeciali();
        break;
    case CreditoInfrannuale:
        buildCreditoInfrannuale();
        break;
    }
}

int Prospetto::addInfraQuarters(const QString &taken, const QuarterFigures &f)
{
    static const char *const numerals[3] = {"I", "II", "III"};
    const int first = rowCount() + 1;
    if (m_quarters) {
        for (int q = 0; q < 3; ++q)
            add(QStringLiteral("Credito Infrannuale %1 Trimestre %2").arg(QLatin1String(numerals[q]), taken),
                (m_amounts.*f.get[q])(), into(f.set[q]));
        addFormula(u"Credito Infrannuale "_qs + taken, QStringLiteral("SUM(B%1:B%2)").arg(first).arg(first + 2));
        return first + 2;
    }
    // One row: the quarters' amounts together, kept as the first quarter's.
    Money together;
    for (int q = 0; q < 3; ++q)
        together += (m_amounts.*f.get[q])();
    add(u"Credito Infrannuale "_qs + taken, together, [f](Amounts &x, Money v) {
        (x.*f.set[0])(v);
        (x.*f.set[1])(Money());
        (x.*f.set[2])(Money());
    });
    return first;
}

void Prospetto::buildVariazioniCredito()
{
    Amounts &a = m_amounts;
    add(u"Credito annuale estromesso dalla compensazione"_qs, a.CAEstrComp(), into(&Amounts::setCAEstrComp));
    add(u"Variazione a credito dell'imposta"_qs, a.VarImpCre(), into(&Amounts::setVarImpCre));
    const int last = addInfraQuarters(
        u"estromesso dalla compensazione"_qs,
        {{&Amounts::CIEstrCompTrimI, &Amounts::CIEstrCompTrimII, &Amounts::CIEstrCompTrimIII},
         {&Amounts::setCIEstrCompTrimI, &Amounts::setCIEstrCompTrimII, &Amounts::setCIEstrCompTrimIII}});
    addFormula(u"Variazione a credito d'imposta relative a periodi precedenti"_qs, sumTo(last));
}

void Prospetto::buildVariazioniDebito()
{
    Amounts &a = m_amounts;
    add(u"Variazioni dell'imposta a seguito di ravvedimento"_qs, a.VarRavvOperoso(), into(&Amounts::setVarRavvOperoso));
    add(u"Interessi liquidazioni trimestrali a seguito di ravvedimento"_qs, a.IntLiqTrimRavv(),
        into(&Amounts::setIntLiqTrimRavv));
    add(u"Interessi a seguito di ravvedimento"_qs, a.IntRavv(), into(&Amounts::setIntRavv));
    add(u"Altre variazioni a debito dell'imposta"_qs, a.AltreVarDeb(), into(&Amounts::setAltreVarDeb));
    add(u"Credito annuale estromesso dalle liquidazioni periodiche"_qs, a.CAEstrLiqPer(),
        into(&Amounts::setCAEstrLiqPer));
    const int last =
        addInfraQuarters(u"estromesso dalle liquidazioni"_qs,
                         {{&Amounts::CIEstrLiqTrimI, &Amounts::CIEstrLiqTrimII, &Amounts::CIEstrLiqTrimIII},
                          {&Amounts::setCIEstrLiqTrimI, &Amounts::setCIEstrLiqTrimII, &Amounts::setCIEstrLiqTrimIII}});
    addFormula(u"Variazione a debito d'imposta relative a periodi precedenti"_qs, sumTo(last));
}

void Prospetto::buildIvaNonVersata()
{
    Amounts &a = m_amounts;
    add(u"Imposta non versata nei periodi precedenti"_qs, a.ImpNoverPerPrec(), into(&Amounts::setImpNoverPerPrec));
    add(u"Interessi trimestrali per imposta non versata nei periodi precedenti"_qs, a.Int150TrimPerPrec(),
        into(&Amounts::setInt150TrimPerPrec));
    add(u"Interessi di mora per imposta non versata nei periodi precedenti"_qs, a.IntMoraPerPrec(),
        into(&Amounts::setIntMoraPerPrec));
    addFormula(u"IVA non versata risultante da liquidazioni periodiche precedenti"_qs, sumTo(3));
}

void Prospetto::buildCreditiSpeciali()
{
    Amounts &a = m_amounts;
    // The credits available come from the activity's year: shown, not typed.
    add(u"Credito Autotrasportatori"_qs, a.CreAutotrasp(), {}, true);
    add(u"Altri crediti d'imposta"_qs, a.AltriCreImp(), {}, true);
    add(u"Credito autotrasportatori utilizzato"_qs, a.CreAutotraspUti(), into(&Amounts::setCreAutotraspUti));
    add(u"Altri crediti d'imposta utilizzati"_qs, a.AltriCreImpUti(), into(&Amounts::setAltriCreImpUti));
    addFormula(u"Credito autotrasportatori residuo"_qs, u"B1 - B3"_qs);
    addFormula(u"Altri crediti d'imposta residui"_qs, u"B2 - B4"_qs);
    addFormula(u"Crediti speciali d'imposta detratti"_qs, u"SUM(B3:B4)"_qs);
}

void Prospetto::buildCreditoInfrannuale()
{
    Amounts &a = m_amounts;
    // A settlement whose prospectus was never confirmed starts from its own credit.
    const bool stored = !a.CredInfraTotale().isZero() || !a.CredInfraTrimestre().isZero() ||
                        !a.RimbInfrannuale().isZero() || !a.CreCompF24().isZero();
    add(u"Credito Totale"_qs, stored ? a.CredInfraTotale() : m_context.creditoTotale,
        into(&Amounts::setCredInfraTotale));
    add(u"Credito del trimestre"_qs, stored ? a.CredInfraTrimestre() : m_context.creditoTrimestre,
        into(&Amounts::setCredInfraTrimestre));
    add(u"Credito beni ammortizzabili"_qs, a.CreditoBeniAmmortizzabili(), into(&Amounts::setCreditoBeniAmmortizzabili));
    add(u"Variazioni in aumento"_qs, a.CredInfraAumenti(), into(&Amounts::setCredInfraAumenti));
    add(u"Variazioni in diminuzione"_qs, a.VariazioniInDiminuzione(), into(&Amounts::setVariazioniInDiminuzione));
    addFormula(u"Credito utilizzabile a rimborso e/o compensazione"_qs, infraFormula(),
               into(&Amounts::setCredInfrannuale));
    add(u"Credito Infrannuale a rimborso"_qs, a.RimbInfrannuale(), into(&Amounts::setRimbInfrannuale));
    add(u"Credito Infrannuale destinato alla compensazione con il mod. F24"_qs, a.CreCompF24(),
        into(&Amounts::setCreCompF24));
    addFormula(u"Credito Infrannuale destinato alle liquidazioni periodiche"_qs,
               u"if(B6 - (B7 + B8)>0,B6 - (B7 + B8),0)"_qs, into(&Amounts::setCreLiquiPer));
    addFormula(u"Credito residuo da portare in diminuzione nelle liquidazioni successive"_qs, u"B1 - (B7 + B8)"_qs);
}

QString Prospetto::infraFormula() const
{
    return m_letters[2] ? u"IF(B1>B2,IF(B2>B3,B3+B4-B5,B2+B4-B5),IF(B1>B3,B3+B4-B5,B1+B4-B5))"_qs
                        : u"IF(B1>B2, B2+B4-B5, B1+B4-B5)"_qs;
}

void Prospetto::setLetter(int i, bool on)
{
    if (i < 0 || i > 2)
        return;
    m_letters[i] = on;
    if (m_type == CreditoInfrannuale)
        m_rows[B6Utilizzabile].formula = infraFormula();
}

ProspFormula::Result Prospetto::compute(int row, int depth) const
{
    const Row &r = m_rows[row];
    if (r.formula.isEmpty())
        return {r.typed, {}};
    // A formula that reaches back to itself stops here instead of going round.
    if (depth > rowCount())
        return {std::nullopt, QStringLiteral("Riferimento circolare nella cella B%1.").arg(row + 1)};
    return ProspFormula::evaluate(r.formula, [this, depth](int column, int n) -> ProspFormula::Result {
        if (column != 1 || n < 1 || n > rowCount())
            return {std::nullopt, QStringLiteral("La cella %1%2 non fa parte del prospetto.")
                                      .arg(QChar(u'A' + std::clamp(column, 0, 25)))
                                      .arg(n)};
        return compute(n - 1, depth + 1);
    });
}

Money Prospetto::value(int row) const
{
    return compute(row, 0).value.value_or(Money());
}

QString Prospetto::error(int row) const
{
    return compute(row, 0).error;
}

void Prospetto::checkTyping(bool locked, Money v)
{
    if (locked)
        throw Refusal(msgNotEditable());
    if (v < Money() || v > MaxCell)
        throw Refusal(msgOutOfRange());
}

void Prospetto::setValue(int row, Money v)
{
    checkTyping(row < 0 || row >= rowCount() || isLocked(row), v);
    m_rows[row].typed = v;
}

int Prospetto::totalRow() const
{
    return m_type == CreditoInfrannuale ? -1 : rowCount() - 1;
}

Money Prospetto::Value() const
{
    return m_type == CreditoInfrannuale ? value(B6Utilizzabile) : value(totalRow());
}

std::optional<CreditProblem> Prospetto::IsValid() const
{
    for (int r = 0; r < rowCount(); ++r)
        if (const QString e = error(r); !e.isEmpty())
            return CreditProblem{e, r};
    if (m_type == CreditiSpeciali) {
        if (value(2) > value(0))
            return CreditProblem{Amounts::msgCreditoUtilizzatoMaggiore(), 2};
        if (value(3) > value(1))
            return CreditProblem{Amounts::msgCreditoUtilizzatoMaggiore(), 3};
        // The tax due of the period, before the special credits.
        if (value(totalRow()) > std::max(m_amounts.IvaPeriodo(), Money()))
            return CreditProblem{Amounts::msgCreditiSpecialiMaggioriImposta(), 2};
    }
    if (m_type == CreditoInfrannuale) {
        const Money asked = value(B7Rimborso) + value(B8F24);
        if (value(B10Residuo) < Money())
            return CreditProblem{msgResiduoNegativo(), B7Rimborso};
        if (asked > Money() && !m_letters[0] && !m_letters[1] && !m_letters[2])
            return CreditProblem{msgSelezionareLettera(), -1, 0};
        if (m_letters[2] && value(B3BeniAmm).isZero())
            return CreditProblem{msgNessunBeneAmmortizzabile(), B3BeniAmm};
        if (!value(B3BeniAmm).isZero() && !m_letters[2])
            return CreditProblem{msgSelezionareLetteraC(), -1, 2};
        if (asked > value(B6Utilizzabile))
            return CreditProblem{msgSuperaInfrannuale(), B7Rimborso};
    }
    return std::nullopt;
}

void Prospetto::store()
{
    for (int r = 0; r < rowCount(); ++r)
        if (m_rows[r].store)
            m_rows[r].store(m_amounts, value(r));
}

QString Prospetto::msgOutOfRange()
{
    return u"L'importo deve essere compreso tra 0 e 9.999.999.999.999."_qs;
}

QString Prospetto::msgNotEditable()
{
    return u"L'importo di questa casella è calcolato e non si può modificare."_qs;
}

QString Prospetto::msgResiduoNegativo()
{
    return u"Il credito residuo non può essere negativo."_qs;
}

QString Prospetto::msgSelezionareLettera()
{
    return u"Selezionare almeno una voce: \r\n     'Aliquota media lett. a)', \r\n     'Operazioni non imponibili "
           u"lett. b)', "
           u"\r\n     'Acquisto beni ammortizzabili lett. c)'."_qs;
}

QString Prospetto::msgNessunBeneAmmortizzabile()
{
    return u"Non è stato indicato nessun valore per il campo 'Crediti beni ammortizzabili'."_qs;
}

QString Prospetto::msgSelezionareLetteraC()
{
    return u"Per poter proseguire è necessario selezionare la voce 'Acuisti beni ammortizzabili lett c)'."_qs;
}

QString Prospetto::msgSuperaInfrannuale()
{
    return u"Il totale del credito chiesto a rimborso e destinato alla compensazione non può superare l'importo del "
           u"credito Infrannuale."_qs;
}

} // namespace liqiva
