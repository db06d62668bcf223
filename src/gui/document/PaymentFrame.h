#pragma once

#include "domain/document/PaymentData.h"

#include <QGroupBox>
#include <array>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;

namespace liqiva {

class CommitEdit;
class Connection;
class MessageService;

// One frame of the payment tab: the periodic payment ("Versamenti periodici") or the advance
// payment ("Versamento in acconto"). It shows a payment of the document and writes every
// edit back into it; the code boxes look their codes up when the user leaves them and offer
// a search list on Control+R.
class PaymentFrame : public QGroupBox {
    Q_OBJECT
public:
    enum class Kind { Periodic, Advance };

    PaymentFrame(Kind kind, Connection &db, MessageService &messages, QWidget *parent = nullptr);

    // Shows the payment and from now on writes the user's edits into it.
    void bind(Payment *payment, bool euro);
    // Shows the bound payment again (after the document changed it).
    void refresh();
    // Takes what is still typed in a box of the frame; false when refused.
    bool commitEdits();
    // Opens the search list of the code box that has the focus; false when none has it.
    bool searchFocusedCode();
    // Every box, choice and button read-only (the user may not save), or editable again.
    void setReadOnly(bool readOnly);

    QPushButton *riporta() const { return m_riporta; }
    QLabel *infMinimo() const { return m_infMinimo; }
    // The boxes of the frame in tab order.
    QList<QWidget *> tabChain() const;

Q_SIGNALS:
    // Any edit of the frame.
    void changed();

private:
    QString name(const char *periodic, const char *advance) const;
    void build();
    void buildPlace();
    void buildBoxes();
    void buildLabels();
    QGridLayout *layoutFields();
    void showPayment();
    void choosePlace(PaymentPlace place);
    void enableForPlace();
    bool acceptAbi(const QString &text);
    bool acceptCab(const QString &text);
    bool acceptConcession(const QString &text);
    bool acceptCompanyCode(const QString &text);
    bool acceptDate(const QString &text);
    bool acceptAmount(const QString &text);
    void search(CommitEdit *box);
    void describeBank();
    void describeAgent();
    void markChanged();

    Kind m_kind;
    Connection &m_db;
    MessageService &m_messages;
    Payment *m_payment = nullptr;
    bool m_euro = true;
    int m_idAbi = 0; // the bank of the ABI code shown
    bool m_loading = false;
    bool m_readOnly = false;

    QGroupBox *m_placeBox = nullptr;
    QButtonGroup *m_place = nullptr;
    std::array<QRadioButton *, 3> m_options{};
    QLabel *m_lblAbi = nullptr, *m_lblCab = nullptr, *m_lblConc = nullptr, *m_lblAzienda = nullptr;
    QLabel *m_lblData = nullptr, *m_lblImporto = nullptr;
    QLabel *m_bankName = nullptr, *m_agentName = nullptr;
    CommitEdit *m_abi = nullptr, *m_cab = nullptr, *m_conc = nullptr, *m_azienda = nullptr;
    CommitEdit *m_data = nullptr, *m_importo = nullptr;
    QCheckBox *m_stampa = nullptr;
    QLabel *m_infMinimo = nullptr;
    QPushButton *m_riporta = nullptr;
    // The search buttons beside the code boxes: ABI, CAB, concession agent.
    std::array<QAbstractButton *, 3> m_searchButtons{};
};

} // namespace liqiva
