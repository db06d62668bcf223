// Electronic invoices into the VAT counters: the hostile files, and on both engines a month
// settled from imported invoices with its figures worked out by hand, the refusals, undo, two
// imports at once and one killed.

#include "domain/invoices/InvoiceImport.h"
#include "database/DbError.h"
#include "domain/companies/CompanySetup.h"
#include "domain/engine/CounterQueries.h"
#include "domain/invoices/InvoiceMapping.h"
#include "domain/invoices/InvoiceReader.h"
#include "suite/Refusal.h"
#include "support/InvoiceCompany.h"
#include "support/InvoiceFiles.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QThread>

using namespace liqiva;
using namespace liqiva::test;

// Hostile or broken files are refused with a reason, and nothing is read from them.
TEST(InvoiceFiles, HostileFilesAreRefused)
{
    QTemporaryDir dir;
    const QByteArray good = invoiceXml(TestInvoice{});
    const QByteArray laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><p>&c;&c;&c;</p>";
    const QByteArray external =
        "<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><p>&x;</p>";
    QByteArray deep;
    for (int k = 0; k < 5000; ++k)
        deep += "<a>";
    QByteArray invalidUtf8 = good;
    invalidUtf8.replace("Merce", "Merc\xff\xfe");
    TestInvoice noNumber;
    noNumber.number = QString();
    const struct {
        const char *name;
        QByteArray bytes;
        const char *reason;
    } xmlCases[] = {
        {"entity expansion", laughs, "DTD|entity reference loop|non è un documento XML leggibile"},
        {"external entity", external, "DTD|non è un documento XML leggibile"},
        {"deep nesting", deep, "non è un documento XML leggibile"},
        {"invalid UTF-8", invalidUtf8, "non è un documento XML leggibile"},
        {"huge", QByteArray(MaxInvoiceFileSize + 10, ' '), "oltre il limite"},
        {"not valid", invoiceXml(noNumber), "elemento 'Numero'"},
        {"not euro",
         invoiceXml(TestInvoice{.currency = u"USD"_qs, .lines = {{.taxable = u"1.00"_qs, .tax = u"0.22"_qs}}}),
         "solo fatture in euro"},
    };
    for (const auto &c : xmlCases) {
        try {
            readInvoices(c.bytes);
            ADD_FAILURE() << c.name << " accepted";
        } catch (const Refusal &r) {
            bool named = false;
            for (const QString &reason : QString::fromUtf8(c.reason).split(u'|'))
                named = named || r.message().contains(reason);
            EXPECT_TRUE(named) << c.name << ": " << r.message().toStdString();
        }
    }
    const TestInvoice valid{.lines = {{.taxable = u"1.00"_qs, .tax = u"0.22"_qs}}};
    EXPECT_EQ(readInvoices(invoiceXml(valid)).size(), 1u);
    // Signed envelopes open, DER and base64; a broken one is refused.
    EXPECT_EQ(contentOfSignedFile(signedEnvelope(good, false)), good);
    EXPECT_EQ(contentOfSignedFile(signedEnvelope(good, true)), good);
    EXPECT_THROW(contentOfSignedFile("not an envelope"), Refusal);

    // Archives: each bad entry named, the good one read, nothing written to disk.
    const QString zip = dir.filePath(u"fatture.zip"_qs);
    ASSERT_TRUE(writeZip(zip, {{u"buona.xml"_qs, good},
                               {u"../fuori.xml"_qs, good},
                               {u"dentro.zip"_qs, "PK"},
                               {u"bomba.xml"_qs, QByteArray(4 * 1024 * 1024, '0')},
                               {u"leggimi.txt"_qs, "x"}}));
    QStringList seen;
    forEachInvoiceFile({zip, dir.filePath(u"manca.xml"_qs)}, [&](const InvoiceFile &f) {
        seen << QFileInfo(f.name).fileName() + u": "_qs + (f.problem.isEmpty() ? u"ok"_qs : f.problem);
    });
    ASSERT_EQ(seen.size(), 5) << seen.join(u'\n').toStdString();
    EXPECT_TRUE(seen[0].startsWith(u"buona.xml: ok"_qs)) << seen[0].toStdString();
    EXPECT_TRUE(seen[1].contains(u"\"..\""_qs)) << seen[1].toStdString();
    EXPECT_TRUE(seen[2].contains(u"archivio dentro un archivio"_qs)) << seen[2].toStdString();
    EXPECT_TRUE(seen[3].contains(u"bomba di compressione"_qs)) << seen[3].toStdString();
    EXPECT_TRUE(seen[4].contains(u"non esiste"_qs)) << seen[4].toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"fatture.zip"_qs});
}

