#include "gui/shell/ToolIcons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace liqiva {

namespace {

const QColor ink(0x33, 0x44, 0x58);
const QColor accent(0x1f, 0x6f, 0xb8);
const QColor paper(0xfb, 0xfb, 0xf7);
const QColor warn(0xc0, 0x39, 0x2b);

using Drawing = std::function<void(QPainter &)>;

// The disabled look: a light grey, clearly apart from the enabled colours.
QPixmap disabledOf(const QPixmap &pm)
{
    QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int v = 150 + qGray(line[x]) * 80 / 255;
            line[x] = qRgba(v, v, v, qAlpha(line[x]) * 3 / 4);
        }
    }
    return QPixmap::fromImage(img);
}

// Draws on a 24 x 24 grid, at the sizes a toolbar and a menu ask for.
QIcon drawn(const Drawing &draw)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 24.0, size / 24.0);
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw(p);
        p.end();
        icon.addPixmap(pm);
        icon.addPixmap(disabledOf(pm), QIcon::Disabled);
    }
    return icon;
}

// A closed outline through the points, in their order.
QPainterPath outline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

void page(QPainter &p, const QRectF &r)
{
    const qreal fold = 5;
    p.setBrush(paper);
    p.drawPath(outline({r.topLeft(), QPointF(r.right() - fold, r.top()), QPointF(r.right(), r.top() + fold),
                        r.bottomRight(), r.bottomLeft()}));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
}

void lines(QPainter &p, qreal left, qreal right, qreal top, int count, qreal step = 3)
{
    QPen pen = p.pen();
    p.setPen(QPen(accent, 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * step), QPointF(right, top + i * step));
    p.setPen(pen);
}

