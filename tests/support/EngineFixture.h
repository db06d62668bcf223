#pragma once

#include "database/Connection.h"
#include "domain/engine/SettlementIdentity.h"
#include "support/TestDatabase.h"

#include <QString>
#include <optional>

namespace liqiva::test {

// One VAT counter row as the suite's bookkeeping keeps it.
struct Counter {
    int kind = 1;
    int idIva = 0;
    int anno = 0;
    int mese = 1;
    int idFiliale = 0;
    double imponibile = 0;
    double importo = 0;
    bool riporto = true;
    std::optional<int> classeConto;
    std::optional<int> classeCF;
    bool ritardo = false;
    bool acconto = false;
    bool soloVentilazione = false;
};

// Flags of an activity in a VAT year.
struct ActivityYear {
    int tipoLiquidazione = 0; // 0 monthly, 1 quarterly
    bool calcoloInteressi = false;
    bool articolo34 = false;
    double creditoAutotrasportatori = 0;
    QString extra; // further assignments, as "Autotrasportatore = 1, GestioneProRata = 1"
};

// A VAT code by its code and rate, its kind (1 non-taxable, 3 exempt) and its flags.
struct VatCode {
    QString code;
    double rate = 0;
    std::optional<int> tipoIva;
    bool noProRata = false;
    bool notDeclared = false;
};

// Writes the rows the engine reads into a database made with the schema: companies, VAT
// years, activities and their branches, VAT codes, counters and stored settlements.
class EngineFixture {
public:
    explicit EngineFixture(Connection &db) : m_db(db) {}
    Connection &db() { return m_db; }

    int company(bool splitReceiptsDaily = false);
    int vatYear(int company, int anno, std::optional<double> percInteressi = std::nullopt, bool art36 = false);
    int activity(int company);
    int activityYear(int activity, int vatYear, const ActivityYear &flags = {});
    int branch(int company, int activity);
    int vatCode(const QString &description, double rate, double percIndetraibilita = 0, int ventilationCode = 0,
                int compensation = 0, bool inDetrazione = false);
    int vatCode(const VatCode &c);
    int compensationClass(double percent);
    void counter(const Counter &c);
    // A settlement row: month NULL for the annual settlement and the advance (acconto true).
    int settlement(std::optional<int> activity, int vatYear, std::optional<int> mese, bool acconto = false,
                   int metodo = 0, int virtualDelete = 0);
    void amount(int settlement, int type, double importo, std::optional<int> tipoLiquidazione = std::nullopt);

    // One number from a statement; NULL reads as nullopt.
    std::optional<double> value(const SqlStatement &sql);
    double number(const SqlStatement &sql) { return value(sql).value_or(0); }
    // One column of the report header of a settlement.
    std::optional<double> header(int settlement, const QString &column);
    QVariant headerValue(int settlement, const QString &column);
    // One column of the report row of a VAT code.
    std::optional<double> row(int settlement, int idIva, const QString &column);
    int rowCount(int settlement);
    // The same to a millionth; an expected nullopt wants NULL.
    void expectHeader(int settlement, const char *column, std::optional<double> expected);
    void expectRow(int settlement, int idIva, const char *column, std::optional<double> expected);

private:
    Connection &m_db;
};

// A database with the schema for each engine, and the fixture that fills it.
class EngineFixtureTest : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine());
        f = std::make_unique<EngineFixture>(t->db());
    }
    Connection &db() { return t->db(); }

    std::unique_ptr<TestDatabase> t;
    std::unique_ptr<EngineFixture> f;
};

// The identity of a settlement for the engine.
SettlementIdentity identity(int settlement, int activity, int vatYear, int mese, int anno, int company, int metodo = 0);

} // namespace liqiva::test
