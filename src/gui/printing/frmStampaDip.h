#pragma once

#include "domain/printing/DeclarationPrint.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace liqiva {

class MessageService;
class PrintCommand;

// "Stampa Dichiarazione IVA Periodica" (up to 2001) or "Stampa Comunicazione Annuale Dati
// IVA" (from 2002): the test print with placeholders (only before 2002), where the form goes,
// and OK, which writes the work rows, prints the form from them and removes them.
class frmStampaDip : public QDialog {
    Q_OBJECT
public:
    frmStampaDip(Connection &db, MessageService &messages, int idUser, PrintCommand &output, QWidget *parent = nullptr);

    // The declaration to print; its year decides the title and whether the test is offered.
    void setData(const DeclarationData &data);
    int Anno() const { return m_data.anno; }
    bool testOffered() const;

private:
    void ok();

    Connection &m_db;
    MessageService &m_messages;
    int m_user;
    PrintCommand &m_output;
    DeclarationData m_data;
    QCheckBox *m_test;
    QRadioButton *m_preview;
    QRadioButton *m_printer;
    QRadioButton *m_pdf;
};

} // namespace liqiva
