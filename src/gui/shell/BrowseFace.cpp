#include "gui/shell/BrowseFace.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "domain/document/SavedSettlements.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace liqiva {

// ---- BrowseModel ---------------------------------------------------------------------------

BrowseModel::BrowseModel(QObject *parent) : QAbstractTableModel(parent)
{
    for (int i = 0; i < int(browseColumns().size()); ++i)
        if (browseColumns().at(i).shown)
            m_columns.push_back(i);
}

void BrowseModel::load(Connection &db, const SqlStatement &sql, const std::vector<BrowseCondition> &conditions,
                       const QHash<int, Money> &balances)
{
    const auto &columns = browseColumns();
    QStringList fields;
    for (const BrowseColumn &c : columns)
        fields << c.field;

    QList<int> keys;
    std::vector<QStringList> texts;
    Recordset rs = db.openRecordset(sql);
    for (; !rs.eof(); rs.moveNext()) {
        const int idMese = rs.integer(u"IDMese"_qs);
        const int key = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
        const auto balance = balances.constFind(key);
        QVariantList values;
        QStringList all;
        for (const BrowseColumn &c : columns) {
            QVariant v;
            if (c.field == browseToPayField()) {
                if (balance != balances.cend() && *balance >= Money())
                    v = QVariant::fromValue(*balance);
            } else if (c.field == browseCreditField()) {
                if (balance != balances.cend() && *balance < Money())
                    v = QVariant::fromValue(-*balance);
            } else {
                v = rs.field(c.field);
            }
            values << v;
            all << browseDisplayText(c.field, v, idMese);
        }
        if (!rowMatches(conditions, fields, values, all))
            continue;
        keys << key;
        QStringList shown;
        for (const int c : m_columns)
            shown << all.at(c);
        texts.push_back(shown);
    }
    beginResetModel();
    m_keys = std::move(keys);
    m_texts = std::move(texts);
    endResetModel();
}

int BrowseModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size());
}

int BrowseModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant BrowseModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_texts.at(index.row()).value(index.column());
    if (role == Qt::TextAlignmentRole && browseColumns().at(m_columns.at(index.column())).numeric)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::UserRole)
        return m_keys.at(index.row());
    return {};
}

QVariant BrowseModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < int(m_columns.size()) ? browseColumns().at(m_columns.at(section)).heading : QVariant();
    return section + 1;
}

int BrowseModel::keyAt(int row) const
{
    return row >= 0 && row < m_keys.size() ? m_keys.at(row) : 0;
}

int BrowseModel::rowOf(int key) const
{
    return int(m_keys.indexOf(key));
}

// ---- BrowseFace ----------------------------------------------------------------------------

BrowseFace::BrowseFace(MessageService &messages, QWidget *parent)
    : QWidget(parent), m_messages(messages), m_model(new BrowseModel(this)), m_stack(new QStackedWidget(this)),
      m_grid(new QTableView(this)), m_filterLabel(new QLabel(this)), m_emptyLabel(new QLabel(this)),
      m_filterPage(new QWidget(this)), m_conditionList(new QListWidget(this)), m_field(new QComboBox(this)),
      m_operator(new QComboBox(this)), m_value(new QLineEdit(this)), m_add(new QPushButton(u"&Aggiungi"_qs, this))
{
    setObjectName(u"brwMain"_qs);
    buildGrid();
    m_stack->addWidget(buildTablePage());
    buildFilterPage();
    m_stack->addWidget(m_filterPage);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_stack);
}

void BrowseFace::buildGrid()
{
    m_grid->setObjectName(u"grdBrowse"_qs);
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->setVisible(false);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    // Columns as wide as their contents; the description takes what is left.
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    if (const int description = gridColumnOf(u"DescrizioneAttivita"_qs); description >= 0)
        m_grid->horizontalHeader()->setSectionResizeMode(description, QHeaderView::Stretch);
    // A heading is never cut: a column is at least as wide as its heading.
    m_grid->horizontalHeader()->setMinimumSectionSize(60);
    m_grid->horizontalHeader()->setTextElideMode(Qt::ElideNone);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &i) {
        if (i.isValid())
            Q_EMIT rowActivated(m_model->keyAt(i.row()));
    });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { Q_EMIT currentKeyChanged(m_model->keyAt(current.row())); });
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { Q_EMIT contextMenuRequested(m_grid->viewport()->mapToGlobal(p)); });
}

