#include "domain/invoices/InvoiceImport.h"

#include "database/Connection.h"
#include "database/RowState.h"
#include "database/SqlValue.h"
#include "domain/engine/CounterQueries.h"
#include "domain/invoices/InvoiceMapping.h"
#include "domain/invoices/InvoiceReader.h"
#include "suite/Percent.h"
#include "suite/Refusal.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>

#include <map>
#include <set>
#include <tuple>

namespace liqiva {

namespace {

const char *const monthNames[] = {"",       "gennaio", "febbraio",  "marzo",   "aprile",   "maggio",  "giugno",
                                  "luglio", "agosto",  "settembre", "ottobre", "novembre", "dicembre"};

QString monthName(int month, int year)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(monthNames[month])).arg(year);
}

QVariant nullInt()
{
    return QVariant(QMetaType::fromType<int>());
}

struct VatCode {
    int id = 0;
    QString code;
    Percent rate;
    Percent undeductible;
    int kind = 0;
    bool ventilation = false;
};

// The month an invoice counts in, and what is known about that period.
struct Placement {
    int vatYear = 0;
    int year = 0;
    int month = 0;
    bool late = false;
    QString note;
};

// Keys taken one after the other: the tables an import writes are the import's alone while
// its transaction lasts (SQLite writes one transaction at a time; on PostgreSQL the import
// locks them against other writers).
class Keys {
public:
    explicit Keys(Connection &db) : m_db(db) {}
    int next(const QString &table, const QString &column)
    {
        auto it = m_last.find(table);
        if (it == m_last.end()) {
            const QVariant top = m_db.scalar(u"SELECT MAX("_qs + column + u") FROM "_qs + table);
            it = m_last.emplace(table, top.isNull() ? 0LL : std::max(0LL, top.toLongLong())).first;
        }
        if (it->second >= 2147483647LL)
            throw Refusal(QStringLiteral("La tabella %1 ha esaurito le chiavi: non è stato scritto nulla.").arg(table));
        return int(++it->second);
    }

private:
    Connection &m_db;
    std::map<QString, long long> m_last;
};

class Importer {
public:
    Importer(Connection &db, const ImportOptions &o) : m_db(db), m_o(o), m_keys(db) {}

    void load();
    ImportedFile importFile(const InvoiceFile &f);
    int importId() const { return m_importId; }
    void closeImport(int files, int invoices);

private:
    struct Line {
        int kind, customerClass, idIva;
        bool goods;
        Money taxable, tax;
    };
    struct Plan {
        Invoice invoice;
        ImportedDocument doc;
        int branch = 0;
        Placement place;
        std::vector<Line> lines;
    };

    int activityOf(int branch);
    int vatYearOf(int year);
    int settlementType(int branch, int vatYear);
    int settledMonth(int branch, int vatYear, int month);
    void lockActivityYear(int branch, int vatYear);
    QVariant savedSettlement(int branch, int vatYear, int month);
    void touchWorkingSettlements(const Plan &p, const QDateTime &now);
    const VatCode &codeFor(const InvoiceSummaryLine &line, int undeductible);
    Plan plan(const Invoice &inv);
    InvoiceSides sidesOf(const Invoice &inv) const;
    void planLines(Plan &p, const InvoiceSides &sides, const SupplierRule &rule);
    void placeInPeriod(Plan &p);
    void moveOutOfSettledPeriod(Plan &p);
    void write(const Plan &p, const QString &file);

    Connection &m_db;
    const ImportOptions &m_o;
    Keys m_keys;
    QString m_vatNumber;
    int m_branch = 0;
    std::vector<VatCode> m_codes;
    QMap<int, int> m_activities;
    QMap<int, int> m_vatYears;
    int m_importId = 0;
    QSet<QString> m_seen;                          // the invoices met in this import
    ImportRules m_rules;                           // the company's kept rules, the --rules file over them
    std::set<std::pair<int, int>> m_locked;        // activity, VAT year
    std::set<std::tuple<int, int, int>> m_touched; // activity, VAT year, settled month
};

QString documentKey(const Invoice &inv)
{
    return inv.sellerVatNumber() + u'|' + inv.type + u'|' + inv.number + u'|' + inv.date.toString(Qt::ISODate);
}

