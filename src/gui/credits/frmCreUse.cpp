#include "gui/credits/frmCreUse.h"
#include "gui/common/Failures.h"

#include "domain/credits/CreditUse.h"
#include "domain/document/InputText.h"
#include "gui/common/DialogButtons.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

QTableWidgetItem *cell(const QString &text, bool editable, bool right)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::ItemIsEnabled);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

frmCreUse::frmCreUse(CreditUse &use, MessageService &messages, bool euro, QWidget *parent)
    : QDialog(parent), m_use(use), m_messages(messages), m_euro(euro)
{
    setObjectName(u"frmCreUse"_qs);
    setWindowTitle(CreditUse::caption());
    auto *root = new QVBoxLayout(this);
    stbCrediti = new QTabWidget(this);
    stbCrediti->setObjectName(u"stbCrediti"_qs);
    for (int g = 0; g < m_use.groupCount(); ++g) {
        const CreditUse::Group &group = m_use.group(g);
        // Rows: the month before, the causes, the amount used, what is left.
        auto *grid = new QTableWidget(int(group.causes.size()) + 3, 3, stbCrediti);
        grid->setObjectName(QStringLiteral("spdCrediti%1").arg(g + 1));
        grid->setHorizontalHeaderLabels({u"Descrizione"_qs, u"Segno"_qs, u"Importo"_qs});
        grid->verticalHeader()->hide();
        grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        grid->setColumnWidth(1, 60);
        grid->setColumnWidth(2, 150);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setTabKeyNavigation(false);
        grid->setMinimumWidth(660);
        grid->setColumnWidth(2, 130);
        grid->setWordWrap(false);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
        // Every row in sight: the grid is short.
        grid->setMinimumHeight(grid->rowCount() * grid->verticalHeader()->defaultSectionSize() +
                               grid->horizontalHeader()->sizeHint().height() + 2 * grid->frameWidth() + 2);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setItem(0, 0, cell(u"Residuo mese precedente"_qs, false, false));
        grid->setItem(0, 1, cell(QString(), false, false));
        grid->setItem(0, 2, cell(QString(), false, true));
        for (int c = 0; c < group.causes.size(); ++c) {
            grid->setItem(c + 1, 0, cell(group.causes[c].text, false, false));
            grid->setItem(c + 1, 1, cell(group.causes[c].sign, false, false));
            grid->item(c + 1, 1)->setTextAlignment(Qt::AlignCenter);
            grid->setItem(c + 1, 2, cell(QString(), false, true));
        }
        const int used = usedRow(g);
        grid->setItem(used, 0, cell(CreditUse::lblUsed(), false, false));
        grid->setItem(used, 1, cell(u"-"_qs, false, false));
        grid->item(used, 1)->setTextAlignment(Qt::AlignCenter);
        grid->setItem(used, 2, cell(QString(), !m_use.readOnly(), true));
        grid->setItem(used + 1, 0, cell(u"Residuo del mese"_qs, false, false));
        grid->setItem(used + 1, 1, cell(QString(), false, false));
        grid->setItem(used + 1, 2, cell(QString(), false, true));
        QFont bold = grid->font();
        bold.setBold(true);
        grid->item(used + 1, 0)->setFont(bold);
        grid->item(used + 1, 2)->setFont(bold);
        connect(grid, &QTableWidget::itemChanged, this, [this, g](QTableWidgetItem *item) { cellEdited(g, item); });
        m_grids.append(grid);
        stbCrediti->addTab(grid, group.title);
    }
    root->addWidget(stbCrediti);
    auto *total = new QHBoxLayout;
    total->addWidget(new QLabel(u"Credito residuo totale:"_qs, this));
    lblResiduoTotale = new QLabel(this);
    lblResiduoTotale->setObjectName(u"lblResiduoTotale"_qs);
    total->addWidget(lblResiduoTotale);
    total->addStretch(1);
    root->addLayout(total);

    std::tie(cmdOk, cmdAnnulla) = addOkCancel(*this, *root);
    connect(cmdOk, &QPushButton::clicked, this, &frmCreUse::ok);
    show();
    if (!m_grids.isEmpty()) {
        m_grids[0]->setCurrentCell(usedRow(0), 2);
        m_grids[0]->setFocus();
    }
}

int frmCreUse::usedRow(int group) const
{
    return int(m_use.group(group).causes.size()) + 1;
}

void frmCreUse::show()
{
    m_loading = true;
    for (int g = 0; g < m_grids.size(); ++g) {
        const CreditUse::Group &group = m_use.group(g);
        QTableWidget *grid = m_grids[g];
        grid->item(0, 2)->setText(formatAmount(group.residuoPrecedente, m_euro));
        for (int c = 0; c < group.causes.size(); ++c)
            grid->item(c + 1, 2)->setText(formatAmount(group.causes[c].amount, m_euro));
        grid->item(usedRow(g), 2)->setText(formatAmount(group.daUtilizzare, m_euro));
        grid->item(usedRow(g) + 1, 2)->setText(formatAmount(group.residuoMese(), m_euro));
    }
    lblResiduoTotale->setText(formatAmount(m_use.creditoResiduoTotale(), m_euro));
    m_loading = false;
}

void frmCreUse::cellEdited(int group, QTableWidgetItem *item)
{
    if (m_loading || !item || item->row() != usedRow(group) || item->column() != 2)
        return;
    const ParsedAmount parsed = parseAmount(item->text(), m_euro);
    if (!parsed.valid) {
        show();
        m_messages.warn(msgInvalidAmount(item->text(), m_euro));
        return;
    }
    runShowingFailures(m_messages, [&] { m_use.setDaUtilizzare(group, parsed.value.value_or(Money())); });
    show();
}

bool frmCreUse::ok()
{
    for (QTableWidget *grid : std::as_const(m_grids)) {
        if (QWidget *editor = QApplication::focusWidget(); editor && editor != grid && grid->isAncestorOf(editor)) {
            Q_EMIT grid->itemDelegate()->commitData(editor);
            Q_EMIT grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    if (m_use.readOnly()) {
        reject();
        return false;
    }
    if (const std::optional<CreditProblem> problem = m_use.IsValid()) {
        m_messages.warn(problem->message);
        stbCrediti->setCurrentIndex(problem->row);
        m_grids[problem->row]->setFocus();
        m_grids[problem->row]->setCurrentCell(usedRow(problem->row), 2);
        return false;
    }
    accept();
    return true;
}

} // namespace liqiva
