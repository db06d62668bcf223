#pragma once

#include "domain/communication/F24Lines.h"
#include "domain/credits/CreditoAnnuale.h"
#include "domain/declarations/DeclarationTotals.h"
#include "domain/document/DeclarationGrid.h"
#include "domain/document/PaymentData.h"
#include "domain/document/ReportView.h"
#include "domain/engine/ActivitySettings.h"
#include "domain/engine/ReportRebuild.h"
#include "domain/engine/SettlementIdentity.h"
#include "suite/Money.h"
#include "suite/Questions.h"
#include "suite/Rounding.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace liqiva {

class Amounts;
class CreditoAutotrasportatori;
class cDatiProRata;
class cAltreOperazioni;
class AltriDatiDip;
class DatiCADI;
class UtilityServices;

// Who works on the document and for which company.
struct DocumentContext {
    Connection &db;
    MessageService &messages;
    int idUser = 0;
    int idAzienda = 0;
    int idFunction = 0;
    // May the user rebuild the VAT data (the suite's right check for the function)?
    bool mayRebuildVatData = true;
    // Who else holds a settlement open (another window or command, by the usage register):
    // the user's name, empty when nobody does. A delete of a held settlement is refused.
    std::function<QString(int idRisultatoLiquidazioneIva)> heldByOther;
};

// What the save of a settlement puts to the user before it writes, in order: `first`, then
// the annual credit carried into the next year when there is one (the caller may show it to
// the user, who may change the refund, and checks it with Valida), then `then`. The caller
// puts each question (a window with its boxes, the command from --yes) and gives the
// answers to fnChildSave in the same order; nothing is written before. A no to the question
// about a communication to send again leaves the save undone.
struct SaveQuestions {
    enum class Kind { UpdatePaid, ReplaceAnnualCredit, ProRataNotice, ProRataPercentage, ResendCommunication };
    QList<Question> first;
    std::shared_ptr<CreditoAnnuale> annualCredit;
    QList<Question> then;
    // What each question is about, for the save.
    QList<Kind> firstKinds, thenKinds;
    bool annual = false;
    int proRataRow = 0;
};
struct SaveAnswers {
    QList<bool> first, then;
};

// The settlement document without its window: what the settlement window owns (identity,
// amounts, pro-rata, other operations, declaration data, payment data) and the fill that
// computes it. The window only shows it.
class SettlementDocument {
public:
    explicit SettlementDocument(const DocumentContext &context);
    ~SettlementDocument();
    SettlementDocument(const SettlementDocument &) = delete;
    SettlementDocument &operator=(const SettlementDocument &) = delete;

    // The computation run: establishes the period of the settlement, lets the engine rebuild
    // its report data and reads everything back. Database errors are thrown as DbError.
    // Returns the notices for the user (the VAT data could not be rebuilt), for the caller to
    // show: the document shows none.
    QStringList sbChildFill(int idRisultatoLiquidazioneIva, bool makeDatiIva);
    // Fills the settlement again after a dialog changed what it is computed from (the
    // pro-rata, the other operations, the truckers' credit): the amounts typed in the
    // declaration grid and the credit windows and not saved yet stay as they are.
    void refill();

    // The save of the settlement shown in two steps. First the check before saving (a
    // Refusal, or DbError saying the save failed) and what the save asks; it writes nothing.
    SaveQuestions saveQuestions();
    // Then, with the answers, every row of the save in one transaction, with what
    // `alongside` writes (it runs last, inside it). Throws Refusal when a rule refuses the
    // save and DbError (saying the save failed) when the database fails; false when a
    // question was answered no. Nothing is written unless it returns true.
    bool fnChildSave(const SaveQuestions &questions, const SaveAnswers &answers,
                     const std::function<void()> &alongside = {});
    // Deletes the settlement shown (the caller has asked for confirmation), in one transaction.
    // Throws as the save does.
    bool sbChildDelete();
    // What the last save or delete has to tell once it is over (a communication to send
    // again, movements left in the next year), for the caller to show.
    const QStringList &notices() const { return m_notices; }
    // Removes the working rows of the document's settlement (closing without saving).
    void sbRemoveTrashRecord();

    // The check before saving: a Refusal when another saved settlement covers the same
    // period or a payment's text does not fit its column.
    void fnValidateFields();

    static QString msgAnotherSavedSettlement();
    static QString msgSettlementGone();
    static QString msgSettlementReplaced();
    static QString msgChangedByOther(const QString &user);
    static QString msgSavedElsewhere();
    // The question before saving a communicated settlement with other figures, and what the
    // user is told when it was communicated meanwhile.
    static QString msgCommunicatedChanged(const QDateTime &when);
    static QString msgCommunicationToResend();
    static QString msgHeldByOther(const QString &user);
    static QString msgSaveFailed(const QString &reason);
    static QString msgDeleteFailed(const QString &reason);

