#include "gui/common/MessageBoxService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace liqiva;

namespace {

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