namespace {

const QString Company = InvoiceCompanyVat;
const QString Supplier = u"01234567890"_qs;

TestInvoice sale(const QString &number, const QString &date, std::vector<TestSummaryLine> lines,
                 const QString &type = u"TD01"_qs)
{
    return {Company, u"IT"_qs, Supplier, u"IT"_qs, type, number, date, u"EUR"_qs, std::move(lines)};
}

TestInvoice purchase(const QString &number, const QString &date, std::vector<TestSummaryLine> lines,
                     const QString &type = u"TD01"_qs)
{
    return {Supplier, u"IT"_qs, Company, u"IT"_qs, type, number, date, u"EUR"_qs, std::move(lines)};
}

class InvoiceImport : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Schema);
        createInvoiceCompany(t->db());
    }

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }

    ImportReport run(const QStringList &paths, std::optional<QDate> received = {}, bool allOrNothing = false)
    {
        ImportOptions o;
        o.company = 1;
        o.user = 1;
        o.received = received;
        o.allOrNothing = allOrNothing;
        o.rules = rules;
        return importInvoices(t->db(), paths, o);
    }

    // kind, month, class, late: taxable and VAT summed
    QString counters()
    {
        QStringList rows;
        for (Recordset rs = t->db().openRecordset(
                 u"SELECT IDTipoContatoreIva, IDMese, COALESCE(IDClassificazioneIvaCF, 0) AS C, FatturaInRitardo, "
                 u"SUM(Imponibile) AS I, SUM(Importo) AS V FROM ContatoreIva GROUP BY IDTipoContatoreIva, IDMese, "
                 u"COALESCE(IDClassificazioneIvaCF, 0), FatturaInRitardo ORDER BY IDTipoContatoreIva, IDMese, 3, 4"_qs);
             !rs.eof(); rs.moveNext())
            rows << QStringLiteral("%1/%2/%3/%4 %5 %6")
                        .arg(rs.integer(u"IDTipoContatoreIva"_qs))
                        .arg(rs.integer(u"IDMese"_qs))
                        .arg(rs.integer(u"C"_qs))
                        .arg(rs.integer(u"FatturaInRitardo"_qs))
                        .arg(Money::fromVariant(rs.field(u"I"_qs)).toString(),
                             Money::fromVariant(rs.field(u"V"_qs)).toString());
        return rows.join(u"; "_qs);
    }

    // `liqiva settle --save` of a month of the first activity.
    QJsonObject settle(int month)
    {
        const QStringList args = QStringList{u"settle"_qs, u"--db"_qs, t->url(), u"--period"_qs, QString::number(month)} +
                                 u"--user 1 --activity 1 --vat-year 2025 --yes --json --save"_qs.split(u' ');
        const LiqivaRun r = runLiqiva(args, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.rawOut).object();
    }

    std::unique_ptr<TestDatabase> t;
    QTemporaryDir dir;
    ImportRules rules;
};

} // namespace

