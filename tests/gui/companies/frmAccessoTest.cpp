// "Accesso" offscreen: the password typed is hidden, OK gives it back, "Annulla" gives nothing.

#include "gui/companies/frmAccesso.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace liqiva;

TEST(frmAccesso, HidesThePasswordAndGivesItBackOnlyOnOk)
{
    const struct {
        const char *button;
        std::optional<QString> result;
    } cases[] = {{"cmdOK", u"la mia password"_qs}, {"cmdAnnulla", std::nullopt}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.button);
        // The dialog is modal: the typing and the click come from the event loop it runs.
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<frmAccesso *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto *text = dialog->findChild<QLineEdit *>(u"txtPassword"_qs);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->echoMode(), QLineEdit::Password);
            EXPECT_EQ(dialog->findChild<QLabel *>(u"lblUtente"_qs)->text(), u"anna (7)"_qs);
            QTest::keyClicks(text, u"la mia password"_qs);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(c.button)), Qt::LeftButton);
        });
        EXPECT_EQ(frmAccesso::ask(7, u"anna"_qs), c.result);
    }
}