    // Recomputes the declaration grid's computed rows, the quarterly interest, the closing
    // amounts and the December advance after an edit of the grid.
    void recomputeDeclaration();

    // ---- identity and header texts -------------------------------------------------
    const SettlementIdentity &identity() const { return m_id; }
    int key() const { return m_id.idRisultatoLiquidazioneIva; }
    QString lblPeriodoIva() const { return m_lblPeriodoIva; }
    QString lblPeriodo() const { return m_lblPeriodo; }
    QString lblTipoLiquidazione() const { return m_lblTipoLiquidazione; }
    QString lblAttivita() const { return m_lblAttivita; }
    QString periodText() const { return m_periodText; }
    QString heading() const { return m_heading; }
    int tipoLiquidazione() const { return m_tipoLiquidazione; }
    int tipoLiquidazionePrecedente() const { return m_tipoLiquidazionePrec; }
    int idPeriodoIvaPrecedente() const { return m_idPeriodoIvaPrec; }
    bool gestioneArt36() const { return m_gestioneArt36; }
    bool exArticolo7374() const { return m_exArticolo7374; }
    bool calcoloInteressi() const { return m_calcoloInteressi; }
    Step currencyStep() const { return m_euro ? Step::Cent : Step::Lira; }
    // The smallest amount of the currency: a cent or a lira.
    Money currencyUnit() const { return m_euro ? Money::fromRaw(Money::Scale / 100) : Money::units(1); }
    // An amount of the amounts object in the currency of the grid, and back: the amounts
    // object holds thousands of lire in the lire years.
    Money fromAmounts(Money amount) const { return m_euro ? amount : amount * 1000; }
    Money toAmounts(Money value) const { return m_euro ? value : Money::fromRaw(value.raw() / 1000); }
    bool euro() const { return m_euro; }
    Money dImpMinIva() const { return m_dImpMinIva; }

    // ---- what the tabs show --------------------------------------------------------
    bool showReceipts() const { return m_showReceipts; }
    bool showReceiptsToSplit() const { return m_showReceiptsToSplit; }
    bool otherOperationsEnabled() const { return m_id.isAdvance(); }
    const ReportView &report() const { return m_report; }
    const QList<CompensationGroup> &compensation() const { return m_compensation; }
    DeclarationGrid &declaration() { return m_dip; }
    const DeclarationGrid &declaration() const { return m_dip; }
    bool soggettoRimborso() const { return m_soggetto; }
    void setSoggettoRimborso(bool v) { m_soggetto = v; }
    // The five amounts below the declaration grid.
    Money interessiAnnuali() const;
    Money importoDaVersare() const;
    Money creditoResiduo() const;
    Money creditoInfrannualeF24() const;
    Money creditoInfrannualeRimborso() const;
    QString amountToPayCaption() const { return m_amountToPayCaption; }
    // The one figure of the settlement: the VAT it leaves to pay or, when it leaves nothing to
    // pay, the credit it carries as a negative amount. The save stores it as the balance
    // (amount type 1) from 2000 on, and the browse, the list and the year view read it there.
    Money saldo() const { return importoDaVersare() > Money() ? importoDaVersare() : -creditoResiduo(); }
    // What the F24 lines of the settlement depend on, with the amount to pay and the
    // compensable credit used in the form as the document holds them now (the report header
    // has the credit only after a save).
    F24Input f24Input() const;
    PaymentData &payments() { return m_payments; }
    const PaymentData &payments() const { return m_payments; }
    // Messages the fill showed (also through the message service).
    const QStringList &messages() const { return m_messageLog; }

    // ---- the objects of the document -----------------------------------------------
    Amounts &amounts() { return *m_amounts; }
    const Amounts &amounts() const { return *m_amounts; }
    cDatiProRata &proRata() { return *m_proRata; }
    cAltreOperazioni &altreOperazioni() { return *m_altreOperazioni; }
    AltriDatiDip &datiDip() { return *m_datiDip; }
    DatiCADI &datiCadi() { return *m_datiCadi; }

    const DocumentContext &context() const { return m_ctx; }

    // ---- the truckers' credit ---------------------------------------------------------
    // A trucker's settlement of a month or a quarter may use the activity's credit.
    bool truckersCreditEnabled() const { return m_autotrasportatore && m_id.idMese >= 1 && m_id.idMese <= 12; }
    // The credit available to the settlement and the part it uses now.
    std::unique_ptr<CreditoAutotrasportatori> truckersCredit();
    // Takes the used credit the dialog confirmed and fills the settlement again. Checked
    // against the VAT of the period too: a Refusal with the reason. False: not a trucker's
    // settlement of a month or a quarter; nothing changed.
    bool applyTruckersCredit(const CreditoAutotrasportatori &credit);

