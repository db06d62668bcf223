#pragma once

#include "domain/overview/YearOverview.h"

#include <QWidget>

class QSpinBox;
class QTableWidget;

namespace liqiva {

class Connection;
class MessageService;

// A year at a glance: one row per activity, one column per month (a quarterly activity fills
// the quarters' last months), then the December advance and the annual settlement. Each
// cell gives the state and the amount to pay (a credit with a minus); a double click on a
// settlement asks for it to be opened (openSettlement).
class frmAnnoLiquidazioni : public QWidget {
    Q_OBJECT
public:
    frmAnnoLiquidazioni(Connection &db, MessageService &messages, int idAzienda, int anno, QWidget *parent = nullptr);

    void refresh();
    const YearOverview &overview() const { return m_overview; }
    // The column of a period: 0..11 the months, 12 the advance, 13 the year.
    static int columnOf(int period);

Q_SIGNALS:
    void openSettlement(int idRisultatoLiquidazioneIva);

private:
    Connection &m_db;
    MessageService &m_messages;
    int m_idAzienda;
    YearOverview m_overview;
    QSpinBox *txtAnno;
    QTableWidget *spdAnno;
};

} // namespace liqiva
