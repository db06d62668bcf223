#include "startup/StartupFixture.h"

#include "gui/common/MessageBoxService.h"
#include "gui/shell/frmMDI.h"
#include "suite/BusyCounter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
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
