#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "database/Connection.h"
#include "domain/invoices/InvoiceImport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace liqiva::cli {

namespace {

QString outcomeWord(const ImportedDocument &d)
{
    switch (d.outcome) {
    case ImportedDocument::Outcome::Imported:
        return d.sale && d.purchase ? u"vendita e acquisto"_qs : d.sale ? u"vendita"_qs : u"acquisto"_qs;
    case ImportedDocument::Outcome::Duplicate:
        return u"doppione, saltata"_qs;
    case ImportedDocument::Outcome::Listed:
        return u"elencata, non contata"_qs;
    }
    return {};
}

QJsonObject documentJson(const ImportedDocument &d)
{
    QJsonObject o;
    o[u"outcome"_qs] = d.outcome == ImportedDocument::Outcome::Imported    ? u"imported"_qs
                       : d.outcome == ImportedDocument::Outcome::Duplicate ? u"duplicate"_qs
                                                                           : u"listed"_qs;
    o[u"type"_qs] = d.type;
    o[u"number"_qs] = d.number;
    o[u"date"_qs] = d.date.toString(Qt::ISODate);
    o[u"counterparty"_qs] = d.counterparty;
    o[u"sale"_qs] = d.sale;
    o[u"purchase"_qs] = d.purchase;
    if (d.outcome != ImportedDocument::Outcome::Duplicate) {
        o[u"year"_qs] = d.year;
        o[u"month"_qs] = d.month;
        o[u"late"_qs] = d.late;
        o[u"taxable"_qs] = d.taxable.toString();
        o[u"tax"_qs] = d.tax.toString();
    }
    if (!d.note.isEmpty())
        o[u"note"_qs] = d.note;
    return o;
}

ImportRules readRules(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Refusal(QStringLiteral("Il file delle regole %1 non si apre (%2): nulla è stato importato.")
                          .arg(path, file.errorString()));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(4 << 20), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw Refusal(
            QStringLiteral("Il file delle regole %1 non è un oggetto JSON valido: nulla è stato importato.").arg(path));
    return ImportRules::fromJson(doc.object());
}

ImportOptions importOptions(const CliArgs &args)
{
    ImportOptions o;
    o.user = args.key(u"user"_qs);
    o.company = args.key(u"company"_qs);
    o.branch = args.has(u"branch"_qs) ? args.key(u"branch"_qs) : 0;
    if (args.has(u"received"_qs)) {
        const QDate d = QDate::fromString(args.value(u"received"_qs), Qt::ISODate);
        if (!d.isValid())
            throw UsageError{
                QStringLiteral("--received vuole una data AAAA-MM-GG, non \"%1\"").arg(args.value(u"received"_qs))};
        o.received = d;
    }
    o.dryRun = args.flag(u"dry-run"_qs);
    o.allOrNothing = args.flag(u"all-or-nothing"_qs);
    if (args.paths().isEmpty())
        throw UsageError{u"manca il PERCORSO dei file da importare (file .xml, .xml.p7m, .zip o cartelle)"_qs};
    if (args.has(u"rules"_qs))
        o.rules = readRules(args.value(u"rules"_qs));
    return o;
}

// One file's lines of the report, as the import goes.
void printFile(const ImportedFile &f)
{
    out(f.name + (f.signedEnvelope ? u" (busta firmata: contenuto estratto, firma non verificata)"_qs : QString()));
    if (!f.refusal.isEmpty())
        out(u"  RIFIUTATO: "_qs + f.refusal);
    for (const ImportedDocument &d : f.documents) {
        QString line = QStringLiteral("  %1 n. %2 del %3, %4: %5")
                           .arg(d.type, d.number, d.date.toString(u"dd/MM/yyyy"_qs), d.counterparty, outcomeWord(d));
        if (d.outcome != ImportedDocument::Outcome::Duplicate)
            line += QStringLiteral(", %1/%2, imponibile %3, IVA %4%5")
                        .arg(d.month, 2, 10, QChar(u'0'))
                        .arg(d.year)
                        .arg(d.taxable.toString(), d.tax.toString(),
                             d.late ? u", ricevuta entro il 15: nel mese della data"_qs : QString());
        out(line);
        if (!d.note.isEmpty())
            out(u"    "_qs + d.note);
    }
}

QString summaryOf(const ImportReport &report, const ImportOptions &o)
{
    const int refused = report.refusedFiles();
    if (report.kept)
        return QStringLiteral("Importazione %1: %2 fatture importate, %3 doppioni saltati, %4 file rifiutati.")
            .arg(report.importId)
            .arg(report.imported())
            .arg(report.duplicates())
            .arg(refused);
    if (o.dryRun)
        return QStringLiteral("Prova (--dry-run): nulla è stato scritto; %1 file rifiutati, %2 doppioni.")
            .arg(refused)
            .arg(report.duplicates());
    if (o.allOrNothing && refused)
        return QStringLiteral("%1 file rifiutati: con --all-or-nothing nulla è stato importato.").arg(refused);
    return QStringLiteral("Nessuna fattura nuova: nulla è stato scritto (%1 doppioni, %2 file rifiutati).")
        .arg(report.duplicates())
        .arg(refused);
}

QJsonObject reportJson(const ImportReport &report)
{
    QJsonArray files;
    for (const ImportedFile &f : report.files) {
        QJsonObject fo;
        fo[u"file"_qs] = f.name;
        fo[u"signed"_qs] = f.signedEnvelope;
        if (f.signedEnvelope)
            fo[u"signature"_qs] = u"not verified"_qs;
        if (!f.refusal.isEmpty())
            fo[u"refused"_qs] = f.refusal;
        QJsonArray docs;
        for (const ImportedDocument &d : f.documents)
            docs.append(documentJson(d));
        fo[u"documents"_qs] = docs;
        files.append(fo);
    }
    QJsonObject o;
    o[u"import"_qs] = report.importId;
    o[u"kept"_qs] = report.kept;
    o[u"imported"_qs] = report.imported();
    o[u"duplicates"_qs] = report.duplicates();
    o[u"refusedFiles"_qs] = report.refusedFiles();
    o[u"files"_qs] = files;
    return o;
}

int runImport(const CliArgs &args)
{
    const ImportOptions o = importOptions(args);
    const bool json = args.flag(u"json"_qs);
    auto db = openForCompany(args, o.user, o.company, u"NewSave"_qs);
    const ImportReport report = importInvoices(*db, args.paths(), o, [&](const ImportedFile &f) {
        if (!json)
            printFile(f);
    });
    const QString summary = summaryOf(report, o);
    if (json)
        printJson(reportJson(report));
    else
        out(summary);
    if (report.refusedFiles()) {
        err(u"liqiva import: "_qs + summary);
        return 1;
    }
    return 0;
}

int runImportUndo(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int company = args.key(u"company"_qs);
    const int id = args.key(u"import"_qs);
    auto db = openForCompany(args, user, company, u"NewSave"_qs);
    const int invoices = undoImport(*db, company, id, user);
    out(QStringLiteral("Importazione %1 annullata: %2 fatture tolte dai contatori.").arg(id).arg(invoices));
    return 0;
}

int runImportList(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int company = args.key(u"company"_qs);
    auto db = openForCompany(args, user, company, u"Search"_qs);
    for (const ImportSummary &s : listImports(*db, company))
        out(QStringLiteral("%1  %2  utente %3  %4 fatture").arg(s.id).arg(s.when).arg(s.user).arg(s.invoices));
    return 0;
}

} // namespace

const std::vector<Command> &importCommands()
{
    static const std::vector<Command> table = {
        {"import undo",
         "import undo --db URL --user N --company N --import N   annulla un'importazione di fatture intera",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"import"_qs},
         {},
         runImportUndo},
        {"import list",
         "import list --db URL --user N --company N   le importazioni di fatture dell'azienda",
         {u"db"_qs, u"user"_qs, u"company"_qs},
         {},
         runImportList},
        {"import",
         "import --db URL --user N --company N [--branch N] [--received AAAA-MM-GG] [--dry-run] [--json] "
         "[--all-or-nothing] [--rules FILE.json] PERCORSO...   importa fatture elettroniche (.xml, .xml.p7m, .zip, "
         "cartelle) nei contatori IVA, con le regole di importazione dell'azienda (--rules: quelle del file al posto "
         "delle regole degli stessi fornitori, le altre in aggiunta)",
         {u"db"_qs, u"user"_qs, u"company"_qs, u"branch"_qs, u"received"_qs, u"rules"_qs},
         {u"dry-run"_qs, u"json"_qs, u"all-or-nothing"_qs},
         runImport,
         true},
    };
    return table;
}

} // namespace liqiva::cli
