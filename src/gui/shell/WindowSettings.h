#pragma once

#include "gui/document/frmNew.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

class QEvent;

namespace liqiva {

class frmMDI;
class ShellSettings;

// The main window's settings: the user's stored settings (read at start-up, written at the
// close), where and how large the window comes up, the look of the bars, and the choices the
// user made last in this session (what "Nuovo" proposes next).
class WindowSettings : public QObject {
public:
    explicit WindowSettings(frmMDI &window);
    ~WindowSettings() override;

    // The user's settings of the window; there once sbGetCommonSettings has run.
    ShellSettings &settings() const { return *m_settings; }
    bool hasSettings() const { return m_settings != nullptr; }
    void sbGetCommonSettings();
    void sbSaveCommonSettings();
    // The keys whose stored values could not be used at the last start (empty: all well).
    const QStringList &settingsNotes() const { return m_settingsNotes; }
    // Tooltips and icon size of the toolbars, and the status bar, as the settings say.
    void applySettingsLook();
    // A tooltip of a toolbar the user does not want (the event is then dropped).
    bool hidesToolTip(QObject *watched, QEvent *event) const;

    // Shows the window where the user left it, or fitted to its screen at the first start.
    void showWindow();

    // The choice of the last "Nuovo" of the session.
    const std::optional<frmNew::Selection> &lastNew() const { return m_lastNew; }
    void setLastNew(const frmNew::Selection &selection) { m_lastNew = selection; }

private:
    // The window inside its screen's work area (first start: no size stored).
    void fitToScreen();

    frmMDI &m_w;
    std::unique_ptr<ShellSettings> m_settings;
    QStringList m_settingsNotes;
    std::optional<frmNew::Selection> m_lastNew;
};

} // namespace liqiva
