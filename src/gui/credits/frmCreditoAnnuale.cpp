#include "gui/credits/frmCreditoAnnuale.h"

#include "domain/credits/CreditoAnnuale.h"
#include "domain/document/InputText.h"
#include "gui/common/AmountField.h"
#include "gui/common/DialogButtons.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

frmCreditoAnnuale::frmCreditoAnnuale(CreditoAnnuale &credito, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_c(credito), m_messages(messages), m_euro(credito.RoundValueDIP() == 1)
{
    setObjectName(u"frmCreditoAnnuale"_qs);
    setWindowTitle(CreditoAnnuale::caption());
    auto *root = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    curCreditoAnnuale = new QLineEdit(formatAmount(m_c.CreditoAnnualeIva(), m_euro), this);
    curCreditoAnnuale->setObjectName(u"curCreditoAnnuale"_qs);
    curRimborso = new QLineEdit(formatAmount(m_c.Rimborso(), m_euro), this);
    curRimborso->setObjectName(u"curRimborso"_qs);
    for (QLineEdit *f : {curCreditoAnnuale, curRimborso}) {
        f->setAlignment(Qt::AlignRight);
        f->setMinimumWidth(180);
    }
    form->addRow(CreditoAnnuale::lblCreditoAnnuale(), curCreditoAnnuale);
    form->addRow(CreditoAnnuale::lblRimborso(), curRimborso);
    root->addLayout(form);
    std::tie(cmdOk, cmdAnnulla) = addOkCancel(*this, *root);
    connect(cmdOk, &QPushButton::clicked, this, &frmCreditoAnnuale::ok);
    connect(curRimborso, &QLineEdit::editingFinished, this, &frmCreditoAnnuale::refundEdited);
    m_warnedFor = m_c.Rimborso();
    curRimborso->setFocus();
    curRimborso->selectAll();
}

void frmCreditoAnnuale::refundEdited()
{
    const ParsedAmount parsed = parseAmount(curRimborso->text(), m_euro);
    if (!parsed.valid)
        return; // the OK says what is wrong with it
    const Money refund = parsed.value.value_or(Money());
    if (refund == m_warnedFor || refund < Money() || refund > CreditoAnnuale::RimborsoMassimo)
        return; // out of range: the OK refuses it
    m_warnedFor = refund;
    // Only the warning here: the OK takes the value.
    const Money kept = m_c.Rimborso();
    if (const QString warning = m_c.RimborsoChanged(refund); !warning.isEmpty())
        m_messages.warn(warning);
    m_c.setRimborso(kept);
}

bool frmCreditoAnnuale::ok()
{
    const auto take = [this](QLineEdit *f) { return typedAmount(m_messages, f, m_euro); };
    refundEdited(); // the warning of a refund above the credit, when OK came straight from typing
    const std::optional<Money> credito = take(curCreditoAnnuale);
    if (!credito)
        return false;
    const std::optional<Money> rimborso = take(curRimborso);
    if (!rimborso)
        return false;
    const Money creditoPrima = m_c.CreditoAnnualeIva(), rimborsoPrima = m_c.Rimborso();
    m_c.setCreditoAnnualeIva(*credito);
    m_c.setRimborso(*rimborso);
    const CreditoAnnuale::Campo wrong = m_c.Errato();
    if (!runShowingFailures(m_messages, [&] { m_c.Valida(); })) {
        m_c.setCreditoAnnualeIva(creditoPrima);
        m_c.setRimborso(rimborsoPrima);
        QLineEdit *f = wrong == CreditoAnnuale::Campo::Rimborso ? curRimborso : curCreditoAnnuale;
        f->setFocus();
        f->selectAll();
        return false;
    }
    accept();
    return true;
}

} // namespace liqiva
