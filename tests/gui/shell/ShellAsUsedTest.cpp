// What a new bookkeeper met in the main window, on both engines: the years the commands open
// on, what "Nuovo" remembers and "Liquidazione salvata" after every save.

#include "gui/shell/ShellFixture.h"

#include "gui/communication/frmComunicazioneLiqIva.h"
#include "gui/document/frmNew.h"
#include "gui/overview/frmAnnoLiquidazioni.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>

using namespace liqiva;
using namespace liqiva::test;

namespace {

constexpr int year2023 = 1; // IDPeriodoIva

class ShellAsUsed : public ShellTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override { prepare(userAllRights, GetParam()); }
    DocumentWindow *showForm(int key)
    {
        DocumentWindow *doc = window->docs().sbShowObject(key, nullptr, false);
        settle();
        return doc;
    }
};

TEST_P(ShellAsUsed, TheYearCommandsOpenOnAYearTheCompanyHasAndNuovoKeepsTheChoice)
{
    const int march = makeSettlement(shopActivity, year2024, 3, true);
    launch();
    auto yearWindow = [this] {
        window->commands().sbExecuteMenuCommand(u"Mnu_AnnoLiquidazioni"_qs);
        settle();
        int year = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *y = qobject_cast<frmAnnoLiquidazioni *>(w); y && y->isVisible()) {
                year = y->findChild<QSpinBox *>(u"txtAnno"_qs)->value();
                y->close();
            }
        settle();
        return year;
    };
    auto communication = [this] {
        std::pair<int, int> shown;
        whenShown<frmComunicazioneLiqIva>([&](frmComunicazioneLiqIva &d) {
            shown = {d.findChild<QSpinBox *>(u"txtAnno"_qs)->value(),
                     d.findChild<QComboBox *>(u"cboTrimestre"_qs)->currentIndex() + 1};
            d.reject();
        });
        window->commands().sbExecuteMenuCommand(u"Mnu_ComunicazioneLiqIVA"_qs);
        settle();
        return shown;
    };
    // No settlement shown: the company's latest VAT year (the demo's are 2023 to 2025), and
    // no message about a year it does not have.
    EXPECT_EQ(yearWindow(), 2025);
    EXPECT_EQ(communication(), std::make_pair(2025, 4));
    // A settlement shown: its year and its quarter.
    showForm(march);
    EXPECT_EQ(yearWindow(), 2024);
    EXPECT_EQ(communication(), std::make_pair(2024, 1));
    EXPECT_TRUE(h.messages.texts().isEmpty()) << h.messages.texts().join(u'\n').toStdString();

    // "Nuovo" proposes what was chosen the last time.
    frmNew::Selection chosen;
    whenShown<frmNew>([&](frmNew &d) {
        d.findChild<QComboBox *>(u"cboAttivita"_qs)
            ->setCurrentIndex(d.findChild<QComboBox *>(u"cboAttivita"_qs)->findData(wholesaleActivity));
        d.findChild<QComboBox *>(u"cboPeriodoIva"_qs)
            ->setCurrentIndex(d.findChild<QComboBox *>(u"cboPeriodoIva"_qs)->findData(year2024));
        d.findChild<QComboBox *>(u"cboMese"_qs)->setCurrentIndex(0);
        chosen = d.selection();
        d.findChild<QPushButton *>(u"cmdOk"_qs)->click();
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_New"_qs);
    settle();
    ASSERT_EQ(chosen.activity, wholesaleActivity);
    frmNew::Selection proposed;
    whenShown<frmNew>([&](frmNew &d) {
        proposed = d.selection();
        d.findChild<QPushButton *>(u"cmdAnnulla"_qs)->click();
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_New"_qs);
    settle();
    EXPECT_EQ(proposed.activity, chosen.activity);
    EXPECT_EQ(proposed.vatYear, chosen.vatYear);
    EXPECT_EQ(proposed.period, chosen.period);
}

TEST_P(ShellAsUsed, EverySaveSaysLiquidazioneSalvata)
{
    const int january = makeSettlement(shopActivity, year2024, 1, true);
    makeSettlement(shopActivity, year2024, 2, true);
    realForm = true;
    launch();
    // A new settlement, made after the start (which clears the user's left-over ones).
    const int working = makeSettlement(shopActivity, year2024, 3, false);
    auto said = [this] { return window->statusBar()->currentMessage(); };
    struct {
        const char *what;
        std::function<void()> act;
    } saves[] = {
        {"Ctrl+S on a new settlement",
         [&] {
             DocumentWindow *doc = showForm(working);
             ASSERT_NE(doc, nullptr);
             doc->setChangedObject(true);
             doc->formFace()->setChanged(true);
             h.messages.answer(Answer::No); // the amount paid stays as it is
             keyClick(doc->formFace()->widget(), Qt::Key_S, Qt::ControlModifier);
         }},
        {"Sì to the question of Successiva",
         [&] {
             DocumentWindow *doc = showForm(january);
             ASSERT_NE(doc, nullptr);
             doc->setChangedObject(true);
             doc->formFace()->setChanged(true);
             h.messages.answer(Answer::Yes); // save the changes
             h.messages.answer(Answer::No);  // the amount paid stays as it is
             window->commands().sbExecuteMenuCommand(u"Mnu_SearchNext"_qs);
         }},
        {"the annual settlement, after its credit's window",
         [&] {
             DocumentWindow *doc = showForm(makeSettlement(shopActivity, year2023, 0, false)); // the year
             ASSERT_NE(doc, nullptr);
             doc->setChangedObject(true);
             doc->formFace()->setChanged(true);
             h.messages.answer(Answer::No); // the amount paid stays as it is
             whenShown<QDialog>([](QDialog &d) {
                 if (auto *ok = d.findChild<QPushButton *>(u"cmdOk"_qs))
                     ok->click();
             });
             keyClick(doc->formFace()->widget(), Qt::Key_S, Qt::ControlModifier);
         }},
    };
    for (const auto &s : saves) {
        window->sbStatusBarText(QString());
        h.messages.clear();
        s.act();
        settle();
        EXPECT_EQ(said(), u"Liquidazione salvata"_qs) << s.what << ": " << h.messages.texts().join(u'\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ShellAsUsed, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         liqiva::test::engineName);

} // namespace
