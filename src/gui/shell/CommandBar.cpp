#include "gui/shell/CommandBar.h"

#include "gui/shell/ToolIcons.h"
#include "suite/rights/UserRights.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace liqiva {

namespace {

// The short text a toolbar button shows when it has no icon.
QString buttonText(const Command &c)
{
    if (!c.buttonCaption.isEmpty())
        return c.buttonCaption;
    QString t = c.caption;
    t.remove(u'&');
    if (t.endsWith(u"..."_qs))
        t.chop(3);
    return t;
}

} // namespace

CommandBar::CommandBar(QMainWindow &window, const ObjectNames &names)
    : QObject(&window), m_window(window), m_names(names), m_commands(commandTable(names))
{
    setObjectName(u"BarMenu"_qs);
}

QAction *CommandBar::makeAction(const Command &c)
{
    auto *a = new QAction(c.caption, &m_window);
    a->setObjectName(c.key);
    a->setStatusTip(c.description);
    a->setIconText(buttonText(c));
    a->setToolTip(buttonText(c));
    a->setProperty("buttonKey", c.buttonKey);
    if (!c.buttonKey.isEmpty())
        a->setIcon(toolIcon(c.buttonKey));
    QList<QKeySequence> keys;
    for (const QString &s : c.shortcuts) {
        const QKeySequence k = ShortcutText::toKeySequence(s);
        if (!k.isEmpty())
            keys << k;
    }
    // The menus show the shortcuts; the keyboard handler of the main window runs them. The
    // widget context keeps Qt from running them a second time on its own.
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WidgetShortcut);
    if (!keys.isEmpty())
        a->setToolTip(buttonText(c) + u" ("_qs + keys.first().toString(QKeySequence::NativeText) + u")"_qs);
    const QString key = c.key;
    connect(a, &QAction::triggered, this, [this, key] {
        if (m_handler)
            m_handler(key);
    });
    connect(a, &QAction::hovered, this, [this, a] { Q_EMIT statusText(a->statusTip()); });
    return a;
}

void CommandBar::build()
{
    for (const Command &c : m_commands) {
        QAction *a = makeAction(c);
        m_actions.insert(c.key, a);
        if (!c.buttonKey.isEmpty())
            m_byButton.insert(c.buttonKey, c.key);
        m_allowed.insert(c.key, true);
    }

    // The menu bar ("Menu" band) and its sub-menus.
    QMenuBar *bar = m_window.menuBar();
    bar->setObjectName(u"Menu"_qs);
    for (const MenuDefinition &m : menuTable()) {
        QMenu *parent = m.parent.isEmpty() ? nullptr : m_menus.value(m.parent);
        QMenu *menu = parent ? new QMenu(m.caption, parent) : new QMenu(m.caption, bar);
        menu->setObjectName(m.key);
        m_menus.insert(m.key, menu);
        if (!parent)
            bar->addMenu(menu);
    }
    for (const Command &c : m_commands) {
        QMenu *menu = m_menus.value(c.menu);
        if (!menu)
            continue;
        if (c.separatorBefore && !menu->isEmpty())
            menu->addSeparator()->setObjectName(u"Sep"_qs + c.key);
        if (c.key == u"Mnu_SendTo"_qs) // the export choices sit before "Send to"
            menu->addMenu(m_menus.value(u"mnuExport"_qs));
        menu->addAction(m_actions.value(c.key));
    }

    for (const QString &name : {u"Standard"_qs, u"ToolDip"_qs}) {
        QToolBar *tb = m_window.addToolBar(name == u"Standard"_qs ? u"Standard"_qs : u"Dichiarazione IVA"_qs);
        tb->setObjectName(name);
        tb->setIconSize(QSize(20, 20));
        if (name == u"ToolDip"_qs) {
            tb->setToolButtonStyle(Qt::ToolButtonTextOnly);
            m_window.insertToolBarBreak(tb);
        }
        for (const QString &button : toolbarButtons(name)) {
            if (button.isEmpty()) {
                tb->addSeparator();
                continue;
            }
            QAction *a = action(button);
            tb->addAction(a);
            if (QWidget *w = tb->widgetForAction(a))
                w->setObjectName(button);
        }
        m_toolbars.insert(name, tb);
    }

    for (const auto &[key, items] : popupTable()) {
        auto *menu = new QMenu(&m_window);
        menu->setObjectName(key);
        for (const QString &item : items) {
            if (item.isEmpty())
                menu->addSeparator();
            else
                menu->addAction(m_actions.value(item));
        }
        m_menus.insert(key, menu);
    }

    for (const Command &c : m_commands)
        setEnabled(c.key, false);
}

void CommandBar::applyRights(const UserRights &rights)
{
    for (const Command &c : m_commands) {
        const bool allowed = c.right.isEmpty() || rights.has(c.right);
        m_allowed.insert(c.key, allowed);
        if (!allowed)
            m_actions.value(c.key)->setEnabled(false);
    }
}

bool CommandBar::allowedByRights(const QString &key) const
{
    return m_allowed.value(menuKey(key), false);
}

bool CommandBar::implemented(const QString &key) const
{
    const Command *c = command(key);
    return c && c->availability != Command::Availability::Later;
}

void CommandBar::setEnabled(const QString &key, bool enabled)
{
    QAction *a = action(key);
    if (!a)
        return;
    a->setEnabled(enabled && allowedByRights(key) && implemented(key));
}

bool CommandBar::isEnabled(const QString &key) const
{
    const QAction *a = action(key);
    return a && a->isEnabled();
}

QString CommandBar::menuKey(const QString &key) const
{
    if (m_actions.contains(key))
        return key;
    return m_byButton.value(key);
}

QAction *CommandBar::action(const QString &key) const
{
    return m_actions.value(menuKey(key));
}

const Command *CommandBar::command(const QString &key) const
{
    const QString k = menuKey(key);
    for (const Command &c : m_commands) {
        if (c.key == k)
            return &c;
    }
    return nullptr;
}

std::vector<ShortcutKey> CommandBar::shortcutsOf(const QString &key) const
{
    std::vector<ShortcutKey> out;
    if (const QAction *a = action(key)) {
        for (const QKeySequence &k : a->shortcuts())
            out.push_back(ShortcutText::parse(k.toString(QKeySequence::PortableText)));
    }
    return out;
}

QString CommandBar::commandForShortcut(const ShortcutKey &pressed) const
{
    if (!pressed.isValid())
        return {};
    for (const Command &c : m_commands) {
        if (c.shortcuts.isEmpty() || !isEnabled(c.key))
            continue;
        for (const ShortcutKey &k : shortcutsOf(c.key)) {
            if (k == pressed)
                return c.key;
        }
    }
    return {};
}

} // namespace liqiva
