#include "document/NewSettlement.h"
#include "document/SettlementDocument.h"
#include "engine/Amounts.h"
#include "otherops/cAltreOperazioni.h"
#include "startup/database/SqlLiteral.h"
#include "suite/Messages.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

// Settlements of the demo company saved and deleted as the windows do it.
class SaveDelete : public EngineTest {
protected:
    void SetUp() override { t = TestDatabase::create(engine(), Content::Demo); }
    Connection &db() { return t->db(); }

    // Creates, fills and optionally saves the settlement of a period of 2024 (VAT year 2).
    std::unique_ptr<SettlementDocument> open(int activity, int month, int method = 0, int user = 1)
    {
        NewSettlement ns(db(), messages, 1, user);
        ns.sbSetComboMesi(activity, 2, 0);
        const int result = ns.confirm(activity, 2, ns.indexOfMonth(month), method, true);
        EXPECT_EQ(result, 1);
        auto doc = std::make_unique<SettlementDocument>(DocumentContext{db(), messages, user, 1, 1, true});
        doc->sbChildFill(ns.currentKey(), false);
        return doc;
    }
    int save(int activity, int month, int method = 0)
    {
        auto doc = open(activity, month, method);
        EXPECT_TRUE(doc->fnChildSave()) << messages.texts().join(u" | "_qs).toStdString();
        return doc->key();
    }
    std::unique_ptr<SettlementDocument> reopen(int key)
    {
        auto doc = std::make_unique<SettlementDocument>(DocumentContext{db(), messages, 1, 1, 1, true});
        doc->sbChildFill(key, false);
        return doc;
    }
    QVariant marker(int activity)
    {
        return db().scalar(u"SELECT IDMeseUltimaLiquidazione FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = 2 "
                           u"AND IDAttivitaAzienda = "_qs
                           + QString::number(activity));
    }
    int count(const QString &sql) { return db().scalar(sql).toInt(); }
    double typed(int key, int type)
    {
        return fieldToNumber(db().scalar(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs
                                         + QString::number(key) + u" AND IDTipoRisultatoLiquidazioneIva = "_qs
                                         + QString::number(type)));
    }

    std::unique_ptr<TestDatabase> t;
    ScriptedMessages messages;
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

TEST_P(SaveDelete, TheBalanceIsSignedAndSavingTwiceKeepsOneRowPerType)
{
    // March 2024 of the shop ends with a debt of 1528.04
    const int debt = save(1, 3);
    EXPECT_DOUBLE_EQ(typed(debt, 1), 1528.04);
    // a big purchase of February makes February a credit: stored negative
    db().execute(u"UPDATE ContatoreIva SET Importo = Importo + 10000 WHERE IDTipoContatoreIva = 1 AND Anno = 2024 AND "
                 u"IDMese = 2 AND IDIva = 1 AND AccontoIva = 0 AND IDFiliale = 1 AND RiportoSuChiusuraIVA <> 0"_qs);
    auto february = open(1, 2);
    const double credit = february->creditoResiduo();
    ASSERT_GT(credit, 0);
    ASSERT_TRUE(february->fnChildSave());
    EXPECT_DOUBLE_EQ(typed(february->key(), 1), -fieldToNumber(db().scalar(
                                                    u"SELECT TotCredito FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs
                                                    + QString::number(february->key()))));
    EXPECT_DOUBLE_EQ(typed(february->key(), 25), credit);
    // saved again, still one row per type
    ASSERT_TRUE(february->fnChildSave());
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM (SELECT IDTipoRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIvaXTipo "
                    u"WHERE IDRisultatoLiquidazioneIva = "_qs
                    + QString::number(february->key()) + u" GROUP BY IDTipoRisultatoLiquidazioneIva HAVING COUNT(*) > 1) AS d"_qs),
              0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE VirtualDelete <> 0"_qs), 0);
    // March, opened again, carries February's credit? No: March was saved before. The
    // stored result of March is unchanged by February's save.
    EXPECT_DOUBLE_EQ(typed(debt, 1), 1528.04);
}

TEST_P(SaveDelete, ASaveRefusedWritesNothing)
{
    auto mine = open(1, 4);
    // meanwhile another user saved April
    db().execute(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, IDAttivitaAzienda, IDPeriodoIva, IDMese, "
                 u"AccontoIva, VirtualDelete, IDUtenteUltimaVariazione) VALUES (900, 1, 2, 4, 0, 0, 3)"_qs);
    const int typesBefore = count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo"_qs);
    messages.clear();
    EXPECT_FALSE(mine->fnChildSave());
    EXPECT_EQ(messages.texts().last(), SettlementDocument::msgAnotherSavedSettlement());
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
    doc->payments().periodic.importo = 1.0;
    messages.answer(Answer::No); // keep the paid amount typed
    EXPECT_FALSE(doc->fnChildSave());
    EXPECT_TRUE(messages.texts().last().startsWith(u"Impossibile salvare la liquidazione I.V.A.: "_qs));
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
    ASSERT_TRUE(advance->fnChildSave()) << messages.texts().join(u" | "_qs).toStdString();
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
    const double credit = annual->creditoResiduo();
    ASSERT_GT(credit, 0);
    ASSERT_TRUE(annual->fnChildSave()) << messages.texts().join(u" | "_qs).toStdString();
    const QString movements = u"SELECT COUNT(*) FROM MovimentoCredito INNER JOIN Credito ON MovimentoCredito.IDCredito = "
                              u"Credito.IDCredito WHERE Credito.Anno = 2025 AND Credito.IDMese = 1 AND Credito.IDAzienda = 1 "
                              u"AND IDCausaleCredito = 1 AND Automatico <> 0"_qs;
    EXPECT_EQ(count(movements), 1);
    EXPECT_DOUBLE_EQ(fieldToNumber(db().scalar(u"SELECT Importo FROM MovimentoCredito WHERE IDCausaleCredito = 1 AND "
                                               u"Automatico <> 0"_qs)),
                     credit);
    // saved again: the replacement is asked, and the header is not created twice
    messages.clear();
    ASSERT_TRUE(annual->fnChildSave());
    EXPECT_TRUE(messages.texts().join(u" "_qs).contains(u"Il credito da riportare nell'anno successivo è già"_qs));
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM Credito WHERE Anno = 2025"_qs), 1);
    EXPECT_EQ(count(movements), 1);
    // deleting the annual settlement takes its credit away
    ASSERT_TRUE(annual->sbChildDelete());
    EXPECT_EQ(count(movements), 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM Credito WHERE Anno = 2025"_qs), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SaveDelete);

} // namespace
