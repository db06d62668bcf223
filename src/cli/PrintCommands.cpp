#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/SettlementDocument.h"
#include "domain/printing/DeclarationPrint.h"
#include "domain/printing/PrintJob.h"
#include "domain/printing/PrintOptions.h"
#include "render/PageRenderer.h"
#include "render/ReportExport.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"
#include "suite/WholeFile.h"
#include "suite/rights/UserRights.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace liqiva::cli {

namespace {

int companyOfSavedSettlement(Connection &db, int key)
{
    const auto saved = CompanyDirectory(db).savedSettlement(key);
    if (!saved)
        throw Refusal(QStringLiteral("la liquidazione I.V.A. %1 non esiste o non è salvata: le chiavi salvate le "
                                     "elenca liqiva list.")
                          .arg(key));
    return saved->idAzienda;
}

PrintReport reportOf(const CliArgs &args)
{
    const QString name = args.value(u"report"_qs, u"settlement"_qs);
    if (name == u"settlement"_qs)
        return PrintReport::Settlement;
    if (name == u"summary"_qs)
        return PrintReport::Summary;
    if (name == u"declaration"_qs)
        return PrintReport::Declaration;
    throw UsageError{u"--report: settlement (la liquidazione), summary (il riepilogo) oppure declaration (la "
                     u"dichiarazione periodica o la comunicazione annuale)"_qs};
}

// Sets the options from the flags as a person would in the dialog; a choice the dialog would
// not offer is refused with what it does offer.
void setDefinitive(PrintOptions &options, const CliArgs &args)
{
    options.setDefinitive(true);
    const int reg = args.key(u"register"_qs);
    QStringList offered;
    bool found = false;
    for (const NamedKey &r : options.registers()) {
        offered << QStringLiteral("%1 %2").arg(r.id).arg(r.name);
        found = found || r.id == reg;
    }
    if (!found)
        throw Refusal{QStringLiteral("il registro %1 non è numerato per questa stampa; registri possibili: %2.")
                          .arg(reg)
                          .arg(offered.isEmpty() ? u"nessuno"_qs : offered.join(u", "_qs))};
    options.chooseRegister(reg);
    if (options.sectionalEnabled()) {
        QStringList sectionals;
        for (const NamedKey &s : options.sectionals())
            sectionals << QStringLiteral("%1 %2").arg(s.id).arg(s.name);
        if (!args.has(u"sectional"_qs))
            throw Refusal{u"il registro è numerato per sezionale: indicarne uno con --sectional ("_qs +
                          sectionals.join(u", "_qs) + u")."_qs};
        options.chooseSectional(args.key(u"sectional"_qs));
        if (options.idSezionale() == 0)
            throw Refusal{u"il sezionale non è abilitato a questa stampa; sezionali possibili: "_qs +
                          sectionals.join(u", "_qs) + u"."_qs};
    } else if (args.has(u"sectional"_qs)) {
        throw Refusal{u"il registro non è numerato per sezionale: togliere --sectional."_qs};
    }
    // The register's pages of a year carry that year's settlements.
    const int settlementYear = options.year();
    const int year = args.integer(u"year"_qs, 1900, 9999);
    if (year != settlementYear)
        throw Refusal{QStringLiteral("--year %1: l'anno del registro è quello della liquidazione, %2.")
                          .arg(year)
                          .arg(settlementYear)};
    options.setYear(year);
    constexpr int lastNumber = std::numeric_limits<int>::max();
    const int stored = options.storedLastPage();
    if (stored >= lastNumber)
        throw Refusal{QStringLiteral("il registro è già stampato fino alla pagina %1, l'ultima che la numerazione "
                                     "gestisce: non vi si possono stampare altre pagine.")
                          .arg(stored)};
    if (args.has(u"start-page"_qs)) {
        const int start = args.integer(u"start-page"_qs, 1, lastNumber);
        if (start <= stored)
            throw Refusal{QStringLiteral("il registro è già stampato fino alla pagina %1: --start-page va da %2 a %3.")
                              .arg(stored)
                              .arg(qint64(stored) + 1)
                              .arg(lastNumber)};
        options.setLastPage(start - 1);
    }
}

WholeFile::Replace replaceOf(const CliArgs &args)
{
    return args.flag(u"yes"_qs) ? WholeFile::Replace::Yes : WholeFile::Replace::No;
}

// Who prints which saved settlement into which file.
struct Target {
    int user = 0;
    int key = 0;
    QString file;
};

Target targetOf(const CliArgs &args, const QString &fileHint)
{
    Target t{args.key(u"user"_qs), args.key(u"id"_qs), args.value(u"out"_qs)};
    if (t.file.isEmpty())
        throw UsageError{u"manca --out "_qs + fileHint};
    return t;
}

// The database and the company of the settlement a print or an export is of. The file is
// refused before any work (a folder, a device, an existing file without --yes), then the
// settlement must be saved and the user may print in its company.
struct Opened {
    std::unique_ptr<Connection> db;
    int company = 0;
};

Opened openForPrint(const CliArgs &args, const Target &t)
{
    WholeFile::check(t.file, replaceOf(args));
    Opened o{openDatabase(args), 0};
    o.company = companyOfSavedSettlement(*o.db, t.key);
    requireRight(*o.db, t.user, o.company, UserRights::Print);
    return o;
}

// The declaration form of a saved settlement: the required data checked first (missing
// items stop the print unless --yes), the work rows written, printed and removed.
int runDeclarationPrint(const CliArgs &args, const Target &t)
{
    if (args.flag(u"definitive"_qs))
        throw UsageError{u"la dichiarazione non si stampa sul registro: togliere --definitive"_qs};
    const auto [user, key, file] = t;
    auto [db, company] = openForPrint(args, t);
    ConsoleMessages messages(args.flag(u"yes"_qs));
    SettlementDocument doc(DocumentContext{*db, messages, user, company, settlementFunction(*db), false, {}});
    doc.sbChildFill(key, false);
    const DeclarationData data = declarationData(doc);
    const bool test = args.flag(u"test"_qs);
    if (test && data.annualCommunication())
        throw Refusal{u"il test di stampa c'è solo per le dichiarazioni periodiche fino al 2001."_qs};
    const QStringList missing =
        DeclarationPrint::missingData(*db, company, data.anno, doc.soggettoRimborso(), doc.datiDip());
    if (!missing.isEmpty() && !args.flag(u"yes"_qs))
        throw Refusal{u"mancano i dati richiesti dal modello: "_qs + missing.join(u", "_qs) +
                      u" (stampare ugualmente con --yes)."_qs};
    int pages = 0;
    WholeFile target(file, replaceOf(args));
    DeclarationPrint(*db, user).print(data, test, [&](const PrintedReport &r) {
        writePdf(r, target);
        target.commit();
        pages = r.pageCount();
        return true;
    });
    out(QStringLiteral("%1: %2 pagine in %3.").arg(DeclarationPrint::title(data.anno)).arg(pages).arg(file));
    return 0;
}

int runPrint(const CliArgs &args)
{
    const Target t = targetOf(args, u"FILE.pdf"_qs);
    const auto [user, key, file] = t;
    const PrintReport report = reportOf(args);
    if (report == PrintReport::Declaration)
        return runDeclarationPrint(args, t);
    if (args.flag(u"test"_qs))
        throw UsageError{u"--test vale solo con --report declaration"_qs};
    const bool definitive = args.flag(u"definitive"_qs);
    if (!definitive)
        for (const char *name : {"register", "sectional", "year", "start-page"})
            if (args.has(QLatin1String(name)))
                throw UsageError{u"--"_qs + QLatin1String(name) + u" vale solo con --definitive"_qs};
    auto [db, company] = openForPrint(args, t);

    ConsoleMessages messages(args.flag(u"yes"_qs));
    PrintOptions options(*db, company, report, key, PrintOperation::Printer);
    if (definitive)
        setDefinitive(options, args);
    if (!options.okEnabled())
        throw Refusal{u"le opzioni di stampa non sono complete."_qs};
    if (!askEach(messages, options.questions()) || !options.confirm())
        throw Refusal{u"stampa annullata (rispondere sì con --yes)."_qs};
    PrintRequest request = options.request();
    if (report == PrintReport::Summary)
        request.settlements = PrintJob::summarySettlements(*db, key);

    PrintJob job(PrintContext{*db, messages, user, company, settlementFunction(*db)});
    PrintedReport pages = job.build(request);
    // The file is written whole under a temporary name and put in place only when the
    // register's page and the printed mark can be stored with it (in the same transaction);
    // a print refused there leaves no file and an existing one as it was.
    WholeFile target(file, replaceOf(args));
    job.run(
        request, pages,
        [&target](const PrintedReport &r) {
            writePdf(r, target);
            return true;
        },
        [&target] { target.commit(); });
    out(QStringLiteral("%1: %2 pagine (dalla %3 alla %4) in %5%6")
            .arg(pages.title)
            .arg(pages.pageCount())
            .arg(pages.firstPageNumber())
            .arg(pages.lastPageNumber())
            .arg(file)
            .arg(definitive ? u", stampa definitiva registrata."_qs : u"."_qs));
    return 0;
}

int runExport(const CliArgs &args)
{
    const Target t = targetOf(args, u"FILE"_qs);
    const auto [user, key, file] = t;
    const std::optional<ExportFormat> format = exportFormatOf(args.value(u"format"_qs, QFileInfo(file).suffix()));
    if (!format)
        throw UsageError{u"--format: pdf, html, odt (testo) oppure xlsx (foglio di calcolo)"_qs};
    const PrintReport report = reportOf(args);
    if (report == PrintReport::Declaration)
        throw UsageError{u"la dichiarazione si stampa con liqiva print --report declaration"_qs};
    auto [db, company] = openForPrint(args, t);

    ConsoleMessages messages(args.flag(u"yes"_qs));
    PrintOptions options(*db, company, report, key, PrintOperation::Printer);
    PrintRequest request = options.request();
    if (report == PrintReport::Summary)
        request.settlements = PrintJob::summarySettlements(*db, key);
    PrintJob job(PrintContext{*db, messages, user, company, settlementFunction(*db)});
    PrintedReport pages = job.build(request);
    WholeFile target(file, replaceOf(args));
    exportReport(pages, *format, target);
    target.commit();
    out(QStringLiteral("%1: esportata in %2.").arg(pages.title, file));
    return 0;
}

} // namespace

