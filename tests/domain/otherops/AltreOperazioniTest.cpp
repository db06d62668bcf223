#include "domain/otherops/cAltreOperazioni.h"

#include "database/DbError.h"
#include "suite/Refusal.h"
#include "support/EngineFixture.h"
#include "support/MoneyText.h"
#include "support/TestDatabase.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

TEST(OtherOperationsTax, RoundsTheCentHalfAwayAndTheLiraHalfUp)
{
    struct {
        const char *imponibile;
        long long aliquota;
        bool decimali;
        std::optional<const char *> imposta;
    } cases[] = {
        {"100", 22, true, "22"},       {"10.05", 10, true, "1.01"},   // 1.005
        {"-10.05", 10, true, "-1.01"}, {"1005", 10, false, "101"},    // 100.5 goes up
        {"-1005", 10, false, "-100"},                                 // and -100.5 goes up too
        {"1004", 10, false, "100"},    {"0", 22, true, std::nullopt}, // the tax is left as typed
    };
    for (const auto &c : cases) {
        const auto t = cAltreOperazioni::CalcolaImposta(m(c.imponibile), Percent::points(c.aliquota), c.decimali);
        ASSERT_EQ(t.has_value(), c.imposta.has_value()) << c.imponibile;
        if (t)
            EXPECT_EQ(*t, m(*c.imposta)) << c.imponibile;
    }
}

class OtherOperations : public EngineFixtureTest {
protected:
    void SetUp() override
    {
        EngineFixtureTest::SetUp();
        for (const auto &[code, rate] : {std::pair{u"22"_qs, 22}, {u"10"_qs, 10}, {u"4"_qs, 4}})
            f->vatCode(VatCode{code, double(rate)}); // keys 1, 2, 3
    }

    std::unique_ptr<cAltreOperazioni> opened(int settlement)
    {
        auto o = std::make_unique<cAltreOperazioni>(db());
        o->setIDUtente(5);
        o->setIDRisultatoLiquidazioneIva(settlement);
        o->Refresh();
        return o;
    }
    bool add(cAltreOperazioni &o, int iva, const char *imponibile, const char *imposta, const QString &note = {})
    {
        o.Add();
        o.setIDIva(iva);
        o.setImponibile(m(imponibile));
        o.setImposta(m(imposta));
        o.setAnnotazioni(note);
        try {
            return o.Save();
        } catch (const Refusal &r) {
            errors.append(r.message());
            return false;
        }
    }
    QList<int> storedNumbers(int settlement)
    {
        QList<int> out;
        Recordset rs = db().openRecordset(
            u"SELECT IDAltreOperazioniPerAcconto FROM AltreOperazioniPerAcconto WHERE IDRisultatoLiquidazioneIva = "_qs +
            QString::number(settlement) + u" ORDER BY IDAltreOperazioniPerAcconto"_qs);
        for (; !rs.eof(); rs.moveNext())
            out.append(rs.integer(u"IDAltreOperazioniPerAcconto"_qs));
        return out;
    }

    QStringList errors;
};

TEST_P(OtherOperations, RowsAreNumberedWithinTheSettlementAndWrittenOnlyOnConfirm)
{
    auto o = opened(40);
    ASSERT_TRUE(add(*o, 1, "100", "22", u"l'ordine"_qs));
    ASSERT_TRUE(add(*o, 2, "50", "5"));
    ASSERT_TRUE(add(*o, 1, "200.5", "44.11"));
    EXPECT_EQ(o->IDAltreOperazioniPerAcconto(), 3);
    EXPECT_TRUE(storedNumbers(40).isEmpty()); // nothing reaches the table before the confirm

    o->MoveFirst();
    o->MoveNext(); // row 2
    EXPECT_EQ(o->IDAltreOperazioniPerAcconto(), 2);
    o->Delete();
    ASSERT_TRUE(add(*o, 3, "10", "0.4"));
    EXPECT_EQ(o->IDAltreOperazioniPerAcconto(), 4); // 1 + the greatest left

    ASSERT_TRUE(o->ConfirmModified());
    EXPECT_EQ(storedNumbers(40), (QList<int>{1, 3, 4}));
    EXPECT_EQ(f->number(u"SELECT COUNT(*) FROM AltreOperazioniPerAcconto WHERE IDUtenteUltimaVariazione = 5 AND "
                        "DataUltimaVariazione IS NOT NULL AND VirtualDelete = 0"_qs),
              3);

    auto back = opened(40);
    const auto data = back->DocumentData();
    ASSERT_EQ(data.size(), 3);
    EXPECT_EQ(data[0].Annotazioni, u"l'ordine"_qs);
    EXPECT_EQ(data[0].Iva, u"22"_qs);
    EXPECT_EQ(data[0].DescrizioneSuRegistroIVA, u"Aliquota 22"_qs);
    EXPECT_EQ(data[1].Imponibile, m("200.5"));
    EXPECT_EQ(data[1].Imposta, m("44.11"));
    EXPECT_EQ(back->TotaleImposta(), m("66.51"));

    // Modify one, delete one, add one; closing without confirming writes nothing.
    back->MoveFirst();
    back->setImposta(m("23"));
    ASSERT_TRUE(back->Save());
    back->MoveLast();
    back->Delete();
    ASSERT_TRUE(add(*back, 2, "1", "0.1"));
    back.reset();
    EXPECT_EQ(storedNumbers(40), (QList<int>{1, 3, 4}));
    EXPECT_DOUBLE_EQ(
        f->number(u"SELECT Imposta FROM AltreOperazioniPerAcconto WHERE IDAltreOperazioniPerAcconto = 1"_qs), 22);
}

