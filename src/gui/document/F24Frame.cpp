#include "gui/document/F24Frame.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "domain/document/InputText.h"
#include "domain/document/SettlementDocument.h"
#include "suite/Refusal.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

enum Column { Code, Year, Debit, Credit, Description, ColumnCount };

} // namespace

F24Frame::F24Frame(QWidget *parent) : QGroupBox(u"Modello F24 - Sezione Erario"_qs, parent)
{
    setObjectName(u"fraF24"_qs);
    m_spdF24 = new QTableWidget(0, ColumnCount, this);
    m_spdF24->setObjectName(u"spdF24"_qs);
    m_spdF24->setHorizontalHeaderLabels({u"Codice tributo"_qs, u"Anno di rif."_qs, u"Importi a debito versati"_qs,
                                         u"Importi a credito compensati"_qs, u"Descrizione"_qs});
    m_spdF24->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_spdF24->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_spdF24->verticalHeader()->hide();
    m_spdF24->horizontalHeader()->setStretchLastSection(true);
    m_spdF24->setColumnWidth(Code, 100);
    m_spdF24->setColumnWidth(Year, 80);
    m_spdF24->setColumnWidth(Debit, 160);
    m_spdF24->setColumnWidth(Credit, 180);
    m_spdF24->setFocusPolicy(Qt::NoFocus);
    m_spdF24->setMaximumHeight(110);
    m_lblF24 = new QLabel(this);
    m_lblF24->setObjectName(u"lblF24"_qs);
    m_lblF24->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_spdF24);
    layout->addWidget(m_lblF24);
}

void F24Frame::clear(const QString &why)
{
    m_spdF24->setRowCount(0);
    m_lblF24->setText(why);
}

void F24Frame::showInput(const F24Input &in)
{
    const std::vector<F24Line> lines = f24Lines(in);
    m_spdF24->setRowCount(int(lines.size()));
    for (int r = 0; r < int(lines.size()); ++r) {
        const F24Line &l = lines[size_t(r)];
        const QString texts[] = {l.codiceTributo, QString::number(l.annoRiferimento),
                                 l.importoDebito.isZero() ? QString() : formatAmount(l.importoDebito, true),
                                 l.importoCredito.isZero() ? QString() : formatAmount(l.importoCredito, true),
                                 l.descrizione};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            if (c == Debit || c == Credit)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_spdF24->setItem(r, c, item);
        }
    }
    const QString reason = f24NothingDueReason(in);
    m_lblF24->setText(!reason.isEmpty() ? reason : lines.empty() ? u"Nessun importo da versare."_qs : QString());
}

void F24Frame::showSettlement(Connection &, const SettlementDocument &doc)
{
    const SettlementIdentity &id = doc.identity();
    if (id.idRisultatoLiquidazioneIva <= 0)
        return clear();
    if (id.lireRules())
        return clear(u"Il modello F24 è in euro: nessuna riga per gli anni in lire."_qs);
    try {
        showInput(doc.f24Input());
    } catch (const Refusal &r) {
        clear(r.message());
    } catch (const DbError &e) {
        clear(explainDbError(e));
    }
}

} // namespace liqiva
