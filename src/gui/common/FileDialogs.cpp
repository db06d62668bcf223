#include "gui/common/FileDialogs.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStyle>

namespace liqiva {

namespace {

// Icons and types by what the name says: a folder, a link or a file with its suffix. The
// provider Qt gives asks the MIME database, which reads the start of files it cannot tell by
// their name.
class NameOnlyIcons : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override
    {
        QStyle *style = QApplication::style();
        switch (type) {
        case Folder:
            return style->standardIcon(QStyle::SP_DirIcon);
        case Drive:
            return style->standardIcon(QStyle::SP_DriveHDIcon);
        case Computer:
            return style->standardIcon(QStyle::SP_ComputerIcon);
        default:
            return style->standardIcon(QStyle::SP_FileIcon);
        }
    }
    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isSymLink())
            return QApplication::style()->standardIcon(info.isDir() ? QStyle::SP_DirLinkIcon : QStyle::SP_FileLinkIcon);
        if (info.isRoot())
            return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return u"Cartella"_qs;
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? u"File"_qs : u"File "_qs + suffix.toUpper();
    }
};

} // namespace

QString chooseFileToWrite(QWidget *parent, const QString &title, const QString &suggested, const QString &filter,
                          bool confirmOverwrite)
{
    static NameOnlyIcons icons;
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    const QFileInfo start(suggested);
    if (!suggested.isEmpty()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

QString chooseFileToRead(QWidget *parent, const QString &title, const QString &filter)
{
    static NameOnlyIcons icons;
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace liqiva
