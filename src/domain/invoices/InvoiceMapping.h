#pragma once

#include <QString>
#include <vector>

namespace liqiva {

// Where the company stands in an invoice: the seller (CedentePrestatore), the buyer
// (CessionarioCommittente), or both (a self-invoice).
struct InvoiceSides {
    bool seller = false;
    bool buyer = false;
};

// One counter row a VAT summary line goes to: the counter kind (IDTipoContatoreIva), the
// customer classification (IDClassificazioneIvaCF: 0 none, 6 intra-EU self-invoice, 14
// reverse-charge self-invoice), the sign (-1 for a credit note) and whether it is the sale
// or the purchase side of the document.
struct CounterTarget {
    int kind = 0;
    int customerClass = 0;
    int sign = 1;
    bool sale = false;

    bool operator==(const CounterTarget &) const = default;
};

// What a document type does for the company: the counters of one summary line with its
// EsigibilitaIVA ('I', 'D', 'S'; empty is 'I'). Empty when the document is listed and not
// counted (TD29, an integration seen from its supplier); `why` then says why. The rules are
// the table of docs/invoice-import.md.
std::vector<CounterTarget> countersFor(const QString &documentType, InvoiceSides sides, QChar esigibilita,
                                       QString *why = nullptr);

// True for the document types that write both a sale and a purchase (the integrations and
// self-invoices under reverse charge): their period is the month of their date on both sides.
bool isTwoSided(const QString &documentType);

} // namespace liqiva