const std::vector<Command> &printCommands()
{
    static const std::vector<Command> table = {
        {"print",
         "print   --db URL --user N --id N [--report settlement|summary|declaration] --out FILE.pdf [--definitive "
         "--register ID [--sectional ID] --year Y [--start-page P]] [--test] [--yes]  stampa una liquidazione salvata "
         "(o il riepilogo del suo anno, o la dichiarazione: periodica fino al 2001, con --test il test di stampa; "
         "comunicazione annuale dal 2002), anche in definitivo sul registro numerato",
         {u"db"_qs, u"user"_qs, u"id"_qs, u"report"_qs, u"out"_qs, u"register"_qs, u"sectional"_qs, u"year"_qs,
          u"start-page"_qs},
         {u"definitive"_qs, u"test"_qs, u"yes"_qs},
         runPrint},
        {"export",
         "export  --db URL --user N --id N [--report settlement|summary] [--format pdf|html|odt|xlsx] --out FILE "
         "[--yes]  esporta una liquidazione salvata (o il riepilogo) in PDF, HTML, testo o foglio di calcolo; un file "
         "esistente si sostituisce solo con --yes",
         {u"db"_qs, u"user"_qs, u"id"_qs, u"report"_qs, u"format"_qs, u"out"_qs},
         {u"yes"_qs},
         runExport},
    };
    return table;
}

} // namespace liqiva::cli