void Importer::load()
{
    Recordset rs = m_db.openRecordset(u"SELECT Anagrafica.PartitaIva FROM Azienda INNER JOIN Anagrafica ON "
                                      u"Azienda.IDAnagrafica = Anagrafica.IDAnagrafica WHERE Azienda.IDAzienda = ? "
                                      u"AND Azienda.VirtualDelete = 0"_qs,
                                      {m_o.company});
    if (rs.eof())
        throw Refusal(QStringLiteral("L'azienda %1 non c'è: nessuna fattura importata.").arg(m_o.company));
    m_vatNumber = rs.text(u"PartitaIva"_qs).trimmed();
    rs.close();
    if (m_vatNumber.isEmpty())
        throw Refusal(
            QStringLiteral("L'azienda %1 non ha la partita IVA: le fatture non si possono attribuire, nessuna "
                           "fattura importata.")
                .arg(m_o.company));
    m_branch = m_o.branch;
    if (!m_branch)
        m_branch = m_db.scalar(u"SELECT MIN(IDFilialePrevalente) FROM ConfigurazioneGenerale WHERE IDAzienda = ? AND "
                               u"VirtualDelete = 0"_qs,
                               {m_o.company})
                       .toInt();
    if (!m_branch)
        throw Refusal(
            QStringLiteral("L'azienda %1 non ha una filiale prevalente: indicare --branch.").arg(m_o.company));
    activityOf(m_branch);
    m_rules = ImportRuleStore(m_db, m_o.company).load();
    m_rules.overrideWith(m_o.rules);
    for (Recordset c = m_db.openRecordset(u"SELECT IDIva, Iva, AliquotaIva, PercIndetraibilita, IDTipoIva, "
                                          u"IDIvaVentilazione FROM Iva WHERE VirtualDelete = 0 ORDER BY IDIva"_qs);
         !c.eof(); c.moveNext())
        m_codes.push_back({c.integer(u"IDIva"_qs), c.text(u"Iva"_qs).trimmed(),
                           Percent::fromVariant(c.field(u"AliquotaIva"_qs)),
                           Percent::fromVariant(c.field(u"PercIndetraibilita"_qs)),
                           c.isNull(u"IDTipoIva"_qs) ? 0 : c.integer(u"IDTipoIva"_qs),
                           !c.isNull(u"IDIvaVentilazione"_qs) && c.integer(u"IDIvaVentilazione"_qs) != 0});
}

int Importer::activityOf(int branch)
{
    if (m_activities.contains(branch))
        return m_activities.value(branch);
    Recordset rs =
        m_db.openRecordset(u"SELECT IDAttivitaAzienda FROM Filiale WHERE IDFiliale = ? AND IDAzienda = ? AND "
                           u"VirtualDelete = 0"_qs,
                           {branch, m_o.company});
    if (rs.eof() || rs.isNull(u"IDAttivitaAzienda"_qs))
        throw Refusal(QStringLiteral("La filiale %1 non è di un'attività dell'azienda %2: nessuna fattura importata.")
                          .arg(branch)
                          .arg(m_o.company));
    const int a = rs.integer(u"IDAttivitaAzienda"_qs);
    m_activities.insert(branch, a);
    return a;
}

int Importer::vatYearOf(int year)
{
    if (m_vatYears.contains(year))
        return m_vatYears.value(year);
    const QVariant key = m_db.scalar(u"SELECT MIN(IDPeriodoIva) FROM PeriodoIva WHERE IDAzienda = ? AND Anno = ? AND "
                                     u"VirtualDelete = 0"_qs,
                                     {m_o.company, year});
    if (key.isNull())
        throw Refusal(
            QStringLiteral("l'anno IVA %1 dell'azienda %2 non è aperto (liqiva year open)").arg(year).arg(m_o.company));
    m_vatYears.insert(year, key.toInt());
    return key.toInt();
}

int Importer::settlementType(int branch, int vatYear)
{
    return fnTipoLiquidazioneIva(m_db, activityOf(branch), vatYear);
}

