#pragma once

#include "gui/shell/BrowseFilter.h"
#include "suite/Money.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QWidget>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace liqiva {

class Connection;
class MessageService;

// The rows of the browse statement, each with its key, as the grid shows them.
class BrowseModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BrowseModel(QObject *parent = nullptr);

    // Runs the statement and keeps the rows that meet the conditions. Database errors are
    // thrown to the caller; the rows shown so far stay.
    // balances: the stored balance of each settlement by key (a credit negative).
    void load(Connection &db, const SqlStatement &sql, const std::vector<BrowseCondition> &conditions,
              const QHash<int, Money> &balances = {});

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int keyAt(int row) const;
    int rowOf(int key) const;
    const QList<int> &keys() const { return m_keys; }

private:
    QList<int> m_keys;
    std::vector<QStringList> m_texts; // per row, the shown columns
    std::vector<int> m_columns;       // the browse columns the grid shows, by position
};

// The browse face of a document window ("brwMain"): the saved settlements of the company in
// a grid with their keys, and the filter definition. It offers what the main window uses of
// it: the record source, requery, the count, the row keys, moving to a key, and the filter
// definition (define, abandon, apply).
class BrowseFace : public QWidget {
    Q_OBJECT
public:
    enum class View { Table, Filter };

    BrowseFace(MessageService &messages, QWidget *parent = nullptr);

    // Mode, Environment.Connection and RecordSource in one; the company's stored balances are
    // shown beside the statement's columns.
    void setRecordSource(Connection &db, const SqlStatement &sql, int idAzienda = 0);
    // Reads the rows again, keeping the current key selected when it is still listed.
    // Database errors are shown; false then.
    bool requery();
    int listCount() const;
    QList<int> rowIds() const;
    // Selects the row of a key; false when the key is not listed.
    bool moveByRowIds(int key);
    // The key of the selected row, 0 when there is none.
    int currentKey() const;
    // Position of the selected row (-1 when none).
    int currentRow() const;
    // The key of the row before / after the selected one, 0 when there is none.
    int neighbourKey(int step) const;

    View view() const { return m_view; }
    void setView(View view);

    // Opens the filter definition on a copy of the conditions in force (or an empty one).
    void defineFilter(bool empty);
    // Leaves the filter definition without applying it.
    void abandonFilterDefinition();
    // Applies the definition being edited and shows the table; false when it was refused.
    bool applyFilterDefinition();
    const std::vector<BrowseCondition> &conditions() const { return m_conditions; }
    const std::vector<BrowseCondition> &definition() const { return m_definition; }
    // Adds a condition to the definition being edited; false, with the reason shown, when
    // it is not good (the definition stays as it was).
    bool addCondition(const BrowseCondition &c);

    QTableView *grid() const { return m_grid; }
    // The grid's column of a field of the browse; -1 when the grid does not show it.
    int gridColumnOf(const QString &field) const;
    // The widget that takes the focus in the current view.
    QWidget *focusTarget() const;

Q_SIGNALS:
    void rowActivated(int key); // double click or Enter on a row
    void currentKeyChanged(int key);
    void executeRequested(); // the filter definition's own "execute" button
    void contextMenuRequested(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The steps of the constructor: the grid, the page that shows it (with the filter's
    // description and the empty-list note), the page that defines a filter.
    void buildGrid();
    QWidget *buildTablePage();
    void buildFilterPage();
    void showDefinition();
    void updateFilterLabel();
    void addFromEditor();
    void removeSelected();

    MessageService &m_messages;
    Connection *m_db = nullptr;
    SqlStatement m_sql;
    int m_idAzienda = 0;
    View m_view = View::Table;
    std::vector<BrowseCondition> m_conditions; // in force
    std::vector<BrowseCondition> m_definition; // being edited

    BrowseModel *m_model;
    QStackedWidget *m_stack;
    QTableView *m_grid;
    QLabel *m_filterLabel;
    QLabel *m_emptyLabel;
    QWidget *m_filterPage;
    QListWidget *m_conditionList;
    QComboBox *m_field;
    QComboBox *m_operator;
    QLineEdit *m_value;
    QPushButton *m_add;
};

} // namespace liqiva
