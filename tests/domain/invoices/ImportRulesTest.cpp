// "Regole di importazione" kept per company, on both engines: a rule kept once goes into the
// counters of every import (goods for resale, the undeductible code, the branch), a --rules
// file stands over it, a rule that cannot apply is refused writing nothing, and two processes
// setting one supplier's rule at once leave one rule.

#include "domain/invoices/ImportRules.h"
#include "database/DbError.h"
#include "domain/invoices/InvoiceImport.h"
#include "suite/Refusal.h"
#include "support/ChildTask.h"
#include "support/InvoiceCompany.h"
#include "support/InvoiceFiles.h"
#include "support/TestDatabase.h"

#include <QJsonDocument>
#include <QTemporaryDir>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class ImportRulesKept : public EngineTest {};

const QString Goods = u"01234567890"_qs, Car = u"07643520567"_qs, Plain = u"00488410010"_qs;

TestInvoice purchaseFrom(const QString &supplier, const QString &number)
{
    return {supplier,         u"IT"_qs,   InvoiceCompanyVat,
            u"IT"_qs,         u"TD01"_qs, number,
            u"2025-01-10"_qs, u"EUR"_qs,  {{.taxable = u"100.00"_qs, .tax = u"22.00"_qs}}};
}

// supplier: VAT code, account class, branch of its counter rows
QStringList countersBySupplier(Connection &db)
{
    QStringList rows;
    for (Recordset rs = db.openRecordset(
             u"SELECT FatturaImportata.PartitaIvaCedente, FatturaImportata.NumeroDocumento, Iva.Iva, "
             u"COALESCE(ContatoreIva.IDClassificazioneIvaConto, 0) AS K, ContatoreIva.IDFiliale FROM ContatoreIva "
             u"INNER JOIN RigaFatturaImportata ON RigaFatturaImportata.IDContatoreIva = ContatoreIva.IDContatoreIva "
             u"INNER JOIN FatturaImportata ON FatturaImportata.IDFatturaImportata = "
             u"RigaFatturaImportata.IDFatturaImportata INNER JOIN Iva ON Iva.IDIva = ContatoreIva.IDIva ORDER BY "
             u"FatturaImportata.NumeroDocumento"_qs);
         !rs.eof(); rs.moveNext())
        rows << QStringLiteral("%1 %2: %3 %4 %5")
                    .arg(rs.text(u"PartitaIvaCedente"_qs), rs.text(u"NumeroDocumento"_qs), rs.text(u"Iva"_qs).trimmed())
                    .arg(rs.integer(u"K"_qs))
                    .arg(rs.integer(u"IDFiliale"_qs));
    return rows;
}

// Sets one supplier's rule again and again: --child save-rule URL UNDEDUCTIBLE TIMES
const ChildTask saveRule("save-rule", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    SupplierRule rule;
    rule.undeductible = args.value(1).toInt();
    rule.goods = true;
    for (int k = 0; k < args.value(2).toInt(); ++k)
        ImportRuleStore(*db, 1).save(Goods, rule, 1);
    return 0;
});

} // namespace

