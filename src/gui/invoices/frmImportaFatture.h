#pragma once

#include "domain/invoices/InvoiceImport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QSpinBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace liqiva {

class Connection;
class MessageService;

// The size asked, within the screen the window opens on (the invoice windows at 1024x768).
void fitToScreen(QWidget *window, QSize size);

// "Importa fatture elettroniche...": the files and folders to import, the day the purchases
// were received, whether a refused file keeps nothing of the import; then a progress bar and
// one row per file with what became of it.
class frmImportaFatture : public QDialog {
    Q_OBJECT
public:
    frmImportaFatture(Connection &db, MessageService &messages, int company, int user, QWidget *parent = nullptr);

    void addPaths(const QStringList &paths);
    void setReceived(const QDate &date);
    void setAllOrNothing(bool on);
    // Runs the import of the listed paths (the "Importa" button).
    void runImport();
    const ImportReport &report() const { return m_report; }
    QTableWidget *table() const { return grdFile; }

private:
    Connection &m_db;
    MessageService &m_messages;
    int m_company;
    int m_user;
    ImportReport m_report;
    QListWidget *lstPercorsi;
    QCheckBox *chkRicevute;
    QDateEdit *txtRicevute;
    QCheckBox *chkTuttoONiente;
    QProgressBar *prgImporta;
    QTableWidget *grdFile;
    QLabel *lblEsito;
    QPushButton *cmdImporta;
};

// "Fatture importate": the invoices imported for the company with a filter by period, and
// "Annulla importazione" for the import of the chosen row.
class frmFattureImportate : public QDialog {
    Q_OBJECT
public:
    frmFattureImportate(Connection &db, MessageService &messages, int company, int user, QWidget *parent = nullptr);

    void setPeriod(int year, int month);
    void refresh();
    // Takes back the import of the current row, after asking.
    void undoCurrentImport();
    QTableWidget *table() const { return grdFatture; }

private:
    Connection &m_db;
    MessageService &m_messages;
    int m_company;
    int m_user;
    QSpinBox *txtAnno;
    QComboBox *cboMese;
    QTableWidget *grdFatture;
};

} // namespace liqiva
