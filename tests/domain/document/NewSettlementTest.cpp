#include "domain/document/NewSettlement.h"
#include "DocumentFixture.h"
#include "domain/document/SavedSettlements.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Company 1 with users 1 "anna" and 2 "bruno", VAT years 1999 and 2024, a monthly activity 1
// (branch 1, the prevailing one) and a quarterly activity 2 (branch 2).
class NewSettlementTest : public FixtureDocumentTest {
protected:
    void SetUp() override
    {
        FixtureDocumentTest::SetUp();
        db().execute(u"INSERT INTO Utente (IDUtente, Utente) VALUES (2, 'bruno')"_qs);
        y1999 = f->vatYear(company, 1999);
        y2024 = f->vatYear(company, 2024);
        for (int quarterly : {0, 1}) {
            const int activity = f->activity(company);
            f->branch(company, activity);
            f->activityYear(activity, y2024, {quarterly});
        }
        f->activityYear(1, y1999);
        db().execute(u"INSERT INTO ConfigurazioneGenerale (IDConfigurazioneGenerale, IDAzienda, IDFilialePrevalente) "
                     u"VALUES (1, ?, 1)"_qs,
                     {company});
    }
    int y1999 = 0, y2024 = 0;
};

TEST_P(NewSettlementTest, ProposesTheNextPeriod)
{
    Connection &db = t->db();
    NewSettlement ns(db, 1, 1);
    EXPECT_EQ(ns.proposeYear(), y2024);
    // two activities, the year does not keep them apart: the prevailing branch's
    EXPECT_EQ(ns.proposeActivity(y2024), 1);

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
        ns.sbSetComboMesi(c.activity, y2024, 0);
        EXPECT_EQ(ns.proposePeriodIndex(c.activity, y2024), c.expectedIndex) << c.activity << "/" << c.lastSettled;
    }
}

TEST_P(NewSettlementTest, OneActivityIsChosenWithoutLookingAtBranches)
{
    Connection &db = t->db();
    db.execute(u"DELETE FROM AttivitaAzienda WHERE IDAttivitaAzienda = 2"_qs);
    db.execute(u"DELETE FROM ConfigurazioneGenerale"_qs);
    NewSettlement ns(db, 1, 1);
    EXPECT_EQ(ns.proposeActivity(y2024), 1);
}

// The chosen period is checked before anything is created: an existing settlement is offered
// instead, a gap before it or a period after the activity ceased is said, each with its
// question or refusal and the answers scripted.
TEST_P(NewSettlementTest, TheChosenPeriodIsCheckedBeforeAnythingIsCreated)
{
    Connection &db = t->db();
    f->settlement(1, y2024, 3);                                 // March, saved
    const int april = f->settlement(1, y2024, 4, false, 0, 2); // bruno's working row
    f->settlement(1, y2024, std::nullopt, true, 1);              // December advance, historical method
    db.execute(u"UPDATE RisultatoLiquidazioneIva SET IDUtenteUltimaVariazione = 1"_qs);
    db.execute(u"UPDATE RisultatoLiquidazioneIva SET IDUtenteUltimaVariazione = 2 WHERE IDRisultatoLiquidazioneIva = ?"_qs,
               {april});
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
        {"March exists: yes shows it", 1, y2024, 3, 0, {}, false, 1, already},
        {"bruno's working row", 1, y2024, 4, 0, {Answer::Yes, Answer::No}, false, 0, u"dall'utente 'bruno'."_qs},
        {"advance, another method", 1, y2024, 12, 2, {Answer::No}, false, 0, u"calcolo dell'acconto differente"_qs},
        {"the advance with its method: yes shows it", 1, y2024, 12, 1, {}, false, 3, already},
        {"February after a gap, no", 1, y2024, 2, 0, {Answer::No}, false, 0, u"periodo antecedente"_qs},
        {"the annual after a gap, yes", 1, y2024, 0, 0, {Answer::Yes}, true, 0, u"Si desidera proseguire?"_qs},
        {"activity and year apart", 2, y1999, 1, 0, {}, false, 0, u"non corrispondono"_qs},
        {"the first quarter before ceasing", 2, y2024, 1, 0, {}, true, 0, QString()},
        {"the second quarter after ceasing", 2, y2024, 2, 0, {}, false, 0, u"risulta cessata"_qs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ns.sbSetComboMesi(c.activity, y2024, 0);
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
    ns.sbSetComboMesi(2, y2024, 0);
    EXPECT_EQ(confirmAnswering(ns, messages, 2, y2024, 4, 1, false), 1); // the December advance, historical
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
    EXPECT_EQ(confirmAnswering(ns, messages, 2, y2024, 4, 1, false), 2);
}

TEST_P(NewSettlementTest, TheBrowseListsMonthsThenYears)
{
    Connection &db = t->db();
    const int y2023 = f->vatYear(company, 2023);
    f->activityYear(1, y2023);
    f->settlement(1, y2024, 2);
    f->settlement(1, y2023, 2);
    f->settlement(1, y2024, 1);
    f->settlement(1, y2024, std::nullopt);       // annual
    f->settlement(1, y2024, std::nullopt, true); // advance
    f->settlement(1, y2023, std::nullopt, true);
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
