#pragma once

#include "domain/document/PaymentCodes.h"

#include <QDialog>

class QLineEdit;
class QTableWidget;

namespace liqiva {

// The search list of a code box: the rows of a lookup with their headings, narrowed as the
// user types; Enter or a double click takes the current row.
class CodeSearchDialog : public QDialog {
    Q_OBJECT
public:
    CodeSearchDialog(const CodeSearch &search, std::vector<CodeSearchRow> rows, QWidget *parent = nullptr);

    // The chosen row after exec() returned Accepted.
    const CodeSearchRow *chosen() const;
    // Shows only the rows with a column that contains the text (any case).
    void narrow(const QString &text);
    // Selects the first shown row whose code is the given one, if any.
    void selectCode(const QString &code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeCurrent();

    std::vector<CodeSearchRow> m_rows;
    QLineEdit *m_filter;
    QTableWidget *m_table;
    int m_chosen = -1;
};

} // namespace liqiva
