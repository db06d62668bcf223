#include "gui/document/frmNew.h"

#include "database/DbError.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace liqiva {

frmNew::frmNew(Connection &db, MessageService &messages, int idAzienda, int idUser, QWidget *parent)
    : QDialog(parent), m_messages(messages), m_logic(db, idAzienda, idUser)
{
    setObjectName(u"frmNew"_qs);
    setWindowTitle(u"Nuovo"_qs);
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildChoices());
    layout->addLayout(buildButtons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connectControls();

    load();
    cboAttivita->setFocus(Qt::OtherFocusReason);
}

// The frame of the four choices and the check box, each label the buddy of its control.
QFrame *frmNew::buildChoices()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(u"fraNuovo"_qs);
    frame->setFrameShape(QFrame::StyledPanel);

    cboAttivita = new QComboBox(frame);
    cboAttivita->setObjectName(u"cboAttivita"_qs);
    cboPeriodoIva = new QComboBox(frame);
    cboPeriodoIva->setObjectName(u"cboPeriodoIva"_qs);
    cboMese = new QComboBox(frame);
    cboMese->setObjectName(u"cboMese"_qs);
    cboMetodo = new QComboBox(frame);
    cboMetodo->setObjectName(u"cboMetodo"_qs);
    chkNoMakeDatiIva = new QCheckBox(u"&Non eseguire la ricostruzione dati IVA"_qs, frame);
    chkNoMakeDatiIva->setObjectName(u"chkNoMakeDatiIva"_qs);
    for (QComboBox *c : {cboAttivita, cboPeriodoIva, cboMese, cboMetodo}) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(24);
    }

    // The four labels of the frame, each the buddy of its control (the access key moves there).
    struct LabelDef {
        const char *name;
        QString text;
        QComboBox *buddy;
    };
    const LabelDef labels[] = {
        {"lblAttivita", u"&Attività:"_qs, cboAttivita},
        {"lblPeriodoIva", u"&Periodo IVA:"_qs, cboPeriodoIva},
        {"lblMese", u"&Mese:"_qs, cboMese},
        {"lblMetodo", u"Metodo &calcolo acconto dicembre:"_qs, cboMetodo},
    };
    auto *grid = new QGridLayout(frame);
    int row = 0;
    for (const LabelDef &l : labels) {
        auto *label = new QLabel(l.text, frame);
        label->setObjectName(QString::fromLatin1(l.name));
        label->setBuddy(l.buddy);
        grid->addWidget(label, row, 0);
        grid->addWidget(l.buddy, row, 1);
        if (l.buddy == cboMetodo)
            lblMetodo = label;
        ++row;
    }
    grid->addWidget(chkNoMakeDatiIva, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    return frame;
}

// OK and Annulla, on the right.
QHBoxLayout *frmNew::buildButtons()
{
    cmdOk = new QPushButton(u"OK"_qs, this);
    cmdOk->setObjectName(u"cmdOk"_qs);
    cmdOk->setDefault(true);
    cmdAnnulla = new QPushButton(u"Annulla"_qs, this);
    cmdAnnulla->setObjectName(u"cmdAnnulla"_qs);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdAnnulla);

    return buttons;
}

// The tab order, the month's keys and the signals.
void frmNew::connectControls()
{
    setTabOrder(cboAttivita, cboPeriodoIva);
    setTabOrder(cboPeriodoIva, cboMese);
    setTabOrder(cboMese, cboMetodo);
    setTabOrder(cboMetodo, chkNoMakeDatiIva);
    setTabOrder(chkNoMakeDatiIva, cmdOk);
    setTabOrder(cmdOk, cmdAnnulla);

    cboMese->installEventFilter(this);
    connect(cboAttivita, &QComboBox::currentIndexChanged, this, &frmNew::selectionChanged);
    connect(cboPeriodoIva, &QComboBox::currentIndexChanged, this, &frmNew::selectionChanged);
    connect(cboMese, &QComboBox::currentIndexChanged, this, &frmNew::periodChanged);
    connect(cmdOk, &QPushButton::clicked, this, &frmNew::ok);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmNew::reject);
}

