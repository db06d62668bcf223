#pragma once

#include "domain/declarations/AltriDatiDip.h"

#include <QDialog>
#include <memory>
#include <optional>
#include <utility>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace liqiva {

class Connection;
class MessageService;

// "Altri Dati Dichiarazione IVA Periodica": VP1 and VP2 shown, VP3 and the declaration's
// boxes entered. A view over DatiDipEdit; OK writes into the settlement's object (the save
// of the settlement stores it), Annulla changes nothing.
class frmDatiDip : public QDialog {
    Q_OBJECT
public:
    frmDatiDip(Connection &db, AltriDatiDip &dip, bool soggettoRimborsoLiqIva, bool euro, MessageService &messages,
               QWidget *parent = nullptr);
    ~frmDatiDip() override;

    bool Modify() const { return m_modify; }
    bool ok();

private:
    QWidget *buildDataTab();
    QWidget *buildRefundTab();
    void showFigures();
    std::optional<Money> amount(QLineEdit *field);
    std::optional<std::pair<Money, Money>> typedVP3();
    void focusImposta();
    bool checkVP3();

    struct Core;
    std::unique_ptr<Core> m_core;
    MessageService &m_messages;
    bool m_euro;
    bool m_modify = false;
    AltriDatiDip m_shown;

    QTabWidget *m_tabs = nullptr;
    QLineEdit *curOperazioniAttive = nullptr, *curCessioniIntra = nullptr, *curOperazioniPassive = nullptr,
              *curAcquistiIntra = nullptr, *curImponibile = nullptr, *curImposta = nullptr;
    QCheckBox *chkDicIntegrativa = nullptr, *chkCorrettiva = nullptr, *chkVarImpPeriodiPrec = nullptr,
              *chkContribLiqTrim = nullptr, *chkAliqMediaLettA = nullptr, *chkOpNonImpLettB = nullptr,
              *chkCredRimbInEuro = nullptr, *chkAcquistiBeni = nullptr, *chkVersInEuro = nullptr,
              *chkVersNonEffettuato = nullptr;
    QGroupBox *fraRimborso = nullptr;
};

// "Dati richiesti per la stampa...": what the declaration print still misses. With
// mandatory items OK is disabled and the user can only give up.
class frmInfoDip : public QDialog {
    Q_OBJECT
public:
    explicit frmInfoDip(QWidget *parent = nullptr);
    void NecessaryItems(const QString &text);
    void NotNecessaryItems(const QString &text);
    // The user chose not to print.
    bool CancelOperation() const { return m_cancel; }

private:
    QPlainTextEdit *txtInfo = nullptr;
    QPushButton *cmdOk = nullptr;
    bool m_cancel = true;
};

} // namespace liqiva
