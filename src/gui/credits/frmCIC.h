#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace liqiva {

class CreditoCompensabile;
class MessageService;

// "Credito Iva compensabile": the four amounts of the compensable credit of the period
// (curCICAmount 0..3: at the start and used in F24 take typing, the use in the settlement and
// the end are shown) and "Riportare in stampa". OK takes the typed amounts, runs the check and
// stays open on a refusal with the focus on the amount to correct; then it leaves the values
// to the caller, which stores them (the print flag, a company setting, in one statement).
class frmCIC : public QDialog {
    Q_OBJECT
public:
    frmCIC(CreditoCompensabile &cic, MessageService &messages, bool euro, QWidget *parent = nullptr);

    bool ok();

private:
    bool take(int field);
    void show();

    CreditoCompensabile &m_c;
    MessageService &m_messages;
    bool m_euro;
    std::array<QLineEdit *, 4> curCICAmount{};
    QCheckBox *chkPrintCIC = nullptr;
    QPushButton *cmdOk = nullptr, *cmdAnnulla = nullptr;
};

} // namespace liqiva