void frmNew::load()
{
    const QSignalBlocker b1(cboAttivita), b2(cboPeriodoIva), b3(cboMese);
    m_loadFailed = !runShowingFailures(m_messages, [&] {
        for (const NewSettlement::Choice &c : m_logic.vatYears())
            cboPeriodoIva->addItem(c.text, c.key);
        for (const NewSettlement::Choice &c : m_logic.activities())
            cboAttivita->addItem(c.text, c.key);
        cboPeriodoIva->setCurrentIndex(-1);
        cboAttivita->setCurrentIndex(-1);

        if (const int year = m_logic.proposeYear(); year > 0)
            selectKey(cboPeriodoIva, year);
        selectKey(cboAttivita, m_logic.proposeActivity(chosenKey(cboPeriodoIva)));

        sbSetComboMesi();
        const int a = chosenKey(cboAttivita), y = chosenKey(cboPeriodoIva);
        if (a > 0 && y > 0) {
            const int proposed = m_logic.proposePeriodIndex(a, y);
            if (proposed >= 0 && proposed < cboMese->count())
                cboMese->setCurrentIndex(proposed);
        }
    });
    cboMetodo->addItems({u"Metodo analitico"_qs, u"Metodo storico"_qs, u"Metodo previsionale"_qs});
    cboMetodo->setCurrentIndex(0);
    periodChanged();
    cmdOk->setEnabled(!m_loadFailed && cboAttivita->currentIndex() != -1 && cboPeriodoIva->currentIndex() != -1);
}

frmNew::Selection frmNew::selection() const
{
    return {chosenKey(cboAttivita), chosenKey(cboPeriodoIva), cboMese->currentText(), cboMetodo->currentIndex()};
}

void frmNew::select(const Selection &s)
{
    if (m_loadFailed)
        return;
    {
        const QSignalBlocker b1(cboAttivita), b2(cboPeriodoIva), b3(cboMese);
        if (const int i = cboAttivita->findData(s.activity); s.activity > 0 && i >= 0)
            cboAttivita->setCurrentIndex(i);
        if (const int i = cboPeriodoIva->findData(s.vatYear); s.vatYear > 0 && i >= 0)
            cboPeriodoIva->setCurrentIndex(i);
        runShowingFailures(m_messages, [&] { sbSetComboMesi(); });
        if (const int i = cboMese->findText(s.period); !s.period.isEmpty() && i >= 0)
            cboMese->setCurrentIndex(i);
    }
    cboMetodo->setCurrentIndex(qBound(0, s.method, cboMetodo->count() - 1));
    periodChanged();
    cmdOk->setEnabled(cboAttivita->currentIndex() != -1 && cboPeriodoIva->currentIndex() != -1);
}

void frmNew::selectKey(QComboBox *combo, int key)
{
    // A key of 0 (nothing proposed) selects nothing.
    combo->setCurrentIndex(key > 0 ? combo->findData(key) : -1);
}

int frmNew::chosenKey(const QComboBox *combo) const
{
    return combo->currentIndex() < 0 ? 0 : combo->currentData().toInt();
}

void frmNew::sbSetComboMesi()
{
    const int index = m_logic.sbSetComboMesi(chosenKey(cboAttivita), chosenKey(cboPeriodoIva), cboMese->currentIndex());
    const QSignalBlocker block(cboMese);
    cboMese->clear();
    cboMese->addItems(m_logic.periodList());
    cboMese->setCurrentIndex(index);
}

void frmNew::selectionChanged()
{
    runShowingFailures(m_messages, [&] { sbSetComboMesi(); });
    periodChanged();
    cmdOk->setEnabled(cboAttivita->currentIndex() != -1 && cboPeriodoIva->currentIndex() != -1);
}

void frmNew::periodChanged()
{
    // The advance method belongs to the December advance alone, and the advance never
    // skips the VAT-data rebuild.
    const bool advance = cboMese->count() > 0 && m_logic.isAdvanceIndex(cboMese->currentIndex());
    lblMetodo->setEnabled(advance);
    cboMetodo->setEnabled(advance);
    chkNoMakeDatiIva->setEnabled(!advance);
}

bool frmNew::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cboMese && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        cboMese->setCurrentIndex(0);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmNew::ok()
{
    int result = 2;
    if (!runShowingFailures(m_messages, [&] {
            result = m_logic.confirmAsking(m_messages, chosenKey(cboAttivita), chosenKey(cboPeriodoIva),
                                           cboMese->currentIndex(), cboMetodo->currentIndex(),
                                           chkNoMakeDatiIva->isChecked());
        }))
        return;
    if (result != 1)
        return; // refused: the dialog stays open for another choice
    m_result = 1;
    accept();
}

void frmNew::reject()
{
    m_result = 2;
    QDialog::reject();
}

} // namespace liqiva
