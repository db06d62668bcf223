#include "domain/document/NewSettlement.h"
#include "DocumentFixture.h"
#include "domain/document/SavedSettlements.h"
#include "support/Answering.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

class NewSettlementTest : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine());
        addSmallCompany(t->db());
    }
    std::unique_ptr<TestDatabase> t;
    ScriptedMessages messages;
};

TEST_P(NewSettlementTest, ProposesTheNextPeriod)
{
    Connection &db = t->db();
    NewSettlement ns(db, 1, 1);
    EXPECT_EQ(ns.proposeYear(), 10);
    // two activities, the year does not keep them apart: the prevailing branch's
    EXPECT_EQ(ns.proposeActivity(10), 1);

    struct {
        int activity, lastSettled;
        int expectedIndex;
    } cases[] = {
        {1, 0, 1},   // nothing settled: January
        {1, 4, 5},   // after April: May
        {1, 11, 12}, // after November: the December advance
        {2, 0, 1},   // quarterly, nothing settled: first quarter
        {2, 6, 3},   // after the second quarter: the third
        {2, 9, 4},   // after the third quarter: the December advance
    };
    for (const auto &c : cases) {
        db.execute(
            u"UPDATE AttivitaAziendaPerPeriodoIva SET IDMeseUltimaLiquidazione = ? WHERE IDAttivitaAzienda = ?"_qs,
            {sqlValue(c.lastSettled), sqlValue(c.activity)});
        ns.sbSetComboMesi(c.activity, 10, 0);
        EXPECT_EQ(ns.proposePeriodIndex(c.activity, 10), c.expectedIndex) << c.activity << "/" << c.lastSettled;
    }
}

TEST_P(NewSettlementTest, OneActivityIsChosenWithoutLookingAtBranches)
{
    Connection &db = t->db();
    db.execute(u"DELETE FROM AttivitaAzienda WHERE IDAttivitaAzienda = 2"_qs);
    db.execute(u"DELETE FROM ConfigurazioneGenerale"_qs);
    NewSettlement ns(db, 1, 1);
    EXPECT_EQ(ns.proposeActivity(10), 1);
}

