#pragma once

#include "domain/prorata/DatiPNC.h"

#include <QDialog>
#include <QHash>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace liqiva {

class MessageService;
class cDatiProRata;

// "Dati Prima nota": the accounting entry of the pro-rata adjustment. A view over DatiPNC:
// it proposes the branch, the fiscal year, the accounts and the amount, and "Crea
// registrazione" books the entry (checks, question, writing and link are the core's).
class frmDatiPNC : public QDialog {
    Q_OBJECT
public:
    frmDatiPNC(cDatiProRata &datiProRata, Money importoStorno, MessageService &messages, bool euro,
               QWidget *parent = nullptr);

    // What the fields hold now.
    DatiPNC::Dati dati() const;
    // "Crea registrazione": true when the entry was booked.
    bool creaRegistrazione();
    bool Booked() const { return m_booked; }

    // The mandatory data message naming the field left empty.
    static QString msgMancante(const QString &field);

private:
    void fillAccounts();
    void proposeAccounts();
    void showDati(const DatiPNC::Dati &d);
    static void select(QComboBox *combo, int id);
    static int selected(const QComboBox *combo);
    // The caption of each field that must be filled, for the message that names it.
    QHash<QWidget *, QString> fieldNames() const;

    DatiPNC m_core;
    MessageService &m_messages;
    bool m_euro;
    bool m_booked = false;

    QComboBox *KvrFirmGerarchy1 = nullptr, *cboEsercizio = nullptr, *kvrContbCausale = nullptr,
              *KvrSearchACSDare = nullptr, *KvrSearchACSAvere = nullptr;
    QLineEdit *kvrDataReg = nullptr, *kvrNumReg = nullptr, *curImportoStorno = nullptr, *curImportoCont = nullptr,
              *txtNote = nullptr;
    QPushButton *cmdCrea = nullptr, *cmdChiudi = nullptr;
};

} // namespace liqiva