TEST_P(OtherOperations, ASaveWithoutSettlementOrRateIsRefusedAndChangesNothing)
{
    struct {
        int settlement, iva;
        QString error;
    } cases[] = {
        {0, 1, u"Impossibile salvare! Indicare una liquidazione IVA."_qs},
        {40, 0, u"Impossibile salvare! Indicare un'aliquota IVA."_qs},
        {40, 99, u"Impossibile salvare! Indicare un'aliquota IVA."_qs}, // no such rate
    };
    for (const auto &c : cases) {
        auto o = opened(c.settlement);
        errors.clear();
        EXPECT_FALSE(add(*o, c.iva, "100", "22"));
        EXPECT_EQ(errors, QStringList{c.error});
        EXPECT_EQ(o->Count(), 0);
        EXPECT_TRUE(o->ConfirmModified());
        EXPECT_EQ(f->number(u"SELECT COUNT(*) FROM AltreOperazioniPerAcconto"_qs), 0);
    }
}

TEST_P(OtherOperations, RowsOfOneRateAreGroupedAndTotalled)
{
    auto o = opened(41);
    EXPECT_TRUE(o->DocumentDataGroup().isEmpty());
    EXPECT_EQ(o->TotaleImponibile(), Money());
    EXPECT_EQ(o->TotaleImposta(), Money());
    ASSERT_TRUE(add(*o, 2, "100", "10"));
    ASSERT_TRUE(add(*o, 1, "0.01", "0"));
    ASSERT_TRUE(add(*o, 2, "33.33", "3.33"));
    ASSERT_TRUE(add(*o, 1, "-50", "-11"));
    ASSERT_TRUE(o->ConfirmModified());
    auto back = opened(41);
    const auto &groups = back->DocumentDataGroup();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(groups[0].IDIva, 1);
    EXPECT_EQ(groups[0].Imponibile, m("-49.99"));
    EXPECT_EQ(groups[0].Imposta, m("-11"));
    EXPECT_EQ(groups[1].IDIva, 2);
    EXPECT_EQ(groups[1].DescrizioneSuRegistroIVA, u"Aliquota 10"_qs);
    EXPECT_EQ(groups[1].Imponibile, m("133.33"));
    EXPECT_EQ(groups[1].Imposta, m("13.33"));
    EXPECT_EQ(back->TotaleImponibile(), m("83.34"));
    EXPECT_EQ(back->TotaleImposta(), m("2.33"));
}

TEST_P(OtherOperations, UndoBringsBackTheStoredRowOrDropsTheNewOne)
{
    auto o = opened(42);
    ASSERT_TRUE(add(*o, 1, "100", "22", u"prima"_qs));
    ASSERT_TRUE(o->ConfirmModified());
    o->MoveFirst();
    o->setImponibile(m("300"));
    o->setAnnotazioni(u"dopo"_qs);
    ASSERT_TRUE(o->Save());
    EXPECT_EQ(o->TotaleImponibile(), m("300"));
    o->UndoModified();
    EXPECT_EQ(o->Imponibile(), m("100"));
    EXPECT_EQ(o->Annotazioni(), u"prima"_qs);
    EXPECT_EQ(o->TotaleImponibile(), m("100"));
    EXPECT_FALSE(o->hasPendingChanges());

    ASSERT_TRUE(add(*o, 2, "5", "0.5"));
    EXPECT_EQ(o->Count(), 2);
    o->UndoModified();
    EXPECT_EQ(o->Count(), 1);
    EXPECT_FALSE(o->hasPendingChanges());

    // UndoAdd only forgets the intention: the next save updates the current row.
    o->MoveFirst();
    o->Add();
    o->UndoAdd();
    o->setIDIva(3);
    ASSERT_TRUE(o->Save());
    EXPECT_EQ(o->Count(), 1);
    EXPECT_EQ(o->DocumentData().front().IDIva, 3);
}

TEST_P(OtherOperations, AFailedConfirmWritesNothingAndKeepsTheEdits)
{
    auto o = opened(43);
    ASSERT_TRUE(add(*o, 1, "100", "22"));
    ASSERT_TRUE(add(*o, 2, "10", "1"));
    // Another user stored row 2 of the same settlement meanwhile.
    db().execute(
        u"INSERT INTO AltreOperazioniPerAcconto (IDAltreOperazioniPerAcconto, IDRisultatoLiquidazioneIva, IDIva, "
        "Imponibile, Imposta, VirtualDelete) VALUES (2, 43, 3, 1, 1, 0)"_qs);
    EXPECT_THROW(o->ConfirmModified(), DbError);
    EXPECT_EQ(db().transactionDepth(), 0);
    EXPECT_EQ(storedNumbers(43), QList<int>{2});
    EXPECT_EQ(o->Count(), 2);
    EXPECT_TRUE(o->hasPendingChanges());
}

TEST_P(OtherOperations, ASettlementSavedUnderANewKeyTakesItsRowsAlong)
{
    auto o = opened(44);
    ASSERT_TRUE(add(*o, 1, "100", "22"));
    ASSERT_TRUE(add(*o, 2, "10", "1"));
    ASSERT_TRUE(o->ConfirmModified());
    o->MoveFirst();
    o->Delete();
    o->setIDRisultatoLiquidazioneIva(45);
    ASSERT_TRUE(o->ConfirmModified());
    EXPECT_EQ(storedNumbers(44), (QList<int>{1, 2})); // the old settlement is untouched
    EXPECT_EQ(storedNumbers(45), QList<int>{2});
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(OtherOperations);

} // namespace
