#include "gui/document/SideTabWidget.h"

#include <QStyleOptionTab>
#include <QStylePainter>

namespace liqiva {

QSize SideTabBar::tabSizeHint(int index) const
{
    // The style measures a side tab standing up; ours lies across.
    QSize size = QTabBar::tabSizeHint(index);
    size.transpose();
    return size;
}

void SideTabBar::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i))
            continue;
        QStyleOptionTab option;
        initStyleOption(&option, i);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        // The style turns the caption of a side tab on its side: turn it back.
        painter.save();
        QSize size = option.rect.size();
        size.transpose();
        QRect across(QPoint(), size);
        across.moveCenter(option.rect.center());
        option.rect = across;
        const QPoint centre = tabRect(i).center();
        painter.translate(centre);
        painter.rotate(90);
        painter.translate(-centre);
        painter.drawControl(QStyle::CE_TabBarTabLabel, option);
        painter.restore();
    }
}

SideTabWidget::SideTabWidget(QWidget *parent) : QTabWidget(parent)
{
    setTabBar(new SideTabBar(this));
    setTabPosition(QTabWidget::West);
}

} // namespace liqiva
