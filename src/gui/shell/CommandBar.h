#pragma once

#include "gui/shell/CommandTable.h"
#include "gui/shell/ShortcutText.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace liqiva {

class UserRights;

// The command bar of the main window, built from the command table: one QAction per command,
// shared by its menu item and its toolbar button (so the two never differ), the menus of the
// menu bar, the toolbars "Standard" and "ToolDip" and the pop-up menus. A click on any of them
// hands the command's key to one handler (the dispatcher of the main window).
//
// Enabling goes through setEnabled(), which never enables a command the user's rights leave
// out or one whose window is not part of the program yet.
class CommandBar : public QObject {
    Q_OBJECT
public:
    CommandBar(QMainWindow &window, const ObjectNames &names);

    // Builds menus, toolbars and pop-ups (sbActiveBar, sbSetMenuVoices).
    void build();
    // The handler every command ends in.
    void setHandler(std::function<void(const QString &key)> handler) { m_handler = std::move(handler); }

    // The rights applier: the commands of every right the user lacks become unavailable.
    void applyRights(const UserRights &rights);
    // Whether the user's rights allow the command (true for commands no right governs).
    bool allowedByRights(const QString &key) const;
    // Whether the command is part of the program now (false for the later windows).
    bool implemented(const QString &key) const;

    void setEnabled(const QString &key, bool enabled);
    bool isEnabled(const QString &key) const;

    // The action of a menu key ("Mnu_Save") or of a button key ("Save"); nullptr if none.
    QAction *action(const QString &key) const;
    // The menu key of a menu or button key; empty when there is no such command.
    QString menuKey(const QString &key) const;
    const Command *command(const QString &key) const;
    const std::vector<Command> &commands() const { return m_commands; }
    QMenu *menu(const QString &key) const { return m_menus.value(key); }
    QToolBar *toolbar(const QString &name) const { return m_toolbars.value(name); }

    // The parsed shortcuts of a command, read back from its action in the command bar's
    // notation.
    std::vector<ShortcutKey> shortcutsOf(const QString &key) const;
    // sbGestShortCut: the key of the first command whose shortcut matches, or empty. Only
    // enabled commands match.
    QString commandForShortcut(const ShortcutKey &pressed) const;

Q_SIGNALS:
    // A tool was entered or left (empty text): the status-bar text.
    void statusText(const QString &text);

private:
    QAction *makeAction(const Command &c);

    QMainWindow &m_window;
    ObjectNames m_names;
    std::vector<Command> m_commands;
    QHash<QString, QAction *> m_actions; // by menu key
    QHash<QString, QString> m_byButton;  // button key -> menu key
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QToolBar *> m_toolbars;
    QHash<QString, bool> m_allowed; // by menu key
    std::function<void(const QString &)> m_handler;
};

} // namespace liqiva
