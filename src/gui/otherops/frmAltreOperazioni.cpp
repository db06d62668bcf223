#include "gui/otherops/frmAltreOperazioni.h"
#include "gui/common/Failures.h"

#include "domain/document/InputText.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

frmAltreOperazioni::frmAltreOperazioni(Connection &db, cAltreOperazioni &dati, MessageService &messages, bool euro,
                                       bool readOnly, QWidget *parent)
    : QDialog(parent), m_db(db), m_dati(dati), m_messages(messages), m_euro(euro), m_readOnly(readOnly)
{
    setObjectName(u"frmAltreOperazioni"_qs);
    setWindowTitle(u"Altre Operazioni"_qs);
    auto *root = new QVBoxLayout(this);
    auto *hint = new QLabel(istruzioni(), this);
    hint->setWordWrap(true);
    root->addWidget(hint);

    root->addWidget(buildGrid());
    root->addLayout(buildFields());
    root->addLayout(buildButtons());
    connectControls();

    for (QWidget *w : std::initializer_list<QWidget *>{cboIva, curImponibile, curImposta, txtNote})
        w->setEnabled(!readOnly);
    fillGrid();
    if (m_dati.Count() == 0) {
        nuovo();
    } else {
        m_dati.MoveFirst();
        brwAltreOperazioni->selectRow(0);
        loadFields();
    }
    resize(640, 420);
}

// The grid of the operations entered.
QTableWidget *frmAltreOperazioni::buildGrid()
{
    brwAltreOperazioni = new QTableWidget(0, 4, this);
    brwAltreOperazioni->setObjectName(u"brwAltreOperazioni"_qs);
    brwAltreOperazioni->setHorizontalHeaderLabels({u"Aliquota IVA"_qs, u"Imponibile"_qs, u"Imposta"_qs, u"Note"_qs});
    brwAltreOperazioni->verticalHeader()->hide();
    brwAltreOperazioni->setEditTriggers(QAbstractItemView::NoEditTriggers);
    brwAltreOperazioni->setSelectionBehavior(QAbstractItemView::SelectRows);
    brwAltreOperazioni->setSelectionMode(QAbstractItemView::SingleSelection);
    brwAltreOperazioni->setColumnWidth(0, 110);
    brwAltreOperazioni->setColumnWidth(1, 130);
    brwAltreOperazioni->setColumnWidth(2, 130);
    brwAltreOperazioni->horizontalHeader()->setStretchLastSection(true);
    brwAltreOperazioni->setMinimumSize(560, 180);

    return brwAltreOperazioni;
}

// The fields of the operation chosen; the rates are the deductible ones.
QFormLayout *frmAltreOperazioni::buildFields()
{
    auto *form = new QFormLayout;
    cboIva = new QComboBox(this);
    cboIva->setObjectName(u"cboIva"_qs);
    cboIva->addItem(QString(), 0);
    for (const cAltreOperazioni::Aliquota &a : cAltreOperazioni::AliquoteDetraibili(m_db))
        cboIva->addItem(a.Descrizione.trimmed().isEmpty() ? a.Iva : a.Iva + u" - "_qs + a.Descrizione.trimmed(),
                        a.IDIva);
    curImponibile = new QLineEdit(this);
    curImponibile->setObjectName(u"curImponibile"_qs);
    curImponibile->setAlignment(Qt::AlignRight);
    curImposta = new QLineEdit(this);
    curImposta->setObjectName(u"curImposta"_qs);
    curImposta->setAlignment(Qt::AlignRight);
    txtNote = new QLineEdit(this);
    txtNote->setObjectName(u"txtNote"_qs);
    txtNote->setMaxLength(255);
    form->addRow(u"Aliquota IVA"_qs, cboIva);
    form->addRow(u"Imponibile"_qs, curImponibile);
    form->addRow(u"Imposta"_qs, curImposta);
    form->addRow(u"Note"_qs, txtNote);

    return form;
}

// Nuovo, Salva, Elimina and Chiudi, on the right.
QHBoxLayout *frmAltreOperazioni::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    buttons->addStretch();
    cmdNuovo = button(u"N&uovo"_qs, "cmdNuovo");
    cmdSalva = button(u"Sa&lva"_qs, "cmdSalva");
    cmdElimina = button(u"&Elimina"_qs, "cmdElimina");
    cmdChiudi = button(u"&Chiudi"_qs, "cmdChiudi");

    return buttons;
}

void frmAltreOperazioni::connectControls()
{
    connect(cmdNuovo, &QPushButton::clicked, this, &frmAltreOperazioni::nuovo);
    connect(cmdSalva, &QPushButton::clicked, this, &frmAltreOperazioni::salva);
    connect(cmdElimina, &QPushButton::clicked, this, &frmAltreOperazioni::elimina);
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    connect(cboIva, &QComboBox::currentIndexChanged, this, &frmAltreOperazioni::rateChosen);
    connect(curImponibile, &QLineEdit::textEdited, this, &frmAltreOperazioni::taxableChanged);
    connect(curImposta, &QLineEdit::textEdited, this, [this] {
        m_dirty = true;
        updateButtons();
    });
    connect(txtNote, &QLineEdit::textEdited, this, [this] {
        m_dirty = true;
        updateButtons();
    });
    connect(brwAltreOperazioni, &QTableWidget::currentCellChanged, this, &frmAltreOperazioni::rowSelected);
}

