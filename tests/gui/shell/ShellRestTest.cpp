// The settings of the window across a close and a start, the help, the about box and the
// launching of the suite's modules.

#include "gui/shell/ShellFixture.h"

#include "gui/shell/ShellSettings.h"
#include "gui/shell/frmHelp.h"
#include "gui/shell/frmInformazioni.h"
#include "gui/shell/frmOption.h"
#include "startup/ModuleLauncher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>

using namespace liqiva;
using namespace liqiva::test;

namespace {

const QString settingsSection = u"Settings"_qs + StartupHarness::executable;

class ShellRest : public ShellTest {
protected:
    void closeAndStartAgain()
    {
        window->close();
        window.reset();
        settle();
        launch();
    }
    QToolBar *toolbar(const char *name) { return window->findChild<QToolBar *>(QString::fromLatin1(name)); }
    void useFakeModule(const QString &section)
    {
        qputenv(HandOver::SettingsDirVariable, h.dir.path().toUtf8());
        qputenv("LIQIVA_FAKE_SECTION", section.toUtf8());
        h.store->write(u"Modules"_qs, section, QStringLiteral(LIQIVA_FAKE_MODULE));
        h.store->sync();
    }
    void TearDown() override
    {
        for (const char *v : {"LIQIVA_FAKE_SECTION", "LIQIVA_FAKE_NOWINDOW", "LIQIVA_FAKE_SLEEP", "LIQIVA_FAKE_RESULT",
                              HandOver::SettingsDirVariable})
            qunsetenv(v);
        ShellTest::TearDown();
    }
};

TEST_F(ShellRest, DamagedOrForeignSettingsStartWithTheBuiltInValuesAndSaySo)
{
    prepare(userAllRights);
    struct Case {
        const char *key;
        const char *value;
    };
    const Case damaged[] = {
        {"BarMenuVersion", "3.0"}, {"Layout", "%%% non base64 %%%"}, {"BarMenu2.DA", "9"}, {"ToolTip", "forse"},
        {"InsertType", "99"},      {"DefaultExport", "-3"},
    };
    for (const Case &c : damaged)
        h.store->write(settingsSection, QString::fromLatin1(c.key), QString::fromLatin1(c.value));
    h.store->sync();
    launch();
    QStringList expected;
    for (const Case &c : damaged)
        if (QByteArray(c.key) != "BarMenuVersion")
            expected << QString::fromLatin1(c.key);
    QStringList notes = window->windowSettings().settingsNotes();
    notes.sort();
    expected.sort();
    EXPECT_EQ(notes, expected);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains(u"Impostazioni non valide"_qs));
    EXPECT_EQ(window->toolBarArea(toolbar("ToolDip")), Qt::TopToolBarArea);
    EXPECT_EQ(window->windowSettings().settings().insertType, 0);
    EXPECT_EQ(window->windowSettings().settings().defaultExport, int(ShellSettings::ExportPDF));
    EXPECT_TRUE(window->windowSettings().settings().toolTips);
    // The close writes good values over the damaged ones.
    window->close();
    EXPECT_EQ(h.store->read(settingsSection, u"InsertType"_qs), u"0"_qs);
    EXPECT_EQ(h.store->read(settingsSection, u"ToolTip"_qs), u"True"_qs);
}

TEST_F(ShellRest, OptionsAreKeptForTheNextStart)
{
    startFor(userAllRights);
    whenShown<frmOption>([](frmOption &d) {
        d.findChild<QCheckBox *>(u"chkLargeIcon"_qs)->setChecked(true);
        d.findChild<QComboBox *>(u"cboDefaultExport"_qs)->setCurrentIndex(1);
        d.findChild<QComboBox *>(u"cboInsertType"_qs)->setCurrentIndex(2);
        d.findChild<QPushButton *>(u"cmdOk"_qs)->click();
    });
    window->commands().sbExecuteMenuCommand(u"Mnu_Option"_qs);
    EXPECT_EQ(toolbar("Standard")->iconSize(), QSize(32, 32));
    closeAndStartAgain();
    EXPECT_TRUE(window->windowSettings().settings().largeIcons);
    EXPECT_EQ(toolbar("Standard")->iconSize(), QSize(32, 32));
    EXPECT_EQ(window->windowSettings().settings().defaultExport, int(ShellSettings::ExportExcel));
    EXPECT_EQ(window->windowSettings().settings().insertType, 2);
    EXPECT_EQ(h.store->read(ShellSettings::optionSection(), u"Predefine"_qs), u"2"_qs);
}

