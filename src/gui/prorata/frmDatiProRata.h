#pragma once

#include "suite/Money.h"

#include <QDialog>

#include <initializer_list>
#include <optional>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace liqiva {

class MessageService;
class cDatiProRata;

// "Gestione Pro-rata": a view over the settlement's pro-rata object. A periodic settlement
// sees the VAT undeductible in the period still to be reversed; the annual settlement sees
// the actual percentage of the year and the adjustment, may type the operations over and
// confirm them with "Aggiorna" (they stay in the object; the save of the settlement stores
// them). Nothing is written to the database here.
class frmDatiProRata : public QDialog {
    Q_OBJECT
public:
    frmDatiProRata(cDatiProRata &datiProRata, MessageService &messages, bool euro, bool readOnly,
                   QWidget *parent = nullptr);

    // "Aggiorna" confirmed new figures into the object.
    bool Changed() const { return m_changed; }

    // Takes the typed operations and recomputes the adjustment; false (message shown, the
    // focus on the field) when one is not an amount.
    bool ricalcolaAnno();
    void ricalcola();
    bool aggiorna();
    // "Prima nota": the accounting entry of the adjustment.
    void primaNota();
    // The amount the entry books: for the year the VAT to recover, or minus the VAT to pay
    // back; for a period the undeductible VAT still to reverse.
    Money ImportoStorno();
    // An entry was booked (the settlement row changed with its link).
    bool Booked() const { return m_booked; }

    // "Ricalcola" over typed figures asks first; "Aggiorna" says what it did.
    static QString msgRicalcola();
    static QString msgAggiornato(const QString &percentuale);

private:
    void buildPeriodFrames();
    void buildYearFrames(bool readOnly);
    QHBoxLayout *buildButtons(bool readOnly);
    void connectControls();
    QLineEdit *amountField(const char *name, QWidget *parent, bool editable = false);
    // A field of the window, its object name and its caption.
    struct AmountRow {
        QLineEdit *&field;
        const char *name;
        QString caption;
    };
    // A frame of amounts shown only: each field made and laid out under its caption.
    QGroupBox *amountFrame(const QString &name, const QString &title, std::initializer_list<AmountRow> rows);
    void showMonth();
    void showYear();
    void showBooked();
    std::optional<Money> typed(QLineEdit *field);

    cDatiProRata &m_p;
    MessageService &m_messages;
    bool m_euro;
    bool m_changed = false;
    bool m_booked = false;
    Money m_imponibili, m_esenti;

    QGroupBox *m_fraMese = nullptr, *m_fraConguaglio = nullptr, *m_fraPercentuale = nullptr, *m_fraAnno = nullptr;
    QLineEdit *curMeseIvaSuAcquisti = nullptr, *curMeseIvaDetraibile = nullptr, *curMeseIvaIndetraibile = nullptr,
              *curMeseIvaIndetraibileCont = nullptr, *curMeseIvaIndetraibileStorno = nullptr,
              *curMeseImportoCont = nullptr;
    QLineEdit *curAnnoImponibili = nullptr, *curAnnoEsenti = nullptr, *numAnnoPercentuale = nullptr,
              *curAnnoIvaSuAcquisti = nullptr, *curAnnoIvaDetratta = nullptr, *curAnnoIvaDetraibile = nullptr,
              *curAnnoIvaDaRecuperare = nullptr, *curAnnoIvaDaVersare = nullptr, *curAnnoImportoCont = nullptr;
    QPushButton *cmdRicalcola = nullptr, *cmdAggiorna = nullptr, *cmdPNC = nullptr, *cmdClose = nullptr;
    QLabel *lblAggiorna = nullptr; // what "Aggiorna" did
};

} // namespace liqiva
