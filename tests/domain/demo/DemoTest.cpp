#include "domain/demo/DemoCompany.h"
#include "suite/Refusal.h"
#include "database/Connection.h"
#include "database/DbError.h"
#include "database/Schema.h"
#include "support/TestDatabase.h"

#include <map>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// A fingerprint of a database: per table the row count and the sum of the first key
// column, and for the counters the sums that the settlement reads.
using Checksum = std::map<QString, std::vector<double>>;

Checksum checksumOf(Connection &db)
{
    Checksum sums;
    for (const SchemaTable &table : schemaTables()) {
        Recordset rs = db.openRecordset(u"SELECT COUNT(*) AS N, SUM("_qs + table.keyColumns.first() +
                                        u") AS K FROM "_qs + table.name);
        sums[table.name] = {rs.number(u"N"_qs), rs.number(u"K"_qs)};
    }
    Recordset rs = db.openRecordset(u"SELECT SUM(Imponibile) AS A, SUM(Importo) AS B, SUM(Imponibile * IDMese) AS C, "
                                    u"SUM(Importo * IDTipoContatoreIva) AS D, "
                                    "SUM(IDIva * IDFiliale) AS E, SUM(AccontoIva) AS F, SUM(FatturaInRitardo) AS G, "
                                    "SUM(ISNULL(IDClassificazioneIvaCF, 0)) AS H, "
                                    "SUM(ISNULL(IDClassificazioneIvaConto, 0) * Anno) AS I, SUM(RiportoSuChiusuraIVA + "
                                    "AcquistiSolaVentilazione) AS J "
                                    "FROM ContatoreIva"_qs);
    for (const char *f : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"})
        sums[u"ContatoreIva"_qs].push_back(rs.number(QString::fromUtf8(f)));
    Recordset percentages =
        db.openRecordset(u"SELECT SUM(ISNULL(PercentualeProRata, 0) * IDPeriodoIva) AS P, SUM(TipoLiquidazioneIva * "
                         u"IDAttivitaAzienda) AS T, "
                         "SUM(CreditoIvaAutotrasportatori) AS C FROM AttivitaAziendaPerPeriodoIva"_qs);
    for (const char *f : {"P", "T", "C"})
        sums[u"AttivitaAziendaPerPeriodoIva"_qs].push_back(percentages.number(QString::fromUtf8(f)));
    return sums;
}

void expectSame(const Checksum &a, const Checksum &b, const char *what)
{
    ASSERT_EQ(a.size(), b.size());
    for (const auto &[table, values] : a) {
        const auto &other = b.at(table);
        ASSERT_EQ(values.size(), other.size()) << table.toStdString();
        for (size_t k = 0; k < values.size(); ++k)
            EXPECT_NEAR(values[k], other[k], 0.005) << what << ": " << table.toStdString() << " #" << k;
    }
}

// Two fresh databases get the same rows, on either engine.
TEST(Demo, SameRowsOnEveryRunAndOnBothEngines)
{
    auto first = TestDatabase::create(Engine::Sqlite, Content::Empty);
    auto second = TestDatabase::create(Engine::Sqlite, Content::Empty);
    auto server = TestDatabase::create(Engine::Postgres, Content::Empty);
    const DemoSummary made = createDemo(first->db());
    EXPECT_TRUE(made.created);
    EXPECT_EQ(made.companies, 1);
    EXPECT_TRUE(made.message.contains(u" 1 azienda,"_qs)) << made.message.toStdString();
    createDemo(second->db());
    createDemo(server->db());
    const Checksum a = checksumOf(first->db());
    EXPECT_GT(a.at(u"ContatoreIva"_qs)[0], 1500);
    EXPECT_EQ(a.at(u"ContatoreIva"_qs)[0], double(made.counterRows));
    expectSame(a, checksumOf(second->db()), "second SQLite run");
    expectSame(a, checksumOf(server->db()), "PostgreSQL");
}

class DemoData : public EngineTest {};

double sum(Connection &db, const QString &sql)
{
    Recordset rs = db.openRecordset(sql);
    return rs.eof() ? 0.0 : rs.number(0);
}

QString counters(const char *what, int activity, const char *where)
{
    return u"SELECT "_qs + QString::fromUtf8(what) +
           u" FROM ContatoreIva WHERE IDFiliale IN (SELECT IDFiliale FROM Filiale "
           "WHERE IDAttivitaAzienda = "_qs +
           QString::number(activity) + u") AND "_qs + QString::fromUtf8(where);
}

// The figures the settlements of single periods start from, as designed: every amount is
// base x season x growth, rounded to the cent, and the VAT is taxable x rate rounded.
TEST_P(DemoData, CounterSumsOfSinglePeriodsAreAsDesigned)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    Connection &db = t->db();
    struct {
        const char *what;
        int activity;
        const char *where;
        double expected;
    } cases[] = {
        // retail, March 2024: invoices 3,420.50 x 0.97 x 1.045 = 3,467.19, VAT 762.78
        {"SUM(Imponibile)", 1, "IDTipoContatoreIva = 2 AND Anno = 2024 AND IDMese = 3 AND AccontoIva = 0", 3467.19},
        {"SUM(Importo)", 1, "IDTipoContatoreIva = 2 AND Anno = 2024 AND IDMese = 3 AND AccontoIva = 0", 762.78},
        // receipts at 22%, 10% and 4%, split from the gross: 3,363.32 + 446.93 + 47.95
        {"SUM(Importo)", 1, "IDTipoContatoreIva = 5 AND Anno = 2024 AND IDMese = 3 AND AccontoIva = 0", 3858.20},
        // receipts to be split by rate at the second shop: gross 14,600 x 0.97 x 1.045, no VAT
        {"SUM(Imponibile)", 1, "IDTipoContatoreIva = 6 AND Anno = 2024 AND IDMese = 3 AND AccontoIva = 0", 14799.29},
        {"SUM(Importo)", 1, "IDTipoContatoreIva = 6 AND Anno = 2024", 0.0},
        // the December advance of 2024: 20/31 of December's 5,218.66 = 3,366.88, VAT 740.71
        {"SUM(Importo)", 1, "IDTipoContatoreIva = 2 AND Anno = 2024 AND AccontoIva <> 0", 740.71},
        // wholesale, second quarter 2024: split-payment sales 3 x 482.79
        {"SUM(Importo)", 2, "IDTipoContatoreIva = 12 AND Anno = 2024 AND IDMese > 3 AND IDMese <= 6 AND AccontoIva = 0",
         1448.37},
        // one late purchase invoice a year, in February: 980 x 1.045 = 1,024.10, VAT 225.30
        {"SUM(Importo)", 2, "IDTipoContatoreIva = 1 AND FatturaInRitardo <> 0 AND Anno = 2024", 225.30},
        // intra-EU self-invoices mirror the intra-EU purchases
        {"SUM(Importo)", 2, "IDTipoContatoreIva = 2 AND IDClassificazioneIvaCF = 6 AND Anno = 2025", 11866.96},
        {"SUM(Importo)", 2, "IDTipoContatoreIva = 1 AND IDClassificazioneIvaCF = 1 AND Anno = 2025", 11866.96},
        // training: undeductible purchase VAT booked in March 2024 at 100 - 32 %
        {"SUM(Importo)", 3, "IDTipoContatoreIva = 11 AND Anno = 2024 AND IDMese = 3 AND AccontoIva = 0", 580.56},
        // the split-payment and suspended kinds belong to the wholesale activity only
        {"COUNT(*)", 1, "IDTipoContatoreIva IN (7, 8, 9, 10, 12, 13, 14, 15)", 0},
        {"COUNT(*)", 3, "IDTipoContatoreIva IN (5, 6, 12)", 0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(sum(db, counters(c.what, c.activity, c.where)), c.expected, 0.001) << c.where;
}

TEST_P(DemoData, EveryActivityHasCountersForEveryMonthAndADecemberAdvance)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    Connection &db = t->db();
    for (int activity = 1; activity <= 4; ++activity) {
        EXPECT_EQ(sum(db, counters("COUNT(DISTINCT Anno * 100 + IDMese)", activity, "AccontoIva = 0")), 36) << activity;
        for (int year = 2023; year <= 2025; ++year) {
            const QString y = QString::number(year);
            const double december =
                sum(db, counters("COUNT(*)", activity,
                                 ("IDMese = 12 AND AccontoIva = 0 AND Anno = " + y).toUtf8().constData()));
            const double advance =
                sum(db, counters("COUNT(*)", activity,
                                 ("IDMese = 12 AND AccontoIva <> 0 AND Anno = " + y).toUtf8().constData()));
            EXPECT_GT(advance, 0) << activity << " " << year;
            EXPECT_EQ(advance, december) << activity << " " << year;
        }
    }
    // Advance rows hold part of December, never more.
    EXPECT_LT(sum(db, u"SELECT SUM(Imponibile) FROM ContatoreIva WHERE AccontoIva <> 0"_qs),
              sum(db, u"SELECT SUM(Imponibile) FROM ContatoreIva WHERE IDMese = 12 AND AccontoIva = 0"_qs));
}

TEST_P(DemoData, ActivitiesSettleAsDesigned)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    Connection &db = t->db();
    struct {
        int activity, year;
        int tipo, interest, articolo34, proRata;
        double percentage;
    } cases[] = {
        {1, 2024, 0, 0, 0, 0, 0},  {2, 2024, 1, 1, 0, 0, 0},  {3, 2023, 1, 1, 0, 1, 40},
        {3, 2024, 0, 0, 0, 1, 32}, {3, 2025, 0, 0, 0, 1, 32}, {4, 2025, 1, 0, 1, 0, 0},
    };
    for (const auto &c : cases) {
        Recordset rs = db.openRecordset(
            u"SELECT TipoLiquidazioneIva, CalcoloInteressi, Articolo34, GestioneProRata, PercentualeProRata FROM "
            "AttivitaAziendaPerPeriodoIva INNER JOIN PeriodoIva ON AttivitaAziendaPerPeriodoIva.IDPeriodoIva = "
            "PeriodoIva.IDPeriodoIva "
            "WHERE IDAttivitaAzienda = "_qs +
            QString::number(c.activity) + u" AND PeriodoIva.Anno = "_qs + QString::number(c.year));
        ASSERT_FALSE(rs.eof()) << c.activity << " " << c.year;
        EXPECT_EQ(rs.integer(u"TipoLiquidazioneIva"_qs), c.tipo) << c.activity << " " << c.year;
        EXPECT_EQ(rs.integer(u"CalcoloInteressi"_qs), c.interest) << c.activity << " " << c.year;
        EXPECT_EQ(rs.integer(u"Articolo34"_qs), c.articolo34) << c.activity << " " << c.year;
        EXPECT_EQ(rs.integer(u"GestioneProRata"_qs), c.proRata) << c.activity << " " << c.year;
        EXPECT_EQ(rs.number(u"PercentualeProRata"_qs), c.percentage) << c.activity << " " << c.year;
    }
    Recordset cfg = db.openRecordset(
        u"SELECT ImportoMinimoIvaLiquidazionePeriodica, ImportoMinimoIvaAcconto FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs);
    EXPECT_EQ(cfg.number(u"ImportoMinimoIvaLiquidazionePeriodica"_qs), 100.0);
    EXPECT_NEAR(cfg.number(u"ImportoMinimoIvaAcconto"_qs), 103.29, 1e-9);
    EXPECT_EQ(sum(db, u"SELECT PercInteressiLiqTrim FROM PeriodoIva WHERE IDPeriodoIva = 2"_qs), 1.0);
    // the prevailing branch belongs to the retail activity; branch 4 too, branch 2 does not
    EXPECT_EQ(sum(db, u"SELECT IDAttivitaAzienda FROM Filiale WHERE IDFiliale IN (SELECT IDFilialePrevalente FROM "
                      "ConfigurazioneGenerale WHERE IDAzienda = 1)"_qs),
              1);
    EXPECT_EQ(sum(db, u"SELECT COUNT(*) FROM Filiale WHERE IDAttivitaAzienda = 1"_qs), 2);
}

// The actions each demo user holds on the settlement's object type in branch 1, read as
// the rights reader reads them (the group half left out for a user without a group).
TEST_P(DemoData, UsersHoldTheirRights)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    Connection &db = t->db();
    struct {
        int user;
        QList<int> actions;
    } cases[] = {{1, {1}}, {2, {4}}, {3, {2, 3, 5}}, {4, {}}};
    for (const auto &c : cases) {
        QStringList groups;
        for (Recordset rs = db.openRecordset(u"SELECT IDGruppo FROM UtentePerGruppo WHERE IDUtente = "_qs +
                                             QString::number(c.user) + u" AND VirtualDelete = 0"_qs);
             !rs.eof(); rs.moveNext())
            groups << rs.text(u"IDGruppo"_qs);
        QString sql;
        if (!groups.isEmpty())
            sql = u"SELECT DISTINCT IDAzione FROM AbilitaPerTipoOggettoPerGruppo WHERE VirtualDelete = 0 AND "
                  u"IDTipoOggetto IN (1,200)"
                  " AND IDFiliale = 1 AND IDGruppo IN ( "_qs +
                  groups.join(u","_qs) + u" )  UNION "_qs;
        sql += u"SELECT DISTINCT IDAzione FROM AbilitaPerTipoOggettoPerUtente WHERE VirtualDelete = 0 AND "
               u"IDTipoOggetto IN (1,200)"
               " AND IDFiliale = 1 AND IDUtente = "_qs +
               QString::number(c.user) + u" ORDER BY IDAzione"_qs;
        QList<int> actions;
        for (Recordset rs = db.openRecordset(sql); !rs.eof(); rs.moveNext())
            actions << rs.integer(u"IDAzione"_qs);
        EXPECT_EQ(actions, c.actions) << "user " << c.user;
    }
}