TEST_F(ShellRest, F1OpensThePageOfTheWindowOrControlThatHasTheFocus)
{
    startFor(userAllRights);
    window->showWindow();
    const int key = makeSettlement(shopActivity, year2024, 1, true);
    DocumentWindow *list = window->docs().documents().first();
    list->browse()->requery();
    list->focusFirstField();
    settle();
    keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_NE(window->help().helpWindow(), nullptr);
    EXPECT_EQ(window->help().helpWindow()->currentPage(), u"elenco.html"_qs);
    EXPECT_TRUE(window->help().helpWindow()->browser()->toPlainText().contains(u"liquidazioni salvate"_qs));

    DocumentWindow *doc = window->docs().sbShowObject(key);
    ASSERT_NE(doc, nullptr);
    doc->findChild<QLineEdit *>(u"txtNote"_qs)->setFocus();
    window->activateWindow();
    settle();
    window->commands().sbExecuteMenuCommand(u"Mnu_HelpOnLine"_qs);
    EXPECT_EQ(window->help().helpWindow()->currentPage(), u"liquidazione.html"_qs);

    // Every link of every page leads to a page of the book.
    const HelpBook book;
    for (const auto &[file, title] : book.pages()) {
        QFile f(u":/help/"_qs + file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        static const QRegularExpression link(u"href=\"([^\"#:]+)\""_qs);
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_FALSE(book.title(target).isEmpty()) << file.toStdString() << " -> " << target.toStdString();
        }
    }
}

TEST_F(ShellRest, WithoutThePagesTheHelpSaysItIsNotAvailable)
{
    startFor(userAllRights);
    QTemporaryDir empty;
    window->help().setHelpRoot(empty.path());
    window->commands().sbExecuteMenuCommand(u"Mnu_HelpOnLine"_qs);
    window->commands().sbExecuteMenuCommand(u"Mnu_Arg"_qs);
    EXPECT_EQ(h.messages.texts(), QStringList(2, u"Guida in linea non disponibile."_qs));
    EXPECT_EQ(window->help().helpWindow(), nullptr);
}

TEST_F(ShellRest, TheAboutBoxNamesTheServerButNeverThePassword)
{
    prepare(userAllRights, Engine::Postgres);
    launch();
    const ProgramInfo info = window->commands().programInfo();
    EXPECT_TRUE(info.engine.startsWith(u"PostgreSQL"_qs));
    EXPECT_TRUE(info.address.endsWith(u"/"_qs + db().location().database)) << info.address.toStdString();
    if (!db().location().password.isEmpty())
        EXPECT_FALSE(info.address.contains(db().location().password));
}

TEST_F(ShellRest, TheLauncherHandsOverWaitsAndReadsTheChosenKeyBack)
{
    startFor(userAllRights);
    useFakeModule(u"DatiIva"_qs);
    qputenv("LIQIVA_FAKE_RESULT", "77");
    // What the windows were like while the module ran.
    bool areaEnabled = true, menusEnabled = true;
    QVariant activate;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, window.get(), [&] {
        if (window->property("Activate").isValid()) {
            areaEnabled = window->documentArea()->isEnabled();
            menusEnabled = window->menuBar()->isEnabled();
            activate = window->property("Activate");
        }
    });
    probe.start(20);
    window->commands().sbExecuteMenuCommand(u"Mnu_DatiIva"_qs);
    probe.stop();

    const QString seen = u"FakeModuleSeen"_qs;
    h.store->sync();
    EXPECT_EQ(h.store->read(seen, HandOver::IDUser), u"1"_qs);
    EXPECT_EQ(h.store->read(seen, HandOver::lIDFirm), QString::number(demoCompany));
    EXPECT_EQ(h.store->read(seen, HandOver::TableName), u"ContatoreIva"_qs);
    EXPECT_EQ(h.store->read(seen, u"Caption"_qs), u"DatiIva"_qs);
    EXPECT_EQ(h.store->read(seen, HandOver::Client), StartupHarness::executable);
    EXPECT_EQ(h.store->read(seen, HandOver::IDFunction), u"90"_qs);
    EXPECT_EQ(activate.toInt(), 1);
    EXPECT_FALSE(areaEnabled);
    EXPECT_FALSE(menusEnabled);
    // Afterwards the window is as it was, with the warning about recalculating.
    EXPECT_TRUE(window->documentArea()->isEnabled());
    EXPECT_FALSE(window->property("Activate").isValid());
    EXPECT_FALSE(BusyCounter::busy());
    EXPECT_EQ(h.messages.texts(), QStringList{ModuleLauncher::RecalculateText});

    // The generic launcher returns the key chosen in the module.
    h.messages.clear();
    EXPECT_EQ(window->runApplication(90, 5), std::optional<int>(77));
    EXPECT_TRUE(h.messages.texts().isEmpty()) << h.messages.texts().join(u'\n').toStdString();
}