// The month of the settlement that covers the month: itself, or its quarter's last month.
int Importer::settledMonth(int branch, int vatYear, int month)
{
    return settlementType(branch, vatYear) == 0 ? month : ((month - 1) / 3 + 1) * 3;
}

// Takes the activity's year as a settlement's save takes it, so that a save of the same
// period and this import go one after the other: a save that came first is seen by the check
// that follows; a save that comes after finds the working settlements this import touched.
void Importer::lockActivityYear(int branch, int vatYear)
{
    const std::pair<int, int> key{activityOf(branch), vatYear};
    if (m_locked.contains(key))
        return;
    m_db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET IDAttivitaAzienda = IDAttivitaAzienda WHERE "
                 u"IDAttivitaAzienda = ? AND IDPeriodoIva = ?"_qs,
                 {key.first, vatYear});
    m_locked.insert(key);
}

// The saved settlement that covers the month (its own month, its quarter or the year), or null.
QVariant Importer::savedSettlement(int branch, int vatYear, int month)
{
    lockActivityYear(branch, vatYear);
    return m_db.scalar(u"SELECT MIN(IDRisultatoLiquidazioneIva) FROM RisultatoLiquidazioneIva WHERE "
                       u"IDAttivitaAzienda = ? AND IDPeriodoIva = ? AND VirtualDelete = 0 AND (IDMese = ? OR (IDMese "
                       u"IS NULL AND AccontoIva = 0))"_qs,
                       {activityOf(branch), vatYear, settledMonth(branch, vatYear, month)});
}

// The settlements being filled for the period the plan writes to (working rows, not saved):
// their figures were read without this import, so their stamp changes and a save of them is
// refused until they are filled again.
void Importer::touchWorkingSettlements(const Plan &p, const QDateTime &now)
{
    const int activity = activityOf(p.branch);
    const int month = settledMonth(p.branch, p.place.vatYear, p.place.month);
    const auto key = std::make_tuple(activity, p.place.vatYear, month);
    if (m_touched.contains(key))
        return;
    m_db.execute(
        u"UPDATE RisultatoLiquidazioneIva SET DataUltimaVariazione = ?, IDUtenteUltimaVariazione = ? WHERE "
        u"IDAttivitaAzienda = ? AND IDPeriodoIva = ? AND VirtualDelete = ? AND (IDMese = ? OR IDMese IS "
        u"NULL)"_qs,
        {QVariant::fromValue(SqlTimestamp{now}), m_o.user, activity, p.place.vatYear, RowState::Working, month});
    m_touched.insert(key);
}

const VatCode &Importer::codeFor(const InvoiceSummaryLine &line, int undeductible)
{
    const Percent und = Percent::points(undeductible);
    const VatCode *found = nullptr;
    for (const VatCode &c : m_codes) {
        if (!line.nature.isEmpty()) {
            if (c.code.compare(line.nature, Qt::CaseInsensitive) == 0) {
                found = &c;
                break;
            }
            continue;
        }
        if (c.kind != 0 || c.ventilation || c.rate != line.rate || c.undeductible != und)
            continue;
        // The code named after its rate first ("22"), else the first of that rate.
        if (!found || c.code == line.rate.toMoney().toString().remove(QRegularExpression(u"\\.?0+$"_qs)))
            found = &c;
    }
    if (!found)
        throw Refusal(
            line.nature.isEmpty()
                ? QStringLiteral("nessun codice IVA dell'azienda ha l'aliquota %1%%2")
                      .arg(line.rate.toMoney().toString(),
                           undeductible ? QStringLiteral(" indetraibile al %1%").arg(undeductible) : QString())
                : QStringLiteral("nessun codice IVA dell'azienda ha la natura %1 (aliquota %2%)")
                      .arg(line.nature, line.rate.toMoney().toString()));
    return *found;
}

