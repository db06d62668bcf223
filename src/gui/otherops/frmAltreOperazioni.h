#pragma once

#include "suite/Percent.h"

#include <QDialog>

class QComboBox;
class QFormLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace liqiva {

class Connection;
class MessageService;
class cAltreOperazioni;

// "Altre Operazioni": the operations of a December advance made but not yet invoiced, or
// invoiced but not yet registered. A view over the settlement's cAltreOperazioni: "Salva"
// and "Elimina" change its rows in memory; the save of the settlement writes them. Changed()
// tells the caller to compute the advance again.
class frmAltreOperazioni : public QDialog {
    Q_OBJECT
public:
    frmAltreOperazioni(Connection &db, cAltreOperazioni &dati, MessageService &messages, bool euro, bool readOnly,
                       QWidget *parent = nullptr);

    bool Changed() const { return m_changed; }

    static QString istruzioni()
    {
        return QStringLiteral("Inserire le operazioni effettuate ma non ancora fatturate e/o le operazioni fatturate "
                              "ma non ancora registrate.");
    }

    void nuovo();
    // Fields into the edit buffer and the row; false (message shown, focus on the field)
    // when refused.
    bool salva();
    void elimina();

private:
    QTableWidget *buildGrid();
    QFormLayout *buildFields();
    QHBoxLayout *buildButtons();
    void connectControls();
    void fillGrid();
    void loadFields();
    void rateChosen();
    void taxableChanged();
    void updateButtons();
    void rowSelected();

    Connection &m_db;
    cAltreOperazioni &m_dati;
    MessageService &m_messages;
    bool m_euro;
    bool m_readOnly;
    bool m_changed = false;
    bool m_filling = false;
    bool m_dirty = false;
    Percent m_aliquota;

    QTableWidget *brwAltreOperazioni = nullptr;
    QComboBox *cboIva = nullptr;
    QLineEdit *curImponibile = nullptr, *curImposta = nullptr, *txtNote = nullptr;
    QPushButton *cmdNuovo = nullptr, *cmdSalva = nullptr, *cmdElimina = nullptr, *cmdChiudi = nullptr;
};

} // namespace liqiva
