#include "startup/StartupFixture.h"

#include "gui/shell/DocumentWindow.h"
#include "gui/shell/frmMDI.h"
#include "suite/BusyCounter.h"
#include "gui/common/MessageBoxService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMdiArea>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class MainWindow : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Schema);
        addStartupRows(t->db());
        h.writeHandOver(t->url(), engine());
    }
    std::unique_ptr<TestDatabase> t;
    StartupHarness h;
};

TEST_P(MainWindow, ShowsTheCompanyInTheCaptionAndCarriesTheSuiteMark)
{
    Program &p = h.makeProgram();
    frmMDI window(p);
    ASSERT_EQ(p.start(window), Program::Outcome::Running) << h.messages.texts().join(u'\n').toStdString();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.objectName(), u"frmMDI"_qs);
    EXPECT_EQ(window.windowTitle(), u"Liquidazione I.V.A. - Ditta Prova S.r.l. [Sede]"_qs);
    EXPECT_EQ(window.property("KVR").toInt(), 1);
    EXPECT_EQ(h.store->read(h.executable, HandOver::hExe), QString::number(window.winId()));
    EXPECT_NE(qobject_cast<QMdiArea *>(window.centralWidget()), nullptr);
    // The first document window shows the browse of the saved settlements.
    ASSERT_EQ(window.documents().size(), 1);
    EXPECT_EQ(window.documents().first()->face(), DocumentWindow::Face::Table);
    window.sbStatusBarText(u"Pronto"_qs);
    EXPECT_EQ(window.statusBar()->currentMessage(), u"Pronto"_qs);
    window.close();
}

TEST_P(MainWindow, ClosingRunsTheShutdownButNotWhileWorkIsRunning)
{
    Program &p = h.makeProgram();
    frmMDI window(p);
    ASSERT_EQ(p.start(window), Program::Outcome::Running);

    BusyCounter::raise();
    EXPECT_FALSE(window.close());
    BusyCounter::lower();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(h.messages.texts(), QStringList{u"Impossibile chiudere: altri processi in corso."_qs});
    EXPECT_TRUE(h.ends.empty());
    EXPECT_TRUE(h.store->containsSection(h.executable));

    EXPECT_TRUE(window.close());
    EXPECT_EQ(h.ends, std::vector<int>{0});
    EXPECT_FALSE(p.context().hasDatabase());
    EXPECT_FALSE(h.store->containsSection(h.executable));
    EXPECT_EQ(t->db().scalar(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs).toInt(), 0);
}

TEST_P(MainWindow, AStoppedStartUpNeverShowsTheWindow)
{
    h.store->write(HandOver::MenuSettings, HandOver::DBType, u"-1"_qs);
    Program &p = h.makeProgram();
    frmMDI window(p);
    EXPECT_EQ(p.start(window), Program::Outcome::Stopped);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(h.store->containsSection(h.executable)); // no shutdown: the block stays for a new try
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(MainWindow);

// Presses a button of the message box as soon as it is up.
void pressWhenShown(QMessageBox::StandardButton button, QString *title)
{
    QTimer::singleShot(0, [button, title] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            pressWhenShown(button, title);
            return;
        }
        *title = box->windowTitle();
        if (button == QMessageBox::NoButton)
            box->reject(); // Escape or the close button
        else
            box->button(button)->click();
    });
}

TEST(MessageBoxServiceTest, ReturnsTheButtonChosen)
{
    struct {
        Buttons buttons;
        QMessageBox::StandardButton press;
        Answer answer;
    } cases[] = {
        {Buttons::Ok, QMessageBox::Ok, Answer::Ok},
        {Buttons::Ok, QMessageBox::NoButton, Answer::Ok},
        {Buttons::OkCancel, QMessageBox::Ok, Answer::Ok},
        {Buttons::OkCancel, QMessageBox::Cancel, Answer::Cancel},
        {Buttons::OkCancel, QMessageBox::NoButton, Answer::Cancel},
        {Buttons::YesNo, QMessageBox::Yes, Answer::Yes},
        {Buttons::YesNo, QMessageBox::No, Answer::No},
        {Buttons::YesNoCancel, QMessageBox::No, Answer::No},
        {Buttons::YesNoCancel, QMessageBox::Cancel, Answer::Cancel},
        {Buttons::YesNoCancel, QMessageBox::NoButton, Answer::Cancel},
    };
    MessageBoxService service;
    for (const auto &c : cases) {
        QString title;
        pressWhenShown(c.press, &title);
        EXPECT_EQ(service.messageBox(u"Domanda?"_qs, c.buttons, Icon::Question, applicationTitle()), c.answer)
            << int(c.buttons) << " " << int(c.press);
        EXPECT_EQ(title, u"Liquidazione I.V.A."_qs);
    }
}

} // namespace
