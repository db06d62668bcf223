#include "gui/shell/ShellSettings.h"

#include "suite/HandOverStore.h"

#include <QDockWidget>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <map>

namespace liqiva {

namespace {

// Docking areas as the settings write them.
enum Dock { Top = 0, Bottom = 1, Left = 2, Right = 3, Floating = 4 };

Qt::ToolBarArea toolBarArea(int da)
{
    switch (da) {
    case Bottom: return Qt::BottomToolBarArea;
    case Left: return Qt::LeftToolBarArea;
    case Right: return Qt::RightToolBarArea;
    default: return Qt::TopToolBarArea;
    }
}

int dockCode(Qt::ToolBarArea area)
{
    switch (area) {
    case Qt::BottomToolBarArea: return Bottom;
    case Qt::LeftToolBarArea: return Left;
    case Qt::RightToolBarArea: return Right;
    default: return Top;
    }
}

Qt::DockWidgetArea dockArea(int da)
{
    switch (da) {
    case Top: return Qt::TopDockWidgetArea;
    case Bottom: return Qt::BottomDockWidgetArea;
    case Right: return Qt::RightDockWidgetArea;
    default: return Qt::LeftDockWidgetArea;
    }
}

int dockCode(Qt::DockWidgetArea area)
{
    switch (area) {
    case Qt::TopDockWidgetArea: return Top;
    case Qt::BottomDockWidgetArea: return Bottom;
    case Qt::RightDockWidgetArea: return Right;
    default: return Left;
    }
}

QString boolText(bool b)
{
    return b ? u"True"_qs : u"False"_qs;
}

const QStringList activities = {u"Reports"_qs, u"Export"_qs, u"Support"_qs};

// The line of each toolbar in its area: toolbars on one line share the position across the
// lines (y for the top and bottom areas, x for the sides).
int lineOf(const QMainWindow &window, QToolBar *tb)
{
    const Qt::ToolBarArea area = window.toolBarArea(tb);
    const bool horizontal = area == Qt::TopToolBarArea || area == Qt::BottomToolBarArea;
    std::vector<int> positions;
    for (QToolBar *other : window.findChildren<QToolBar *>()) {
        if (other->isFloating() || window.toolBarArea(other) != area || other->isHidden())
            continue;
        positions.push_back(horizontal ? other->y() : other->x());
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    const int mine = horizontal ? tb->y() : tb->x();
    return int(std::lower_bound(positions.begin(), positions.end(), mine) - positions.begin());
}

} // namespace

const QStringList &ShellSettings::insertOptions()
{
    static const QStringList options = {u"Aggiungi le righe nuove in fondo"_qs,
                                        u"Inserisci le righe nuove prima della riga corrente"_qs,
                                        u"Inserisci le righe nuove dopo la riga corrente"_qs};
    return options;
}

const QStringList &ShellSettings::exportNames()
{
    static const QStringList names = {u"ExportWord"_qs, u"ExportExcel"_qs, u"ExportHtml"_qs, u"ExportPDF"_qs};
    return names;
}

const QStringList &ShellSettings::bandNames()
{
    static const QStringList names = {u"Menu"_qs, u"Standard"_qs, u"ToolDip"_qs, u"Activity"_qs};
    return names;
}

QDockWidget *activityPane(const QMainWindow &window)
{
    return window.findChild<QDockWidget *>(QString::fromLatin1(ShellSettings::ActivityPaneName));
}

ShellSettings::ShellSettings(HandOverStore &store, const QString &executableName)
    : m_store(store), m_section(u"Settings"_qs + executableName)
{
}

QString ShellSettings::read(const QString &key) const
{
    return m_store.read(m_section, key).trimmed();
}

std::optional<bool> ShellSettings::readBool(const QString &key, QStringList &notes) const
{
    const QString t = read(key).toLower();
    if (t.isEmpty())
        return std::nullopt;
    if (t == u"true"_qs || t == u"1"_qs || t == u"-1"_qs || t == u"vero"_qs)
        return true;
    if (t == u"false"_qs || t == u"0"_qs || t == u"falso"_qs)
        return false;
    notes << key;
    return std::nullopt;
}

std::optional<int> ShellSettings::readInt(const QString &key, int min, int max, QStringList &notes) const
{
    const QString t = read(key);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < min || v > max) {
        notes << key;
        return std::nullopt;
    }
    return v;
}

QStringList ShellSettings::sbGetCommonSettings(QMainWindow &window)
{
    QStringList notes;
    readBands(window, notes);
    readWindow(window, notes);
    if (const auto b = readBool(u"Statusbar"_qs, notes))
        statusBar = *b;
    window.statusBar()->setVisible(statusBar);
    readPane(window, notes);
    if (const auto b = readBool(u"ToolTip"_qs, notes))
        toolTips = *b;
    if (const auto b = readBool(u"LargeIcon"_qs, notes))
        largeIcons = *b;
    if (const auto v = readInt(u"InsertType"_qs, 0, int(insertOptions().size()) - 1, notes))
        insertType = *v;
    applyLook(window);
    return notes;
}

void ShellSettings::readBands(QMainWindow &window, QStringList &notes)
{
    // A layout written by another version of the bars is not used at all.
    if (read(u"BarMenuVersion"_qs) != QString::fromLatin1(LayoutVersion))
        return;
    const QString layout = read(u"Layout"_qs);
    if (!layout.isEmpty()) {
        const QByteArray state = QByteArray::fromBase64(layout.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (state.isEmpty() || !window.restoreState(state, 1))
            notes << u"Layout"_qs;
    }
    // The toolbars by area and line, as the bands say.
    struct Placed {
        int line;
        QToolBar *toolbar;
        bool visible;
    };
    std::map<int, std::vector<Placed>> byArea;
    for (int band = 1; band <= 2; ++band) {
        QToolBar *tb = window.findChild<QToolBar *>(bandNames().at(band));
        if (!tb)
            continue;
        const QString prefix = u"BarMenu"_qs + QString::number(band);
        QStringList bad;
        const auto da = readInt(prefix + u".DA"_qs, Top, Floating, bad);
        const auto dl = readInt(prefix + u".DL"_qs, 0, 99, bad);
        const auto visible = readBool(prefix + u".Visible"_qs, bad);
        notes << bad;
        if (!bad.isEmpty() || !da || !dl || *da == Floating)
            continue; // a floating band stays where the saved layout put it
        byArea[*da].push_back({*dl, tb, visible.value_or(true)});
    }
    for (auto &[da, bands] : byArea) {
        std::stable_sort(bands.begin(), bands.end(), [](const Placed &a, const Placed &b) { return a.line < b.line; });
        for (const Placed &p : bands) {
            window.removeToolBarBreak(p.toolbar);
            window.removeToolBar(p.toolbar);
        }
        int line = -1;
        for (const Placed &p : bands) {
            if (line >= 0 && p.line != line)
                window.addToolBarBreak(toolBarArea(da));
            line = p.line;
            window.addToolBar(toolBarArea(da), p.toolbar);
            p.toolbar->setVisible(p.visible);
        }
    }
    // The activity pane: where it is docked, or floating with its place and size.
    if (QDockWidget *pane = activityPane(window)) {
        const QString prefix = u"BarMenu3"_qs;
        QStringList bad;
        const auto da = readInt(prefix + u".DA"_qs, Top, Floating, bad);
        if (da && *da == Floating) {
            const auto left = readInt(prefix + u".left"_qs, -100000, 100000, bad);
            const auto top = readInt(prefix + u".top"_qs, -100000, 100000, bad);
            const auto width = readInt(prefix + u".width"_qs, 50, 10000, bad);
            const auto height = readInt(prefix + u".height"_qs, 50, 10000, bad);
            pane->setFloating(true);
            if (left && top && width && height)
                pane->setGeometry(*left, *top, *width, *height);
        } else if (da) {
            pane->setFloating(false);
            if (window.dockWidgetArea(pane) != dockArea(*da))
                window.addDockWidget(dockArea(*da), pane);
        }
        notes << bad;
    }
}

void ShellSettings::readWindow(QMainWindow &window, QStringList &notes)
{
    const auto state = readInt(u"WindowState"_qs, 0, 2, notes);
    const auto width = readInt(u"FormWidth"_qs, 200, 20000, notes);
    const auto height = readInt(u"FormHeight"_qs, 150, 20000, notes);
    const auto left = readInt(u"FormLeft"_qs, -100000, 100000, notes);
    const auto top = readInt(u"FormTop"_qs, -100000, 100000, notes);
    m_maximised = state && *state == 2;
    if (!width || !height)
        return;
    QRect r(left.value_or(0), top.value_or(0), *width, *height);
    // On a screen that is still there: a window whose place is on no screen any more (a
    // second monitor taken away) comes to the middle of the main screen, no larger than it.
    bool onScreen = false;
    for (const QScreen *s : QGuiApplication::screens()) {
        const QRect common = s->availableGeometry().intersected(r);
        onScreen = onScreen || (common.width() >= 100 && common.height() >= 50);
    }
    if ((!onScreen || !left || !top) && QGuiApplication::primaryScreen()) {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        r.setSize(r.size().boundedTo(area.size()));
        r.moveCenter(area.center());
    }
    r.setSize(r.size().expandedTo(window.minimumSize()));
    m_normal = r;
    m_geometryRestored = true;
    window.resize(r.size());
    window.move(r.topLeft());
}

void ShellSettings::readPane(QMainWindow &window, QStringList &notes)
{
    const auto folders = readBool(u"Folders"_qs, notes);
    const auto width = readInt(u"TreeWidth"_qs, 60, 4000, notes);
    const QString activity = read(u"DefaultActivity"_qs);
    if (!activity.isEmpty()) {
        const auto it = std::find_if(activities.begin(), activities.end(), [&](const QString &a) {
            return a.compare(activity, Qt::CaseInsensitive) == 0;
        });
        if (it != activities.end())
            defaultActivity = *it;
        else
            notes << u"DefaultActivity"_qs;
    }
    if (const auto e = readInt(u"DefaultExport"_qs, ExportWord, ExportPDF, notes))
        defaultExport = *e;
    QDockWidget *pane = activityPane(window);
    if (!pane)
        return;
    pane->setProperty("DefaultActivity", defaultActivity);
    pane->setProperty("DefaultExport", exportNames().at(defaultExport));
    if (folders)
        pane->setVisible(*folders);
    if (width && !pane->isFloating())
        window.resizeDocks({pane}, {*width}, Qt::Horizontal);
}

void ShellSettings::applyLook(QMainWindow &window) const
{
    for (QToolBar *tb : window.findChildren<QToolBar *>()) {
        tb->setIconSize(largeIcons ? QSize(32, 32) : QSize(20, 20));
        tb->setProperty("toolTips", toolTips);
    }
    if (QDockWidget *pane = activityPane(window))
        pane->setProperty("LargeIcon", largeIcons);
}

void ShellSettings::sbSaveCommonSettings(const QMainWindow &window)
{
    auto write = [this](const QString &key, const QString &value) { m_store.write(m_section, key, value); };
    // The bands in order: the menu bar (always on top), the toolbars, the activity pane.
    write(u"BarMenu0.DA"_qs, QString::number(Top));
    write(u"BarMenu0.DL"_qs, u"0"_qs);
    for (int band = 1; band <= 2; ++band) {
        QToolBar *tb = window.findChild<QToolBar *>(bandNames().at(band));
        if (!tb)
            continue;
        const QString prefix = u"BarMenu"_qs + QString::number(band);
        const bool floating = tb->isFloating();
        write(prefix + u".DA"_qs, QString::number(floating ? Floating : dockCode(window.toolBarArea(tb))));
        write(prefix + u".DL"_qs, QString::number(floating ? 0 : lineOf(window, tb)));
        write(prefix + u".Visible"_qs, boolText(!tb->isHidden()));
        const QRect g = tb->geometry();
        write(prefix + u".height"_qs, QString::number(g.height()));
        write(prefix + u".width"_qs, QString::number(g.width()));
        write(prefix + u".left"_qs, QString::number(floating ? tb->pos().x() : g.left()));
        write(prefix + u".top"_qs, QString::number(floating ? tb->pos().y() : g.top()));
    }
    QDockWidget *pane = activityPane(window);
    if (pane) {
        const QRect g = pane->geometry();
        write(u"BarMenu3.DA"_qs, QString::number(pane->isFloating() ? Floating : dockCode(window.dockWidgetArea(pane))));
        write(u"BarMenu3.DL"_qs, u"0"_qs);
        write(u"BarMenu3.height"_qs, QString::number(g.height()));
        write(u"BarMenu3.width"_qs, QString::number(g.width()));
        write(u"BarMenu3.left"_qs, QString::number(g.left()));
        write(u"BarMenu3.top"_qs, QString::number(g.top()));
    }
    write(u"Layout"_qs, QString::fromLatin1(window.saveState(1).toBase64()));
    write(u"BarMenuVersion"_qs, QString::fromLatin1(LayoutVersion));

    const int state = window.isMaximized() ? 2 : window.isMinimized() ? 1 : 0;
    write(u"WindowState"_qs, QString::number(state));
    const QRect normal = state == 0 ? window.geometry() : window.normalGeometry();
    if (normal.isValid()) {
        write(u"FormWidth"_qs, QString::number(normal.width()));
        write(u"FormHeight"_qs, QString::number(normal.height()));
        write(u"FormLeft"_qs, QString::number(normal.left()));
        write(u"FormTop"_qs, QString::number(normal.top()));
    }
    write(u"Statusbar"_qs, boolText(!window.statusBar()->isHidden()));
    if (pane) {
        write(u"Folders"_qs, boolText(!pane->isHidden()));
        write(u"TreeWidth"_qs, QString::number(pane->width()));
        const QString activity = pane->property("DefaultActivity").toString();
        write(u"DefaultActivity"_qs, activity.isEmpty() ? defaultActivity : activity);
        const qsizetype kind = exportNames().indexOf(pane->property("DefaultExport").toString());
        write(u"DefaultExport"_qs, QString::number(kind >= 0 ? int(kind) : defaultExport));
    } else {
        write(u"DefaultActivity"_qs, defaultActivity);
        write(u"DefaultExport"_qs, QString::number(defaultExport));
    }
    write(u"ToolTip"_qs, boolText(toolTips));
    write(u"LargeIcon"_qs, boolText(largeIcons));
    write(u"InsertType"_qs, QString::number(insertType));
    sbSaveCommonOptionSetting();
    m_store.sync();
}

void ShellSettings::sbGetCommonOptionSetting()
{
    bool ok = false;
    const int v = m_store.read(optionSection(), u"Predefine"_qs).trimmed().toInt(&ok);
    if (ok && v >= 0 && v < insertOptions().size())
        insertType = v;
}

void ShellSettings::sbSaveCommonOptionSetting()
{
    m_store.write(optionSection(), u"Predefine"_qs, QString::number(insertType));
    m_store.write(m_section, u"InsertType"_qs, QString::number(insertType));
    m_store.sync();
}

} // namespace liqiva
