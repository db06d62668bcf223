#pragma once

#include <QDialog>
#include <QVector>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;

namespace liqiva {

class CreditUse;
class MessageService;

// The credits used in the settlement: one tab per credit group (stbCrediti) with what was
// left the month before, the movements by cause with their sign, the amount the settlement
// takes (the only cell that takes typing) and what is left; below, the credit left in all.
// OK runs the checks and stays open on a refusal with the cursor on the amount; the caller
// takes the values on Accepted.
class frmCreUse : public QDialog {
    Q_OBJECT
public:
    frmCreUse(CreditUse &use, MessageService &messages, bool euro, QWidget *parent = nullptr);

    bool ok();
    bool Cancel() const { return result() != QDialog::Accepted; }

private:
    void show();
    void cellEdited(int group, QTableWidgetItem *item);
    int usedRow(int group) const;

    CreditUse &m_use;
    MessageService &m_messages;
    bool m_euro;
    bool m_loading = false;
    QTabWidget *stbCrediti = nullptr;
    QVector<QTableWidget *> m_grids;
    QLabel *lblResiduoTotale = nullptr;
    QPushButton *cmdOk = nullptr, *cmdAnnulla = nullptr;
};

} // namespace liqiva