Importer::Plan Importer::plan(const Invoice &inv)
{
    Plan p;
    p.invoice = inv;
    ImportedDocument &d = p.doc;
    d.type = inv.type;
    d.number = inv.number;
    d.date = inv.date;
    const InvoiceSides sides = sidesOf(inv);
    d.counterparty =
        (sides.seller ? (inv.buyerName.isEmpty() ? inv.buyerCode : inv.buyerName) : inv.sellerName).simplified();
    const SupplierRule rule = sides.seller ? SupplierRule{} : m_rules.forSupplier(inv.sellerCountry, inv.sellerCode);
    p.branch = rule.branch ? rule.branch : m_branch;
    planLines(p, sides, rule);
    placeInPeriod(p);
    if (d.outcome != ImportedDocument::Outcome::Listed)
        moveOutOfSettledPeriod(p);
    d.year = p.place.year;
    d.month = p.place.month;
    d.late = p.place.late;
    return p;
}

// The company's side of the invoice: seller, buyer or both; refused when neither.
InvoiceSides Importer::sidesOf(const Invoice &inv) const
{
    const InvoiceSides sides{inv.sellerCountry == u"IT"_qs && inv.sellerCode == m_vatNumber,
                             inv.buyerCountry == u"IT"_qs && inv.buyerCode == m_vatNumber};
    if (!sides.seller && !sides.buyer)
        throw Refusal(QStringLiteral("la fattura %1 del %2 non è dell'azienda: la partita IVA %3 non è né del cedente "
                                     "(%4%5) né del cessionario (%6%7)")
                          .arg(inv.number, inv.date.toString(u"dd/MM/yyyy"_qs), m_vatNumber, inv.sellerCountry,
                               inv.sellerCode, inv.buyerCountry, inv.buyerCode));
    return sides;
}

// Where each summary line goes: its counters, with the VAT code of its rate and nature.
void Importer::planLines(Plan &p, const InvoiceSides &sides, const SupplierRule &rule)
{
    ImportedDocument &d = p.doc;
    QString why;
    for (const InvoiceSummaryLine &line : p.invoice.lines) {
        const auto targets = countersFor(p.invoice.type, sides, line.esigibilita, &why);
        for (const CounterTarget &t : targets) {
            const VatCode &code = codeFor(line, t.sale ? 0 : rule.undeductible);
            p.lines.push_back(
                {t.kind, t.customerClass, code.id, !t.sale && rule.goods, line.taxable * t.sign, line.tax * t.sign});
            if (t.sale)
                d.sale = true;
            else
                d.purchase = true;
        }
        if (!targets.empty()) {
            d.taxable += line.taxable * targets.front().sign;
            d.tax += line.tax * targets.front().sign;
        }
    }
    if (p.lines.empty() && !p.invoice.lines.empty() && !why.isEmpty()) {
        d.outcome = ImportedDocument::Outcome::Listed;
        d.note = why;
    }
}

// The month the invoice counts in: a sale its date's; a purchase the month it was received,
// or its date's when received by the 15th of the next month (a late invoice).
void Importer::placeInPeriod(Plan &p)
{
    const Invoice &inv = p.invoice;
    QDate when = inv.date;
    if (p.doc.purchase && !p.doc.sale) {
        const QDate received = std::max(m_o.received.value_or(inv.date), inv.date);
        const QDate next = inv.date.addMonths(1);
        if (received.year() == inv.date.year() && received.month() == inv.date.month()) {
            when = inv.date;
        } else if (received.year() == inv.date.year() && received.year() == next.year() &&
                   received.month() == next.month() && received.day() <= 15) {
            when = inv.date;
            p.place.late = true;
        } else {
            when = received;
        }
    }
    p.place.year = when.year();
    p.place.month = when.month();
    p.place.vatYear = vatYearOf(when.year());
}