void frmAltreOperazioni::fillGrid()
{
    m_filling = true;
    const QVector<AltraOperazione> rows = m_dati.DocumentData();
    brwAltreOperazioni->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const AltraOperazione &op = rows[r];
        const auto cell = [&](int c, const QString &text, bool amount) {
            auto *item = new QTableWidgetItem(text);
            if (amount)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            brwAltreOperazioni->setItem(r, c, item);
        };
        cell(0, op.Iva, false);
        cell(1, formatAmount(op.Imponibile, m_euro), true);
        cell(2, formatAmount(op.Imposta, m_euro), true);
        cell(3, op.Annotazioni, false);
    }
    m_filling = false;
}

void frmAltreOperazioni::loadFields()
{
    m_filling = true;
    const int index = cboIva->findData(m_dati.IDIva());
    cboIva->setCurrentIndex(index < 0 ? 0 : index);
    m_aliquota = cAltreOperazioni::AliquotaIva(m_db, m_dati.IDIva());
    curImponibile->setText(formatAmount(m_dati.Imponibile(), m_euro));
    curImposta->setText(formatAmount(m_dati.Imposta(), m_euro));
    txtNote->setText(m_dati.Annotazioni());
    m_filling = false;
    m_dirty = false;
    updateButtons();
}

void frmAltreOperazioni::updateButtons()
{
    cmdNuovo->setEnabled(!m_readOnly);
    cmdSalva->setEnabled(!m_readOnly && m_dirty);
    cmdElimina->setEnabled(!m_readOnly && !m_dati.isAdding() && m_dati.Count() > 0);
    // A button that cannot be used says why.
    const QString rights = u"Diritti non sufficienti per modificare le operazioni."_qs;
    cmdNuovo->setToolTip(m_readOnly ? rights : QString());
    cmdSalva->setToolTip(m_readOnly ? rights : !m_dirty ? u"Nessuna modifica da salvare."_qs : QString());
    cmdElimina->setToolTip(m_readOnly            ? rights
                           : m_dati.isAdding()   ? u"L'operazione nuova non è ancora salvata."_qs
                           : m_dati.Count() == 0 ? u"Nessuna operazione da eliminare."_qs
                                                 : QString());
}

void frmAltreOperazioni::rowSelected()
{
    if (m_filling)
        return;
    const int row = brwAltreOperazioni->currentRow();
    if (row < 0)
        return;
    m_dati.UndoAdd();
    m_dati.MoveFirst();
    for (int i = 0; i < row; ++i)
        m_dati.MoveNext();
    loadFields();
}

void frmAltreOperazioni::rateChosen()
{
    if (m_filling)
        return;
    m_aliquota = cAltreOperazioni::AliquotaIva(m_db, cboIva->currentData().toInt());
    m_dirty = true;
    taxableChanged();
}

void frmAltreOperazioni::taxableChanged()
{
    if (m_filling)
        return;
    m_dirty = true;
    const ParsedAmount parsed = parseAmount(curImponibile->text(), m_euro);
    if (parsed.valid && parsed.value) {
        if (const auto tax = cAltreOperazioni::CalcolaImposta(*parsed.value, m_aliquota, m_euro))
            curImposta->setText(formatAmount(*tax, m_euro));
    }
    updateButtons();
}

void frmAltreOperazioni::nuovo()
{
    m_dati.Add();
    m_filling = true;
    cboIva->setCurrentIndex(0);
    curImponibile->clear();
    curImposta->clear();
    txtNote->clear();
    brwAltreOperazioni->clearSelection();
    m_filling = false;
    m_aliquota = Percent();
    m_dirty = false;
    updateButtons();
    cboIva->setFocus();
}

bool frmAltreOperazioni::salva()
{
    if (m_readOnly)
        return false;
    for (QLineEdit *f : {curImponibile, curImposta}) {
        const ParsedAmount parsed = parseAmount(f->text(), m_euro);
        if (!parsed.valid) {
            m_messages.warn(msgInvalidAmount(f->text(), m_euro));
            f->setFocus();
            f->selectAll();
            return false;
        }
    }
    m_dati.setIDIva(cboIva->currentData().toInt());
    m_dati.setImponibile(parseAmount(curImponibile->text(), m_euro).value.value_or(Money()));
    m_dati.setImposta(parseAmount(curImposta->text(), m_euro).value.value_or(Money()));
    m_dati.setAnnotazioni(txtNote->text());
    bool saved = false;
    if (!runShowingFailures(m_messages, [&] { saved = m_dati.Save(); })) {
        (m_dati.IDIva() == 0 ? static_cast<QWidget *>(cboIva) : curImponibile)->setFocus();
        return false;
    }
    if (!saved)
        return false;
    m_changed = true;
    const int position = m_dati.AbsolutePosition();
    fillGrid();
    m_filling = true;
    brwAltreOperazioni->selectRow(position);
    m_filling = false;
    m_dirty = false;
    updateButtons();
    return true;
}

void frmAltreOperazioni::elimina()
{
    if (m_readOnly || m_dati.Count() == 0)
        return;
    m_dati.Delete();
    m_changed = true;
    fillGrid();
    if (m_dati.Count() == 0) {
        nuovo();
        return;
    }
    if (m_dati.atEOF())
        m_dati.MoveLast();
    if (m_dati.atBOF())
        m_dati.MoveFirst();
    m_filling = true;
    brwAltreOperazioni->selectRow(m_dati.AbsolutePosition());
    m_filling = false;
    loadFields();
}

} // namespace liqiva
