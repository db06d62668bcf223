#include "gui/document/CodeSearchDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

CodeSearchDialog::CodeSearchDialog(const CodeSearch &search, std::vector<CodeSearchRow> rows, QWidget *parent)
    : QDialog(parent), m_rows(std::move(rows))
{
    setObjectName(u"frmCodeSearch"_qs);
    setWindowTitle(search.title);

    auto *filterLabel = new QLabel(u"&Cerca:"_qs, this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(u"txtCerca"_qs);
    filterLabel->setBuddy(m_filter);

    m_table = new QTableWidget(int(m_rows.size()), int(search.headings.size()), this);
    m_table->setObjectName(u"lstRicerca"_qs);
    m_table->setHorizontalHeaderLabels(search.headings);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setTabKeyNavigation(false);
    for (int r = 0; r < int(m_rows.size()); ++r)
        for (int c = 0; c < int(m_rows[r].values.size()) && c < m_table->columnCount(); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(m_rows[r].values[c]));
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    if (!m_rows.empty())
        m_table->selectRow(0);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"Annulla"_qs);

    auto *layout = new QVBoxLayout(this);
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter, 1);
    layout->addLayout(filterRow);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(520, 380);

    connect(m_filter, &QLineEdit::textChanged, this, &CodeSearchDialog::narrow);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { takeCurrent(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { takeCurrent(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Up and down in the filter box move through the list.
    m_filter->installEventFilter(this);
    m_filter->setFocus();
}

const CodeSearchRow *CodeSearchDialog::chosen() const
{
    return m_chosen >= 0 ? &m_rows[m_chosen] : nullptr;
}

void CodeSearchDialog::narrow(const QString &text)
{
    const QString wanted = text.trimmed();
    int first = -1;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        bool shown = wanted.isEmpty();
        for (const QString &value : m_rows[r].values)
            shown = shown || value.contains(wanted, Qt::CaseInsensitive);
        m_table->setRowHidden(r, !shown);
        if (shown && first < 0)
            first = r;
    }
    if (first >= 0)
        m_table->selectRow(first);
    else
        m_table->clearSelection();
}

void CodeSearchDialog::selectCode(const QString &code)
{
    for (int r = 0; r < int(m_rows.size()); ++r)
        if (!m_table->isRowHidden(r) && m_rows[r].code == code.trimmed()) {
            m_table->selectRow(r);
            return;
        }
}

bool CodeSearchDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QKeyEvent copy(QEvent::KeyPress, key, static_cast<QKeyEvent *>(event)->modifiers());
            QCoreApplication::sendEvent(m_table, &copy);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CodeSearchDialog::takeCurrent()
{
    const QList<QTableWidgetItem *> selected = m_table->selectedItems();
    if (selected.isEmpty() || m_table->isRowHidden(selected.first()->row()))
        return;
    m_chosen = selected.first()->row();
    accept();
}

} // namespace liqiva
