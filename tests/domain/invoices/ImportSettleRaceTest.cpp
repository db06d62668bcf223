// An import and a settlement's save of the same period at the same moment, on both engines,
// each in its own process: whichever comes first, the rule of a settled period holds. A save
// that comes first is seen by the import (a sale refused naming it, a purchase moved to the
// first open month); an import that comes first is either in the saved figures or refuses
// the save of figures read without it. Never a saved settlement that misses a counted invoice.

#include "domain/invoices/InvoiceImport.h"
#include "support/EngineFixture.h"
#include "support/InvoiceCompany.h"
#include "support/InvoiceFiles.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class ImportSettleRace : public EngineTest {
protected:
    void SetUp() override
    {
        if (liqivaProgram().isEmpty())
            GTEST_SKIP() << "LIQIVA_BIN_DIR does not hold liqiva";
        t = TestDatabase::create(engine(), Content::Schema);
        company = createInvoiceCompany(t->db());
    }

    // Starts `liqiva import` of a sale and a purchase dated in the month.
    std::unique_ptr<QProcess> startImport(int month)
    {
        const QString date = QStringLiteral("2025-%1-10").arg(month, 2, 10, QChar(u'0'));
        const QString sale = dir.filePath(QStringLiteral("v%1.xml").arg(month));
        const QString purchase = dir.filePath(QStringLiteral("a%1.xml").arg(month));
        writeFile(sale, invoiceXml(TestInvoice{.number = QStringLiteral("V%1").arg(month),
                                               .date = date,
                                               .lines = {{.taxable = u"100.00"_qs, .tax = u"22.00"_qs}}}));
        writeFile(purchase, invoiceXml(TestInvoice{.seller = u"01234567890"_qs,
                                                   .buyer = InvoiceCompanyVat,
                                                   .number = QStringLiteral("A%1").arg(month),
                                                   .date = date,
                                                   .lines = {{.taxable = u"50.00"_qs, .tax = u"11.00"_qs}}}));
        auto p = std::make_unique<QProcess>();
        startLiqiva(
            *p, {u"import"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs, sale, purchase},
            dir.path());
        return p;
    }

    std::unique_ptr<QProcess> startSave(int month)
    {
        auto p = std::make_unique<QProcess>();
        startLiqiva(*p,
                    {u"settle"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--activity"_qs,
                     QString::number(company.activities[0]), u"--vat-year"_qs, u"2025"_qs, u"--period"_qs,
                     QString::number(month), u"--save"_qs, u"--yes"_qs},
                    dir.path());
        return p;
    }

    // The VAT of the month's counters of a kind.
    Money counted(int kind, int month)
    {
        return Money::fromVariant(t->db().scalar(
            u"SELECT COALESCE(SUM(Importo), 0) FROM ContatoreIva WHERE IDTipoContatoreIva = ? AND IDMese = ?"_qs,
            {kind, month}));
    }

    QVariant savedSettlement(int month)
    {
        return t->db().scalar(u"SELECT MIN(IDRisultatoLiquidazioneIva) FROM RisultatoLiquidazioneIva WHERE IDMese = ? "
                              u"AND VirtualDelete = 0"_qs,
                              {month});
    }

    Money savedDebit(int settlement)
    {
        return Money::fromVariant(t->db().scalar(
            u"SELECT TotIvaDebito FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
            {settlement}));
    }

    std::unique_ptr<TestDatabase> t;
    CreatedCompany company;
    QTemporaryDir dir;
};

} // namespace

