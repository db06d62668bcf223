#include "database/SqlValue.h"
#include "domain/document/WorkingRecords.h"
#include "domain/engine/Amounts.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "support/Answering.h"
#include "support/Failure.h"
#include "support/DemoDocumentTest.h"
#include "support/SavedSettlement.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Settlements of the demo company saved and deleted as the windows do it.
class SaveDelete : public DemoDocumentTest {
protected:
    QVariant marker(int activity)
    {
        return db().scalar(u"SELECT IDMeseUltimaLiquidazione FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = 2 "
                           u"AND IDAttivitaAzienda = "_qs
                           + QString::number(activity));
    }
    double typed(int key, int type)
    {
        return fieldToNumber(db().scalar(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs
                                         + QString::number(key) + u" AND IDTipoRisultatoLiquidazioneIva = "_qs
                                         + QString::number(type)));
    }
};

TEST_P(SaveDelete, TheLastSettledMonthMovesOnlyForwardAndFallsBackOnDelete)
{
    struct Step {
        bool save;
        int month;
        int expectedMarker;
    };
    std::map<int, int> keys;
    const Step steps[] = {
        {true, 1, 1},   {true, 2, 2}, {true, 7, 7},
        {true, 5, 7},   // an earlier month leaves the marker alone
        {true, 13, 7},  // so does the December advance
        {false, 5, 7},  // deleting a month that is not the marker's
        {false, 7, 2},  // deleting the marker's month: the highest month still stored
    };
    for (const Step &s : steps) {
        if (s.save)
            keys[s.month] = save(1, s.month);
        else
            ASSERT_TRUE(reopen(keys[s.month])->sbChildDelete());
        EXPECT_EQ(marker(1).toInt(), s.expectedMarker) << (s.save ? "save " : "delete ") << s.month;
    }
    // the last months go: the marker becomes NULL
    for (int m : {1, 2})
        ASSERT_TRUE(reopen(keys[m])->sbChildDelete());
    EXPECT_TRUE(marker(1).isNull());
    // the advance is still there, with its month NULL: it does not hold the marker
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs), 1);
}

TEST_P(SaveDelete, ASaveRefusedWritesNothing)
{
    auto mine = open(1, 4);
    // meanwhile another user saved April
    db().execute(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, IDAttivitaAzienda, IDPeriodoIva, IDMese, "
                 u"AccontoIva, VirtualDelete, IDUtenteUltimaVariazione) VALUES (900, 1, 2, 4, 0, 0, 3)"_qs);
    const int typesBefore = count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo"_qs);
    messages.clear();
    EXPECT_EQ(failureOf([&] { saveAnswering(*mine); }), SettlementDocument::msgAnotherSavedSettlement());
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo"_qs), typesBefore);
    EXPECT_EQ(count(u"SELECT VirtualDelete FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs
                    + QString::number(mine->key())),
              2);
    EXPECT_TRUE(marker(1).isNull());
}

TEST_P(SaveDelete, AFailingSaveLeavesTheSettlementAsItWas)
{
    const int key = save(1, 5);
    const double before = typed(key, 1);
    auto doc = reopen(key);
    // the compensation rows cannot be written: the save fails in its middle
    db().execute(u"DROP TABLE RisultatoLiquidazioneIvaArt34"_qs);
    doc->payments().periodic.importo = Money::units(1);
    messages.answer(Answer::No); // keep the paid amount typed
    EXPECT_TRUE(failureOf([&] { saveAnswering(*doc); }).startsWith(u"Impossibile salvare la liquidazione I.V.A.: "_qs));
    EXPECT_DOUBLE_EQ(typed(key, 1), before);
    EXPECT_DOUBLE_EQ(typed(key, 8), before); // the paid amount stored by the first save
    EXPECT_EQ(count(u"SELECT VirtualDelete FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs
                    + QString::number(key)),
              0);
}