// A month a saved settlement covers: a sale is refused naming it; a purchase goes to the
// first open month after it.
void Importer::moveOutOfSettledPeriod(Plan &p)
{
    const Invoice &inv = p.invoice;
    QVariant saved = savedSettlement(p.branch, p.place.vatYear, p.place.month);
    if (saved.isNull())
        return;
    if (p.doc.sale)
        throw Refusal(QStringLiteral("la fattura %1 del %2 va in %3, già liquidato con la liquidazione salvata %4: "
                                     "eliminarla o correggerla prima di importare")
                          .arg(inv.number, inv.date.toString(u"dd/MM/yyyy"_qs), monthName(p.place.month, p.place.year))
                          .arg(saved.toInt()));
    const int first = p.place.month;
    while (!saved.isNull() && p.place.month < 12) {
        ++p.place.month;
        saved = savedSettlement(p.branch, p.place.vatYear, p.place.month);
    }
    if (!saved.isNull())
        throw Refusal(QStringLiteral("l'acquisto %1 del %2 non trova un periodo aperto nel %3: ogni periodo da %4 è "
                                     "liquidato (liquidazione %5)")
                          .arg(inv.number, inv.date.toString(u"dd/MM/yyyy"_qs))
                          .arg(p.place.year)
                          .arg(monthName(first, p.place.year))
                          .arg(saved.toInt()));
    p.place.late = false;
    p.place.note = QStringLiteral("%1 è già liquidato: l'acquisto va in %2, il primo periodo aperto")
                       .arg(monthName(first, p.place.year), monthName(p.place.month, p.place.year));
    p.doc.note = p.place.note;
}

void Importer::write(const Plan &p, const QString &file)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_importId) {
        m_importId = m_keys.next(u"ImportazioneFatture"_qs, u"IDImportazioneFatture"_qs);
        m_db.execute(u"INSERT INTO ImportazioneFatture (IDImportazioneFatture, IDAzienda, IDUtente, DataImportazione, "
                     u"DataUltimaVariazione, IDUtenteUltimaVariazione) VALUES (?, ?, ?, ?, ?, ?)"_qs,
                     {m_importId, m_o.company, m_o.user, now, now, m_o.user});
    }
    if (!p.lines.empty())
        touchWorkingSettlements(p, now);
    const Invoice &inv = p.invoice;
    const int doc = m_keys.next(u"FatturaImportata"_qs, u"IDFatturaImportata"_qs);
    m_db.execute(
        u"INSERT INTO FatturaImportata (IDFatturaImportata, IDImportazioneFatture, IDAzienda, IDFiliale, IDPeriodoIva, "
        u"Anno, IDMese, Vendita, Acquisto, Contata, PartitaIvaCedente, TipoDocumento, NumeroDocumento, DataDocumento, "
        u"DataRicezione, Controparte, Imponibile, Imposta, NomeFile, DataUltimaVariazione, IDUtenteUltimaVariazione) "
        u"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_qs,
        {doc,
         m_importId,
         m_o.company,
         p.branch,
         p.place.vatYear,
         p.place.year,
         p.place.month,
         p.doc.sale ? 1 : 0,
         p.doc.purchase ? 1 : 0,
         p.lines.empty() ? 0 : 1,
         inv.sellerVatNumber(),
         inv.type,
         inv.number,
         inv.date.toString(Qt::ISODate),
         m_o.received ? QVariant(m_o.received->toString(Qt::ISODate)) : QVariant(QMetaType::fromType<QString>()),
         p.doc.counterparty.left(100),
         sqlValue(p.doc.taxable),
         sqlValue(p.doc.tax),
         file.right(255),
         now,
         m_o.user});

    // One counter row per kind, classification and VAT code of the invoice.
    std::map<std::tuple<int, int, int, bool>, std::pair<Money, Money>> rows;
    for (const Line &l : p.lines) {
        auto &r = rows[{l.kind, l.customerClass, l.idIva, l.goods}];
        r.first += l.taxable;
        r.second += l.tax;
    }
    for (const auto &[key, amounts] : rows) {
        const auto &[kind, customerClass, idIva, goods] = key;
        const bool purchase = kind == CounterKind::Purchases || kind == CounterKind::PurchasesSuspended ||
                              kind == CounterKind::SplitPurchases;
        const int counter = m_keys.next(u"ContatoreIva"_qs, u"IDContatoreIva"_qs);
        m_db.execute(u"INSERT INTO ContatoreIva (IDContatoreIva, IDTipoContatoreIva, IDIva, Anno, IDMese, IDFiliale, "
                     u"Imponibile, Importo, RiportoSuChiusuraIVA, AcquistiSolaVentilazione, IDClassificazioneIvaConto, "
                     u"IDClassificazioneIvaCF, FatturaInRitardo, AccontoIva, DataUltimaVariazione, "
                     u"IDUtenteUltimaVariazione) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1, 0, ?, ?, ?, 0, ?, ?)"_qs,
                     {counter, kind, idIva, p.place.year, p.place.month, p.branch, sqlValue(amounts.first),
                      sqlValue(amounts.second), purchase && goods ? QVariant(7) : nullInt(),
                      customerClass ? QVariant(customerClass) : nullInt(),
                      p.place.late && kind == CounterKind::Purchases ? 1 : 0, now, m_o.user});
        m_db.execute(
            u"INSERT INTO RigaFatturaImportata (IDRigaFatturaImportata, IDFatturaImportata, IDContatoreIva, "
            u"DataUltimaVariazione, IDUtenteUltimaVariazione) VALUES (?, ?, ?, ?, ?)"_qs,
            {m_keys.next(u"RigaFatturaImportata"_qs, u"IDRigaFatturaImportata"_qs), doc, counter, now, m_o.user});
    }
}

