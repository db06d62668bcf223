#include "gui/shell/ShellFixture.h"

#include "domain/document/SavedSettlements.h"
#include "gui/shell/BrowseFilter.h"

#include <QTableView>

using namespace liqiva;
using namespace liqiva::test;

namespace {

using Op = BrowseCondition::Op;

TEST(BrowseFilterTest, ConditionsAreCheckedBeforeTheyEnter)
{
    struct {
        BrowseCondition condition;
        const char *problem; // nullptr: accepted
    } cases[] = {
        {{u"Anno"_qs, Op::Equal, u"2024"_qs}, nullptr},
        {{u"Anno"_qs, Op::Equal, u"duemila"_qs}, "Il valore \"duemila\" indicato per Anno non è un numero."},
        {{u"Anno"_qs, Op::Contains, u"20"_qs},
         "La colonna Anno contiene numeri: usare un confronto (=, <>, <, <=, >, >=)."},
        {{u"Mesi"_qs, Op::Equal, u"  "_qs}, "Indicare il valore della condizione su Mese."},
        {{u"Inesistente"_qs, Op::Equal, u"x"_qs}, "Scegliere la colonna su cui porre la condizione."},
    };
    for (const auto &c : cases) {
        const std::optional<QString> problem = checkCondition(c.condition);
        if (c.problem)
            EXPECT_EQ(problem.value_or(QString()), QString::fromUtf8(c.problem))
                << c.condition.describe().toStdString();
        else
            EXPECT_FALSE(problem.has_value()) << problem.value_or(QString()).toStdString();
    }
}

TEST(BrowseFilterTest, RowsMeetEveryCondition)
{
    const QStringList fields = {u"Anno"_qs, u"Mesi"_qs, u"CodiceAttivita"_qs};
    // A row of January 2024 without an activity code (the left join gave NULL).
    const QVariantList values = {2024, u"Gennaio"_qs, QVariant()};
    const QStringList texts = {u"2024"_qs, u"Gennaio"_qs, QString()};
    struct {
        std::vector<BrowseCondition> conditions;
        bool matches;
    } cases[] = {
        {{}, true},
        {{{u"Anno"_qs, Op::Equal, u"2024"_qs}}, true},
        {{{u"Anno"_qs, Op::Equal, u"2024,0"_qs}}, true}, // a decimal comma
        {{{u"Anno"_qs, Op::Less, u"2024"_qs}}, false},
        {{{u"Anno"_qs, Op::Greater, u"999"_qs}}, true},    // as numbers, not as text
        {{{u"Mesi"_qs, Op::Equal, u"gennaio"_qs}}, true},  // text without regard to case
        {{{u"Mesi"_qs, Op::Less, u"Febbraio"_qs}}, false}, // alphabetically after
        {{{u"Anno"_qs, Op::Equal, u"2024"_qs}, {u"Mesi"_qs, Op::Equal, u"Febbraio"_qs}}, false}, // all of them
        {{{u"CodiceAttivita"_qs, Op::Equal, u""_qs}}, false},                                    // NULL meets only "<>"
        {{{u"PeriodoIva"_qs, Op::Equal, u"2024"_qs}}, false}, // a column the row does not have
    };
    for (const auto &c : cases) {
        QStringList described;
        for (const BrowseCondition &b : c.conditions)
            described << b.describe();
        EXPECT_EQ(rowMatches(c.conditions, fields, values, texts), c.matches)
            << described.join(u" e "_qs).toStdString();
    }
}

class BrowseOnEngines : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }
    int settlement(int activity, int vatYear, std::optional<int> month, int advance, int method = 0)
    {
        const SqlStatement mese = month ? sqlParam(*month) : u"NULL"_qs;
        db().execute(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, IDMese, AccontoIva, "
                     u"MetodoCalcoloAccontoIva, IDAttivitaAzienda, IDPeriodoIva, VirtualDelete) VALUES ("_qs +
                     sqlParam(++m_key) + u", "_qs + mese + u", "_qs + sqlParam(advance) + u", "_qs + sqlParam(method) +
                     u", "_qs + sqlParam(activity) + u", "_qs + sqlParam(vatYear) + u", 0)"_qs);
        return m_key;
    }
    // The balance a save stores (result type 1): a credit negative.
    void balance(int key, double amount, int state = 0)
    {
        db().execute(
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIvaXTip, "
            u"IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, Importo, VirtualDelete) VALUES (?, 1, ?, ?, ?)"_qs,
            {sqlValue(++m_key), sqlValue(key), sqlValue(amount), sqlValue(state)});
    }
    Connection &db() { return t->db(); }
    std::unique_ptr<TestDatabase> t;
    int m_key = 100;
};