TEST_P(DemoData, SecondRunChangesNothingAndOtherDataIsRefused)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    Connection &db = t->db();
    const Checksum before = checksumOf(db);
    const DemoSummary again = createDemo(db);
    EXPECT_FALSE(again.created);
    EXPECT_FALSE(again.message.isEmpty());
    EXPECT_THROW(createDemo(db, 2), Refusal); // a bigger demo needs an empty database
    expectSame(before, checksumOf(db), "after the second run");

    auto other = TestDatabase::create(engine(), Content::Schema);
    other->db().executeRaw(u"INSERT INTO Azienda (IDAzienda, Azienda) VALUES (1, 'Altra S.p.A.')"_qs);
    try {
        createDemo(other->db());
        FAIL() << "a database with another company was filled";
    } catch (const Refusal &e) {
        EXPECT_TRUE(e.message().contains(u"aziende"_qs)) << e.message().toStdString();
    }
    EXPECT_EQ(sum(other->db(), u"SELECT COUNT(*) FROM ContatoreIva"_qs), 0);
    EXPECT_EQ(sum(other->db(), u"SELECT COUNT(*) FROM Iva"_qs), 0);
}

// Further companies repeat the shape with keys of their own.
TEST_P(DemoData, ScaleAddsCompaniesOfTheSameShape)
{
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    const DemoSummary made = createDemo(db, 3);
    EXPECT_EQ(made.companies, 3);
    const double perCompany = double(made.counterRows) / 3;
    EXPECT_EQ(sum(db, u"SELECT COUNT(DISTINCT IDContatoreIva) FROM ContatoreIva"_qs), double(made.counterRows));
    struct {
        const char *sql;
        double expected;
    } cases[] = {
        {"SELECT COUNT(*) FROM Azienda", 3},
        {"SELECT COUNT(*) FROM AttivitaAzienda WHERE IDAzienda = 2", 4},
        {"SELECT COUNT(*) FROM PeriodoIva WHERE IDAzienda = 3", 3},
        {"SELECT COUNT(*) FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda IN (SELECT IDAttivitaAzienda FROM "
         "AttivitaAzienda "
         "WHERE IDAzienda = 3)",
         12},
        {"SELECT COUNT(*) FROM ContatoreIva WHERE IDFiliale IN (SELECT IDFiliale FROM Filiale WHERE IDAzienda = 2)",
         perCompany},
        {"SELECT COUNT(*) FROM Iva", 18},
        {"SELECT COUNT(*) FROM Utente", 4},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sum(db, QString::fromUtf8(c.sql)), c.expected) << c.sql;
    // the second company's amounts are those of the first scaled by 0.98, within the cents
    const double first = sum(db, u"SELECT SUM(Imponibile) FROM ContatoreIva WHERE IDFiliale <= 5"_qs);
    const double second = sum(db, u"SELECT SUM(Imponibile) FROM ContatoreIva WHERE IDFiliale BETWEEN 6 AND 10"_qs);
    EXPECT_NEAR(second / first, 0.98, 1e-5);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DemoData);

} // namespace
