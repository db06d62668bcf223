#pragma once

// Driving the modal dialogs of the start of our own: each comes up in turn and gets its step.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace liqiva::test {

// Answers the modal dialogs as they come, in order: each handler gets the dialog once.
class ModalScript {
public:
    explicit ModalScript(std::deque<std::function<void(QWidget *)>> steps) : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || w->property("scripted").toBool() || m_steps.empty())
                return;
            w->setProperty("scripted", true);
            auto step = std::move(m_steps.front());
            m_steps.pop_front();
            step(w);
        });
        m_timer.start(10);
    }
    bool done() const { return m_steps.empty(); }

private:
    std::deque<std::function<void(QWidget *)>> m_steps;
    QTimer m_timer;
};

inline void click(QWidget *dialog, const char *name)
{
    auto *b = dialog->findChild<QPushButton *>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    QTest::mouseClick(b, Qt::LeftButton);
}

inline void type(QWidget *dialog, const QString &name, const QString &text)
{
    auto *e = dialog->findChild<QLineEdit *>(name);
    ASSERT_NE(e, nullptr) << name.toStdString();
    e->clear();
    QTest::keyClicks(e, text);
}

} // namespace liqiva::test