TEST_P(ImportRulesKept, AKeptRuleGoesIntoTheCountersAndTheFileStandsOverIt)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    const CreatedCompany company = createInvoiceCompany(db, {u"Sede"_qs, u"Negozio"_qs});
    ASSERT_EQ(company.branches.size(), 2u);
    const int shop = company.branches[1];
    ImportRuleStore store(db, 1);
    store.save(Goods, {.goods = true}, 1);
    store.save(u"it"_qs + Car, {.undeductible = 60, .branch = shop}, 1);

    // Rules that cannot apply: refused, with their reason, and nothing changes.
    const struct {
        const char *vat;
        SupplierRule rule;
        const char *reason;
    } refused[] = {
        {"123", {.goods = true}, "non è una partita IVA"},
        {"01234567890", {.undeductible = 33}, "indetraibile al 33%"},
        {"01234567890", {.branch = 999}, "filiale 999"},
    };
    for (const auto &r : refused) {
        try {
            store.save(QString::fromLatin1(r.vat), r.rule, 1);
            ADD_FAILURE() << r.reason << ": accepted";
        } catch (const Refusal &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(r.reason))) << e.message().toStdString();
        }
    }
    const std::vector<StoredRule> kept = store.list();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].vatNumber, u"IT"_qs + Goods);
    EXPECT_EQ(kept[0].rule, (SupplierRule{.goods = true}));
    EXPECT_EQ(kept[1].rule, (SupplierRule{.undeductible = 60, .branch = shop}));

    QTemporaryDir dir;
    auto import = [&](const QString &name, const std::vector<TestInvoice> &invoices, const ImportRules &file = {}) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFile(path, invoiceXml(invoices.front())));
        QStringList paths{path};
        for (size_t k = 1; k < invoices.size(); ++k) {
            paths << dir.filePath(name + QString::number(k));
            EXPECT_TRUE(writeFile(paths.back(), invoiceXml(invoices[k])));
        }
        ImportOptions o;
        o.company = 1;
        o.user = 1;
        o.rules = file;
        const ImportReport report = importInvoices(db, paths, o);
        EXPECT_EQ(report.refusedFiles(), 0);
        return report;
    };
    import(u"a"_qs, {purchaseFrom(Goods, u"A1"_qs), purchaseFrom(Car, u"A2"_qs), purchaseFrom(Plain, u"A3"_qs)});
    // The file's rule for the car's supplier in place of the kept one; the kept one of the
    // goods' supplier still applies.
    import(u"b"_qs, {purchaseFrom(Goods, u"B1"_qs), purchaseFrom(Car, u"B2"_qs)},
           ImportRules::fromJson(
               QJsonDocument::fromJson(R"({"suppliers": [{"vatNumber": "07643520567", "goods": true}]})").object()));
    const int home = company.branches[0];
    // supplier number: VAT code, account class (7 goods for resale), branch
    const QStringList expected = {
        QStringLiteral("IT01234567890 A1: 22 7 %1").arg(home), QStringLiteral("IT07643520567 A2: 22D40 0 %1").arg(shop),
        QStringLiteral("IT00488410010 A3: 22 0 %1").arg(home), QStringLiteral("IT01234567890 B1: 22 7 %1").arg(home),
        QStringLiteral("IT07643520567 B2: 22 7 %1").arg(home),
    };
    EXPECT_EQ(countersBySupplier(db), expected) << countersBySupplier(db).join(u'\n').toStdString();

    // A rule set to nothing is removed.
    store.save(Goods, {}, 1);
    EXPECT_EQ(store.list().size(), 1u);
    EXPECT_FALSE(store.remove(Goods));
}

// Two processes setting one supplier's rule at the same moment leave one rule, one of
// theirs; a write that fails leaves the rule as it was.
TEST_P(ImportRulesKept, TwoAtOnceAndOneFailing)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    createInvoiceCompany(db);
    auto first = startChild(u"save-rule"_qs, {t->url(), u"60"_qs, u"40"_qs});
    auto second = startChild(u"save-rule"_qs, {t->url(), u"0"_qs, u"40"_qs});
    for (auto *p : {first.get(), second.get()}) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM RegolaImportazione"_qs).toInt(), 1);
    const SupplierRule last = ImportRuleStore(db, 1).load().forSupplier(u"IT"_qs, Goods);
    EXPECT_TRUE(last == (SupplierRule{.goods = true, .undeductible = 60}) || last == (SupplierRule{.goods = true}))
        << last.undeductible << " " << last.goods;

    if (engine() == Engine::Postgres) {
        db.executeRaw(u"CREATE FUNCTION fallisci() RETURNS trigger AS $$ BEGIN RAISE EXCEPTION 'scrittura fallita'; "
                      u"END $$ LANGUAGE plpgsql"_qs);
        db.executeRaw(u"CREATE TRIGGER fallisci BEFORE UPDATE ON RegolaImportazione FOR EACH ROW EXECUTE FUNCTION "
                      u"fallisci()"_qs);
    } else {
        db.executeRaw(u"CREATE TRIGGER fallisci BEFORE UPDATE ON RegolaImportazione BEGIN SELECT RAISE(ABORT, "
                      u"'scrittura fallita'); END"_qs);
    }
    EXPECT_THROW(ImportRuleStore(db, 1).save(Goods, {.branch = 1}, 1), DbError);
    EXPECT_EQ(ImportRuleStore(db, 1).load().forSupplier(u"IT"_qs, Goods), last);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ImportRulesKept);