QWidget *BrowseFace::buildTablePage()
{
    m_emptyLabel->setObjectName(u"lblVuoto"_qs);
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setWordWrap(true);
    m_emptyLabel->setVisible(false);

    m_filterLabel->setObjectName(u"lblFiltro"_qs);
    m_filterLabel->setWordWrap(true);
    m_filterLabel->setVisible(false);

    auto *tablePage = new QWidget(this);
    auto *tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(m_filterLabel);
    tableLayout->addWidget(m_grid, 1);
    // An empty list says so right under the filter, not in the middle of the window.
    m_emptyLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_emptyLabel->setContentsMargins(0, 24, 0, 0);
    tableLayout->addWidget(m_emptyLabel, 1);
    return tablePage;
}

void BrowseFace::buildFilterPage()
{
    // The filter definition: conditions on the browse columns, all to be met.
    m_filterPage->setObjectName(u"fraFiltro"_qs);
    auto *title = new QLabel(u"Condizioni di ricerca (devono essere soddisfatte tutte):"_qs, m_filterPage);
    m_conditionList->setObjectName(u"lstCondizioni"_qs);
    m_field->setObjectName(u"cboCampo"_qs);
    for (const BrowseColumn &c : browseColumns())
        m_field->addItem(c.heading, c.field);
    m_operator->setObjectName(u"cboOperatore"_qs);
    for (const auto &[op, text] : browseOperators())
        m_operator->addItem(text, int(op));
    m_value->setObjectName(u"txtValore"_qs);
    m_add->setObjectName(u"cmdAggiungi"_qs);
    auto *remove = new QPushButton(u"&Rimuovi"_qs, m_filterPage);
    remove->setObjectName(u"cmdRimuovi"_qs);
    auto *removeAll = new QPushButton(u"Rimuovi t&utte"_qs, m_filterPage);
    removeAll->setObjectName(u"cmdRimuoviTutte"_qs);
    auto *execute = new QPushButton(u"&Esegui ricerca"_qs, m_filterPage);
    execute->setObjectName(u"cmdEsegui"_qs);

    // One line to write a condition, the conditions below it, the buttons at the bottom.
    auto *fieldLabel = new QLabel(u"&Colonna:"_qs, m_filterPage);
    fieldLabel->setBuddy(m_field);
    auto *opLabel = new QLabel(u"C&onfronto:"_qs, m_filterPage);
    opLabel->setBuddy(m_operator);
    auto *valueLabel = new QLabel(u"Va&lore:"_qs, m_filterPage);
    valueLabel->setBuddy(m_value);
    m_value->setMinimumWidth(220);
    auto *editor = new QHBoxLayout;
    editor->addWidget(fieldLabel);
    editor->addWidget(m_field);
    editor->addSpacing(8);
    editor->addWidget(opLabel);
    editor->addWidget(m_operator);
    editor->addSpacing(8);
    editor->addWidget(valueLabel);
    editor->addWidget(m_value, 1);
    editor->addWidget(m_add);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(remove);
    buttons->addWidget(removeAll);
    buttons->addStretch();
    buttons->addWidget(execute);
    auto *filterLayout = new QVBoxLayout(m_filterPage);
    filterLayout->addLayout(editor);
    filterLayout->addWidget(title);
    filterLayout->addWidget(m_conditionList, 1);
    filterLayout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &BrowseFace::addFromEditor);
    connect(m_value, &QLineEdit::returnPressed, this, &BrowseFace::addFromEditor);
    connect(remove, &QPushButton::clicked, this, &BrowseFace::removeSelected);
    connect(removeAll, &QPushButton::clicked, this, [this] {
        m_definition.clear();
        showDefinition();
    });
    connect(execute, &QPushButton::clicked, this, &BrowseFace::executeRequested);

    setTabOrder(m_field, m_operator);
    setTabOrder(m_operator, m_value);
    setTabOrder(m_value, m_add);
    setTabOrder(m_add, m_conditionList);
    setTabOrder(m_conditionList, remove);
    setTabOrder(remove, removeAll);
    setTabOrder(removeAll, execute);
}

void BrowseFace::setRecordSource(Connection &db, const SqlStatement &sql, int idAzienda)
{
    m_db = &db;
    m_sql = sql;
    m_idAzienda = idAzienda;
}

bool BrowseFace::requery()
{
    if (!m_db)
        return false;
    const int key = currentKey();
    if (!runShowingFailures(m_messages, [&] {
            m_model->load(*m_db, m_sql, m_conditions,
                          m_idAzienda > 0 ? settlementBalances(*m_db, m_idAzienda) : QHash<int, Money>{});
        }))
        return false;
    if (!moveByRowIds(key) && m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, 0));
    updateFilterLabel();
    return true;
}