ImportedFile Importer::importFile(const InvoiceFile &f)
{
    ImportedFile out;
    out.name = f.name;
    out.signedEnvelope = f.signedEnvelope;
    if (!f.problem.isEmpty()) {
        out.refusal = f.problem;
        return out;
    }
    std::vector<Plan> plans;
    try {
        const std::vector<Invoice> invoices = readInvoices(f.xml);
        QSet<QString> inFile;
        for (const Invoice &inv : invoices) {
            const QString key = documentKey(inv);
            const bool known =
                m_seen.contains(key) || inFile.contains(key) ||
                m_db.scalar(u"SELECT COUNT(*) FROM FatturaImportata WHERE IDAzienda = ? AND PartitaIvaCedente = ? AND "
                            u"TipoDocumento = ? AND NumeroDocumento = ? AND DataDocumento = ?"_qs,
                            {m_o.company, inv.sellerVatNumber(), inv.type, inv.number, inv.date.toString(Qt::ISODate)})
                        .toInt() > 0;
            if (known) {
                ImportedDocument d;
                d.outcome = ImportedDocument::Outcome::Duplicate;
                d.type = inv.type;
                d.number = inv.number;
                d.date = inv.date;
                d.counterparty = inv.sellerName;
                d.note = QStringLiteral("già importata (cedente %1)").arg(inv.sellerVatNumber());
                out.documents.push_back(d);
                continue;
            }
            inFile.insert(key);
            plans.push_back(plan(inv));
        }
    } catch (const Refusal &r) {
        out.refusal = r.message();
        out.documents.clear();
        return out;
    }
    for (const Plan &p : plans) {
        write(p, f.name);
        m_seen.insert(documentKey(p.invoice));
        out.documents.push_back(p.doc);
    }
    return out;
}

void Importer::closeImport(int files, int invoices)
{
    if (m_importId)
        m_db.execute(
            u"UPDATE ImportazioneFatture SET NumeroFile = ?, NumeroFatture = ? WHERE IDImportazioneFatture = ?"_qs,
            {files, invoices, m_importId});
}

// The tables an import writes, locked against other writers on PostgreSQL (SQLite's
// transaction already writes alone): two imports of the same files run one after the
// other, and the second finds the first's invoices.
void lockTables(Connection &db)
{
    if (db.engine() == Engine::Postgres)
        db.executeRaw(u"LOCK TABLE ImportazioneFatture, FatturaImportata, RigaFatturaImportata, ContatoreIva IN SHARE "
                      u"ROW EXCLUSIVE MODE"_qs);
}

} // namespace

int ImportReport::imported() const
{
    int n = 0;
    for (const ImportedFile &f : files)
        for (const ImportedDocument &d : f.documents)
            n += d.outcome == ImportedDocument::Outcome::Imported && kept;
    return n;
}

int ImportReport::duplicates() const
{
    int n = 0;
    for (const ImportedFile &f : files)
        for (const ImportedDocument &d : f.documents)
            n += d.outcome == ImportedDocument::Outcome::Duplicate;
    return n;
}

int ImportReport::refusedFiles() const
{
    int n = 0;
    for (const ImportedFile &f : files)
        n += !f.refusal.isEmpty();
    return n;
}

