#include "domain/document/SettlementDocument.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/RowState.h"
#include "database/SqlValue.h"
#include "domain/credits/CreditoAnnuale.h"
#include "domain/credits/CreditoAutotrasportatori.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/declarations/DeclarationTotals.h"
#include "domain/document/DeclarationEdit.h"
#include "domain/document/ReportReader.h"
#include "domain/engine/Amounts.h"
#include "domain/engine/InterestAdvance.h"
#include "domain/engine/ReportRebuild.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "domain/prorata/cDatiProRata.h"
#include "suite/BusyCounter.h"
#include "suite/CreditComponent.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"
#include "suite/Rounding.h"

namespace liqiva {

namespace {

std::optional<Money> optionalAmount(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return std::nullopt;
    return Money::fromVariant(v);
}

// A message service that also keeps what it shows, for the document's log.
class LoggingMessages : public MessageService {
public:
    LoggingMessages(MessageService &inner, QStringList &log) : m_inner(inner), m_log(log) {}
    Answer messageBox(const QString &text, Buttons buttons, Icon icon, const QString &title) override
    {
        m_log << text;
        return m_inner.messageBox(text, buttons, icon, title);
    }

private:
    MessageService &m_inner;
    QStringList &m_log;
};
} // namespace

SettlementDocument::SettlementDocument(const DocumentContext &context)
    : m_ctx(context), m_amounts(std::make_unique<Amounts>(context.db, context.idUser)),
      m_proRata(std::make_unique<cDatiProRata>(context.db)),
      m_altreOperazioni(std::make_unique<cAltreOperazioni>(context.db)), m_datiDip(std::make_unique<AltriDatiDip>()),
      m_datiCadi(std::make_unique<DatiCADI>())
{
    m_proRata->setIDUtente(context.idUser);
    m_proRata->setIDAzienda(context.idAzienda);
    m_altreOperazioni->setIDUtente(context.idUser);
    m_amountToPayCaption = amountToPayLabel();
}

SettlementDocument::~SettlementDocument() = default;

std::unique_ptr<CreditoAutotrasportatori> SettlementDocument::truckersCredit()
{
    auto credit = std::make_unique<CreditoAutotrasportatori>(m_ctx.db, m_ctx.idUser);
    credit->Load(m_id, currencyStep());
    if (!m_id.lireRules())
        credit->setUtilizzato(fromAmounts(m_amounts->CreAutotraspUti()));
    return credit;
}

void SettlementDocument::declarationDataChanged(bool fromAnnualCommunication)
{
    AltriDatiDip &dip = *m_datiDip;
    DatiCADI &cadi = *m_datiCadi;
    if (fromAnnualCommunication) {
        dip.VP3_Imponibile = cadi.Imponibile;
        dip.VP3_Imposta = cadi.Imposta;
        dip.VersamentoNonEffettuato = cadi.EventiEccezionali;
    } else {
        cadi.Imponibile = dip.VP3_Imponibile;
        cadi.Imposta = dip.VP3_Imposta;
        cadi.EventiEccezionali = dip.VersamentoNonEffettuato;
    }
}

bool SettlementDocument::applyTruckersCredit(const CreditoAutotrasportatori &credit)
{
    if (!truckersCreditEnabled())
        return false;
    if (!m_id.lireRules()) {
        // The special credits together may not exceed the VAT of the period: checked on a
        // copy, so that a refusal leaves the amounts as they were.
        Amounts trial = *m_amounts;
        trial.setCreAutotraspUti(toAmounts(credit.Utilizzato()));
        if (const QString reason = specialCreditsFault(trial); !reason.isEmpty())
            throw Refusal(reason);
    }
    m_truckersUsed = credit.Utilizzato();
    m_truckersKey = key();
    refill();
    return true;
}

void SettlementDocument::refill()
{
    struct Keep {
        bool &flag;
        explicit Keep(bool &f) : flag(f) { flag = true; }
        ~Keep() { flag = false; }
    } keep(m_keepTypedAmounts);
    sbChildFill(key(), false);
}

QStringList SettlementDocument::sbChildFill(int key, bool makeDatiIva)
{
    BusyScope busy;
    m_messageLog.clear();
    m_payments = PaymentData{};
    m_dip = DeclarationGrid{};
    m_amountToPayCaption = amountToPayLabel();

    // On SQLite the whole fill is one transaction: its reads take the database once instead
    // of one lock each. PostgreSQL would only pay the round trips of a longer transaction.
    std::optional<Transaction> whole;
    if (m_ctx.db.engine() == Engine::Sqlite)
        whole.emplace(m_ctx.db);

    // The settlement and its period, with the row's stamp: read before the counters, so that
    // a write that changes the period's figures after this moment (an import of invoices)
    // changes the stamp, and the save is refused.
    loadIdentity(key);
    readPeriodFacts();  // the VAT year, the activity's kind, the previous year
    buildPeriodTexts(); // labels
    const QStringList notices = rebuildVatData(makeDatiIva);
    m_messageLog << notices;

    loadOtherOperations(key);
    readReceiptFlags();
    setAdvancePaymentEnabled(m_payments, m_id.isAdvance());
    loadProRata(key);

    m_autotrasportatore = m_activityYear.autotrasportatore;
    if (m_truckersKey != key)
        m_truckersUsed.reset();

    LoggingMessages logging(m_ctx.messages, m_messageLog);
    const ReportOutcome outcome = rebuildReport(logging);
    showReport(outcome);
    readDeclarationData(key, outcome);
    if (whole)
        whole->commit();
    // Shown once the work is committed.
    for (const QString &text : outcome.messages)
        logging.warn(text);
    return notices;
}

void SettlementDocument::loadOtherOperations(int key)
{
    if (!m_id.isAdvance())
        return;
    // Filled again after its dialog, the settlement keeps the operations still to be saved.
    const bool pending =
        m_altreOperazioni->IDRisultatoLiquidazioneIva() == key && m_altreOperazioni->hasPendingChanges();
    m_altreOperazioni->setIDRisultatoLiquidazioneIva(key);
    if (!pending)
        m_altreOperazioni->Refresh();
}

void SettlementDocument::loadProRata(int key)
{
    // The operations typed over in the pro-rata dialog stay until the settlement is saved or
    // closed.
    const std::optional<std::pair<Money, Money>> typedProRata =
        m_proRata->IDRisultatoLiquidazioneIva() == key ? m_proRata->OperazioniDigitate() : std::nullopt;
    m_proRata->setIDAttivitaAzienda(m_id.idAttivitaAzienda);
    m_proRata->setIDPeriodoIva(m_id.idPeriodoIva);
    m_proRata->setIDMese(m_id.idMese);
    m_proRata->setMetodoCalcoloAccontoIva(m_id.metodoCalcoloAccontoIva);
    m_proRata->setIDRisultatoLiquidazioneIva(key);
    m_proRata->setDecimali(m_euro);
    m_proRata->LoadDati(key, &m_activityYear);
    if (typedProRata)
        m_proRata->Aggiorna(typedProRata->first, typedProRata->second,
                            cDatiProRata::CalcolaPercProRata(typedProRata->first, typedProRata->second));
}

// The engine rebuilds the report rows and the header.
ReportOutcome SettlementDocument::rebuildReport(MessageService &messages)
{
    ReportInputs inputs;
    inputs.periodCaption = m_periodText;
    inputs.percProRata = m_proRata->PercProRata();
    if (m_id.isAdvance())
        inputs.otherOperationsVat = m_altreOperazioni->TotaleImposta();
    inputs.ventilationShown = m_showReceiptsToSplit;
    if (m_truckersUsed && m_id.lireRules()) {
        CreditoAutotrasportatori credit(m_ctx.db, m_ctx.idUser);
        credit.Load(m_id, currencyStep());
        inputs.truckersCreditUsed = *m_truckersUsed;
        inputs.truckersCreditResidual = credit.Disponibile() - *m_truckersUsed;
    }
    EngineContext engine{m_ctx.db, messages, m_ctx.idUser, m_dImpMinIva, m_euro, &m_activityYear};
    return sbRicalcolaReportLiquidazione(engine, m_id, inputs);
}

// The report as the rebuild computed it, with the other operations of the December advance.
void SettlementDocument::showReport(const ReportOutcome &outcome)
{
    SummaryInputs summary;
    summary.gestioneArt36 = m_gestioneArt36;
    summary.activityYear = m_activityYear;
    m_compensation = outcome.compensationGroups;
    summary.compensation = outcome.compensationGroups;
    m_report = reportView(outcome.rows, outcome.header, summary);

    if (DetailGrid *other = m_report.grid(QString::fromLatin1(Grid::AltreOperazioni)); other && m_id.isAdvance()) {
        for (const AltraOperazione &op : m_altreOperazioni->DocumentData())
            other->lines.push_back({op.DescrizioneSuRegistroIVA, {op.Imponibile, op.Imposta}, false});
        other->lines.push_back({u"Totale altre operazioni:"_qs,
                                {m_altreOperazioni->TotaleImponibile(), m_altreOperazioni->TotaleImposta()},
                                true});
    }
    for (const SummaryLine &line : m_report.credito)
        if (line.description == u"Totale IVA su acquisti"_qs)
            m_proRata->setTotaleIvaAcquisti(line.amount.value_or(Money()));
}

// The payments, the declaration's grid and data, the closing and the advance paid.
void SettlementDocument::readDeclarationData(int key, const ReportOutcome &outcome)
{
    m_payments.periodic = Payment{};
    m_payments.periodic.riportaInStampa = outcome.printPeriodicPayment;
    m_payments.advance.riportaInStampa = outcome.printAdvancePayment;
    std::map<int, Money> stored = readSettlementAmounts(key);
    loadDeclaration();
    {
        DeclarationTotals totals(m_ctx.db, m_id, m_tipoLiquidazione, currencyStep());
        totals.setVentilatedReceipts(outcome.ventilatedForDeclaration);
        totals.setFlags(m_declarationFlags);
        totals.setStoredAmounts(std::move(stored));
        totals.LoadBoth(*m_datiDip, *m_datiCadi);
    }
    computeClosing();
    readAdvancePaid();
}

// The periodic payment and the stored amounts the declaration reads, in one statement: the
// first row of type 8 (any), the first live row of each amount type.
std::map<int, Money> SettlementDocument::readSettlementAmounts(int key)
{
    SqlStatement types;
    for (int t : DeclarationTotals::storedTypes())
        types += (types.isEmpty() ? QString() : u", "_qs) + sqlParam(t);
    std::map<int, Money> stored;
    bool paid = false;
    QVariant place;
    {
        Recordset rs = m_ctx.db.openRecordset(
            u"SELECT * FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs + sqlParam(key) +
            u" AND (IDTipoRisultatoLiquidazioneIva = 8 OR (IDTipoRisultatoLiquidazioneIva IN ("_qs + types +
            u") AND "_qs + RowState::equals(RowState::Live) + u"))"_qs);
        for (; !rs.eof(); rs.moveNext()) {
            const int type = rs.integer(u"IDTipoRisultatoLiquidazioneIva"_qs);
            if (type == 8 && !paid) {
                place = readPeriodicPayment(rs, m_payments.periodic);
                paid = true;
            } else if (type != 8 && !stored.count(type)) {
                stored[type] = Money::fromVariant(rs.field(u"Importo"_qs));
            }
        }
    }
    if (paid)
        describePaymentPlace(m_ctx.db, m_payments.periodic, place);
    return stored;
}

void SettlementDocument::loadIdentity(int key)
{
    // The settlement with its period, its month's name, the company's currency and minimum
    // payment and the activity's settings of the VAT year, in one statement, its text made once.
    static const QString sql =
        u"SELECT R.IDPeriodoIva, R.IDAttivitaAzienda, R.IDMese, R.AccontoIva, R.MetodoCalcoloAccontoIva, "
        u"CASE WHEN R.VirtualDelete = 0 THEN R.SoggettoRimborsoLiqIva END AS SoggettoLive, PeriodoIva.Anno, "
        u"PeriodoIva.IDAzienda, Mese.Mese, Cfg.IDAzienda AS CfgAzienda, Cfg.ImportoMinimoIvaLiquidazionePeriodica, "
        u"Valuta.Decimali, R.IDUtenteUltimaVariazione, R.DataUltimaVariazione, "_qs +
        DeclarationFlags::columns(u"R."_qs) + u", "_qs + ActivitySettings::columns() +
        u" FROM (((((RisultatoLiquidazioneIva AS R INNER JOIN PeriodoIva ON R.IDPeriodoIva = "
        u"PeriodoIva.IDPeriodoIva) LEFT JOIN Mese ON Mese.IDMese = R.IDMese) LEFT JOIN ConfigurazioneContabile AS Cfg "
        u"ON Cfg.IDAzienda = PeriodoIva.IDAzienda AND Cfg.VirtualDelete = 0) LEFT JOIN Valuta ON Cfg.IDValuta = "
        u"Valuta.IDValuta"_qs +
        ActivitySettings::joins(u"R.IDAttivitaAzienda"_qs) + u" WHERE R.IDRisultatoLiquidazioneIva = ? AND "_qs +
        RowState::notCopy(u"R"_qs);
    Recordset rs = m_ctx.db.openRecordset(sql, {sqlValue(key)});
    if (rs.eof())
        throw Refusal(
            QStringLiteral("La liquidazione I.V.A. %1 non esiste: è stata eliminata, forse da un altro utente.")
                .arg(key));
    SettlementIdentity id;
    id.idRisultatoLiquidazioneIva = key;
    id.idPeriodoIva = rs.integer(u"IDPeriodoIva"_qs);
    id.idAttivitaAzienda = rs.integer(u"IDAttivitaAzienda"_qs);
    id.anno = rs.integer(u"Anno"_qs);
    id.idAzienda = rs.integer(u"IDAzienda"_qs);
    if (rs.isNull(u"IDMese"_qs))
        id.idMese = rs.number(u"AccontoIva"_qs) != 0 ? Month::DecemberAdvance : Month::WholeYear;
    else
        id.idMese = rs.integer(u"IDMese"_qs);
    id.metodoCalcoloAccontoIva = id.isAdvance() ? rs.integer(u"MetodoCalcoloAccontoIva"_qs) : 0;
    m_id = id;
    m_monthName = rs.text(u"Mese"_qs);
    m_storedSoggetto = !Money::fromVariant(rs.field(u"SoggettoLive"_qs)).isZero();
    m_rowStamp = stampOf(rs);
    m_declarationFlags = DeclarationFlags::of(rs);
    m_activityYear = ActivitySettings::of(rs, id.idAttivitaAzienda, id.idPeriodoIva);

    // The company's currency and minimum payment; years before 2000 follow the lire rules.
    bool companyEuro = true;
    m_dImpMinIva = Money();
    if (!rs.isNull(u"CfgAzienda"_qs)) {
        m_dImpMinIva = Money::fromVariant(rs.field(u"ImportoMinimoIvaLiquidazionePeriodica"_qs));
        companyEuro = rs.isNull(u"Decimali"_qs) || rs.number(u"Decimali"_qs) > 0;
    }
    m_euro = companyEuro && !id.lireRules();
}

void SettlementDocument::readPeriodFacts()
{
    m_gestioneArt36 = m_activityYear.gestioneArt36;
    m_lblPeriodoIva = u"Periodo IVA: "_qs + m_activityYear.periodoIva;
    m_tipoLiquidazione = m_activityYear.tipoLiquidazioneIva;
    m_exArticolo7374 = m_activityYear.exArticolo7374;
    m_calcoloInteressi = m_activityYear.calcoloInteressi;
    // The December advance with the historical method reads the previous VAT year.
    m_idPeriodoIvaPrec = 0;
    m_tipoLiquidazionePrec = m_tipoLiquidazione;
    if (m_id.isAdvance() && m_id.metodoCalcoloAccontoIva == AdvanceMethod::Historical) {
        int tipo = m_tipoLiquidazione;
        m_idPeriodoIvaPrec = fnPeriodoIvaAnnoPrecedente(m_ctx.db, m_id.idAttivitaAzienda, m_id.anno - 1, &tipo);
        m_tipoLiquidazionePrec = tipo;
    }
}

void SettlementDocument::buildPeriodTexts()
{
    static const char *quarters[] = {"GEN-FEB-MAR ", "APR-MAG-GIU ", "LUG-AGO-SET ", "OTT-NOV-DIC "};
    static const char *methods[] = {" - Analitico", " - Storico", " - Previsionale"};
    const QString year = QString::number(m_id.anno);
    if (m_id.isAnnual()) {
        m_periodText = u"Liquidazione annuale "_qs + year;
        m_lblTipoLiquidazione = u"Tipo liquidazione: Annuale"_qs;
    } else {
        if (m_tipoLiquidazione != 0) {
            const int month = m_id.isAdvance() ? 12 : m_id.idMese;
            m_periodText = QString::fromLatin1(quarters[(month - 1) / 3]) + year;
            m_lblTipoLiquidazione = m_exArticolo7374 ? u"Tipo liquidazione: Trimestrale ex art.73/74"_qs
                                                     : u"Tipo liquidazione: Trimestrale"_qs;
        } else {
            // The month name as the browse gives it: "Dicembre Acconto" for the advance.
            const QString name = m_id.isAdvance() ? u"Dicembre Acconto"_qs : m_monthName;
            m_periodText = name + u" "_qs + year;
            m_lblTipoLiquidazione = u"Tipo liquidazione: Mensile"_qs;
        }
        if (m_id.isAdvance()) {
            const int method = std::clamp(m_id.metodoCalcoloAccontoIva, 0, 2);
            m_periodText += QString::fromLatin1(methods[method]);
        }
    }
    m_lblPeriodo = u"Periodo: "_qs + m_periodText;

    // The activity's name and code as its settings of the year give them.
    m_lblAttivita = u"Attività azienda: "_qs + m_activityYear.attivitaAzienda;
    m_heading = u"Attività: "_qs + m_activityYear.codiceAttivita + u" - "_qs + m_activityYear.descrizioneAttivita +
                u"    Periodo: "_qs + m_periodText;
}

QStringList SettlementDocument::rebuildVatData(bool makeDatiIva)
{
    if (!makeDatiIva || m_id.isAnnual())
        return {};
    // Our stand-in of the suite's VAT-data rebuild has no journal to rebuild the counters
    // from: it checks the right and leaves the counters as they are.
    if (!m_ctx.mayRebuildVatData)
        return {u"Diritti non sufficienti per effettuare la ricostruzione dati IVA."_qs};
    return {};
}

SqlStatement SettlementDocument::receiptPeriodCondition() const
{
    // The counter rows the fill reads: the advance copies only for the analytical December
    // advance; the other methods read the whole last month or quarter (of the previous year
    // for the historical method, with that year's settlement type).
    const int m = m_id.idMese;
    const bool analyticalAdvance =
        m == Month::DecemberAdvance && m_id.metodoCalcoloAccontoIva == AdvanceMethod::Analytical;
    const int last = m == Month::DecemberAdvance ? 12 : m;
    const bool monthly =
        (m_id.isAdvance() && m_id.metodoCalcoloAccontoIva == AdvanceMethod::Historical ? m_tipoLiquidazionePrec
                                                                                       : m_tipoLiquidazione) == 0;
    if (monthly)
        return analyticalAdvance ? u" AND AccontoIva <> 0"_qs
                                 : u" AND IDMese = "_qs + sqlParam(last) + u" AND AccontoIva = 0"_qs;
    if (analyticalAdvance)
        return u" AND (IDMese = 10 OR IDMese = 11 OR AccontoIva <> 0)"_qs;
    return u" AND (IDMese <= "_qs + sqlParam(last) + u" AND IDMese >= "_qs + sqlParam(last - 2) + u")"_qs +
           u" AND AccontoIva = 0"_qs;
}

void SettlementDocument::readReceiptFlags()
{
    // Whether the period has receipts and receipts to split, in one statement: the annual
    // settlement looks at every ordinary counter month, the others at the fill's months (of
    // the previous year for the historical advance).
    const bool previousYear = m_id.isAdvance() && m_id.metodoCalcoloAccontoIva == AdvanceMethod::Historical;
    const int counterYear = previousYear ? m_id.anno - 1 : m_id.anno;
    const SqlStatement tail = (m_id.isAnnual() ? SqlStatement(u" AND AccontoIva = 0"_qs) : receiptPeriodCondition()) +
                              u" AND IDFiliale IN (SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = "_qs +
                              sqlParam(m_id.idAttivitaAzienda) + u")"_qs;
    auto exists = [&](int type) {
        return u"EXISTS (SELECT IDContatoreIva FROM ContatoreIva WHERE IDTipoContatoreIva = "_qs + sqlParam(type) +
               u" AND Anno = "_qs + sqlParam(m_id.isAnnual() ? m_id.anno : counterYear) + tail + u")"_qs;
    };
    Recordset rs =
        m_ctx.db.openRecordset(u"SELECT CASE WHEN "_qs + exists(5) + u" THEN 1 ELSE 0 END AS R, CASE WHEN "_qs +
                               exists(6) + u" THEN 1 ELSE 0 END AS S"_qs);
    m_showReceipts = !rs.eof() && rs.integer(u"R"_qs) != 0;
    m_showReceiptsToSplit = !rs.eof() && rs.integer(u"S"_qs) != 0;
}

void SettlementDocument::loadDeclaration()
{
    loadAmounts();
    fillDeclarationGrid();
    // As the live settlement row says (the fill does not write it).
    m_soggetto = m_storedSoggetto;
}

// The settlement's stored amounts, or what the user typed and has not saved yet.
void SettlementDocument::loadAmounts()
{
    Amounts &a = *m_amounts;
    // A refill of the same settlement keeps what the user typed and has not saved yet.
    std::optional<Amounts> typed;
    if (m_keepTypedAmounts && a.IDRisultatoLiquidazioneIva() == m_id.idRisultatoLiquidazioneIva)
        typed.emplace(a);
    a.setImpUnita(m_euro);
    a.setTipoLiquidazioneIva(m_tipoLiquidazione);
    a.setActivityYear(&m_activityYear);
    a.LoadByPeriod(m_id.idAttivitaAzienda, m_id.idPeriodoIva, m_id.idMese, m_id.metodoCalcoloAccontoIva);
    a.setActivityYear(nullptr);
    if (typed) {
        QList<Amounts::Key> stored;
        for (auto it = a.collection().cbegin(); it != a.collection().cend(); ++it)
            stored << it.key();
        for (const Amounts::Key &k : stored)
            a.setImporto(k.liquidationType, k.amountType, Money());
        for (auto it = typed->collection().cbegin(); it != typed->collection().cend(); ++it)
            a.setImporto(it.key().liquidationType, it.key().amountType, it.value());
        for (const auto &[figure, type] : Amounts::storedFigures())
            a.setFigure(figure, typed->figure(figure));
    }
    a.setIDRisultatoLiquidazioneIva(m_id.idRisultatoLiquidazioneIva);
    // From 2000 on the truckers' credit used is an amount of the settlement.
    if (m_truckersUsed && !m_id.lireRules())
        a.setCreAutotraspUti(toAmounts(*m_truckersUsed));
}

// The declaration's grid from the header the report read in this fill and the amounts.
void SettlementDocument::fillDeclarationGrid()
{
    Amounts &a = *m_amounts;
    // The header record as the report read it in this fill.
    const QHash<QString, QVariant> &h = m_report.header;
    auto header = [&h](const char *column) -> std::optional<Money> {
        const auto it = h.constFind(QString::fromLatin1(column).toLower());
        if (it == h.constEnd())
            return std::nullopt;
        return optionalAmount(*it);
    };
    // The amounts object holds thousands of lire in the lire years; the grid holds what the
    // header holds.
    auto amount = [this](Money v) -> std::optional<Money> {
        return v.isZero() ? std::nullopt : std::optional<Money>(fromAmounts(v));
    };
    DeclarationGrid &g = m_dip;
    g.setDebit(DeclarationGrid::IvaEsigibile, header("TotIvaDebito"));
    // The header's total credit also holds the advance paid and the truckers' credit used,
    // which the grid shows in rows of their own ("Acconto versato", "Crediti speciali"):
    // the deduction row leaves them out so that they are not counted twice.
    if (const auto credit = header("TotIvaCredito"))
        g.setCredit(DeclarationGrid::IvaDetratta, roundTo(*credit - header("Acconto").value_or(Money()) -
                                                              header("CreditoAutotrasportatori").value_or(Money()),
                                                          currencyStep(), RoundMode::HalfAwayFromZero));
    g.setDebit(DeclarationGrid::IvaAcquistiSplit, header("TotAcquistiIvaSplit"));
    g.setCredit(DeclarationGrid::IvaVenditeSplit, header("IvaSplitPayment"));
    g.setDebit(DeclarationGrid::VariazioniImposta, amount(a.VarImpoPeriodoPrecDeb()));
    g.setCredit(DeclarationGrid::VariazioniImposta, amount(a.VarImpoPeriodoPrecCre()));
    g.setDebit(DeclarationGrid::IvaNonVersata, amount(a.IvaNoVersataPrec()));
    g.setCredit(DeclarationGrid::IvaNonVersata, amount(a.IvaVersataEccesso()));
    g.setDebit(DeclarationGrid::RiportoPeriodoPrecedente, header("DebitoPeriodoPrec"));
    g.setCredit(DeclarationGrid::RiportoPeriodoPrecedente, header("CreditoPeriodoPrec"));
    g.setCredit(DeclarationGrid::CreditoInDetrazione, amount(a.CreditoInDetrazione()));
    // The truckers' credit of the lire years is the engine's: the amounts take it (in their
    // unit) and the save stores it as type 4 and books it on the activity's year.
    if (m_id.lireRules() && !m_id.isAdvance())
        a.setCreAutotraspUti(toAmounts(header("CreditoAutotrasportatori").value_or(Money())));
    g.setCredit(DeclarationGrid::CreditiSpeciali, amount(a.CreditiSpeciali()));
    const std::optional<Money> interest = header("Interessi150");
    g.setDebit(DeclarationGrid::InteressiTrimestrali, interest);
    g.setCredit(DeclarationGrid::AccontoVersato, amount(a.AccontoVersato()));
    if (!m_id.lireRules() && !m_id.isAnnual()) {
        // From 2000 the interest is the document's (see computeClosing); the stored amount
        // the user confirmed stands until then.
        g.setDebit(DeclarationGrid::InteressiTrimestrali, amount(a.IntTrimDovuti()));
    } else {
        a.setIntTrimDovuti(toAmounts(interest.value_or(Money())));
    }
    g.compute(currencyStep());
    a.setIvaPeriodo(toAmounts(g.net(DeclarationGrid::IvaDovutaCreditoPeriodo)));
}

void SettlementDocument::recomputeDeclaration()
{
    m_dip.compute(currencyStep());
    m_amounts->setIvaPeriodo(toAmounts(m_dip.net(DeclarationGrid::IvaDovutaCreditoPeriodo)));
    computeClosing();
}

void SettlementDocument::computeClosing()
{
    Amounts &a = *m_amounts;
    const Step step = currencyStep();

    // Quarterly interest from 2000: the debt of row 10 less row 11 at the year's rate.
    if (!m_id.lireRules() && m_tipoLiquidazione != 0 && m_calcoloInteressi && m_id.idMese >= 3 && m_id.idMese <= 9 &&
        m_id.idMese % 3 == 0) {
        const Percent rate = quarterlyInterestRate(m_activityYear, m_id.idMese / 3, m_id.anno);
        const Money computed = rate.of(m_dip.interestBase(step), step, RoundMode::HalfAwayFromZero);
        // The amount due follows the computed one unless the user typed another.
        const bool typedByUser = !a.IntTrimDovuti().isZero() && a.IntTrimDovuti() != a.IntTrimDovutiCalc();
        a.setIntTrimDovutiCalc(toAmounts(computed));
        if (!typedByUser)
            a.setIntTrimDovuti(toAmounts(computed));
        m_dip.setDebit(DeclarationGrid::InteressiTrimestrali,
                       a.IntTrimDovuti().isZero() ? std::nullopt
                                                  : std::optional<Money>(fromAmounts(a.IntTrimDovuti())));
        m_dip.compute(step);
    }

    const ClosingAmounts c = closingAmounts(m_dip.result(), fromAmounts(a.IntAnnDovuti()),
                                            fromAmounts(a.RimbInfrannuale()), fromAmounts(a.CreCompF24()), step);
    a.setIvaDaVersare(toAmounts(c.ivaDaVersare));
    a.setCreDimLiquiSucc(toAmounts(c.creDimLiquiSucc));

    if (m_id.isAnnual()) {
        CreditComponent credits(m_ctx.db, m_id.idAzienda);
        const int previousMode = credits.setMode(1);
        a.setCreDimLiquiSucc(toAmounts(roundTo(fromAmounts(a.CreDimLiquiSucc()) + credits.credit(m_id.anno, 12), step,
                                               RoundMode::HalfAwayFromZero)));
        credits.setMode(previousMode);
    }

    m_amountToPayCaption = amountToPayLabel();
    if (m_id.isAdvance() && m_id.metodoCalcoloAccontoIva != AdvanceMethod::Analytical) {
        const AdvanceAmount advance = decemberAdvance(fromAmounts(a.IvaDaVersare()), m_id.metodoCalcoloAccontoIva,
                                                      m_tipoLiquidazione, m_tipoLiquidazionePrec, step);
        a.setIvaDaVersare(toAmounts(advance.ivaDaVersare));
        m_amountToPayCaption = advance.label;
    }
    showClosingInSummary();
}

void SettlementDocument::showClosingInSummary()
{
    // From 2000 the header leaves the preceding period, the interest and the amount to pay to
    // the settlement's amounts: the summary shows the settlement's own figures on those lines,
    // so that it says what the declaration tab, the print and the F24 lines say.
    if (m_id.lireRules())
        return;
    const Money due = importoDaVersare();
    const Money credit = creditoResiduo();
    auto positive = [](Money v) { return v > Money() ? std::optional<Money>(v) : std::nullopt; };
    const Money interest = m_id.isAnnual() ? Money() : m_dip.debit(DeclarationGrid::InteressiTrimestrali);
    auto set = [](std::vector<SummaryLine> &lines, const QString &caption, std::optional<Money> value) {
        for (SummaryLine &line : lines)
            if (line.description == caption)
                line.amount = value;
    };
    set(m_report.credito, u"Credito precedente"_qs, m_dip.credit(DeclarationGrid::RiportoPeriodoPrecedente));
    set(m_report.credito, u"Totale credito"_qs, positive(credit));
    set(m_report.debito, u"Debito precedente"_qs, m_dip.debit(DeclarationGrid::RiportoPeriodoPrecedente));
    set(m_report.debito, u"Totale debito"_qs, positive(due - interest));
    if (!m_id.isAnnual())
        set(m_report.debito, u"Interessi 1,50"_qs, positive(interest));
    set(m_report.debito, u"Tot da versare"_qs, positive(due));
}

F24Input SettlementDocument::f24Input() const
{
    F24Input in = loadF24Input(m_ctx.db, key(), importoDaVersare());
    in.creditoAnnualeCompensato = fromAmounts(m_amounts->CICUtiF24());
    return in;
}

void SettlementDocument::readAdvancePaid()
{
    // The advance paid counts for the advance itself, December and the whole year.
    if (m_id.idMese != 0 && m_id.idMese != 12 && !m_id.isAdvance())
        return;
    SqlStatement sql =
        u"SELECT Importo, DataVersamento FROM RisultatoLiquidazioneIvaXTipo INNER JOIN RisultatoLiquidazioneIva ON "
        u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
        u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva "
        u"WHERE IDTipoRisultatoLiquidazioneIva = 9 AND IDAttivitaAzienda = "_qs +
        sqlParam(m_id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(m_id.idPeriodoIva) +
        u" AND AccontoIva <> 0"_qs;
    Recordset rs = m_ctx.db.openRecordset(sql);
    if (rs.eof())
        return;
    Payment &p = m_payments.advance;
    p.importo = Money::fromVariant(rs.field(u"Importo"_qs));
    const QVariant d = rs.field(u"DataVersamento"_qs);
    if (!d.isNull()) {
        QDate date = d.toDate();
        if (!date.isValid())
            date = QDate::fromString(d.toString().left(10), Qt::ISODate);
        if (date.isValid())
            p.dataVersamento = date;
    }
}

Money SettlementDocument::interessiAnnuali() const
{
    return fromAmounts(m_amounts->IntAnnDovuti());
}

Money SettlementDocument::importoDaVersare() const
{
    return fromAmounts(m_amounts->IvaDaVersare());
}

Money SettlementDocument::creditoResiduo() const
{
    return fromAmounts(m_amounts->CreDimLiquiSucc());
}

Money SettlementDocument::creditoInfrannualeF24() const
{
    return fromAmounts(m_amounts->CreCompF24());
}

Money SettlementDocument::creditoInfrannualeRimborso() const
{
    return fromAmounts(m_amounts->RimbInfrannuale());
}

} // namespace liqiva