// The save holds the activity's year and January's settlement while an import of January, or
// the undo of one, starts: it waits for the save, then finds January settled. The import sends
// its purchase to February and refuses the sale; the undo is refused.
TEST_P(ImportSettleRace, ASaveThatComesFirstIsSeenByTheImportAndTheUndo)
{
    for (const bool undo : {false, true}) {
        SCOPED_TRACE(undo ? "undo" : "import");
        t = TestDatabase::create(engine(), Content::Schema);
        company = createInvoiceCompany(t->db());
        Connection &db = t->db();
        if (undo)
            ASSERT_EQ(finishLiqiva(*startImport(1)).exitCode, 0);
        const int january = EngineFixture(db).settlement(company.activities[0], company.vatYear, 1, false, 0, 2);
        std::unique_ptr<QProcess> other;
        {
            Transaction save(db);
            db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET IDAttivitaAzienda = IDAttivitaAzienda WHERE "
                       u"IDAttivitaAzienda = ? AND IDPeriodoIva = ?"_qs,
                       {company.activities[0], company.vatYear});
            db.execute(u"UPDATE RisultatoLiquidazioneIva SET VirtualDelete = 0 WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                       {january});
            if (undo) {
                other = std::make_unique<QProcess>();
                startLiqiva(*other,
                            {u"import"_qs, u"undo"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs,
                             u"1"_qs, u"--import"_qs, u"1"_qs},
                            dir.path());
            } else {
                other = startImport(1);
            }
            ASSERT_TRUE(other->waitForStarted());
            QThread::msleep(1500); // the other process is waiting for the save
            save.commit();
        }
        const LiqivaRun r = finishLiqiva(*other);
        EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
        const QString said = undo ? r.err : r.out;
        EXPECT_TRUE(said.contains(QStringLiteral("liquidazione salvata %1").arg(january))) << said.toStdString();
        if (undo) {
            EXPECT_EQ(counted(2, 1), Money::units(22));
        } else {
            EXPECT_TRUE(r.out.contains(u"l'acquisto va in febbraio 2025"_qs)) << r.out.toStdString();
            EXPECT_EQ(counted(2, 1), Money());
            EXPECT_EQ(counted(1, 1), Money());
            EXPECT_EQ(counted(1, 2), Money::units(11));
        }
    }
}

// Import and save of the same month started together, with the import a random moment later
// or earlier, month after month: the saved figures are always those of the counters.
TEST_P(ImportSettleRace, SavedFiguresAreAlwaysTheCountersFigures)
{
    for (int month = 2; month <= 7; ++month) {
        SCOPED_TRACE(month);
        const bool importFirst = month % 2 == 0;
        const int delay = QRandomGenerator::global()->bounded(0, 250);
        std::unique_ptr<QProcess> import, save;
        if (importFirst) {
            import = startImport(month);
            QThread::msleep(delay);
            save = startSave(month);
        } else {
            save = startSave(month);
            QThread::msleep(delay);
            import = startImport(month);
        }
        const LiqivaRun imported = finishLiqiva(*import);
        const LiqivaRun saved = finishLiqiva(*save);
        if (saved.exitCode != 0) {
            // Figures read before the import came in: refused, and saved once filled again.
            EXPECT_TRUE(saved.err.contains(u"riaprirla"_qs)) << saved.err.toStdString();
            const LiqivaRun again = finishLiqiva(*startSave(month));
            ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
        }
        const QVariant settlement = savedSettlement(month);
        ASSERT_FALSE(settlement.isNull());
        if (imported.exitCode != 0)
            EXPECT_TRUE(imported.out.contains(u"liquidazione salvata"_qs)) << imported.out.toStdString();
        EXPECT_EQ(savedDebit(settlement.toInt()), counted(2, month))
            << "import " << imported.out.toStdString() << "\nsave " << saved.err.toStdString();
        // The purchase is in its month only when the month was open when it came.
        EXPECT_EQ(t->db()
                      .scalar(u"SELECT COUNT(*) FROM FatturaImportata WHERE NumeroDocumento = ? AND IDMese = ?"_qs,
                              {QStringLiteral("A%1").arg(month), month})
                      .toInt(),
                  imported.exitCode == 0 ? 1 : 0)
            << imported.out.toStdString();
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(ImportSettleRace);
