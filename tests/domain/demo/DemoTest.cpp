#include "database/Connection.h"
#include "database/DbError.h"
#include "database/Schema.h"
#include "domain/demo/DemoCompany.h"
#include "suite/Refusal.h"
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
    EXPECT_EQ(sum(db, u"SELECT COUNT(*) FROM Azienda"_qs), 3);
    EXPECT_EQ(sum(db, u"SELECT COUNT(*) FROM ContatoreIva WHERE IDFiliale IN (SELECT IDFiliale FROM Filiale WHERE "
                      u"IDAzienda = 2)"_qs),
              perCompany);
    // the second company's amounts are those of the first scaled by 0.98, within the cents
    const double first = sum(db, u"SELECT SUM(Imponibile) FROM ContatoreIva WHERE IDFiliale <= 5"_qs);
    const double second = sum(db, u"SELECT SUM(Imponibile) FROM ContatoreIva WHERE IDFiliale BETWEEN 6 AND 10"_qs);
    EXPECT_NEAR(second / first, 0.98, 1e-5);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DemoData);

} // namespace
