#pragma once

#include "suite/Money.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace liqiva {

class Connection;
class Recordset;

// Where a payment was made.
enum class PaymentPlace { None, Bank, CollectionAgent, PostOffice };

// The place as the payment row stores it (LuogoVersamento): 0 none chosen, 1 bank,
// 2 collection agent, 3 post office; any other number reads as none.
int paymentPlaceCode(PaymentPlace place);
PaymentPlace paymentPlaceOfCode(int code);

// One payment of the settlement: the periodic payment (amount type 8) or the advance
// payment (type 9), as the payment tab shows and the save stores it.
struct Payment {
    PaymentPlace place = PaymentPlace::None;
    int idCab = 0;    // bank branch
    QString abi, cab; // its codes, for display
    int idConcessionarioEsattoriale = 0;
    QString codiceConcessione;
    QString codiceAzienda;
    std::optional<QDate> dataVersamento;
    Money importo;
    bool riportaInStampa = false;
};

struct PaymentData {
    Payment periodic;
    Payment advance;
    bool advanceEnabled = false; // only the December advance has an advance payment
};

// The periodic payment of a row of RisultatoLiquidazioneIvaXTipo of type 8 (the record set's
// current row, read with all its columns); returns the stored place of payment, for
// describePaymentPlace once the record set is closed.
QVariant readPeriodicPayment(const Recordset &rs, Payment &p);

// Enables or disables the advance frame; disabling empties it.
void setAdvancePaymentEnabled(PaymentData &data, bool enabled);

// Fills the bank codes of a payment from its branch key, the concession code from its
// agent key. The place is the stored choice (storedPlace, a LuogoVersamento code); a row
// written before the choice was stored (NULL) takes the place of the codes it carries, and
// one without codes has no place: nobody chose one.
void describePaymentPlace(Connection &db, Payment &p, const QVariant &storedPlace = {});

// The texts of a payment, checked against the columns that keep them before anything is
// written (length, control characters, UTF-16): why `text` cannot be taken, naming `field`;
// empty when it can.
enum class PaymentText { Abi, Cab, AgentCode, CompanyCode };
QString paymentTextFault(PaymentText which, const QString &field, const QString &text);
// Every text of a payment; `where` names the payment ("Versamento periodico").
QString paymentTextFault(const Payment &p, const QString &where);

} // namespace liqiva
