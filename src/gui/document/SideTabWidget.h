#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace liqiva {

// A tab strip down the left side with its captions written across, as in a list: the sales
// strip has more tabs than a row holds at the usual window widths.
class SideTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit SideTabBar(QWidget *parent = nullptr) : QTabBar(parent) {}

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *event) override;
};

class SideTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit SideTabWidget(QWidget *parent = nullptr);
};

} // namespace liqiva
