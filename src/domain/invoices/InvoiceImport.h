#pragma once

#include "domain/invoices/ImportRules.h"
#include "suite/Money.h"

#include <QDate>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

struct ImportOptions {
    int company = 0;
    int user = 0;
    int branch = 0;                // 0: the company's prevailing branch
    std::optional<QDate> received; // the day the purchases were received
    bool dryRun = false;           // everything checked and reported, nothing kept
    bool allOrNothing = false;     // one refused file keeps nothing of the import
    ImportRules rules;             // a --rules file: over the company's kept rules
};

// What became of one invoice.
struct ImportedDocument {
    enum class Outcome { Imported, Duplicate, Listed };
    Outcome outcome = Outcome::Imported;
    QString type, number, counterparty;
    QDate date;
    bool sale = false, purchase = false;
    int year = 0, month = 0;
    bool late = false;  // a purchase received by the 15th counted in the month of its date
    Money taxable, tax; // as counted (a credit note negative)
    QString note;       // a purchase moved past a settled period, why it is listed
};

struct ImportedFile {
    QString name;
    bool signedEnvelope = false; // content taken out, signature not checked
    QString refusal;             // empty when accepted
    std::vector<ImportedDocument> documents;
};

struct ImportReport {
    int importId = 0; // 0 when nothing was kept
    bool kept = false;
    std::vector<ImportedFile> files;
    int imported() const;
    int duplicates() const;
    int refusedFiles() const;
};

// Imports the invoices of the paths for the company, one file at a time, in one
// transaction: each invoice checked (schema, direction, VAT codes, period), duplicates
// skipped, each accepted invoice written as counter rows with its record. A refused file
// keeps nothing of itself; with allOrNothing nothing at all. progress (may be empty) is
// told after each file. Throws Refusal for what stops the whole import (no company, no VAT
// number, a branch not of the company) and DbError.
ImportReport importInvoices(Connection &db, const QStringList &paths, const ImportOptions &options,
                            const std::function<void(const ImportedFile &)> &progress = {});

// Takes an import back whole: its counter rows, its invoices and itself. Refused when a
// saved settlement covers a period it wrote to, naming the settlement, or when there is no
// such import of the company.
int undoImport(Connection &db, int company, int importId, int user);

// The imports of a company, newest first, and the invoices of one import or of a period.
struct ImportSummary {
    int id = 0;
    QString when;
    int user = 0;
    int invoices = 0;
};
std::vector<ImportSummary> listImports(Connection &db, int company);

// The invoices imported for a company, by date: those of one month of one year (month 0:
// the whole year; year 0: every year).
struct ImportedInvoiceRow {
    int import = 0;
    QString date, number, counterparty, type;
    Money taxable, tax;
    int year = 0, month = 0;
    bool sale = false, purchase = false, counted = false;
};
std::vector<ImportedInvoiceRow> listImportedInvoices(Connection &db, int company, int year, int month);

} // namespace liqiva
