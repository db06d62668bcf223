#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QTreeWidget;

namespace liqiva {

// The picker of a calling program: lists the saved documents open in the main window (their
// caption and key) and returns the key of the one chosen, -1 when it was cancelled.
class frmListSavedChild : public QDialog {
    Q_OBJECT
public:
    struct Entry {
        QString caption;
        int key = 0;
    };

    frmListSavedChild(const QString &prompt, const std::vector<Entry> &entries, QWidget *parent = nullptr);

    // The key of the chosen document; -1 when cancelled, 0 when OK was pressed without a choice.
    int chosenKey() const { return m_result; }

private:
    void ok();
    void cancel();

    QTreeWidget *m_list;
    int m_result = -1;
};

} // namespace liqiva
