#pragma once

#include "suite/Money.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace liqiva {

class CreditoAnnuale;
class MessageService;

// "Riporto credito annuale I.V.A. anno successivo": the annual credit carried into January
// of the following year and the part of it asked back, shown while an annual settlement with
// a credit is saved. OK takes both amounts after the core's checks (a refused one keeps the
// dialog open with the focus on it); the save then asks its questions and writes. Annulla
// abandons the save.
class frmCreditoAnnuale : public QDialog {
    Q_OBJECT
public:
    frmCreditoAnnuale(CreditoAnnuale &credito, MessageService &messages, QWidget *parent = nullptr);

    bool ok();

private:
    void refundEdited();

    CreditoAnnuale &m_c;
    MessageService &m_messages;
    bool m_euro;
    Money m_warnedFor; // the refund last checked against the credit
    QLineEdit *curCreditoAnnuale = nullptr, *curRimborso = nullptr;
    QPushButton *cmdOk = nullptr, *cmdAnnulla = nullptr;
};

} // namespace liqiva