TEST_P(SaveDelete, DeletingTheAdvanceRemovesItsOtherOperations)
{
    auto advance = open(1, 13, 0);
    cAltreOperazioni &ops = advance->altreOperazioni();
    ops.setIDRisultatoLiquidazioneIva(advance->key());
    ops.Refresh();
    ops.Add();
    ops.setIDIva(1);
    ops.setImponibile(Money::units(1000));
    ops.setImposta(Money::units(220));
    ASSERT_TRUE(ops.Save());
    ASSERT_TRUE(saveAnswering(*advance)) << messages.texts().join(u" | "_qs).toStdString();
    const QString where = u" WHERE IDRisultatoLiquidazioneIva = "_qs + QString::number(advance->key());
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM AltreOperazioniPerAcconto"_qs + where), 1);
    EXPECT_TRUE(marker(1).isNull()); // the advance leaves the marker alone
    ASSERT_TRUE(advance->sbChildDelete());
    for (const char *table : {"AltreOperazioniPerAcconto", "RisultatoLiquidazioneIva", "RisultatoLiquidazioneIvaXTipo",
                              "RigaReportLiquidazioneIva", "CampoReportLiquidazioneIva"})
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM "_qs + QString::fromLatin1(table) + where), 0) << table;
}

TEST_P(SaveDelete, TheAnnualCreditIsCarriedIntoTheNextYearAndRemovedWithIt)
{
    // a year of big purchases ends in a credit
    db().execute(u"UPDATE ContatoreIva SET Importo = Importo + 50000 WHERE IDTipoContatoreIva = 1 AND Anno = 2024 AND "
                 u"IDMese = 6 AND IDIva = 1 AND AccontoIva = 0 AND IDFiliale = 1 AND RiportoSuChiusuraIVA <> 0"_qs);
    messages.answer(Answer::Yes); // December is not settled: go on
    auto annual = open(1, 0);
    const double credit = annual->creditoResiduo().toDouble();
    ASSERT_GT(credit, 0);
    ASSERT_TRUE(saveAnswering(*annual)) << messages.texts().join(u" | "_qs).toStdString();
    const QString movements = u"SELECT COUNT(*) FROM MovimentoCredito INNER JOIN Credito ON MovimentoCredito.IDCredito = "
                              u"Credito.IDCredito WHERE Credito.Anno = 2025 AND Credito.IDMese = 1 AND Credito.IDAzienda = 1 "
                              u"AND IDCausaleCredito = 1 AND Automatico <> 0"_qs;
    EXPECT_EQ(count(movements), 1);
    EXPECT_DOUBLE_EQ(fieldToNumber(db().scalar(u"SELECT Importo FROM MovimentoCredito WHERE IDCausaleCredito = 1 AND "
                                               u"Automatico <> 0"_qs)),
                     credit);
    // saved again: the replacement is asked, and the header is not created twice
    messages.clear();
    ASSERT_TRUE(saveAnswering(*annual));
    EXPECT_TRUE(messages.texts().join(u" "_qs).contains(u"Il credito da riportare nell'anno successivo è già"_qs));
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM Credito WHERE Anno = 2025"_qs), 1);
    EXPECT_EQ(count(movements), 1);
    // deleting the annual settlement takes its credit away
    ASSERT_TRUE(annual->sbChildDelete());
    EXPECT_EQ(count(movements), 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM Credito WHERE Anno = 2025"_qs), 0);
}

// Another user, on a connection of their own, acts between this user's fill and save.
TEST_P(SaveDelete, ASaveWritesOnlyTheSettlementItsDocumentFilled)
{
    OtherUser other{t->connectAgain(), {}};
    const QString orphans = u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva NOT IN "
                            u"(SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva)"_qs;
    struct {
        const char *what;
        int replacement; // month the other user saves after the delete, 0 none
        QString reason;
    } cases[] = {
        {"deleted meanwhile", 0, SettlementDocument::msgSettlementGone()},
        {"deleted, and its key given to March", 3, SettlementDocument::msgSettlementReplaced()},
        {"deleted, and January saved again by another user", 1, SettlementDocument::msgChangedByOther(u"consultazione"_qs)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const int january = save(1, 1);
        auto mine = reopen(january); // this user opens January again
        ASSERT_TRUE(other.open(january)->sbChildDelete()) << other.messages.texts().join(u" | "_qs).toStdString();
        int replacement = 0;
        QMap<int, double> before;
        if (c.replacement) {
            replacement = other.saves(1, 2, c.replacement);
            ASSERT_EQ(replacement, january); // the largest key plus one: the freed key again
            for (int type : {1, 13, 14})
                before[type] = typed(replacement, type);
        }
        messages.clear();
        messages.answer(Answer::No);
        EXPECT_EQ(failureOf([&] { saveAnswering(*mine); }), c.reason);
        // nothing written: the other settlement keeps its figures, nothing hangs in the air
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            EXPECT_DOUBLE_EQ(typed(replacement, it.key()), it.value()) << "type " << it.key();
        EXPECT_EQ(count(orphans), 0);
        if (replacement)
            ASSERT_TRUE(other.open(replacement)->sbChildDelete());
    }
}

// A question waits for a person: it is asked before the save's transaction, so that while one
// user looks at it every other user saves as usual.
TEST_P(SaveDelete, WhileOneUsersQuestionIsOpenAnotherUserSaves)
{
    struct Waiting : MessageService {
        std::function<void()> whileOpen;
        QStringList texts;
        Answer messageBox(const QString &text, Buttons, Icon, const QString &) override
        {
            texts << text;
            if (whileOpen)
                std::exchange(whileOpen, nullptr)();
            return Answer::Yes;
        }
    } asking;
    const int march = newWorkingSettlement(db(), messages, 1, 1, 1, 2, 3);
    ASSERT_NE(march, 0);
    SettlementDocument mine(DocumentContext{db(), asking, 1, 1, 1, true});
    mine.sbChildFill(march, false);

    OtherUser other{t->connectAgain(), {}};
    asking.whileOpen = [&] { other.saves(1, 2, 4); }; // it must save while the question is open
    ASSERT_TRUE(saveAnswering(mine));
    EXPECT_FALSE(asking.texts.isEmpty()) << "the amount paid was asked";
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs), 2);
}

