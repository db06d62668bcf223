#pragma once

#include "domain/printing/PrintOptions.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;
class QLabel;

namespace liqiva {

// "Opzioni di stampa": draft or definitive print and, for a definitive one, the register,
// its sectional, the year and the register's last page. A view over PrintOptions, which
// keeps the rules, the statements and the questions; OK hides the dialog with the options
// confirmed (OKCancel = 1).
class frmStampaOptions : public QDialog {
    Q_OBJECT
public:
    frmStampaOptions(PrintOptions &options, MessageService &messages, QWidget *parent = nullptr);

    // DisableStampaDefinitiva: only drafts are offered.
    void setDisableStampaDefinitiva(bool disable);
    // "Configura...": opens the register numbering of a register (0 when none is chosen);
    // returns true when it was opened. Without it the button says where the numbering is kept.
    void setConfigure(std::function<bool(int idRegistroIva)> configure) { m_configure = std::move(configure); }

    int OKCancel() const { return m_options.okCancel(); }
    PrintOptions &options() { return m_options; }

    static QString msgConfigureUnavailable();

private:
    void definitiveToggled(bool checked);
    void registerChosen();
    void sectionalChosen();
    void yearChanged(int year);
    void pageChanged(int page);
    void configure();
    void ok();
    // Shows the core's state: lists, choices, page, enabling.
    void showOptions();
    void showFirstPage();

    PrintOptions &m_options;
    MessageService &m_messages;
    std::function<bool(int)> m_configure;
    bool m_showing = false;
    QCheckBox *m_chk;
    QGroupBox *m_frame;
    QComboBox *m_register;
    QComboBox *m_sectional;
    QSpinBox *m_year;
    QSpinBox *m_page;
    QLabel *m_firstPage; // the number the print starts from, beside the last page printed
    QPushButton *m_configureButton;
    QPushButton *m_ok;
};

} // namespace liqiva
