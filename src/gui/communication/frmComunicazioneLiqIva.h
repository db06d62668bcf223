#pragma once

#include "domain/communication/PeriodicCommunication.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace liqiva {

class Connection;
class MessageService;

// "Comunicazione liquidazioni IVA": the year and the quarter, what is missing for the file
// (a settlement not saved, no VAT number, no declarant), the modules with their rows VP2 to
// VP14 as they will be written, and the command that writes the file. A thin view over
// loadPeriodicCommunication and writePeriodicCommunication.
class frmComunicazioneLiqIva : public QDialog {
    Q_OBJECT
public:
    frmComunicazioneLiqIva(Connection &db, MessageService &messages, int idAzienda, int anno, int trimestre,
                           QWidget *parent = nullptr);

    // Reads the quarter again (after a change of year or quarter, or of the settlements).
    void refresh();
    // Writes the file at path (the file dialog's answer); false when it was refused, with
    // the reason shown.
    bool writeTo(const QString &path);
    const PeriodicCommunicationData &data() const { return m_data; }
    // The user recorded with the settlements marked communicated.
    void setUser(int idUser) { m_idUser = idUser; }
    // Writing the file marks the settlements: a user without the right to save sees the
    // quarter but may not write it.
    void setMayWrite(bool may);

    // The rows of the preview, in the order of the form.
    static const QStringList &rowCaptions();

private:
    void chooseFileAndWrite();

    Connection &m_db;
    MessageService &m_messages;
    int m_idAzienda;
    int m_idUser = 0;
    bool m_mayWrite = true;
    PeriodicCommunicationData m_data;

    QSpinBox *txtAnno;
    QComboBox *cboTrimestre;
    QLabel *lblAzienda;
    QLabel *lblComunicata;
    QListWidget *lstMancanti;
    QTableWidget *spdModuli;
    QPushButton *cmdGenera;
    QPushButton *cmdChiudi;
};

} // namespace liqiva
