#pragma once

#include <QDialog>

class QLineEdit;

namespace liqiva {

class CreditoAutotrasportatori;
class MessageService;

// "Credito autotrasportatori  utilizzato": how much of the available truckers' credit the
// settlement uses. A view over CreditoAutotrasportatori: the residual follows the typing, OK
// goes through its check (never beyond the available credit), Annulla changes nothing.
class frmCreditoAutotrasportatori : public QDialog {
    Q_OBJECT
public:
    frmCreditoAutotrasportatori(CreditoAutotrasportatori &credito, MessageService &messages, bool euro,
                                QWidget *parent = nullptr);
    bool ok();

private:
    void showResiduo();

    CreditoAutotrasportatori &m_c;
    MessageService &m_messages;
    bool m_euro;
    QLineEdit *curCreditoUtilizzato = nullptr, *curCreditoResiduo = nullptr;
};

} // namespace liqiva
