#include "gui/shell/ShellFixture.h"

#include "gui/document/frmNew.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class NewDialog : public ::testing::Test {
protected:
    void SetUp() override { t = TestDatabase::create(Engine::Sqlite, Content::Demo); }
    std::unique_ptr<frmNew> open()
    {
        auto d = std::make_unique<frmNew>(t->db(), messages, demoCompany, userAllRights);
        d->show();
        return d;
    }
    template <class W> static W *control(frmNew &d, const char *name)
    {
        W *w = d.findChild<W *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    std::unique_ptr<TestDatabase> t;
    ScriptedMessages messages;
};

TEST_F(NewDialog, ThePeriodDecidesWhatElseCanBeChosen)
{
    auto d = open();
    auto *attivita = control<QComboBox>(*d, "cboAttivita");
    auto *mese = control<QComboBox>(*d, "cboMese");
    auto *metodo = control<QComboBox>(*d, "cboMetodo");
    auto *chk = control<QCheckBox>(*d, "chkNoMakeDatiIva");
    auto *lblMetodo = control<QLabel>(*d, "lblMetodo");

    struct {
        int activity;
        int index;
        int count;
        bool advance;
    } cases[] = {
        {shopActivity, 1, 14, false},
        {shopActivity, 12, 14, true},
        {wholesaleActivity, 4, 6, true},
    };
    for (const auto &c : cases) {
        attivita->setCurrentIndex(attivita->findData(c.activity));
        ASSERT_EQ(mese->count(), c.count) << c.activity;
        mese->setCurrentIndex(c.index);
        EXPECT_EQ(metodo->isEnabled(), c.advance) << c.activity << " " << c.index;
        EXPECT_EQ(lblMetodo->isEnabled(), c.advance);
        EXPECT_EQ(chk->isEnabled(), !c.advance);
    }

    // The Delete key in the period list chooses the whole year.
    mese->setCurrentIndex(3);
    keyClick(mese, Qt::Key_Delete);
    EXPECT_EQ(mese->currentIndex(), 0);
    EXPECT_TRUE(chk->isEnabled());
}

// What the dialog proposes and what a period is checked for are the new settlement's tests;
// here the dialog's answer to each.
TEST_F(NewDialog, OkCreatesTheChosenPeriodARefusedOneKeepsTheDialogOpenAndAnnullaNothing)
{
    auto d = open();
    // The latest year, the prevailing branch's activity, the analytical method.
    EXPECT_EQ(control<QComboBox>(*d, "cboPeriodoIva")->currentData().toInt(), year2025);
    EXPECT_EQ(control<QComboBox>(*d, "cboAttivita")->currentData().toInt(), shopActivity);
    EXPECT_EQ(control<QComboBox>(*d, "cboMetodo")->currentIndex(), 0);
    EXPECT_TRUE(messages.shown().empty());
    auto *mese = control<QComboBox>(*d, "cboMese");
    auto *ok = control<QPushButton>(*d, "cmdOk");
    const QString rows = u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs;

    // March with February not settled: the user does not go on.
    mese->setCurrentIndex(3);
    messages.answer(Answer::No);
    ok->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->dialogResult(), 2);
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_EQ(t->db().scalar(rows).toInt(), 0);

    // January is made, without the VAT data, and the dialog closes.
    mese->setCurrentIndex(1);
    control<QCheckBox>(*d, "chkNoMakeDatiIva")->setChecked(true);
    ok->click();
    ASSERT_EQ(d->dialogResult(), 1);
    EXPECT_FALSE(d->isVisible());
    EXPECT_FALSE(d->MakeDatiIva());
    const int january = d->currentKey();
    ASSERT_GT(january, 0);

    // Asking for it again offers to show the existing one.
    auto again = open();
    control<QComboBox>(*again, "cboMese")->setCurrentIndex(1);
    messages.clear();
    messages.answer(Answer::Yes);
    control<QPushButton>(*again, "cmdOk")->click();
    EXPECT_EQ(again->dialogResult(), 1);
    EXPECT_EQ(again->currentKey(), january);
    ASSERT_FALSE(messages.texts().isEmpty());
    EXPECT_TRUE(
        messages.texts().first().startsWith(u"La liquidazione IVA per il mese selezionato è stata già effettuata."_qs));

    // Annulla, from the keyboard, creates nothing.
    auto cancelled = open();
    keyClick(control<QPushButton>(*cancelled, "cmdAnnulla"), Qt::Key_Space, {}, u" "_qs);
    EXPECT_EQ(cancelled->dialogResult(), 2);
    EXPECT_FALSE(cancelled->isVisible());
    EXPECT_EQ(t->db().scalar(rows).toInt(), 1);
}

} // namespace
