#pragma once

#include <QString>

class QWidget;

namespace liqiva {

// The file dialogs of the program. They never open a file to look at it: the icons and the
// type column come from the name alone (no content sniffing, no thumbnails), and the dialog is
// our own rather than the desktop's, whose icons may read the files. A file of the open
// database must not be opened by anything but SQLite (see database/SqliteFiles.h).

// Asks for the name of a file to write; empty when cancelled. With confirmOverwrite the
// dialog asks before an existing file is chosen.
QString chooseFileToWrite(QWidget *parent, const QString &title, const QString &suggested, const QString &filter,
                          bool confirmOverwrite);

// Asks for an existing file to open; empty when cancelled.
QString chooseFileToRead(QWidget *parent, const QString &title, const QString &filter);

} // namespace liqiva
