#include "gui/credits/frmProsp.h"
#include "gui/common/Failures.h"

#include "domain/credits/Prospetto.h"
#include "domain/document/InputText.h"
#include "gui/common/DialogButtons.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

frmProsp::frmProsp(Prospetto &prospetto, MessageService &messages, bool euro, QWidget *parent)
    : QDialog(parent), m_p(prospetto), m_messages(messages), m_euro(euro)
{
    setObjectName(u"frmProsp"_qs);
    setWindowTitle(m_p.caption());
    auto *root = new QVBoxLayout(this);
    spdProsp = new QTableWidget(m_p.rowCount(), 2, this);
    spdProsp->setObjectName(u"spdProsp"_qs);
    spdProsp->setHorizontalHeaderLabels({u"A"_qs, u"B"_qs});
    QStringList rows;
    for (int r = 1; r <= m_p.rowCount(); ++r)
        rows << QString::number(r);
    spdProsp->setVerticalHeaderLabels(rows);
    spdProsp->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    spdProsp->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    spdProsp->setColumnWidth(1, 150);
    spdProsp->verticalHeader()->setDefaultSectionSize(spdProsp->fontMetrics().height() + 8);
    spdProsp->setSelectionMode(QAbstractItemView::SingleSelection);
    spdProsp->setTabKeyNavigation(false);
    spdProsp->setWordWrap(false);
    const int height = m_p.rowCount() * spdProsp->verticalHeader()->defaultSectionSize() +
                       spdProsp->horizontalHeader()->sizeHint().height() + 2 * spdProsp->frameWidth() + 2;
    spdProsp->setMinimumHeight(height);
    spdProsp->setMinimumWidth(640);
    const QColor locked = palette().color(QPalette::Window);
    for (int r = 0; r < m_p.rowCount(); ++r) {
        auto *text = new QTableWidgetItem(m_p.rowText(r));
        text->setFlags(Qt::ItemIsEnabled);
        auto *amount = new QTableWidgetItem;
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (m_p.isLocked(r)) {
            amount->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            amount->setBackground(locked);
        } else {
            amount->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        }
        if (m_p.isFormula(r) || r == m_p.totalRow()) {
            QFont f = text->font();
            f.setBold(r == m_p.totalRow());
            text->setFont(f);
            amount->setFont(f);
            amount->setToolTip(m_p.formula(r));
        }
        spdProsp->setItem(r, 0, text);
        spdProsp->setItem(r, 1, amount);
    }
    root->addWidget(spdProsp);
    connect(spdProsp, &QTableWidget::itemChanged, this, &frmProsp::cellEdited);

    if (m_p.type() == Prospetto::CreditoInfrannuale)
        root->addLayout(buildLetters());

    std::tie(cmdOk, cmdAnnulla) = addOkCancel(*this, *root);
    connect(cmdOk, &QPushButton::clicked, this, &frmProsp::ok);
    show();
    // The cursor starts on the first cell that takes typing.
    for (int r = 0; r < m_p.rowCount(); ++r) {
        if (!m_p.isLocked(r)) {
            spdProsp->setCurrentCell(r, 1);
            break;
        }
    }
    spdProsp->setFocus();
}

// The three letters of the infra-annual refund; letter c) switches the formula of B6.
QHBoxLayout *frmProsp::buildLetters()
{
    const char *names[] = {"chkAliqMediaLettA", "chkOpNonImpLettB", "chkAcquistiBeni"};
    const char *captions[] = {"Aliquota media lett. a)", "Operazioni non imponibili lett. b)",
                              "Acquisto beni ammortizzabili lett. c)"};
    auto *letters = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        m_letters[i] = new QCheckBox(QString::fromUtf8(captions[i]), this);
        m_letters[i]->setObjectName(QString::fromLatin1(names[i]));
        m_letters[i]->setChecked(m_p.letter(i));
        m_letters[i]->setEnabled(!m_p.readOnly());
        letters->addWidget(m_letters[i]);
        connect(m_letters[i], &QCheckBox::toggled, this, [this, i](bool on) {
            if (m_loading)
                return;
            m_p.setLetter(i, on);
            show();
        });
    }
    letters->addStretch(1);
    return letters;
}

void frmProsp::show()
{
    m_loading = true;
    for (int r = 0; r < m_p.rowCount(); ++r) {
        const QString error = m_p.error(r);
        QTableWidgetItem *item = spdProsp->item(r, 1);
        item->setText(error.isEmpty() ? formatAmount(m_p.value(r), m_euro) : u"#ERRORE"_qs);
        if (!error.isEmpty())
            item->setToolTip(error);
    }
    m_loading = false;
}

void frmProsp::cellEdited(QTableWidgetItem *item)
{
    if (m_loading || !item || item->column() != 1)
        return;
    const ParsedAmount parsed = parseAmount(item->text(), m_euro);
    bool taken = false;
    if (!parsed.valid) {
        show();
        m_messages.warn(msgInvalidAmount(item->text(), m_euro));
    } else {
        taken = runShowingFailures(m_messages, [&] { m_p.setValue(item->row(), parsed.value.value_or(Money())); });
        show();
    }
    if (!taken)
        spdProsp->setCurrentCell(item->row(), 1);
}

bool frmProsp::commitEditor()
{
    if (QWidget *editor = QApplication::focusWidget(); editor && editor != spdProsp && spdProsp->isAncestorOf(editor)) {
        Q_EMIT spdProsp->itemDelegate()->commitData(editor);
        Q_EMIT spdProsp->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    return true;
}

bool frmProsp::ok()
{
    commitEditor();
    if (m_p.readOnly()) {
        reject(); // nothing to take
        return false;
    }
    if (const std::optional<CreditProblem> problem = m_p.IsValid()) {
        m_messages.warn(problem->message);
        if (problem->letter >= 0 && m_letters[problem->letter]) {
            m_letters[problem->letter]->setFocus();
        } else if (problem->row >= 0) {
            spdProsp->setFocus();
            spdProsp->setCurrentCell(problem->row, 1);
        }
        return false;
    }
    accept();
    return true;
}

} // namespace liqiva
