#include "gui/credits/frmCreditoAutotrasportatori.h"

#include "domain/credits/CreditoAutotrasportatori.h"
#include "domain/document/InputText.h"
#include "gui/common/DialogButtons.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

frmCreditoAutotrasportatori::frmCreditoAutotrasportatori(CreditoAutotrasportatori &credito, MessageService &messages,
                                                         bool euro, QWidget *parent)
    : QDialog(parent), m_c(credito), m_messages(messages), m_euro(euro)
{
    setObjectName(u"frmCreditoAutotrasportatori"_qs);
    setWindowTitle(CreditoAutotrasportatori::caption());
    curCreditoUtilizzato = new QLineEdit(this);
    curCreditoUtilizzato->setObjectName(u"curCreditoUtilizzato"_qs);
    curCreditoResiduo = new QLineEdit(this);
    curCreditoResiduo->setObjectName(u"curCreditoResiduo"_qs);
    curCreditoResiduo->setReadOnly(true);
    curCreditoResiduo->setFocusPolicy(Qt::NoFocus);
    for (QLineEdit *f : {curCreditoUtilizzato, curCreditoResiduo}) {
        f->setAlignment(Qt::AlignRight);
        f->setMinimumWidth(160);
    }
    auto *form = new QFormLayout;
    form->addRow(CreditoAutotrasportatori::lblCreditoUtilizzato(), curCreditoUtilizzato);
    form->addRow(CreditoAutotrasportatori::lblCreditoResiduo(), curCreditoResiduo);
    auto *root = new QVBoxLayout(this);
    root->addLayout(form);
    QPushButton *cmdOk = addOkCancel(*this, *root).first;

    curCreditoUtilizzato->setText(formatAmount(m_c.Utilizzato(), m_euro));
    curCreditoResiduo->setText(formatAmount(m_c.Residuo(), m_euro));
    connect(curCreditoUtilizzato, &QLineEdit::textEdited, this, &frmCreditoAutotrasportatori::showResiduo);
    connect(cmdOk, &QPushButton::clicked, this, &frmCreditoAutotrasportatori::ok);
}

void frmCreditoAutotrasportatori::showResiduo()
{
    const ParsedAmount parsed = parseAmount(curCreditoUtilizzato->text(), m_euro);
    if (parsed.valid)
        curCreditoResiduo->setText(formatAmount(m_c.ResiduoPer(parsed.value.value_or(Money())), m_euro));
}

bool frmCreditoAutotrasportatori::ok()
{
    const ParsedAmount parsed = parseAmount(curCreditoUtilizzato->text(), m_euro);
    if (!parsed.valid) {
        m_messages.warn(CreditoAutotrasportatori::msgNonValido());
    } else if (runShowingFailures(m_messages, [&] { m_c.Conferma(parsed.value.value_or(Money())); })) {
        accept();
        return true;
    }
    curCreditoUtilizzato->setFocus();
    curCreditoUtilizzato->selectAll();
    return false;
}

} // namespace liqiva
