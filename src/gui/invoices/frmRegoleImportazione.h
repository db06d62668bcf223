#pragma once

#include "domain/invoices/ImportRules.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace liqiva {

class Connection;
class MessageService;

// "Regole di importazione": per supplier of the company, what its invoices cannot say and the
// import applies each time (goods for resale, the undeductible percentage of its VAT, the
// branch of its purchases). Choosing a row fills the fields; "Salva regola" keeps them,
// "Elimina regola" removes the row. The command needs the right to save, as the import.
class frmRegoleImportazione : public QDialog {
    Q_OBJECT
public:
    frmRegoleImportazione(Connection &db, MessageService &messages, int company, int user, QWidget *parent = nullptr);

    void refresh();
    // The fields of the rule being edited, as a test or the user sets them.
    void setRule(const QString &vatNumber, const SupplierRule &rule);
    // Keeps the rule of the fields; false when it was refused (the reason shown).
    bool saveRule();
    // Removes the rule of the current row, after asking.
    void removeCurrentRule();
    QTableWidget *table() const { return grdRegole; }

private:
    void showRow(int row);
    Connection &m_db;
    MessageService &m_messages;
    int m_company;
    int m_user;
    QTableWidget *grdRegole;
    QLineEdit *txtPartitaIva;
    QCheckBox *chkMerci;
    QSpinBox *txtIndetraibile;
    QComboBox *cboFiliale;
    QPushButton *cmdSalva;
    QPushButton *cmdElimina;
};

} // namespace liqiva
