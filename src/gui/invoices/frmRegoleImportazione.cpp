#include "gui/invoices/frmRegoleImportazione.h"

#include "database/Connection.h"
#include "gui/common/Failures.h"
#include "gui/invoices/frmImportaFatture.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

enum Column { VatNumber, Supplier, Goods, Undeductible, Branch, Columns };

} // namespace

frmRegoleImportazione::frmRegoleImportazione(Connection &db, MessageService &messages, int company, int user,
                                             QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_company(company), m_user(user)
{
    setWindowTitle(u"Regole di importazione"_qs);
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(u"Per fornitore, ciò che la fattura elettronica non dice: l'importazione lo applica a "
                             u"ogni sua fattura d'acquisto."_qs);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    grdRegole = new QTableWidget(0, Columns);
    grdRegole->setObjectName(u"grdRegole"_qs);
    grdRegole->setHorizontalHeaderLabels(
        {u"Partita IVA"_qs, u"Fornitore"_qs, u"Rivendita"_qs, u"% indetraibile"_qs, u"Filiale"_qs});
    grdRegole->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdRegole->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRegole->setSelectionMode(QAbstractItemView::SingleSelection);
    grdRegole->horizontalHeader()->setStretchLastSection(true);
    grdRegole->verticalHeader()->setVisible(false);
    grdRegole->setWordWrap(false);
    layout->addWidget(grdRegole, 1);

    auto *form = new QFormLayout;
    txtPartitaIva = new QLineEdit;
    txtPartitaIva->setObjectName(u"txtPartitaIva"_qs);
    txtPartitaIva->setMaxLength(30);
    txtPartitaIva->setMaximumWidth(220);
    txtPartitaIva->setPlaceholderText(u"01234567890 o DE123456789"_qs);
    form->addRow(u"Partita IVA del fornitore"_qs, txtPartitaIva);
    chkMerci = new QCheckBox(u"Merci destinate alla rivendita (ventilazione dei corrispettivi)"_qs);
    chkMerci->setObjectName(u"chkMerci"_qs);
    form->addRow(QString(), chkMerci);
    txtIndetraibile = new QSpinBox;
    txtIndetraibile->setObjectName(u"txtIndetraibile"_qs);
    txtIndetraibile->setRange(0, 100);
    txtIndetraibile->setSuffix(u" %"_qs);
    txtIndetraibile->setMaximumWidth(90);
    form->addRow(u"IVA indetraibile"_qs, txtIndetraibile);
    cboFiliale = new QComboBox;
    cboFiliale->setObjectName(u"cboFiliale"_qs);
    cboFiliale->addItem(u"quella dell'importazione"_qs, 0);
    runShowingFailures(m_messages, [&] {
        for (const auto &[id, caption] : ImportRuleStore(m_db, m_company).branches())
            cboFiliale->addItem(caption, id);
    });
    form->addRow(u"Filiale degli acquisti"_qs, cboFiliale);
    layout->addLayout(form);

    auto *bottom = new QHBoxLayout;
    cmdSalva = new QPushButton(u"Salva regola"_qs);
    cmdSalva->setObjectName(u"cmdSalva"_qs);
    cmdElimina = new QPushButton(u"Elimina regola"_qs);
    cmdElimina->setObjectName(u"cmdElimina"_qs);
    auto *cmdNuova = new QPushButton(u"Nuova regola"_qs);
    auto *cmdChiudi = new QPushButton(u"Chiudi"_qs);
    bottom->addWidget(cmdNuova);
    bottom->addWidget(cmdSalva);
    bottom->addWidget(cmdElimina);
    bottom->addStretch();
    bottom->addWidget(cmdChiudi);
    layout->addLayout(bottom);

    connect(grdRegole, &QTableWidget::currentCellChanged, this, [this](int row) { showRow(row); });
    connect(cmdNuova, &QPushButton::clicked, this, [this] {
        grdRegole->setCurrentCell(-1, -1);
        setRule(QString(), SupplierRule{});
        txtPartitaIva->setFocus();
    });
    connect(cmdSalva, &QPushButton::clicked, this, [this] { saveRule(); });
    connect(cmdElimina, &QPushButton::clicked, this, [this] { removeCurrentRule(); });
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    fitToScreen(this, {860, 500});
    refresh();
}

void frmRegoleImportazione::refresh()
{
    runShowingFailures(m_messages, [&] {
        const std::vector<StoredRule> rules = ImportRuleStore(m_db, m_company).list();
        const QSignalBlocker block(grdRegole);
        grdRegole->setRowCount(0);
        for (const StoredRule &r : rules) {
            const int row = grdRegole->rowCount();
            grdRegole->insertRow(row);
            const int branch = cboFiliale->findData(r.rule.branch);
            const QStringList cells = {r.vatNumber, r.supplier, r.rule.goods ? u"sì"_qs : u"no"_qs,
                                       QString::number(r.rule.undeductible),
                                       branch >= 0 ? cboFiliale->itemText(branch) : QString::number(r.rule.branch)};
            for (int c = 0; c < Columns; ++c) {
                auto *item = new QTableWidgetItem(cells[c]);
                item->setToolTip(cells[c]);
                if (c == Undeductible)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                grdRegole->setItem(row, c, item);
            }
            grdRegole->item(row, VatNumber)->setData(Qt::UserRole, r.rule.branch);
        }
        grdRegole->resizeColumnsToContents();
    });
}

void frmRegoleImportazione::showRow(int row)
{
    if (row < 0 || row >= grdRegole->rowCount())
        return;
    SupplierRule rule;
    rule.goods = grdRegole->item(row, Goods)->text() == u"sì"_qs;
    rule.undeductible = grdRegole->item(row, Undeductible)->text().toInt();
    rule.branch = grdRegole->item(row, VatNumber)->data(Qt::UserRole).toInt();
    setRule(grdRegole->item(row, VatNumber)->text(), rule);
}

void frmRegoleImportazione::setRule(const QString &vatNumber, const SupplierRule &rule)
{
    txtPartitaIva->setText(vatNumber);
    chkMerci->setChecked(rule.goods);
    txtIndetraibile->setValue(rule.undeductible);
    const int branch = cboFiliale->findData(rule.branch);
    cboFiliale->setCurrentIndex(branch >= 0 ? branch : 0);
}

bool frmRegoleImportazione::saveRule()
{
    SupplierRule rule;
    rule.goods = chkMerci->isChecked();
    rule.undeductible = txtIndetraibile->value();
    rule.branch = cboFiliale->currentData().toInt();
    QString vat;
    const bool saved = runShowingFailures(m_messages, [&] {
        vat = supplierKey(txtPartitaIva->text());
        ImportRuleStore(m_db, m_company).save(vat, rule, m_user);
    });
    if (!saved)
        return false;
    refresh();
    const auto found = grdRegole->findItems(vat, Qt::MatchExactly);
    if (!found.isEmpty())
        grdRegole->setCurrentCell(found.front()->row(), VatNumber);
    return true;
}

void frmRegoleImportazione::removeCurrentRule()
{
    const int row = grdRegole->currentRow();
    if (row < 0) {
        m_messages.warn(u"Scegliere la regola da eliminare."_qs);
        return;
    }
    const QString vat = grdRegole->item(row, VatNumber)->text();
    if (!m_messages.askYesNo(
            QStringLiteral("Eliminare la regola del fornitore %1? Le fatture già importate restano come sono.")
                .arg(vat)))
        return;
    runShowingFailures(m_messages, [&] { ImportRuleStore(m_db, m_company).remove(vat); });
    refresh();
    setRule(QString(), SupplierRule{});
}

} // namespace liqiva