int BrowseFace::listCount() const
{
    return m_model->rowCount();
}

QList<int> BrowseFace::rowIds() const
{
    return m_model->keys();
}

bool BrowseFace::moveByRowIds(int key)
{
    const int row = key > 0 ? m_model->rowOf(key) : -1;
    if (row < 0)
        return false;
    const QModelIndex i = m_model->index(row, 0);
    m_grid->setCurrentIndex(i);
    m_grid->scrollTo(i);
    return true;
}

int BrowseFace::currentKey() const
{
    return m_model->keyAt(currentRow());
}

int BrowseFace::currentRow() const
{
    const QModelIndex i = m_grid->currentIndex();
    return i.isValid() ? i.row() : -1;
}

int BrowseFace::neighbourKey(int step) const
{
    const int row = currentRow();
    if (row < 0)
        return 0;
    return m_model->keyAt(row + step);
}

void BrowseFace::setView(View view)
{
    m_view = view;
    m_stack->setCurrentIndex(view == View::Table ? 0 : 1);
}

void BrowseFace::defineFilter(bool empty)
{
    m_definition = empty ? std::vector<BrowseCondition>{} : m_conditions;
    showDefinition();
    m_value->clear();
    setView(View::Filter);
}

void BrowseFace::abandonFilterDefinition()
{
    m_definition = m_conditions;
    showDefinition();
    setView(View::Table);
}

bool BrowseFace::applyFilterDefinition()
{
    // A condition typed but not yet added counts as added, so that "execute" does what the
    // user sees on the screen.
    if (!m_value->text().trimmed().isEmpty()) {
        addFromEditor();
        if (!m_value->text().trimmed().isEmpty())
            return false; // refused: the user corrects the value first
    }
    const std::vector<BrowseCondition> before = m_conditions;
    m_conditions = m_definition;
    if (!requery()) {
        m_conditions = before;
        return false;
    }
    setView(View::Table);
    return true;
}

bool BrowseFace::addCondition(const BrowseCondition &c)
{
    if (const std::optional<QString> problem = checkCondition(c)) {
        m_messages.warn(*problem);
        return false;
    }
    BrowseCondition clean = c;
    clean.value = c.value.trimmed();
    m_definition.push_back(clean);
    showDefinition();
    return true;
}

void BrowseFace::addFromEditor()
{
    BrowseCondition c;
    c.field = m_field->currentData().toString();
    c.op = BrowseCondition::Op(m_operator->currentData().toInt());
    c.value = m_value->text();
    if (addCondition(c))
        m_value->clear();
    m_value->setFocus();
}

void BrowseFace::removeSelected()
{
    const int row = m_conditionList->currentRow();
    if (row < 0 || row >= int(m_definition.size()))
        return;
    m_definition.erase(m_definition.begin() + row);
    showDefinition();
}

void BrowseFace::showDefinition()
{
    m_conditionList->clear();
    for (const BrowseCondition &c : m_definition)
        m_conditionList->addItem(c.describe());
    if (!m_definition.empty())
        m_conditionList->setCurrentRow(int(m_definition.size()) - 1);
}

void BrowseFace::updateFilterLabel()
{
    // An empty list says why it is empty and what to do.
    const bool empty = m_model->rowCount() == 0;
    m_emptyLabel->setText(
        m_conditions.empty()
            ? u"Non ci sono liquidazioni I.V.A. salvate. Per elaborarne una scegliere Nuovo (Ctrl+N)."_qs
            : u"Nessuna liquidazione I.V.A. soddisfa le condizioni del filtro."_qs);
    m_emptyLabel->setVisible(empty);
    m_grid->setVisible(!empty);
    if (m_conditions.empty()) {
        m_filterLabel->setVisible(false);
        return;
    }
    QStringList parts;
    for (const BrowseCondition &c : m_conditions)
        parts << c.describe();
    m_filterLabel->setText(u"Filtro: "_qs + parts.join(u" e "_qs));
    m_filterLabel->setVisible(true);
}

int BrowseFace::gridColumnOf(const QString &field) const
{
    int at = 0;
    for (const BrowseColumn &c : browseColumns()) {
        if (!c.shown)
            continue;
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return at;
        ++at;
    }
    return -1;
}

QWidget *BrowseFace::focusTarget() const
{
    return m_view == View::Table ? static_cast<QWidget *>(m_grid) : static_cast<QWidget *>(m_field);
}

bool BrowseFace::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier &&
            currentRow() >= 0) {
            Q_EMIT rowActivated(currentKey());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace liqiva