// A January from imported invoices, settled, with the figures worked out by hand.
TEST_P(InvoiceImport, AMonthSettledFromImportedInvoices)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "LIQIVA_BIN_DIR does not hold liqiva";
    const QString jan = u"2025-01-10"_qs;
    const QString zip = dir.filePath(u"vendite.zip"_qs);
    ASSERT_TRUE(writeZip(
        zip,
        {{u"differita.xml"_qs,
          invoiceXml(sale(u"5"_qs, jan, {{.taxable = u"400.00"_qs, .tax = u"88.00"_qs, .esigibilita = u"D"_qs}}))},
         {u"scissione.xml"_qs,
          invoiceXml(sale(u"6"_qs, jan, {{.taxable = u"1000.00"_qs, .tax = u"220.00"_qs, .esigibilita = u"S"_qs}}))}}));
    TestInvoice foreign = purchase(u"F1"_qs, jan, {{.taxable = u"200.00"_qs, .tax = u"44.00"_qs}}, u"TD17"_qs);
    foreign.seller = u"DE123456789"_qs.mid(2);
    foreign.sellerCountry = u"DE"_qs;
    TestInvoice stranger = sale(u"X"_qs, jan, {{.taxable = u"1.00"_qs, .tax = u"0.22"_qs}});
    stranger.seller = u"00488410010"_qs;
    TestInvoice noNumber = sale(u"Y"_qs, jan, {{.taxable = u"1.00"_qs, .tax = u"0.22"_qs}});
    noNumber.date = u"10/01/2025"_qs;
    TestInvoice car = purchase(u"P1"_qs, jan, {{.taxable = u"1000.00"_qs, .tax = u"220.00"_qs}});
    car.seller = u"07643520567"_qs;
    const QStringList paths = {
        file(u"1.xml"_qs, invoiceXml(sale(u"1"_qs, jan, {{.taxable = u"10000.00"_qs, .tax = u"2200.00"_qs}}))),
        file(u"2.xml"_qs,
             invoiceXml(sale(u"NC1"_qs, jan, {{.taxable = u"100.00"_qs, .tax = u"22.00"_qs}}, u"TD04"_qs))),
        file(u"lotto.xml"_qs,
             invoiceXml(
                 {sale(u"3"_qs, jan, {{.rate = u"10.00"_qs, .taxable = u"200.00"_qs, .tax = u"20.00"_qs}}),
                  sale(u"4"_qs, jan,
                       {{.rate = u"0.00"_qs, .nature = u"N3.2"_qs, .taxable = u"300.00"_qs, .tax = u"0.00"_qs}})})),
        file(u"a1.xml.p7m"_qs,
             signedEnvelope(invoiceXml(purchase(u"A1"_qs, jan, {{.taxable = u"500.00"_qs, .tax = u"110.00"_qs}})),
                            false)),
        file(u"a2.xml.p7m"_qs,
             signedEnvelope(invoiceXml(purchase(u"A2"_qs, jan,
                                                {{.rate = u"10.00"_qs, .taxable = u"100.00"_qs, .tax = u"10.00"_qs}})),
                            true)),
        zip,
        file(u"td17.xml"_qs, invoiceXml(foreign)),
        file(u"td29.xml"_qs,
             invoiceXml(purchase(u"C1"_qs, jan, {{.taxable = u"0.00"_qs, .tax = u"0.00"_qs}}, u"TD29"_qs))),
        file(u"estranea.xml"_qs, invoiceXml(stranger)),
        file(u"invalida.xml"_qs, invoiceXml(noNumber)),
        file(u"doppia.xml"_qs, invoiceXml(sale(u"1"_qs, jan, {{.taxable = u"10000.00"_qs, .tax = u"2200.00"_qs}}))),
        file(u"auto.xml"_qs, invoiceXml(car)),
        file(u"aliquota.xml"_qs,
             invoiceXml(sale(u"7"_qs, jan, {{.rate = u"7.00"_qs, .taxable = u"100.00"_qs, .tax = u"7.00"_qs}}))),
    };

    // The supplier of goods for resale, and a car whose VAT is 60% undeductible.
    rules = ImportRules::fromJson(QJsonDocument::fromJson(R"({"suppliers": [{"vatNumber": "07643520567",
        "undeductible": 60}, {"vatNumber": "IT01234567890", "goods": true}]})")
                                      .object());
    EXPECT_THROW(
        ImportRules::fromJson(QJsonDocument::fromJson(R"({"suppliers": [{"vatNumber": "1", "gods": true}]})").object()),
        Refusal);

    // All or nothing: three refused files keep nothing.
    const ImportReport none = run(paths, {}, true);
    EXPECT_FALSE(none.kept);
    EXPECT_EQ(none.refusedFiles(), 3);
    EXPECT_EQ(counters(), QString());

    // File by file: the good ones in, each refusal with its reason.
    const ImportReport r = run(paths);
    ASSERT_TRUE(r.kept);
    EXPECT_EQ(r.imported(), 10); // and TD29 listed
    EXPECT_EQ(r.duplicates(), 1);
    std::map<QString, QString> refusals;
    for (const ImportedFile &f : r.files)
        if (!f.refusal.isEmpty())
            refusals[QFileInfo(f.name).fileName()] = f.refusal;
    EXPECT_TRUE(refusals[u"estranea.xml"_qs].contains(u"non è dell'azienda"_qs))
        << refusals[u"estranea.xml"_qs].toStdString();
    EXPECT_TRUE(refusals[u"invalida.xml"_qs].contains(u"elemento 'Data'"_qs))
        << refusals[u"invalida.xml"_qs].toStdString();
    EXPECT_TRUE(refusals[u"aliquota.xml"_qs].contains(u"aliquota 7%"_qs)) << refusals[u"aliquota.xml"_qs].toStdString();
    EXPECT_TRUE(r.files[3].signedEnvelope && r.files[4].signedEnvelope);

    // A purchase dated in January, received on 10 February: January, as a late invoice; one
    // received on 20 February: February.
    ASSERT_TRUE(run({file(u"tardi.xml"_qs, invoiceXml(purchase(u"A3"_qs, u"2025-01-28"_qs,
                                                               {{.taxable = u"100.00"_qs, .tax = u"22.00"_qs}})))},
                    QDate(2025, 2, 10))
                    .kept);
    const ImportReport feb =
        run({file(u"feb.xml"_qs,
                  invoiceXml(purchase(u"A4"_qs, u"2025-01-05"_qs, {{.taxable = u"50.00"_qs, .tax = u"11.00"_qs}})))},
            QDate(2025, 2, 20));
    ASSERT_TRUE(feb.kept);

    // kind/month/class/late taxable VAT
    EXPECT_EQ(counters().toStdString(),
              u"1/1/0/0 1600 340; 1/1/0/1 100 22; 1/1/14/0 200 44; 1/2/0/0 50 11; 2/1/0/0 10400 2198; "
              u"2/1/14/0 200 44; 7/1/0/0 400 88; 12/1/0/0 1000 220"_qs.toStdString());

    // Sales VAT 2200 - 22 + 20 + 0 = 2198, reverse charge 44: 2242. Purchases 110 + 10 + 44
    // + 22 (late) = 186 (the goods for resale 110 + 10 + 22 = 142); the car's 220 undeductible.
    // Due 2056. Suspended and split-payment VAT not due.
    const QJsonObject settled = settle(1);
    EXPECT_EQ(settled[u"closing"_qs][u"IvaDaVersare"_qs].toDouble(), 2056.0)
        << QJsonDocument(settled).toJson().toStdString();
    EXPECT_EQ(settled[u"header"_qs][u"Articolo27Comma5"_qs].toDouble(), 22.0);
    EXPECT_EQ(settled[u"header"_qs][u"IvaAcquistiConIvaIndetraibile"_qs].toDouble(), 220.0);
    EXPECT_EQ(settled[u"header"_qs][u"TotAcquistiMerciIva"_qs].toDouble(), 142.0);

    // January is settled: a sale into it is refused naming the settlement, a purchase goes to
    // February, and the first import can no longer be taken back.
    const ImportReport late =
        run({file(u"s8.xml"_qs, invoiceXml(sale(u"8"_qs, jan, {{.taxable = u"1.00"_qs, .tax = u"0.22"_qs}}))),
             file(u"a5.xml"_qs, invoiceXml(purchase(u"A5"_qs, jan, {{.taxable = u"10.00"_qs, .tax = u"2.20"_qs}})))});
    ASSERT_TRUE(late.kept);
    EXPECT_TRUE(late.files[0].refusal.contains(u"liquidazione salvata"_qs)) << late.files[0].refusal.toStdString();
    ASSERT_EQ(late.files[1].documents.size(), 1u);
    EXPECT_EQ(late.files[1].documents[0].month, 2);
    EXPECT_TRUE(late.files[1].documents[0].note.contains(u"primo periodo aperto"_qs));
    EXPECT_THROW(undoImport(t->db(), 1, r.importId, 1), Refusal);

    // Undo of a February import subtracts exactly what it added.
    QString before = counters();
    EXPECT_EQ(undoImport(t->db(), 1, late.importId, 1), 1);
    EXPECT_EQ(undoImport(t->db(), 1, feb.importId, 1), 1);
    EXPECT_FALSE(counters().contains(u"1/2/"_qs)) << counters().toStdString();
    EXPECT_EQ(counters().toStdString(), before.replace(u"1/2/0/0 60 13.2; "_qs, QString()).toStdString());
}

