#include "gui/shell/WindowSettings.h"

#include "gui/shell/ShellDocuments.h"
#include "gui/shell/ShellSettings.h"
#include "gui/shell/frmMDI.h"
#include "startup/Program.h"

#include <QDockWidget>
#include <QEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace liqiva {

WindowSettings::WindowSettings(frmMDI &window) : m_w(window) {}

WindowSettings::~WindowSettings() = default;

void WindowSettings::sbGetCommonSettings()
{
    Program &program = m_w.program();
    m_settings = std::make_unique<ShellSettings>(program.store(), program.context().executableName);
    m_settings->sbGetCommonOptionSetting();
    m_settingsNotes = m_settings->sbGetCommonSettings(m_w);
    if (!m_settingsNotes.isEmpty()) {
        const QString note = u"Impostazioni non valide ignorate (sono stati usati i valori predefiniti): "_qs +
                             m_settingsNotes.join(u", "_qs) + u"."_qs;
        m_w.statusBar()->showMessage(note);
        // The activity pane lists it too, when it has a list of messages.
        if (QDockWidget *pane = activityPane(m_w);
            pane && pane->metaObject()->indexOfMethod("addMessage(QString)") >= 0)
            QMetaObject::invokeMethod(pane, "addMessage", Q_ARG(QString, note));
    }
}

void WindowSettings::sbSaveCommonSettings()
{
    if (m_settings)
        m_settings->sbSaveCommonSettings(m_w);
}

void WindowSettings::applySettingsLook()
{
    m_settings->applyLook(m_w);
    m_w.statusBar()->setVisible(m_settings->statusBar);
}

bool WindowSettings::hidesToolTip(QObject *watched, QEvent *event) const
{
    // Tooltips of the toolbars only when the user wants them.
    if (event->type() != QEvent::ToolTip || !m_settings || m_settings->toolTips)
        return false;
    auto *button = qobject_cast<QToolButton *>(watched);
    return button && qobject_cast<QToolBar *>(button->parentWidget());
}

void WindowSettings::showWindow()
{
    // Where the user left it, when the settings say so.
    if (m_settings && m_settings->geometryRestored()) {
        if (m_settings->maximised())
            m_w.showMaximized();
        else
            m_w.show();
    } else if (m_w.screen()) {
        fitToScreen();
        m_w.show();
        // The desktop adds its frame once the window is shown: fitted again with the frame
        // it really has.
        QTimer::singleShot(0, this, &WindowSettings::fitToScreen);
        QTimer::singleShot(300, this, &WindowSettings::fitToScreen);
    } else {
        m_w.show();
    }
}

void WindowSettings::fitToScreen()
{
    const QScreen *s = m_w.screen();
    if (!s || m_w.isMaximized() || m_w.isFullScreen() || (m_settings && m_settings->geometryRestored()))
        return;
    // The window fits the work area of its screen, its frame and the status bar included.
    // Before the desktop has framed it, a title bar and borders of the usual size are
    // reckoned with.
    const QRect area = s->availableGeometry();
    QSize frame = m_w.frameGeometry().size() - m_w.geometry().size();
    // Not framed yet: the position given is the inside's, so the frame's top and left are
    // left free above and beside it.
    const bool framed = !frame.isEmpty();
    if (!framed)
        frame = QSize(12, 40);
    const QSize room = area.size() - frame;
    if (m_w.isVisible() && m_w.width() <= room.width() && m_w.height() <= room.height() &&
        area.contains(m_w.frameGeometry()))
        return;
    // Once the user has sized the window, it stays as the user left it.
    const QSize fitted = m_w.property("liqivaFittedSize").toSize();
    if (m_w.isVisible() && fitted.isValid() && m_w.size() != fitted)
        return;
    const QSize wanted = QSize(1280, 800).boundedTo(room).expandedTo(m_w.minimumSize().boundedTo(room));
    m_w.resize(wanted);
    m_w.setProperty("liqivaFittedSize", wanted);
    const QPoint centred((room.width() - wanted.width()) / 2, (room.height() - wanted.height()) / 2);
    m_w.move(area.topLeft() + centred +
             (framed ? QPoint() : QPoint(frame.width() / 2, frame.height() - frame.width() / 2)));
    m_w.docs().fillAreaWithOnlyDocument();
}

} // namespace liqiva