ImportReport importInvoices(Connection &db, const QStringList &paths, const ImportOptions &options,
                            const std::function<void(const ImportedFile &)> &progress)
{
    ImportReport report;
    Transaction tx(db);
    lockTables(db);
    Importer importer(db, options);
    importer.load();
    int invoices = 0;
    forEachInvoiceFile(paths, [&](const InvoiceFile &f) {
        ImportedFile done = importer.importFile(f);
        for (const ImportedDocument &d : done.documents)
            invoices += d.outcome != ImportedDocument::Outcome::Duplicate;
        if (progress)
            progress(done);
        report.files.push_back(std::move(done));
    });
    importer.closeImport(int(report.files.size()), invoices);
    const bool keep =
        !options.dryRun && !(options.allOrNothing && report.refusedFiles() > 0) && importer.importId() != 0;
    if (keep) {
        tx.commit();
        report.kept = true;
        report.importId = importer.importId();
    }
    return report;
}

int undoImport(Connection &db, int company, int importId, int user)
{
    Transaction tx(db);
    lockTables(db);
    if (db.scalar(u"SELECT COUNT(*) FROM ImportazioneFatture WHERE IDImportazioneFatture = ? AND IDAzienda = ?"_qs,
                  {importId, company})
            .toInt() == 0)
        throw Refusal(QStringLiteral("L'importazione %1 dell'azienda %2 non c'è.").arg(importId).arg(company));
    // As the import: the years of the activities it wrote to are taken as a save takes them, so
    // that a save of the same period waits or is seen; the settlements being filled for those
    // years read figures this undo changes, and their save is refused until filled again.
    const QString ofTheImport =
        u"EXISTS (SELECT 1 FROM FatturaImportata INNER JOIN Filiale ON FatturaImportata.IDFiliale = Filiale.IDFiliale "
        u"WHERE FatturaImportata.IDImportazioneFatture = ? AND FatturaImportata.Contata <> 0 AND "
        u"Filiale.IDAttivitaAzienda = %1.IDAttivitaAzienda AND FatturaImportata.IDPeriodoIva = %1.IDPeriodoIva)"_qs;
    db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET IDAttivitaAzienda = IDAttivitaAzienda WHERE "_qs +
                   ofTheImport.arg(u"AttivitaAziendaPerPeriodoIva"_qs),
               {importId});
    db.execute(u"UPDATE RisultatoLiquidazioneIva SET DataUltimaVariazione = ?, IDUtenteUltimaVariazione = ? WHERE "
               u"VirtualDelete = ? AND "_qs +
                   ofTheImport.arg(u"RisultatoLiquidazioneIva"_qs),
               {QVariant::fromValue(SqlTimestamp{QDateTime::currentDateTime()}), user, RowState::Working, importId});
    // A saved settlement of a period the import wrote to has used it.
    Recordset used = db.openRecordset(
        u"SELECT MIN(RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva) AS R, FatturaImportata.Anno, "
        u"FatturaImportata.IDMese FROM FatturaImportata INNER JOIN Filiale ON FatturaImportata.IDFiliale = "
        u"Filiale.IDFiliale INNER JOIN RisultatoLiquidazioneIva ON RisultatoLiquidazioneIva.IDAttivitaAzienda = "
        u"Filiale.IDAttivitaAzienda AND RisultatoLiquidazioneIva.IDPeriodoIva = FatturaImportata.IDPeriodoIva "
        u"LEFT JOIN AttivitaAziendaPerPeriodoIva ON AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = "
        u"Filiale.IDAttivitaAzienda AND AttivitaAziendaPerPeriodoIva.IDPeriodoIva = FatturaImportata.IDPeriodoIva "
        u"WHERE FatturaImportata.IDImportazioneFatture = ? AND FatturaImportata.Contata <> 0 AND "
        u"RisultatoLiquidazioneIva.VirtualDelete = 0 AND ((RisultatoLiquidazioneIva.IDMese IS NULL AND "
        u"RisultatoLiquidazioneIva.AccontoIva = 0) OR "
        u"(COALESCE(AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva, 0) = 0 AND RisultatoLiquidazioneIva.IDMese = "
        u"FatturaImportata.IDMese) OR (COALESCE(AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva, 0) <> 0 AND "
        u"RisultatoLiquidazioneIva.IDMese >= FatturaImportata.IDMese AND RisultatoLiquidazioneIva.IDMese < "
        u"FatturaImportata.IDMese + 3 AND RisultatoLiquidazioneIva.IDMese IN (3, 6, 9, 12))) "
        u"GROUP BY FatturaImportata.Anno, FatturaImportata.IDMese ORDER BY FatturaImportata.Anno, FatturaImportata.IDMese"_qs,
        {importId});
    if (!used.eof())
        throw Refusal(
            QStringLiteral("L'importazione %1 non si può annullare: la liquidazione salvata %2 ha già usato le "
                           "fatture di %3. Eliminarla prima.")
                .arg(importId)
                .arg(used.integer(u"R"_qs))
                .arg(monthName(used.integer(u"IDMese"_qs), used.integer(u"Anno"_qs))));
    used.close();
    const int invoices =
        db.scalar(u"SELECT COUNT(*) FROM FatturaImportata WHERE IDImportazioneFatture = ?"_qs, {importId}).toInt();
    db.execute(u"DELETE FROM ContatoreIva WHERE IDContatoreIva IN (SELECT IDContatoreIva FROM RigaFatturaImportata "
               u"INNER JOIN FatturaImportata ON RigaFatturaImportata.IDFatturaImportata = "
               u"FatturaImportata.IDFatturaImportata WHERE FatturaImportata.IDImportazioneFatture = ?)"_qs,
               {importId});
    db.execute(u"DELETE FROM RigaFatturaImportata WHERE IDFatturaImportata IN (SELECT IDFatturaImportata FROM "
               u"FatturaImportata WHERE IDImportazioneFatture = ?)"_qs,
               {importId});
    db.execute(u"DELETE FROM FatturaImportata WHERE IDImportazioneFatture = ?"_qs, {importId});
    db.execute(u"DELETE FROM ImportazioneFatture WHERE IDImportazioneFatture = ?"_qs, {importId});
    tx.commit();
    return invoices;
}

