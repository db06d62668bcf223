#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace liqiva {

// The object-name texts of the main window: its title and the ways its captions and
// messages name a settlement.
struct ObjectNames {
    QString title = QStringLiteral("Liquidazione I.V.A.");
    QString name = QStringLiteral("liquidazione I.V.A.");
    QString plural = QStringLiteral("liquidazioni I.V.A.");
    QString newObject = QStringLiteral("nuova liquidazione I.V.A.");
    QString withArticle = QStringLiteral("la liquidazione I.V.A.");
    QString active = QStringLiteral("liquidazione I.V.A. attiva");
    QString next = QStringLiteral("liquidazione I.V.A. successiva");
};

// One command of the command bar. The menu item has the key beginning with "Mnu_", the
// toolbar button (when there is one) the same key without the prefix; both are one QAction.
struct Command {
    // What decides whether a command can run at all, beside the state of the document.
    enum class Availability {
        Always,   // no document needed (New, Search, Exit)
        Document, // needs an open document window
        Later,    // its window is not part of this program yet: present and disabled
    };

    QString key;           // "Mnu_Save"
    QString buttonKey;     // "Save"; empty when there is no button
    QString menu;          // "mnuFile" ... "mnuHelp", "mnuExport", or a pop-up "mnuTable"...
    QString toolbar;       // "Standard", "ToolDip" or empty
    QString caption;       // menu caption, with its access key
    QString buttonCaption; // button text when it differs from the menu caption
    QString description;   // status-bar text
    QStringList shortcuts; // table notation: "Control+S", "Shift+F12"
    QString right;         // UserRights key that governs it, or empty
    Availability availability = Availability::Document;
    bool separatorBefore = false; // a "Sep" + key tool precedes it in its menu
};

// The menus of the menu bar, in order, with their captions.
struct MenuDefinition {
    QString key;
    QString caption;
    QString parent; // a sub-menu names its menu
};

// The one table of the program's commands, in the order the dispatcher compares them.
std::vector<Command> commandTable(const ObjectNames &names);
const std::vector<MenuDefinition> &menuTable();
// The pop-up menus: key and their items in order ("" stands for a separator).
const std::vector<std::pair<QString, QStringList>> &popupTable();
// The buttons of a toolbar in order ("" stands for a separator).
QStringList toolbarButtons(const QString &toolbar);

} // namespace liqiva
