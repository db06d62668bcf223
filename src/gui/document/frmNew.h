#pragma once

#include "domain/document/NewSettlement.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace liqiva {

class Connection;
class MessageService;

// The new-settlement dialog ("Nuovo"): the activity, the VAT year and the period of a new
// settlement, with the proposals and the checks of NewSettlement. After it closes the caller
// reads dialogResult() (1 OK, 2 cancelled), currentKey() (the settlement to open: the new
// working one or an existing one the user chose to view) and MakeDatiIva().
class frmNew : public QDialog {
    Q_OBJECT
public:
    frmNew(Connection &db, MessageService &messages, int idAzienda, int idUser, QWidget *parent = nullptr);

    int dialogResult() const { return m_result; }
    int currentKey() const { return m_logic.currentKey(); }
    NewSettlement &logic() { return m_logic; }
    bool MakeDatiIva() const { return m_logic.makeDatiIva(); }
    // The dialog could not read its lists (the reason has been shown).
    bool loadFailed() const { return m_loadFailed; }

    // What the user chose: the activity and VAT year keys, the period as the list names
    // it, the advance method. select() puts a former choice back, as far as it still exists.
    struct Selection {
        int activity = 0;
        int vatYear = 0;
        QString period;
        int method = 0;
    };
    Selection selection() const;
    void select(const Selection &s);

    // sbSetComboMesi: the period list for the chosen activity and year.
    void sbSetComboMesi();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    QFrame *buildChoices();
    QHBoxLayout *buildButtons();
    void connectControls();
    void load();
    void selectKey(QComboBox *combo, int key);
    int chosenKey(const QComboBox *combo) const;
    void selectionChanged();
    void periodChanged();
    void ok();

    MessageService &m_messages;
    NewSettlement m_logic;
    int m_result = 2;
    bool m_loadFailed = false;

    QComboBox *cboAttivita;
    QComboBox *cboPeriodoIva;
    QComboBox *cboMese;
    QComboBox *cboMetodo;
    QLabel *lblMetodo;
    QCheckBox *chkNoMakeDatiIva;
    QPushButton *cmdOk;
    QPushButton *cmdAnnulla;
};

} // namespace liqiva
