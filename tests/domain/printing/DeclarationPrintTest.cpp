// The declaration print on both engines: the boxes of the form as they are written into the
// work table, the test print, the work rows that never outlive a print (output failed,
// cancelled, two prints of one user at once), and the declarant data the form needs.

#include "domain/printing/DeclarationPrint.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/printing/PrintFixture.h"
#include "support/ChildTask.h"

#include <QDateTime>
#include <QThread>
#include <stdexcept>

using namespace liqiva;
using namespace liqiva::test;

namespace {

int workRows(Connection &db, int user = -1)
{
    return db
        .scalar(u"SELECT COUNT(*) FROM StampaTotaleRegistroIva WHERE IDTipoOggetto = 245"_qs +
                (user >= 0 ? u" AND IDUtente = "_qs + sqlParam(user) : QString()))
        .toInt();
}

// A declaration with figures of its own, not read from a settlement.
struct Declaration {
    AltriDatiDip dip;
    DatiCADI cadi;
    DeclarationData data;
    Declaration(int anno, int month)
    {
        dip.VP1_OperazioniAttive = Money::units(53511);
        dip.VP2_OperazioniPassive = Money::fromRaw(311454999); // 31.145,4999
        cadi.OperazioniAttive = Money::units(640000);
        cadi.IvaEsigibile = Money::fromRaw(1234567890); // 123.456,789
        data.anno = anno;
        data.idAzienda = Company;
        data.idRisultatoLiquidazioneIva = 77;
        data.idMese = month;
        data.monthly = true;
        data.dip = {&dip};
        data.cadi = {&cadi};
        data.grid.assign(DeclarationGrid::RowCount, {});
        data.grid[DeclarationGrid::IvaEsigibile].first = Money::units(7345);
        data.grid[DeclarationGrid::IvaDetratta].second = Money::units(5817);
        data.ivaDovuta = Money::units(1528);
        data.payment.importoVersato = Money::units(1528);
        data.payment.data = QDate(2024, 4, 16);
        data.payment.opzione = 1;
        data.payment.abi = u"03069"_qs;
        data.payment.cab = u"01600"_qs;
    }
};

class DeclarationPrintTest : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }
    Connection &db() { return t->db(); }
    std::unique_ptr<TestDatabase> t;
};