// The chosen period is checked before anything is created: an existing settlement is offered
// instead, a gap before it or a period after the activity ceased is said, each with its
// question or refusal and the answers scripted.
TEST_P(NewSettlementTest, TheChosenPeriodIsCheckedBeforeAnythingIsCreated)
{
    Connection &db = t->db();
    addSettlement(db, 1, 1, 10, 3, 0);        // March, saved
    addSettlement(db, 2, 1, 10, 4, 2, 2);     // April, bruno's working row
    addSettlement(db, 3, 1, 10, 13, 0, 1, 1); // December advance, historical method
    db.execute(u"UPDATE AttivitaAzienda SET DataCessazione = ? WHERE IDAttivitaAzienda = 2"_qs, {QDate(2024, 4, 1)});
    NewSettlement ns(db, 1, 1);
    const QString already = u"La liquidazione IVA per il mese selezionato è stata già effettuata."_qs;
    const struct {
        const char *what;
        int activity, year, index, method;
        std::vector<Answer> answers;
        bool accepted;
        int shownKey;
        QString lastMessage; // a part of it
    } cases[] = {
        {"March exists: yes shows it", 1, 10, 3, 0, {}, false, 1, already},
        {"bruno's working row", 1, 10, 4, 0, {Answer::Yes, Answer::No}, false, 0, u"dall'utente 'bruno'."_qs},
        {"advance, another method", 1, 10, 12, 2, {Answer::No}, false, 0, u"calcolo dell'acconto differente"_qs},
        {"the advance with its method: yes shows it", 1, 10, 12, 1, {}, false, 3, already},
        {"February after a gap, no", 1, 10, 2, 0, {Answer::No}, false, 0, u"periodo antecedente"_qs},
        {"the annual after a gap, yes", 1, 10, 0, 0, {Answer::Yes}, true, 0, u"Si desidera proseguire?"_qs},
        {"activity and year apart", 2, 5, 1, 0, {}, false, 0, u"non corrispondono"_qs},
        {"the first quarter before ceasing", 2, 10, 1, 0, {}, true, 0, QString()},
        {"the second quarter after ceasing", 2, 10, 2, 0, {}, false, 0, u"risulta cessata"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ns.sbSetComboMesi(c.activity, 10, 0);
        messages.clear();
        for (const Answer a : c.answers)
            messages.answer(a);
        EXPECT_EQ(validateAnswering(ns, messages, c.activity, c.year, c.index, c.method), c.accepted);
        if (!c.accepted)
            EXPECT_EQ(ns.currentKey(), c.shownKey);
        if (c.lastMessage.isEmpty())
            EXPECT_TRUE(messages.shown().empty());
        else
            EXPECT_TRUE(!messages.texts().isEmpty() && messages.texts().last().contains(c.lastMessage))
                << messages.texts().join(u" | "_qs).toStdString();
    }
}

TEST_P(NewSettlementTest, CreatesTheWorkingRowsOfTheNewSettlement)
{
    Connection &db = t->db();
    NewSettlement ns(db, 1, 2);
    ns.sbSetComboMesi(2, 10, 0);
    EXPECT_EQ(confirmAnswering(ns, messages, 2, 10, 4, 1, false), 1); // the December advance, historical
    const int key = ns.currentKey();
    Recordset rs =
        db.openRecordset(u"SELECT IDMese, AccontoIva, MetodoCalcoloAccontoIva, VirtualDelete, IDUtenteUltimaVariazione "
                         u"FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                         {sqlValue(key)});
    ASSERT_FALSE(rs.eof());
    EXPECT_TRUE(rs.isNull(u"IDMese"_qs));
    EXPECT_EQ(rs.integer(u"AccontoIva"_qs), 1);
    EXPECT_EQ(rs.integer(u"MetodoCalcoloAccontoIva"_qs), 1);
    EXPECT_EQ(rs.integer(u"VirtualDelete"_qs), 2);
    EXPECT_EQ(rs.integer(u"IDUtenteUltimaVariazione"_qs), 2);
    rs.close();
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 1 "
                        u"AND VirtualDelete = 2 AND IDRisultatoLiquidazioneIva = ?"_qs,
                        {sqlValue(key)})
                  .toInt(),
              1);
    // the same period again: refused unless the user views the existing one
    messages.answer(Answer::No);
    EXPECT_EQ(confirmAnswering(ns, messages, 2, 10, 4, 1, false), 2);
}

TEST_P(NewSettlementTest, TheBrowseListsMonthsThenYears)
{
    Connection &db = t->db();
    db.execute(u"INSERT INTO PeriodoIva (IDPeriodoIva, IDAzienda, PeriodoIva, Anno) VALUES (9, 1, 'IVA 2023', 2023)"_qs);
    db.execute(u"INSERT INTO AttivitaAziendaPerPeriodoIva (IDAttivitaAziendaPerPeriodoIva, IDAttivitaAzienda, IDPeriodoIva) "
               u"VALUES (4, 1, 9)"_qs);
    addSettlement(db, 1, 1, 10, 2);
    addSettlement(db, 2, 1, 9, 2);
    addSettlement(db, 3, 1, 10, 1);
    addSettlement(db, 4, 1, 10, 0);  // annual
    addSettlement(db, 5, 1, 10, 13); // advance
    addSettlement(db, 6, 1, 9, 13);
    const auto list = listSavedSettlements(db, 1);
    QStringList seen;
    for (const auto &s : list)
        seen << QStringLiteral("%1 %2 %3 %4").arg(s.idRisultatoLiquidazioneIva).arg(s.idMese).arg(s.mesi, s.periodo);
    EXPECT_EQ(seen, QStringList({u"4 0 Tutti i mesi 2024"_qs, u"3 1 Gennaio 1 - 2024"_qs, u"2 2 Febbraio 2 - 2023"_qs,
                                 u"1 2 Febbraio 2 - 2024"_qs, u"6 13 Dicembre Acconto 2023"_qs,
                                 u"5 13 Dicembre Acconto 2024"_qs}));
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(NewSettlementTest);

} // namespace
