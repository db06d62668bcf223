#pragma once

#include <QByteArray>
#include <optional>
#include <QRect>
#include <QString>
#include <QStringList>

class QDockWidget;
class QMainWindow;

namespace liqiva {

class HandOverStore;

// The per-user settings of the main window, in the section "Settings" + the executable's name
// of the settings store: the layout of the command bar, the size and state of the window, the
// status bar, the activity pane (shown, width, activity shown first), the export chosen last,
// tooltips, icon size and the insert option. A value that cannot be read (damaged, written by
// another program) is left out: its built-in value stays, and a note says which key it was.
class ShellSettings {
public:
    // The kinds of export, in the order of DefaultExport.
    enum Export { ExportWord = 0, ExportExcel = 1, ExportHtml = 2, ExportPDF = 3 };
    // The insert options of the grids (InsertType), in order.
    static const QStringList &insertOptions();
    static const QStringList &exportNames(); // "ExportWord" ...

    // The bands of the command bar, by number, as the settings name them ("BarMenu" + number):
    // the menu bar, the two toolbars and the activity pane. Pop-ups are not bands of the layout.
    static const QStringList &bandNames();
    static constexpr const char *LayoutVersion = "3.0";
    static constexpr const char *ActivityPaneName = "frmActivityBox";

    ShellSettings(HandOverStore &store, const QString &executableName);

    QString section() const { return m_section; }
    static QString optionSection() { return QStringLiteral("Settings\\InsertOption"); }

    // sbGetCommonSettings: reads every key and applies it to the window. Returns the notes
    // about values that could not be used (empty when all was well).
    QStringList sbGetCommonSettings(QMainWindow &window);
    // sbSaveCommonSettings: writes every key from the window as it is now.
    void sbSaveCommonSettings(const QMainWindow &window);

    // sbGetCommonOptionSetting / sbSaveCommonOptionSetting: the options of the options dialog.
    void sbGetCommonOptionSetting();
    void sbSaveCommonOptionSetting();

    // The preferences as read (or as the options dialog sets them).
    bool toolTips = true;
    bool largeIcons = false;
    int insertType = 0;
    int defaultExport = ExportPDF;
    QString defaultActivity = QStringLiteral("Reports");
    bool statusBar = true;

    // Where the window was put, for the window that shows itself afterwards.
    bool geometryRestored() const { return m_geometryRestored; }
    bool maximised() const { return m_maximised; }
    QRect normalGeometry() const { return m_normal; }

    // Applies tooltips and icon size to the toolbars of the window.
    void applyLook(QMainWindow &window) const;

private:
    QString read(const QString &key) const;
    // A boolean text ("True"/"False", "1"/"0"); a bad text adds a note and gives nothing.
    std::optional<bool> readBool(const QString &key, QStringList &notes) const;
    std::optional<int> readInt(const QString &key, int min, int max, QStringList &notes) const;
    void readBands(QMainWindow &window, QStringList &notes);
    void readWindow(QMainWindow &window, QStringList &notes);
    void readPane(QMainWindow &window, QStringList &notes);

    HandOverStore &m_store;
    QString m_section;
    bool m_geometryRestored = false;
    bool m_maximised = false;
    QRect m_normal;
};

// The activity pane of a main window, when it has one.
QDockWidget *activityPane(const QMainWindow &window);

} // namespace liqiva
