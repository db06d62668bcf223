#pragma once

#include <QDialog>

class QCheckBox;
class QListWidget;
class QMainWindow;

namespace liqiva {

class ShellSettings;

// The toolbar preferences (Visualizza > Barre degli strumenti...): which bars are shown (the
// two toolbars, the status bar, the activity pane), tooltips and icon size; "Ripristina"
// brings the bars back to the layout they were built with. OK applies the choice at once.
class frmToolBars : public QDialog {
    Q_OBJECT
public:
    frmToolBars(QMainWindow &window, ShellSettings &settings, QWidget *parent = nullptr);

    // The bars put back as built: both toolbars shown, on top, one line each.
    static void restoreBuiltInLayout(QMainWindow &window);

private:
    void apply();

    QMainWindow &m_window;
    ShellSettings &m_settings;
    QListWidget *lstBande;
    QCheckBox *chkToolTip;
    QCheckBox *chkLargeIcon;
    bool m_restore = false;
};

} // namespace liqiva