std::vector<ImportSummary> listImports(Connection &db, int company)
{
    std::vector<ImportSummary> list;
    for (Recordset rs =
             db.openRecordset(u"SELECT IDImportazioneFatture, DataImportazione, IDUtente, NumeroFatture FROM "
                              u"ImportazioneFatture WHERE IDAzienda = ? ORDER BY IDImportazioneFatture DESC"_qs,
                              {company});
         !rs.eof(); rs.moveNext())
        list.push_back({rs.integer(u"IDImportazioneFatture"_qs), rs.field(u"DataImportazione"_qs).toString(),
                        rs.integer(u"IDUtente"_qs), rs.integer(u"NumeroFatture"_qs)});
    return list;
}

std::vector<ImportedInvoiceRow> listImportedInvoices(Connection &db, int company, int year, int month)
{
    std::vector<ImportedInvoiceRow> list;
    for (Recordset rs = db.openRecordset(
             u"SELECT IDImportazioneFatture, DataDocumento, NumeroDocumento, Controparte, TipoDocumento, Imponibile, "
             u"Imposta, Anno, IDMese, Vendita, Acquisto, Contata FROM FatturaImportata WHERE IDAzienda = ? AND (? = 0 "
             u"OR "
             u"Anno = ?) AND (? = 0 OR IDMese = ?) ORDER BY DataDocumento, IDFatturaImportata"_qs,
             {company, year, year, month, month});
         !rs.eof(); rs.moveNext())
        list.push_back({rs.integer(u"IDImportazioneFatture"_qs), rs.text(u"DataDocumento"_qs),
                        rs.text(u"NumeroDocumento"_qs), rs.text(u"Controparte"_qs), rs.text(u"TipoDocumento"_qs),
                        Money::fromVariant(rs.field(u"Imponibile"_qs)), Money::fromVariant(rs.field(u"Imposta"_qs)),
                        rs.integer(u"Anno"_qs), rs.integer(u"IDMese"_qs), rs.integer(u"Vendita"_qs) != 0,
                        rs.integer(u"Acquisto"_qs) != 0, rs.integer(u"Contata"_qs) != 0});
    return list;
}

} // namespace liqiva
