#include "gui/shell/frmListSavedChild.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace liqiva {

frmListSavedChild::frmListSavedChild(const QString &prompt, const std::vector<Entry> &entries, QWidget *parent)
    : QDialog(parent), m_list(new QTreeWidget(this))
{
    setObjectName(u"frmListSavedChild"_qs);
    setWindowTitle(u"Liquidazione I.V.A."_qs);
    setModal(true);

    auto *label = new QLabel(prompt, this);
    label->setObjectName(u"lblPrompt"_qs);
    label->setWordWrap(true);

    m_list->setObjectName(u"lstListSavedChild"_qs);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({u"Documento"_qs, u"Codice"_qs});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    for (const Entry &e : entries) {
        auto *item = new QTreeWidgetItem(m_list, {e.caption, QString::number(e.key)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    label->setBuddy(m_list);

    auto *okButton = new QPushButton(u"OK"_qs, this);
    okButton->setObjectName(u"cmdOk"_qs);
    okButton->setDefault(true);
    auto *cancelButton = new QPushButton(u"Annulla"_qs, this);
    cancelButton->setObjectName(u"cmdAnnulla"_qs);
    connect(okButton, &QPushButton::clicked, this, &frmListSavedChild::ok);
    connect(cancelButton, &QPushButton::clicked, this, &frmListSavedChild::cancel);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &frmListSavedChild::ok);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(460, 300);
}

void frmListSavedChild::ok()
{
    const QTreeWidgetItem *item = m_list->currentItem();
    m_result = item ? item->text(1).toInt() : 0;
    accept();
}

void frmListSavedChild::cancel()
{
    m_result = -1;
    reject();
}

} // namespace liqiva