TEST_P(BrowseOnEngines, ListsByMonthThenYearAndFilters)
{
    const int feb2025 = settlement(shopActivity, year2025, 2, 0);
    const int jan2025 = settlement(shopActivity, year2025, 1, 0);
    const int jan2024 = settlement(shopActivity, year2024, 1, 0);
    const int advance2024 = settlement(shopActivity, year2024, std::nullopt, 1, 1);
    const int annual2024 = settlement(wholesaleActivity, year2024, std::nullopt, 0);

    balance(jan2025, 1234.56);
    balance(jan2024, -310.4);
    balance(feb2025, 99, 2); // a balance not saved yet is not shown
    ScriptedMessages messages;
    BrowseFace browse(messages);
    browse.setRecordSource(db(), browseStatement(demoCompany, db().dbType()), demoCompany);
    ASSERT_TRUE(browse.requery());
    // The annual row (no month) sorts first; all Januaries before the Februaries; the
    // December advance as month 13, last.
    EXPECT_EQ(browse.rowIds(), (QList<int>{annual2024, jan2024, jan2025, feb2025, advance2024}));
    EXPECT_EQ(browse.listCount(), 5);
    auto text = [&](int key, const QString &field) {
        const int row = int(browse.rowIds().indexOf(key));
        const int column = browse.gridColumnOf(field);
        return column < 0 ? u"(not shown)"_qs : browse.grid()->model()->index(row, column).data().toString();
    };
    EXPECT_EQ(text(annual2024, u"Mesi"_qs), u"Tutti i mesi"_qs);
    EXPECT_EQ(text(advance2024, u"Mesi"_qs), u"Dicembre Acconto"_qs);
    EXPECT_EQ(text(advance2024, u"MetodoCalcoloAccontoIva"_qs), u"Metodo storico"_qs);
    EXPECT_EQ(text(jan2025, u"MetodoCalcoloAccontoIva"_qs), QString());
    // The VAT year names the year: it is not repeated.
    EXPECT_EQ(text(jan2025, u"Anno"_qs), u"(not shown)"_qs);
    EXPECT_EQ(text(jan2025, u"PeriodoIva"_qs), u"2025"_qs);
    // The amount to pay, or the credit, each in its column.
    struct {
        int key;
        QString toPay, credit;
    } balances[] = {
        {jan2025, u"1.234,56"_qs, {}},
        {jan2024, {}, u"310,40"_qs},
        {feb2025, {}, {}},
        {annual2024, {}, {}},
    };
    for (const auto &b : balances) {
        EXPECT_EQ(text(b.key, browseToPayField()), b.toPay) << b.key;
        EXPECT_EQ(text(b.key, browseCreditField()), b.credit) << b.key;
    }

    // Selection by key, and its neighbours.
    ASSERT_TRUE(browse.moveByRowIds(jan2025));
    EXPECT_EQ(browse.currentKey(), jan2025);
    EXPECT_EQ(browse.neighbourKey(-1), jan2024);
    EXPECT_EQ(browse.neighbourKey(1), feb2025);
    EXPECT_FALSE(browse.moveByRowIds(99999));
    EXPECT_EQ(browse.currentKey(), jan2025);

    // A filter: a bad value is refused and changes nothing; a good one applies.
    browse.defineFilter(true);
    EXPECT_FALSE(browse.addCondition({u"Anno"_qs, Op::Equal, u"2o24"_qs}));
    EXPECT_TRUE(browse.definition().empty());
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(browse.addCondition({u"Anno"_qs, Op::Equal, u"2024"_qs}));
    ASSERT_TRUE(browse.applyFilterDefinition());
    EXPECT_EQ(browse.view(), BrowseFace::View::Table);
    EXPECT_EQ(browse.rowIds(), (QList<int>{annual2024, jan2024, advance2024}));

    // The balance columns filter as numbers.
    browse.defineFilter(true);
    EXPECT_TRUE(browse.addCondition({browseCreditField(), Op::Greater, u"300"_qs}));
    ASSERT_TRUE(browse.applyFilterDefinition());
    EXPECT_EQ(browse.rowIds(), (QList<int>{jan2024}));
    browse.defineFilter(true);
    EXPECT_TRUE(browse.addCondition({u"Anno"_qs, Op::Equal, u"2024"_qs}));
    ASSERT_TRUE(browse.applyFilterDefinition());

    // Abandoning a definition keeps the filter in force.
    browse.defineFilter(false);
    EXPECT_TRUE(browse.addCondition({u"Mesi"_qs, Op::StartsWith, u"genn"_qs}));
    browse.abandonFilterDefinition();
    EXPECT_EQ(browse.conditions().size(), 1u);
    ASSERT_TRUE(browse.requery());
    EXPECT_EQ(browse.listCount(), 3);

    // Emptying the definition lists everything again.
    browse.defineFilter(true);
    ASSERT_TRUE(browse.applyFilterDefinition());
    EXPECT_EQ(browse.listCount(), 5);
}

TEST_P(BrowseOnEngines, RequeryAfterTheSelectedRowIsGoneSelectsTheFirst)
{
    const int a = settlement(shopActivity, year2024, 1, 0);
    const int b = settlement(shopActivity, year2024, 2, 0);
    ScriptedMessages messages;
    BrowseFace browse(messages);
    browse.setRecordSource(db(), browseStatement(demoCompany, db().dbType()));
    ASSERT_TRUE(browse.requery());
    ASSERT_TRUE(browse.moveByRowIds(b));
    db().execute(u"DELETE FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs, {sqlValue(b)});
    ASSERT_TRUE(browse.requery());
    EXPECT_EQ(browse.currentKey(), a);
    db().execute(u"DELETE FROM RisultatoLiquidazioneIva"_qs);
    ASSERT_TRUE(browse.requery());
    EXPECT_EQ(browse.listCount(), 0);
    EXPECT_EQ(browse.currentKey(), 0);
    EXPECT_EQ(browse.neighbourKey(1), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(BrowseOnEngines);

} // namespace
