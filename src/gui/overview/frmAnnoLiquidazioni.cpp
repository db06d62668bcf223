#include "gui/overview/frmAnnoLiquidazioni.h"

#include "database/DbError.h"
#include "domain/document/InputText.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

QColor colourOf(YearCell::State state)
{
    switch (state) {
    case YearCell::State::Missing:
        return QColor(0xf4, 0xd6, 0xd6);
    case YearCell::State::Working:
        return QColor(0xfb, 0xec, 0xc4);
    case YearCell::State::Saved:
        return QColor(0xdc, 0xef, 0xd8);
    case YearCell::State::PrintedDefinitive:
        return QColor(0xc8, 0xdc, 0xf0);
    case YearCell::State::Communicated:
        return QColor(0xdd, 0xd4, 0xf0);
    case YearCell::State::ToResend:
        return QColor(0xf0, 0xc8, 0xe6);
    }
    return {};
}

} // namespace

int frmAnnoLiquidazioni::columnOf(int period)
{
    return period == 13 ? 12 : period == 0 ? 13 : period - 1;
}

frmAnnoLiquidazioni::frmAnnoLiquidazioni(Connection &db, MessageService &messages, int idAzienda, int anno,
                                         QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_idAzienda(idAzienda)
{
    setObjectName(u"frmAnnoLiquidazioni"_qs);
    setWindowTitle(u"Anno delle liquidazioni IVA"_qs);
    txtAnno = new QSpinBox(this);
    txtAnno->setObjectName(u"txtAnno"_qs);
    txtAnno->setRange(1990, 2099);
    txtAnno->setValue(anno);
    spdAnno = new QTableWidget(this);
    spdAnno->setObjectName(u"spdAnno"_qs);
    spdAnno->setEditTriggers(QAbstractItemView::NoEditTriggers);
    spdAnno->setColumnCount(14);
    QStringList headers;
    for (int m = 1; m <= 12; ++m)
        headers << yearPeriodCaption(m, false);
    headers << yearPeriodCaption(13, false) << yearPeriodCaption(0, false);
    spdAnno->setHorizontalHeaderLabels(headers);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(u"Anno:"_qs, this));
    top->addWidget(txtAnno);
    top->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(spdAnno, 1);
    resize(1100, 320);

    connect(txtAnno, &QSpinBox::valueChanged, this, &frmAnnoLiquidazioni::refresh);
    connect(spdAnno, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (QTableWidgetItem *item = spdAnno->item(row, column))
            if (const int key = item->data(Qt::UserRole).toInt(); key > 0)
                Q_EMIT openSettlement(key);
    });
    refresh();
}

void frmAnnoLiquidazioni::refresh()
{
    spdAnno->setRowCount(0);
    m_overview = YearOverview{};
    if (!runShowingFailures(m_messages, [&] { m_overview = loadYearOverview(m_db, m_idAzienda, txtAnno->value()); }))
        return;
    spdAnno->setRowCount(int(m_overview.rows.size()));
    QStringList names;
    for (int r = 0; r < int(m_overview.rows.size()); ++r) {
        const YearRow &row = m_overview.rows[r];
        names << row.attivitaAzienda;
        for (const YearCell &cell : row.cells) {
            QString text = yearCellStateText(cell.state);
            if (cell.amount)
                text += u'\n' + formatAmount(*cell.amount, true);
            auto *item = new QTableWidgetItem(text);
            item->setData(Qt::UserRole, cell.key);
            item->setBackground(colourOf(cell.state));
            item->setToolTip(QStringLiteral("%1 - %2").arg(yearPeriodCaption(cell.period, row.quarterly), text));
            spdAnno->setItem(r, columnOf(cell.period), item);
        }
    }
    spdAnno->setVerticalHeaderLabels(names);
    spdAnno->resizeRowsToContents();
}

} // namespace liqiva
