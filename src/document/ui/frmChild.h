#pragma once

#include "document/SettlementDocument.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace liqiva {

// The form face of a settlement: header labels, the tabs with the detail grids, the
// summaries, the declaration grid and the payment data. It shows what the document holds
// and writes what the user edits back into the document's objects; the document does the
// computing, the saving and the deleting.
class frmChild : public QWidget {
    Q_OBJECT
public:
    frmChild(const DocumentContext &context, QWidget *parent = nullptr);
    ~frmChild() override;

    SettlementDocument &document();
    // Fills the document and shows it; errors are shown through the context's messages.
    void sbChildFill(int key, bool makeDatiIva);
    // Saves through the document; false when refused or failed.
    bool fnChildSave();
    // Deletes through the document (the caller has asked for confirmation).
    bool sbChildDelete();
    // Removes the working rows of this document (closing without saving).
    void sbRemoveTrashRecord();
    bool isChanged() const;
    void setChanged(bool changed);
    int key() const;
    // The document's caption: the period text.
    QString caption() const;

Q_SIGNALS:
    // Every edit marks the document changed.
    void changedStateChanged(bool changed);

private:
    DocumentContext m_ctx;
    std::unique_ptr<SettlementDocument> m_doc;
    bool m_changed = false;
};

} // namespace liqiva
