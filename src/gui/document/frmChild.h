#pragma once

#include "domain/document/SettlementDocument.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QBoxLayout;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class QVBoxLayout;

namespace liqiva {

class F24Frame;
class PaymentFrame;

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

    // Takes what is still typed in the box or cell being edited (as leaving it would);
    // false when it was refused. The save does it first.
    bool commitEdits();
    // Shows the document again (after a dialog changed its objects).
    void showDocument();
    // Fills again after a dialog, keeping the amounts typed and not saved yet.
    void refillDocument();
    // The search list of the code box that has the focus (what Control+R or F4 opens
    // there); false when the focus is not in a code box.
    bool searchFocusedCode();
    // Every field and cell read-only (the user may not save), or editable again.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    // Leaves the given access keys (lower-case letters, the menus') to their owners and
    // keeps each of the form's own once: where two captions of the form mark the same
    // letter, the outer one (main tab, then button or label, then side tab) keeps it.
    void avoidAccessKeys(const QString &taken);

    // The pro-rata of the settlement ("Gestione Pro-rata"): the settlement is computed again
    // when the percentage changed.
    void sbGestioneProRata();
    // The other operations of a December advance: the advance is computed again when they
    // changed (they are written with the settlement).
    void sbGestioneAltreOperazioni();
    // The credit windows: a declaration prospectus (type 0 to 4), the credits used, the
    // compensable credit. What they confirm goes into the document, which is then changed.
    void sbProspetto(int type);
    void sbCreditUse();
    void sbCreditoCompensabile();
    // The declaration data: frmCADI for the annual communication, frmDatiDip otherwise.
    void sbDatiDip();
    // "Credito autotrasportatori...".
    void sbCreditoAutotrasportatori();

Q_SIGNALS:
    // Every edit marks the document changed.
    void changedStateChanged(bool changed);
    // "Credito infrannuale ..." was pressed: the prospectus of the infra-annual credit.
    void infraAnnualCreditRequested();

private:
    // The enabling of two buttons, with the reason when they cannot be used.
    void showTruckersEnabled();
    void showCredInfRimEnabled();
    void build();
    QWidget *buildHeader();
    QWidget *buildPurchases();
    QWidget *buildSales();
    QWidget *buildSummary();
    QWidget *buildDeclaration();
    void buildDeclarationGrid(QWidget *page);
    QGridLayout *buildDeclarationAmounts(QWidget *page);
    QVBoxLayout *buildRefundRequest(QWidget *page);
    QWidget *buildPayments();
    QTableWidget *detailGrid(const char *name, const QStringList &headings);

    void showHeader();
    void showGrids();
    void showSummaries();
    void showDeclaration();
    void showAmounts();
    void showPayments();
    void declarationCellEdited(QTableWidgetItem *item);
    void declarationCellDoubleClicked(int row, int column);
    // Runs a credit window (true when what it confirmed went back to the document) and then
    // shows the declaration again; a failure shown.
    void creditWindow(const std::function<bool()> &confirmed);
    // What the document's last save or delete has to tell.
    void showNotices();
    // The declaration grid's cells that take typing, in reading order.
    bool isEditableDipCell(int row, int column) const;
    // Moves to the next (step 1) or previous (-1) cell that takes typing; false at the end.
    bool moveToEditableCell(int step);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void carryAmountToAdvance();
    void markChanged();

    DocumentContext m_ctx;
    std::unique_ptr<SettlementDocument> m_doc;
    bool m_changed = false;
    bool m_loading = false;
    bool m_readOnly = false;
    // The last cell of the declaration grid the user changed and its text before, for
    // Control+Z.
    struct CellEdit {
        int row = -1, column = -1;
        QString before;
    } m_lastCellEdit;

    QLabel *m_lblPeriodoIva = nullptr, *m_lblPeriodo = nullptr, *m_lblTipoLiquidazione = nullptr,
           *m_lblAttivita = nullptr;
    QTabWidget *m_tabs = nullptr, *m_stbAcquisti = nullptr, *m_stbVendite = nullptr;
    QWidget *m_pageCorrispettivi = nullptr, *m_pageDaVentilare = nullptr;
    QHash<QString, QTableWidget *> m_grids;
    QTableWidget *m_spdCredito = nullptr, *m_spdDebito = nullptr;
    QWidget *m_summaryPage = nullptr;
    QBoxLayout *m_summaryLayout = nullptr;
    QPushButton *m_cmdCreditoAutotrasportatori = nullptr;
    QTableWidget *m_spdDIP = nullptr;
    // 0 the amount to pay, 1 the interest on the annual settlement, 2 the residual credit,
    // 3 the infra-annual credit used in F24, 4 the infra-annual credit asked back.
    std::array<QLineEdit *, 5> m_curImportiDIP{};
    std::array<QLabel *, 5> m_lblImportiDIP{};
    QCheckBox *m_chkSoggetto = nullptr;
    QPushButton *m_cmdCredInfRim = nullptr, *m_cmdCIC = nullptr;
    PaymentFrame *m_periodic = nullptr, *m_advance = nullptr;
    F24Frame *m_f24 = nullptr; // the F24 lines of the amount to pay
};

} // namespace liqiva