TEST_F(ShellRest, AUserWithoutTheRightGetsTheMessageAndNothingStarts)
{
    startFor(userSearchOnly);
    useFakeModule(u"CreditoIva"_qs);
    window->commands().sbExecuteMenuCommand(u"Mnu_CreditiIva"_qs);
    EXPECT_EQ(h.messages.texts(), QStringList{u"Diritti non sufficienti per avviare l'applicazione."_qs});
    h.store->sync();
    EXPECT_FALSE(h.store->contains(u"CreditoIva"_qs, HandOver::TableName));
    EXPECT_FALSE(h.store->containsSection(u"FakeModuleSeen"_qs));

    // The VAT data module is checked by the generic launcher.
    h.messages.clear();
    useFakeModule(u"DatiIva"_qs);
    window->commands().sbExecuteMenuCommand(u"Mnu_DatiIva"_qs);
    EXPECT_EQ(h.messages.texts(),
              QStringList{u"Attenzione, non si possiedono i diritti per utilizzare la manutenzione Dati IVA."_qs});
    EXPECT_FALSE(h.store->containsSection(u"FakeModuleSeen"_qs));
}

TEST_F(ShellRest, AMissingOrSilentModuleLeavesTheProgramAsItWas)
{
    startFor(userAllRights);
    qputenv(HandOver::SettingsDirVariable, h.dir.path().toUtf8());
    h.store->write(u"Modules"_qs, u"WIZRICIVA"_qs, u"/non/esiste/wizriciva"_qs);
    h.store->sync();
    window->commands().sbExecuteMenuCommand(u"Mnu_RicostruzioneDatiIva"_qs);
    ASSERT_EQ(h.messages.texts().size(), 1);
    EXPECT_TRUE(h.messages.texts().first().contains(u"/non/esiste/wizriciva"_qs));

    // A module that never says its window is up is given up after the time allowed.
    h.messages.clear();
    useFakeModule(u"LOGDATAFINIIVA"_qs);
    qputenv("LIQIVA_FAKE_NOWINDOW", "1");
    qputenv("LIQIVA_FAKE_SLEEP", "5000");
    window->setModuleStartTimeout(400);
    QElapsedTimer clock;
    clock.start();
    window->commands().sbExecuteMenuCommand(u"Mnu_ControlloDateIva"_qs);
    EXPECT_LT(clock.elapsed(), 4500);
    ASSERT_EQ(h.messages.texts().size(), 1);
    EXPECT_TRUE(h.messages.texts().first().startsWith(h.texts.text(ResourceStrings::ModuleDidNotStart)));
    EXPECT_TRUE(window->documentArea()->isEnabled());
    EXPECT_TRUE(window->menuBar()->isEnabled());
    EXPECT_FALSE(BusyCounter::busy());
}

TEST_F(ShellRest, AModuleAlreadyRunningComesForwardAndGetsNoHandOver)
{
    startFor(userAllRights);
    qint64 forward = 0;
    window->launcherHooks().windowExists = [](qint64 handle) { return handle == 777; };
    window->launcherHooks().bringToFront = [&](qint64 handle) { forward = handle; };
    h.store->write(u"CreditoIva"_qs, HandOver::hExe, u"777"_qs);
    h.store->sync();
    window->commands().sbExecuteMenuCommand(u"Mnu_CreditiIva"_qs);
    EXPECT_EQ(forward, 777);
    EXPECT_FALSE(h.store->contains(u"CreditoIva"_qs, HandOver::TableName));
    EXPECT_TRUE(h.messages.texts().isEmpty());
}

} // namespace
