#pragma once

#include "suite/Money.h"
#include "suite/Percent.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace liqiva {

// One VAT summary line of an invoice (DatiRiepilogo).
struct InvoiceSummaryLine {
    Percent rate;
    QString nature; // empty, or N1 ... N7 with its sub-code
    Money taxable;
    Money tax;
    QChar esigibilita = u'I';
};

// One invoice (one FatturaElettronicaBody) with the parties of its file's header.
struct Invoice {
    QString sellerCountry, sellerCode, sellerName;
    QString buyerCountry, buyerCode, buyerTaxCode, buyerName;
    QString type, currency, number;
    QDate date;
    std::vector<InvoiceSummaryLine> lines;

    // The seller's VAT number as the invoice's identity keeps it ("IT01234567890").
    QString sellerVatNumber() const { return sellerCountry + sellerCode; }
};

// The largest invoice file accepted (the exchange system's own limit is 5 MB).
constexpr qsizetype MaxInvoiceFileSize = 5 * 1024 * 1024;

// Reads the invoices of one XML document. The document is parsed without network, without
// DTD and without substituting entities, and validated against the electronic invoice schema
// before anything is read from it; a document that does not parse, carries a DTD, does not
// validate or is in a currency other than euro is refused (Refusal) naming the element, the
// line and the reason.
std::vector<Invoice> readInvoices(const QByteArray &xml);

// One file to read: its name as the report shows it (an archive's entry as ARCHIVE/ENTRY),
// the XML (taken out of a signed envelope) and whether it came signed. problem is set
// instead when the file cannot be read (a signed envelope that does not open, a hostile
// archive entry, a file too large).
struct InvoiceFile {
    QString name;
    QByteArray xml;
    bool signedEnvelope = false;
    QString problem;
};

// Takes the content out of a CMS SignedData envelope (DER, or base64 of it; PEM armour
// accepted). The signature is not checked. Throws Refusal when the envelope does not open.
QByteArray contentOfSignedFile(const QByteArray &bytes);

// Goes through the paths (files .xml and .xml.p7m, .zip archives of them, folders holding
// them), one file at a time: each is handed to fn and dropped before the next is read. An
// archive entry that is a nested archive, a name with "..", an absolute name, an entry
// larger than MaxInvoiceFileSize or packed more than 200 times is handed over with its
// problem; nothing is ever written to disk. A path that does not exist is one with a problem.
void forEachInvoiceFile(const QStringList &paths, const std::function<void(const InvoiceFile &)> &fn);

} // namespace liqiva
