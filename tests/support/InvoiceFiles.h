#pragma once

// Electronic invoices written for the tests: the smallest documents the schema accepts, one
// body per invoice (several make a lot), and the envelopes around them (a signed CMS
// envelope, DER or base64, made with a throwaway key; a zip archive).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace liqiva::test {

struct TestSummaryLine {
    QString rate = QStringLiteral("22.00");
    QString nature; // empty, or N1 ... N7
    QString taxable = QStringLiteral("1000.00");
    QString tax = QStringLiteral("220.00");
    QString esigibilita; // empty, I, D or S
};

struct TestInvoice {
    QString seller = QStringLiteral("00743110157"); // VAT numbers without the country (IT)
    QString sellerCountry = QStringLiteral("IT");
    QString buyer = QStringLiteral("01234567890");
    QString buyerCountry = QStringLiteral("IT");
    QString type = QStringLiteral("TD01");
    QString number = QStringLiteral("1");
    QString date = QStringLiteral("2025-01-10");
    QString currency = QStringLiteral("EUR");
    std::vector<TestSummaryLine> lines = {{}};
};

// The XML of a file holding the invoices, which share the first one's parties.
QByteArray invoiceXml(const std::vector<TestInvoice> &invoices);
inline QByteArray invoiceXml(const TestInvoice &invoice)
{
    return invoiceXml(std::vector<TestInvoice>{invoice});
}

// A CMS SignedData envelope holding the content, signed with a key made for the occasion;
// base64 gives it as base64 text with line breaks.
QByteArray signedEnvelope(const QByteArray &content, bool base64);

// A zip archive of the entries (name, content), written at path.
bool writeZip(const QString &path, const std::vector<std::pair<QString, QByteArray>> &entries);

// Writes bytes to path; false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace liqiva::test
