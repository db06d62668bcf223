#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace liqiva {

class ShellSettings;

// The options of the program (Strumenti > Opzioni...): tooltips and icon size of the command
// bar, the status bar, how the grids insert new rows and the export offered first. OK stores
// them in the user's settings; the main window then applies them.
class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(ShellSettings &settings, QWidget *parent = nullptr);

    // Whether the user confirmed (the settings then hold the new options).
    bool confirmed() const { return m_confirmed; }

private:
    void confirm();

    ShellSettings &m_settings;
    QCheckBox *chkToolTip;
    QCheckBox *chkLargeIcon;
    QCheckBox *chkStatusbar;
    QComboBox *cboInsertType;
    QComboBox *cboDefaultExport;
    bool m_confirmed = false;
};

} // namespace liqiva