TEST_P(DeclarationPrintTest, AmountBoxesAreWholeUnitsRightAlignedOrEmpty)
{
    struct Case {
        Money value;
        int anno;
        QString box;
    } cases[] = {
        {Money::fromRaw(12345678900), 2024, u"    1.234.568"_qs}, // 1.234.567,89: whole units, rounded
        {Money::fromRaw(4999), 2024, QString()},                  // 0,4999 rounds to 0: an empty box
        {Money(), 2024, QString()},
        {Money::units(-5817), 2024, u"       -5.817"_qs},
        {Money::fromRaw(5000), 2001, u"            1"_qs},  // 0,5 goes up
        {Money::units(1234567), 2000, u"      1234567"_qs}, // lire: the value's own text
        {Money(), 1999, QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DeclarationPrint::amountBox(c.value, c.anno), c.box) << c.value.toString().toStdString();
}

TEST_P(DeclarationPrintTest, TheFormCarriesTheFiguresAndTheRowsGoAwayWhateverTheOutputDoes)
{
    Declaration decl(2024, 3);
    // A row of an earlier print of the same user that died, and one of another user.
    DeclarationPrint(db(), 1).writeRows(decl.data, false);
    DeclarationPrint(db(), 2).writeRows(decl.data, false);
    ASSERT_EQ(workRows(db(), 1), 1);

    struct Case {
        const char *what;
        int outcome; // 1 printed, 0 cancelled, -1 failed
    } cases[] = {{"printed", 1}, {"cancelled", 0}, {"output failed", -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PrintedReport seen;
        bool returned = false;
        auto output = [&](const PrintedReport &r) {
            seen = r;
            if (c.outcome < 0)
                throw std::runtime_error("Impossibile scrivere il file");
            return c.outcome == 1;
        };
        if (c.outcome < 0)
            EXPECT_THROW(DeclarationPrint(db(), 1).print(decl.data, false, output), std::runtime_error);
        else
            returned = DeclarationPrint(db(), 1).print(decl.data, false, output);
        EXPECT_EQ(returned, c.outcome == 1);
        EXPECT_EQ(workRows(db(), 1), 0);
        EXPECT_EQ(workRows(db(), 2), 1) << "another user's print is not touched";

        // What the form shows is what went through the work row.
        ASSERT_EQ(seen.pageCount(), 1);
        EXPECT_EQ(seen.title, u"Comunicazione Annuale Dati IVA"_qs);
        EXPECT_EQ(boxOf(seen, u"Mese"_qs), u"3"_qs);
        EXPECT_EQ(boxOf(seen, u"Trimestre"_qs), u"1"_qs);
        EXPECT_EQ(boxOf(seen, u"Totale operazioni attive"_qs), u"640.000"_qs);
        EXPECT_EQ(boxOf(seen, u"IVA esigibile"_qs), u"123.457"_qs);
        EXPECT_EQ(boxOf(seen, u"IVA che si detrae per il periodo"_qs), u"-5.817"_qs);
        EXPECT_EQ(boxOf(seen, u"IVA da versare"_qs), u"1.528"_qs);
        EXPECT_EQ(boxOf(seen, u"IVA a credito"_qs), QString());
        EXPECT_EQ(boxOf(seen, u"Valuta"_qs), u"EURO"_qs);
    }
}

TEST_P(DeclarationPrintTest, PeriodicDeclarationAndItsTestPrintBefore2002)
{
    Declaration decl(2001, 5);
    decl.data.monthly = false;
    decl.data.quarterly = true;
    decl.data.idMese = 6;
    PrintedReport real, test;
    DeclarationPrint(db(), 1).print(decl.data, false, [&](const PrintedReport &r) {
        real = r;
        return true;
    });
    DeclarationPrint(db(), 1).print(decl.data, true, [&](const PrintedReport &r) {
        test = r;
        return true;
    });
    EXPECT_EQ(DeclarationPrint::title(2001), u"Stampa Dichiarazione IVA Periodica"_qs);
    EXPECT_EQ(DeclarationPrint::title(2002), u"Stampa Comunicazione Annuale Dati IVA"_qs);
    EXPECT_EQ(real.title, u"Dichiarazione IVA Periodica"_qs);
    EXPECT_EQ(boxOf(real, u"Mese"_qs), u"0"_qs) << "a quarter has no month";
    EXPECT_EQ(boxOf(real, u"Trimestre"_qs), u"2"_qs);
    EXPECT_EQ(boxOf(real, u"VP1 Operazioni attive"_qs), u"53.511"_qs);
    EXPECT_EQ(boxOf(real, u"VP2 Operazioni passive"_qs), u"31.145"_qs);
    EXPECT_EQ(boxOf(real, u"Data del versamento"_qs), u"04/16/2024"_qs);
    EXPECT_EQ(boxOf(real, u"Codice ABI"_qs), u"03069"_qs);

    // The test print: every box holds placeholders of its width, nothing of the data.
    int boxes = 0;
    for (const PrintLine &l : test.pages.front().lines) {
        if (l.kind != PrintLine::Row)
            continue;
        ++boxes;
        const QString v = l.cells[1].text;
        EXPECT_TRUE(v == u"TEST"_qs || v == u"EURO"_qs || (!v.isEmpty() && v.count(u'X') == v.size()))
            << l.cells[0].text.toStdString() << ": " << v.toStdString();
    }
    EXPECT_GT(boxes, 30);
    EXPECT_EQ(boxOf(test, u"VP1 Operazioni attive"_qs), u"XXXXXXXXXXXXX"_qs);
    EXPECT_EQ(boxOf(test, u"Codice CAB"_qs), u"XXXXX"_qs);
    EXPECT_EQ(workRows(db()), 0);
}

TEST_P(DeclarationPrintTest, MissingDeclarantDataIsListed)
{
    AltriDatiDip dip;
    const char *refund = "Aliquota media lett. a)|Operazioni non imponibili lett. b)|Acquisti beni ammortizzabili lett. c)";
    struct Case {
        const char *what;
        const char *change; // a statement run before the check
        int anno;
        bool soggetto;
        bool groundA;
        const char *missing; // the fields, separated by '|'
    } cases[] = {
        {"the demo's declarant", "", 2024, false, false, ""},
        {"refund without grounds", "", 2024, true, false, refund},
        {"refund with ground a)", "", 2024, true, true, ""},
        {"no tax code", "UPDATE Anagrafica SET CodiceFiscale = NULL", 2024, false, false,
         "Codice fiscale del Dichiarante"},
        {"no office", "UPDATE ConfigurazioneDip SET IDCodiceCarica = NULL", 2024, false, false,
         "Codice fiscale del Dichiarante|Codice Carica del Dichiarante"},
        {"before 2002", "", 2001, false, false, "Codice Carica del Rappresentante"},
        {"no configuration", "DELETE FROM ConfigurazioneDip", 2024, false, false,
         "Dichiarante|Codice fiscale del Dichiarante|Codice Carica del Dichiarante"},
        {"no configuration, before 2002", "", 2001, false, false, "Rappresentante|Codice Carica del Rappresentante"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (*c.change)
            db().execute(QString::fromLatin1(c.change));
        dip.AliquotaMediaLettA = c.groundA;
        EXPECT_EQ(DeclarationPrint::missingData(db(), Company, c.anno, c.soggetto, dip),
                  QString::fromUtf8(c.missing).split(u'|', Qt::SkipEmptyParts));
    }
}

// Prints the declaration of one user ten times, starting at a given moment; says how many
// boxes each printed form had.
const ChildTask declarationPrinter("declaration-printer", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    const qint64 wait = args.value(1).toLongLong() - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
    Declaration decl(2024, 2);
    for (int i = 0; i < 10; ++i) {
        try {
            DeclarationPrint(*db, 1).print(decl.data, false, [](const PrintedReport &r) {
                std::printf("%s\n", qPrintable(boxOf(r, u"Totale operazioni attive"_qs)));
                return true;
            });
        } catch (const std::exception &e) {
            std::printf("error %s\n", e.what());
        }
    }
    std::fflush(stdout);
    return 0;
});

TEST_P(DeclarationPrintTest, TwoPrintsOfOneUserAtOnceEachGetTheirWholeForm)
{
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    auto a = startChild(u"declaration-printer"_qs, {t->url(), start});
    auto b = startChild(u"declaration-printer"_qs, {t->url(), start});
    int forms = 0;
    for (auto *p : {a.get(), b.get()}) {
        ASSERT_TRUE(p->waitForFinished(600000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        for (const QString &line : QString::fromUtf8(p->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
            if (line.startsWith(u"QSql"_qs))
                continue;
            EXPECT_EQ(line, u"640.000"_qs);
            ++forms;
        }
    }
    EXPECT_EQ(forms, 20);
    EXPECT_EQ(workRows(db()), 0);
}

} // namespace

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DeclarationPrintTest);
