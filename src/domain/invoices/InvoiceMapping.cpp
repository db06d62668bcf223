#include "domain/invoices/InvoiceMapping.h"

#include "domain/engine/CounterQueries.h"

namespace liqiva {

namespace {

enum class Rule {
    Ordinary,     // seller: a sale; buyer: a purchase
    CreditNote,   // the same, negative
    Integration,  // the buyer's integration or self-invoice: a purchase and a sale
    PurchaseOnly, // the buyer's self-invoice whose VAT is paid apart: a purchase
    SaleOnly,     // the seller's self-invoice (ceiling exceeded, own use): a sale
    Listed,       // no VAT: listed, not counted
};

struct TypeRule {
    const char *type;
    Rule rule;
    int customerClass; // of an integration
};

constexpr TypeRule typeRules[] = {
    {"TD01", Rule::Ordinary, 0},     {"TD02", Rule::Ordinary, 0},     {"TD03", Rule::Ordinary, 0},
    {"TD04", Rule::CreditNote, 0},   {"TD05", Rule::Ordinary, 0},     {"TD06", Rule::Ordinary, 0},
    {"TD16", Rule::Integration, 14}, {"TD17", Rule::Integration, 14}, {"TD18", Rule::Integration, 6},
    {"TD19", Rule::Integration, 14}, {"TD20", Rule::PurchaseOnly, 0}, {"TD21", Rule::SaleOnly, 0},
    {"TD22", Rule::Integration, 14}, {"TD23", Rule::PurchaseOnly, 0}, {"TD24", Rule::Ordinary, 0},
    {"TD25", Rule::Ordinary, 0},     {"TD26", Rule::Ordinary, 0},     {"TD27", Rule::SaleOnly, 0},
    {"TD28", Rule::PurchaseOnly, 0}, {"TD29", Rule::Listed, 0},
};

const TypeRule *ruleOf(const QString &type)
{
    for (const TypeRule &r : typeRules)
        if (type == QLatin1String(r.type))
            return &r;
    return nullptr;
}

CounterTarget saleTarget(QChar esigibilita, int customerClass, int sign)
{
    using namespace CounterKind;
    if (esigibilita == u'D')
        return {SalesSuspended, customerClass, sign, true};
    if (esigibilita == u'S')
        return {SplitSales, customerClass, sign, true};
    return {SalesInvoices, customerClass, sign, true};
}

CounterTarget purchaseTarget(QChar esigibilita, int customerClass, int sign)
{
    using namespace CounterKind;
    if (esigibilita == u'D')
        return {PurchasesSuspended, customerClass, sign, false};
    if (esigibilita == u'S')
        return {SplitPurchases, customerClass, sign, false};
    return {Purchases, customerClass, sign, false};
}

void say(QString *why, const QString &text)
{
    if (why)
        *why = text;
}

} // namespace

bool isTwoSided(const QString &documentType)
{
    const TypeRule *r = ruleOf(documentType);
    return r && r->rule == Rule::Integration;
}

std::vector<CounterTarget> countersFor(const QString &documentType, InvoiceSides sides, QChar esigibilita, QString *why)
{
    const TypeRule *r = ruleOf(documentType);
    if (!r) {
        say(why, QStringLiteral("tipo documento %1 sconosciuto").arg(documentType));
        return {};
    }
    switch (r->rule) {
    case Rule::Ordinary:
    case Rule::CreditNote: {
        const int sign = r->rule == Rule::CreditNote ? -1 : 1;
        // A self-invoice of the ordinary kinds (the company on both sides) is a sale.
        if (sides.seller)
            return {saleTarget(esigibilita, 0, sign)};
        return {purchaseTarget(esigibilita, 0, sign)};
    }
    case Rule::Integration:
        if (!sides.buyer) {
            say(why, QStringLiteral("%1 è l'integrazione del cliente: per il fornitore non conta").arg(documentType));
            return {};
        }
        return {purchaseTarget(esigibilita, r->customerClass, 1), saleTarget(esigibilita, r->customerClass, 1)};
    case Rule::PurchaseOnly:
        if (!sides.buyer) {
            say(why, QStringLiteral("%1 è un documento del cliente: per il fornitore non conta").arg(documentType));
            return {};
        }
        return {purchaseTarget(esigibilita, 0, 1)};
    case Rule::SaleOnly:
        if (!sides.seller) {
            say(why, QStringLiteral("%1 conta solo per chi la emette").arg(documentType));
            return {};
        }
        return {saleTarget(esigibilita, 0, 1)};
    case Rule::Listed:
        say(why, QStringLiteral("%1 non porta IVA: elencato, non contato").arg(documentType));
        return {};
    }
    return {};
}

} // namespace liqiva
