#include "gui/credits/frmCIC.h"
#include "gui/common/AmountField.h"
#include "gui/common/Failures.h"

#include "domain/credits/CreditoCompensabile.h"
#include "domain/document/InputText.h"
#include "gui/common/DialogButtons.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

frmCIC::frmCIC(CreditoCompensabile &cic, MessageService &messages, bool euro, QWidget *parent)
    : QDialog(parent), m_c(cic), m_messages(messages), m_euro(euro)
{
    setObjectName(u"frmCIC"_qs);
    setWindowTitle(CreditoCompensabile::caption());
    auto *root = new QVBoxLayout(this);
    auto *form = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(CreditoCompensabile::label(i), this);
        curCICAmount[i] = new QLineEdit(this);
        curCICAmount[i]->setObjectName(QStringLiteral("curCICAmount(%1)").arg(i));
        curCICAmount[i]->setAlignment(Qt::AlignRight);
        curCICAmount[i]->setMinimumWidth(160);
        curCICAmount[i]->setReadOnly(m_c.isLocked(i));
        if (m_c.isLocked(i)) {
            curCICAmount[i]->setFocusPolicy(Qt::ClickFocus);
            QPalette p = curCICAmount[i]->palette();
            p.setColor(QPalette::Base, p.color(QPalette::Window));
            curCICAmount[i]->setPalette(p);
        }
        label->setBuddy(curCICAmount[i]);
        form->addWidget(label, i, 0);
        form->addWidget(curCICAmount[i], i, 1);
        if (!m_c.isLocked(i)) {
            connect(curCICAmount[i], &QLineEdit::editingFinished, this, [this, i] {
                if (curCICAmount[i]->isModified())
                    take(i);
            });
            // The end of the period follows the typing; a wrong amount is told when the box
            // is left.
            connect(curCICAmount[i], &QLineEdit::textEdited, this, [this, i](const QString &text) {
                const ParsedAmount parsed = parseAmount(text, m_euro);
                if (!parsed.valid)
                    return;
                try {
                    m_c.setValue(i, parsed.value.value_or(Money()));
                } catch (const Refusal &) {
                    return;
                }
                curCICAmount[CreditoCompensabile::Fine]->setText(
                    formatAmount(m_c.value(CreditoCompensabile::Fine), m_euro));
            });
        }
    }
    root->addLayout(form);
    chkPrintCIC = new QCheckBox(u"Riportare in stampa"_qs, this);
    chkPrintCIC->setObjectName(u"chkPrintCIC"_qs);
    chkPrintCIC->setChecked(m_c.printFlag());
    chkPrintCIC->setEnabled(!m_c.readOnly());
    root->addWidget(chkPrintCIC);

    std::tie(cmdOk, cmdAnnulla) = addOkCancel(*this, *root);
    connect(cmdOk, &QPushButton::clicked, this, &frmCIC::ok);
    show();
    curCICAmount[0]->setFocus();
    curCICAmount[0]->selectAll();
}

void frmCIC::show()
{
    for (int i = 0; i < 4; ++i) {
        curCICAmount[i]->setText(formatAmount(m_c.value(i), m_euro));
        curCICAmount[i]->setModified(false);
    }
}

bool frmCIC::take(int field)
{
    QLineEdit *box = curCICAmount[field];
    const std::optional<Money> typed = typedAmount(m_messages, box, m_euro);
    if (!typed)
        return false;
    if (!runShowingFailures(m_messages, [&] { m_c.setValue(field, *typed); })) {
        box->setFocus();
        box->selectAll();
        return false;
    }
    show();
    return true;
}

bool frmCIC::ok()
{
    if (m_c.readOnly()) {
        reject();
        return false;
    }
    for (int i : {int(CreditoCompensabile::Inizio), int(CreditoCompensabile::UtiF24)})
        if (curCICAmount[i]->isModified() && !take(i))
            return false;
    m_c.setPrintFlag(chkPrintCIC->isChecked());
    if (const std::optional<CreditProblem> problem = m_c.IsValid()) {
        m_messages.warn(problem->message);
        curCICAmount[problem->row]->setFocus();
        curCICAmount[problem->row]->selectAll();
        return false;
    }
    accept();
    return true;
}

} // namespace liqiva
