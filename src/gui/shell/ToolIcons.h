#pragma once

#include <QIcon>
#include <QString>

namespace liqiva {

// The icons of the toolbar buttons: the desktop theme's where it has one, otherwise simple
// line drawings of our own, so that every button reads the same on any platform. An empty
// icon for buttons that show their text.
QIcon toolIcon(const QString &buttonKey);

// The icon of the program and of its document windows.
QIcon documentIcon();

} // namespace liqiva
