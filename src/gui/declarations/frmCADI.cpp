#include "gui/declarations/frmCADI.h"

#include "domain/declarations/DeclarationDataEdit.h"
#include "domain/document/InputText.h"
#include "gui/common/AmountField.h"
#include "gui/common/DialogButtons.h"
#include "gui/common/FormRows.h"
#include "suite/Messages.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

frmCADI::frmCADI(Connection &db, DatiCADI &cadi, bool euro, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_core(std::make_unique<DatiCADIEdit>(db, cadi, euro)), m_messages(messages), m_euro(euro)
{
    setObjectName(u"frmCADI"_qs);
    setWindowTitle(DatiCADIEdit::titolo() + u" "_qs + QString::number(m_core->Anno()));
    for (int i = 0; i < 14; ++i)
        curCADI.append(amountField(QStringLiteral("curCADI_%1").arg(i), this, i >= 8 && i <= 11, 150));
    auto *attive = formGroup(u"Operazioni attive"_qs, this,
                             {{u"Totale operazioni attive (al netto dell'IVA)"_qs, curCADI[0]},
                              {u"di cui: operazioni non imponibili"_qs, curCADI[1]},
                              {u"operazioni esenti"_qs, curCADI[2]},
                              {u"cessioni intracomunitarie"_qs, curCADI[3]},
                              {u"cessioni beni strumentali"_qs, curCADI[12]}});
    auto *passive = formGroup(u"Operazioni passive"_qs, this,
                              {{u"Totale operazioni passive (al netto dell'IVA)"_qs, curCADI[4]},
                               {u"di cui: acquisti non imponibili"_qs, curCADI[5]},
                               {u"acquisti esenti"_qs, curCADI[6]},
                               {u"acquisti intracomunitari"_qs, curCADI[7]},
                               {u"acquisti beni strumentali"_qs, curCADI[13]}});
    auto *imports = formGroup(u"Importazioni senza pagamento dell'IVA in dogana"_qs, this,
                              {{u"Oro industriale e argento puro - Imponibile"_qs, curCADI[8]},
                               {u"Imposta"_qs, curCADI[9]},
                               {u"Rottami e altri materiali di recupero - Imponibile"_qs, curCADI[10]},
                               {u"Imposta"_qs, curCADI[11]}});
    chkEventiEccezionali = new QCheckBox(u"Eventi eccezionali"_qs, this);
    chkEventiEccezionali->setObjectName(u"chkEventiEccezionali"_qs);

    auto *root = new QVBoxLayout(this);
    root->addWidget(attive);
    root->addWidget(passive);
    root->addWidget(imports);
    root->addWidget(chkEventiEccezionali);
    QPushButton *cmdOk = addOkCancel(*this, *root).first;

    const DatiCADI shown = m_core->Mostrati();
    for (int i = 0; i < 14; ++i)
        curCADI[i]->setText(formatAmount(shown.byIndex(i), m_euro));
    chkEventiEccezionali->setChecked(shown.EventiEccezionali);
    connect(cmdOk, &QPushButton::clicked, this, &frmCADI::ok);
}

frmCADI::~frmCADI() = default;

bool frmCADI::ok()
{
    DatiCADI shown = m_core->Mostrati();
    Money *targets[] = {&shown.Imponibile, &shown.Imposta, &shown.ImponibileRottami, &shown.ImpostaRottami};
    for (int i = 8; i <= 11; ++i) {
        const std::optional<Money> typed = typedAmount(m_messages, curCADI[i], m_euro);
        if (!typed)
            return false;
        *targets[i - 8] = *typed;
    }
    shown.EventiEccezionali = chkEventiEccezionali->isChecked();
    if (const std::optional<Question> q = m_core->Domanda(shown); q && !ask(m_messages, *q)) {
        curCADI[shown.Imposta > shown.Imponibile ? 9 : 11]->setFocus();
        return false;
    }
    m_core->Conferma(shown);
    m_modify = true;
    accept();
    return true;
}

} // namespace liqiva