TEST_P(SaveDelete, ASettlementOpenElsewhereIsNotDeleted)
{
    const int key = save(1, 4);
    auto doc = std::make_unique<SettlementDocument>(DocumentContext{
        db(), messages, 1, 1, 1, true, [](int) { return u"bruno"_qs; }});
    doc->sbChildFill(key, false);
    messages.clear();
    EXPECT_EQ(failureOf([&] { doc->sbChildDelete(); }), SettlementDocument::msgHeldByOther(u"bruno"_qs));
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs
                    + QString::number(key)),
              1);
}

TEST_P(SaveDelete, WorkingRowsNobodyHoldsAreRemovedWithWhatWasBuiltForThem)
{
    const int saved = save(1, 1);
    auto held = open(1, 2);      // open in a live session
    auto abandoned = open(1, 3); // its process died
    const int heldKey = held->key(), abandonedKey = abandoned->key();
    EXPECT_EQ(WorkingRecords::removeAbandoned(db(), {heldKey}), 1);
    auto rows = [&](int key) {
        const QString where = u" WHERE IDRisultatoLiquidazioneIva = "_qs + QString::number(key);
        return count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs + where)
            + count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo"_qs + where)
            + count(u"SELECT COUNT(*) FROM CampoReportLiquidazioneIva"_qs + where)
            + count(u"SELECT COUNT(*) FROM RigaReportLiquidazioneIva"_qs + where);
    };
    EXPECT_EQ(rows(abandonedKey), 0);
    EXPECT_GT(rows(heldKey), 0);
    EXPECT_GT(rows(saved), 0);
    // the period is free again: a new March can be made and saved
    EXPECT_GT(save(1, 3), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SaveDelete);

} // namespace