    // The periodic declaration and the annual communication share the imports without VAT at
    // customs and the exceptional events: an edit of one is carried into the other.
    void declarationDataChanged(bool fromAnnualCommunication);
    // The annual communication, not the periodic declaration, is the declaration of the
    // annual settlement from 2002 on.
    bool annualCommunication() const { return m_id.isAnnual() && m_id.anno >= 2002; }

    // The settlement row as a command first found it: its period and its last change. After
    // the fill the document must hold that same row, not one that took its key meanwhile (a
    // settlement deleted and its key given to a new one).
    struct RowAsRead {
        int idAttivitaAzienda = 0;
        int idPeriodoIva = 0;
        int idMese = 0; // 0 the year, 13 the December advance
        int metodo = 0;
        int virtualDelete = 0;
        QString stamp; // user and moment of the last change
    };
    static std::optional<RowAsRead> readRow(Connection &db, int idRisultatoLiquidazioneIva);
    // The user and moment of the last change of a settlement row, from a record set that
    // selected IDUtenteUltimaVariazione and DataUltimaVariazione.
    static QString stampOf(const Recordset &rs);
    bool holdsRow(const RowAsRead &row) const;

    // The settlement row was changed by this user outside the save (the link of the
    // pro-rata entry): the next save must not take it for another user's change.
    void rowChangedHere() { readRowStamp(); }

private:
    void loadIdentity(int key);
    void readPeriodFacts();
    void buildPeriodTexts();
    QStringList rebuildVatData(bool makeDatiIva);
    void loadOtherOperations(int key);
    void loadProRata(int key);
    ReportOutcome rebuildReport(MessageService &messages);
    void showReport(const ReportOutcome &outcome);
    void readDeclarationData(int key, const ReportOutcome &outcome);
    std::map<int, Money> readSettlementAmounts(int key);
    void readReceiptFlags();
    SqlStatement receiptPeriodCondition() const;
    void loadDeclaration();
    void loadAmounts();
    void fillDeclarationGrid();
    void computeClosing();
    void showClosingInSummary();
    void readAdvancePaid();
    // The row of the settlement as the document found it, and the check, inside a save's or
    // a delete's transaction, that it is still that row (locked against the others' writes).
    void readRowStamp();
    bool anotherSavedSettlement();
    void checkTruckersCredit();
    void lockAndCheckRow();
    QString userName(int idUser);
    // The save's steps, inside its transaction.
    void saveSettlementRow();
    void saveTypedRows();
    void saveDeclarationData();
    void saveCompensation();
    void moveLastSettledMonth();
    void updateReportPrintFields();
    std::vector<std::pair<const char *, Money>> declarationFigures() const;
    std::vector<Money> figuresAfterSave() const;
    void saveTypedRow(int type, Money amount, bool keep, const QString &paymentColumns = {},
                      const SqlStatement &paymentValues = {}, const SqlStatement &paymentAssignments = {});
    void savePaymentRow(int type, const Payment &payment);

    DocumentContext m_ctx;
    SettlementIdentity m_id;
    bool m_euro = true;
    Money m_dImpMinIva;
    QString m_lblPeriodoIva, m_lblPeriodo, m_lblTipoLiquidazione, m_lblAttivita, m_periodText, m_heading;
    QString m_monthName; // the settlement's month, as loadIdentity read it
    int m_tipoLiquidazione = 0;
    int m_tipoLiquidazionePrec = 0;
    int m_idPeriodoIvaPrec = 0;
    ActivitySettings m_activityYear; // read once per fill, handed to the engine
    bool m_gestioneArt36 = false;
    bool m_exArticolo7374 = false;
    bool m_calcoloInteressi = false;
    bool m_showReceipts = false;
    bool m_showReceiptsToSplit = false;
    ReportView m_report;
    QList<CompensationGroup> m_compensation;
    DeclarationGrid m_dip;
    bool m_soggetto = false;
    bool m_storedSoggetto = false; // of the live settlement row, as loadIdentity read it
    QString m_amountToPayCaption;
    PaymentData m_payments;
    QStringList m_messageLog;
    QStringList m_notices;
    QString m_rowStamp;                  // user and moment of the last change of the settlement row
    DeclarationFlags m_declarationFlags; // as the fill read them with the row

    std::unique_ptr<Amounts> m_amounts;
    std::unique_ptr<cDatiProRata> m_proRata;
    std::unique_ptr<cAltreOperazioni> m_altreOperazioni;
    std::unique_ptr<AltriDatiDip> m_datiDip;
    std::unique_ptr<DatiCADI> m_datiCadi;
    bool m_autotrasportatore = false;
    // The used truckers' credit confirmed in the dialog, kept for the settlement across fills.
    std::optional<Money> m_truckersUsed;
    // A refill keeps the amounts typed since the last fill (see refill()).
    bool m_keepTypedAmounts = false;
    int m_truckersKey = 0;
};

} // namespace liqiva
