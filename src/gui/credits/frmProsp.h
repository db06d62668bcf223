#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QHBoxLayout;

namespace liqiva {

class MessageService;
class Prospetto;

// A declaration prospectus: the items in a two-column grid (text, amount) whose last cells
// are computed by their formulas and locked; for the infra-annual credit the three letters of
// the refund. A typed amount goes into the prospectus at once (a refused one is shown again as
// it was, with the reason); OK runs the prospectus's checks and, when one fails, stays open
// with its message and the cursor on the cell or box to correct. The caller takes the values
// on Accepted; Annulla leaves them.
class frmProsp : public QDialog {
    Q_OBJECT
public:
    frmProsp(Prospetto &prospetto, MessageService &messages, bool euro, QWidget *parent = nullptr);

    bool ok();
    bool CancelButton() const { return result() != QDialog::Accepted; }

private:
    QHBoxLayout *buildLetters();
    void show();
    void cellEdited(QTableWidgetItem *item);
    bool commitEditor();

    Prospetto &m_p;
    MessageService &m_messages;
    bool m_euro;
    bool m_loading = false;
    QTableWidget *spdProsp = nullptr;
    QCheckBox *m_letters[3] = {nullptr, nullptr, nullptr};
    QPushButton *cmdOk = nullptr, *cmdAnnulla = nullptr;
};

} // namespace liqiva
