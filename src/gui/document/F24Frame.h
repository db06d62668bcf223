#pragma once

#include "domain/communication/F24Lines.h"

#include <QGroupBox>

class QLabel;
class QTableWidget;

namespace liqiva {

class Connection;
class SettlementDocument;

// "Modello F24" in the payment tab: the lines of the form, section Erario, for the settlement
// shown (tax code, reference year, amount in debit, credit used in compensation), or why
// nothing is paid (a debt not above the minimum, an advance under its minimum).
class F24Frame : public QGroupBox {
    Q_OBJECT
public:
    explicit F24Frame(QWidget *parent = nullptr);

    // The lines of the document's settlement with its amount to pay as it stands (none in the
    // lire years, or while there is no settlement).
    void showSettlement(Connection &db, const SettlementDocument &doc);
    // The lines of an input, worked out by f24Lines.
    void showInput(const F24Input &in);
    void clear(const QString &why = {});

private:
    QTableWidget *m_spdF24;
    QLabel *m_lblF24;
};

} // namespace liqiva