// Two imports of the same files at once import each invoice once; an import killed at a
// random moment, or whose write fails half-way, leaves the counters as before or as after.
TEST_P(InvoiceImport, TwoAtOnceOneKilledAndOneFailing)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "LIQIVA_BIN_DIR does not hold liqiva";
    QDir(dir.path()).mkdir(u"lotti"_qs);
    for (int f = 0; f < 20; ++f) {
        std::vector<TestInvoice> lot;
        for (int k = 0; k < 10; ++k)
            lot.push_back(sale(QStringLiteral("%1-%2").arg(f).arg(k), u"2025-03-03"_qs,
                               {{.taxable = u"100.00"_qs, .tax = u"22.00"_qs}}));
        writeFile(dir.filePath(QStringLiteral("lotti/%1.xml").arg(f)), invoiceXml(lot));
    }
    auto start = [&]() {
        auto p = std::make_unique<QProcess>();
        startLiqiva(*p,
                    {u"import"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs,
                     dir.filePath(u"lotti"_qs)},
                    dir.path());
        return p;
    };
    auto consistent = [&]() {
        Connection &db = t->db();
        const int docs = db.scalar(u"SELECT COUNT(*) FROM FatturaImportata"_qs).toInt();
        EXPECT_TRUE(docs == 0 || docs == 200) << docs;
        EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM ContatoreIva"_qs).toInt(), docs);
        EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM RigaFatturaImportata"_qs).toInt(), docs);
        return docs;
    };
    // A write that fails half-way keeps nothing.
    Connection &db = t->db();
    if (engine() == Engine::Postgres) {
        db.executeRaw(u"CREATE FUNCTION fallisci() RETURNS trigger AS $$ BEGIN IF NEW.IDRigaFatturaImportata = 50 THEN "
                      u"RAISE EXCEPTION 'scrittura fallita'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql"_qs);
        db.executeRaw(u"CREATE TRIGGER fallisci BEFORE INSERT ON RigaFatturaImportata FOR EACH ROW EXECUTE FUNCTION "
                      u"fallisci()"_qs);
    } else {
        db.executeRaw(u"CREATE TRIGGER fallisci BEFORE INSERT ON RigaFatturaImportata WHEN "
                      u"NEW.IDRigaFatturaImportata = 50 BEGIN SELECT RAISE(ABORT, 'scrittura fallita'); END"_qs);
    }
    ImportOptions o;
    o.company = 1;
    o.user = 1;
    EXPECT_THROW(importInvoices(db, {dir.filePath(u"lotti"_qs)}, o), DbError);
    EXPECT_EQ(consistent(), 0);
    db.executeRaw(engine() == Engine::Postgres ? u"DROP TRIGGER fallisci ON RigaFatturaImportata"_qs
                                               : u"DROP TRIGGER fallisci"_qs);

    for (int round = 0; round < 2; ++round) {
        auto victim = start();
        ASSERT_TRUE(victim->waitForStarted());
        QThread::msleep(QRandomGenerator::global()->bounded(10, 300));
        victim->kill();
        victim->waitForFinished();
        consistent();
    }
    auto first = start();
    auto second = start();
    ASSERT_TRUE(first->waitForFinished(120000));
    ASSERT_TRUE(second->waitForFinished(120000));
    EXPECT_EQ(first->exitCode(), 0) << first->readAllStandardError().toStdString();
    EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
    EXPECT_EQ(consistent(), 200);
    EXPECT_EQ(Money::fromVariant(t->db().scalar(u"SELECT SUM(Importo) FROM ContatoreIva"_qs)), Money::units(4400));
    // Once more through the command: every invoice a duplicate, nothing written.
    const LiqivaRun again = runLiqiva({u"import"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs,
                                       u"1"_qs, dir.filePath(u"lotti"_qs)},
                                      dir.path());
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(u"Nessuna fattura nuova: nulla è stato scritto (200 doppioni"_qs))
        << again.out.toStdString();
    EXPECT_EQ(consistent(), 200);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(InvoiceImport);