void magnifier(QPainter &p, QPointF centre, qreal radius)
{
    p.setBrush(QColor(0xe6, 0xf0, 0xfa));
    p.drawEllipse(centre, radius, radius);
    p.setBrush(Qt::NoBrush);
    QPen pen = p.pen();
    p.setPen(QPen(ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    const qreal d = radius * 0.72;
    p.drawLine(centre + QPointF(d, d), centre + QPointF(d + 5, d + 5));
    p.setPen(pen);
}

const std::pair<const char *, Drawing> drawings[] = {
    {"New",
     [](QPainter &p) {
         page(p, QRectF(5, 3, 13, 18));
         p.setPen(QPen(accent, 2, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(17, 14), QPointF(17, 22));
         p.drawLine(QPointF(13, 18), QPointF(21, 18));
     }},
    {"Save",
     [](QPainter &p) {
         p.setBrush(accent);
         p.drawPath(outline({{4, 4}, {17, 4}, {20, 7}, {20, 20}, {4, 20}}));
         p.setBrush(paper);
         p.drawRect(QRectF(7, 4, 9, 5));
         p.drawRect(QRectF(7, 13, 10, 7));
         p.setBrush(Qt::NoBrush);
     }},
    {"PrePrint",
     [](QPainter &p) {
         page(p, QRectF(4, 3, 13, 17));
         lines(p, 6.5, 12, 8, 2);
         magnifier(p, QPointF(14, 14), 4.2);
     }},
    {"Print",
     [](QPainter &p) {
         p.setBrush(paper);
         p.drawRect(QRectF(7, 3, 10, 6));
         p.setBrush(QColor(0xcf, 0xd8, 0xe3));
         p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
         p.setBrush(paper);
         p.drawRect(QRectF(7, 14, 10, 7));
         p.setBrush(Qt::NoBrush);
         lines(p, 9, 15, 17, 2, 2.5);
     }},
    {"Delete",
     [](QPainter &p) {
         p.drawLine(QPointF(5, 6), QPointF(19, 6));
         p.drawLine(QPointF(10, 6), QPointF(10.5, 3.5));
         p.drawLine(QPointF(10.5, 3.5), QPointF(13.5, 3.5));
         p.drawLine(QPointF(13.5, 3.5), QPointF(14, 6));
         QPainterPath can;
         can.moveTo(6.5, 6);
         can.lineTo(7.5, 21);
         can.lineTo(16.5, 21);
         can.lineTo(17.5, 6);
         p.setBrush(QColor(0xf6, 0xe3, 0xe1));
         p.drawPath(can);
         p.setBrush(Qt::NoBrush);
         p.setPen(QPen(warn, 1.4, Qt::SolidLine, Qt::RoundCap));
         for (qreal x : {10.0, 12.0, 14.0})
             p.drawLine(QPointF(x, 9), QPointF(x, 18));
     }},
    {"Clear",
     [](QPainter &p) {
         p.setPen(QPen(accent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
         QPainterPath arc;
         arc.moveTo(6, 10);
         arc.cubicTo(9, 4, 20, 5, 19, 13);
         arc.cubicTo(18.5, 18, 13, 20, 9, 18.5);
         p.drawPath(arc);
         p.drawPolyline(QPolygonF({QPointF(5, 4.5), QPointF(6, 10), QPointF(11.5, 9.5)}));
     }},
    {"Cut",
     [](QPainter &p) {
         p.drawLine(QPointF(8, 15.5), QPointF(16, 3));
         p.drawLine(QPointF(16, 15.5), QPointF(8, 3));
         p.setPen(QPen(accent, 1.8));
         p.drawEllipse(QPointF(7, 18), 3, 3);
         p.drawEllipse(QPointF(17, 18), 3, 3);
     }},
    {"Copy",
     [](QPainter &p) {
         page(p, QRectF(3, 3, 11, 14));
         page(p, QRectF(10, 7, 11, 14));
         lines(p, 12.5, 18, 13, 3);
     }},
    {"Paste",
     [](QPainter &p) {
         p.setBrush(QColor(0xd9, 0xc3, 0x9a));
         p.drawRoundedRect(QRectF(4, 4, 14, 17), 1.5, 1.5);
         p.setBrush(QColor(0xcf, 0xd8, 0xe3));
         p.drawRoundedRect(QRectF(8, 2.5, 6, 3.5), 1, 1);
         page(p, QRectF(11, 10, 10, 12));
         lines(p, 13, 18.5, 15, 2);
     }},
    {"Search", [](QPainter &p) { magnifier(p, QPointF(10, 10), 6); }},
    {"SearchExecute",
     [](QPainter &p) {
         p.setBrush(QColor(0xe6, 0xf0, 0xfa));
         p.drawPath(outline({{3, 4}, {17, 4}, {11.5, 11}, {11.5, 18}, {8.5, 20}, {8.5, 11}}));
         p.setBrush(accent);
         p.setPen(Qt::NoPen);
         p.drawPolygon(QPolygonF({QPointF(15, 13), QPointF(22, 17), QPointF(15, 21)}));
     }},
    {"SearchPrevious",
     [](QPainter &p) {
         p.setPen(QPen(accent, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
         p.drawPolyline(QPolygonF({QPointF(15, 5), QPointF(8, 12), QPointF(15, 19)}));
     }},
    {"SearchNext",
     [](QPainter &p) {
         p.setPen(QPen(accent, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
         p.drawPolyline(QPolygonF({QPointF(9, 5), QPointF(16, 12), QPointF(9, 19)}));
     }},
    {"SearchResult",
     [](QPainter &p) {
         p.setBrush(paper);
         p.drawRect(QRectF(3, 4, 18, 16));
         p.setBrush(QColor(0xcf, 0xd8, 0xe3));
         p.drawRect(QRectF(3, 4, 18, 4));
         p.setBrush(Qt::NoBrush);
         p.drawLine(QPointF(3, 12), QPointF(21, 12));
         p.drawLine(QPointF(3, 16), QPointF(21, 16));
         p.drawLine(QPointF(9, 4), QPointF(9, 20));
     }},
    {"Export",
     [](QPainter &p) {
         p.drawPolyline(QPolygonF({QPointF(14, 4), QPointF(4, 4), QPointF(4, 20), QPointF(18, 20), QPointF(18, 14)}));
         p.setPen(QPen(accent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
         p.drawLine(QPointF(10, 14), QPointF(20, 4));
         p.drawPolyline(QPolygonF({QPointF(14, 4), QPointF(20, 4), QPointF(20, 10)}));
     }},
};

const char *themeName(const QString &key)
{
    static const std::pair<const char *, const char *> names[] = {
        {"New", "document-new"},
        {"Save", "document-save"},
        {"PrePrint", "document-print-preview"},
        {"Print", "document-print"},
        {"Delete", "edit-delete"},
        {"Clear", "edit-undo"},
        {"Cut", "edit-cut"},
        {"Copy", "edit-copy"},
        {"Paste", "edit-paste"},
        {"Search", "edit-find"},
        {"SearchPrevious", "go-previous"},
        {"SearchNext", "go-next"},
        {"Export", "document-export"},
    };
    const QByteArray k = key.toLatin1();
    for (const auto &[button, theme] : names) {
        if (k == button)
            return theme;
    }
    return nullptr;
}

} // namespace

QIcon toolIcon(const QString &buttonKey)
{
    const QByteArray k = buttonKey.toLatin1();
    for (const auto &[button, draw] : drawings) {
        if (k != button)
            continue;
        const QIcon own = drawn(draw);
        const char *theme = themeName(buttonKey);
        return theme ? QIcon::fromTheme(QString::fromLatin1(theme), own) : own;
    }
    return {};
}

QIcon documentIcon()
{
    static const QIcon icon = drawn([](QPainter &p) {
        page(p, QRectF(4, 2, 15, 20));
        lines(p, 7, 16, 8, 4);
    });
    return icon;
}

} // namespace liqiva
