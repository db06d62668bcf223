#include "domain/document/SettlementInput.h"

#include "domain/credits/CreditoAnnuale.h"
#include "domain/credits/CreditoAutotrasportatori.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/declarations/DeclarationDataEdit.h"
#include "domain/document/CreditInput.h"
#include "domain/document/InputText.h"
#include "domain/document/SettlementDocument.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "domain/prorata/cDatiProRata.h"
#include "suite/AccountingEntry.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"
#include "suite/TextCheck.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>
#include <memory>

namespace liqiva {

namespace {

// The members of the dialogs, then those of the declaration and payment tabs.
const QStringList &kMembers()
{
    static const QStringList members =
        QStringList{u"prorata"_qs,         u"otherOperations"_qs, u"annualCredit"_qs,       u"truckersCredit"_qs,
                    u"accountingEntry"_qs, u"declarationData"_qs, u"annualCommunication"_qs} +
        CreditInput::members();
    return members;
}

// An amount given as a number or as text with a decimal point ("1234.56").
Money amountOf(const QJsonObject &object, const QString &member, const QString &path, Money fallback = {})
{
    const QJsonValue v = object.value(member);
    if (v.isUndefined() || v.isNull())
        return fallback;
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (std::isfinite(d) && std::abs(d) < 9e14 && std::abs(d * 10000 - std::round(d * 10000)) < 1e-3)
            return Money::fromDouble(d);
        throw Refusal(SettlementInput::msgInvalidAmount(path + u"."_qs + member, QString::number(d, 'g', 17)));
    }
    if (v.isString()) {
        if (const std::optional<Money> m = Money::parse(v.toString()))
            return *m;
        throw Refusal(SettlementInput::msgInvalidAmount(path + u"."_qs + member, v.toString()));
    }
    throw Refusal(SettlementInput::msgInvalidAmount(
        path + u"."_qs + member, QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))));
}

// The members each object of the input may hold, by its place ("[]" for the rows of a list):
// what the dialogs take and what --json prints beside them, so that its output can be given
// back.
const QHash<QString, QStringList> &kShapes()
{
    static const QStringList payment = {u"place"_qs,       u"abi"_qs,  u"cab"_qs,    u"agentCode"_qs,
                                        u"companyCode"_qs, u"date"_qs, u"amount"_qs, u"print"_qs};
    static const QHash<QString, QStringList> shapes = {
        {u"prorata"_qs,
         {u"taxableOperations"_qs, u"exemptOperations"_qs, u"percentage"_qs, u"deductibleVat"_qs, u"deductedVat"_qs,
          u"vatToRecover"_qs, u"vatToPay"_qs}},
        {u"otherOperations[]"_qs, {u"rate"_qs, u"taxable"_qs, u"tax"_qs, u"note"_qs}},
        {u"annualCredit"_qs, {u"refund"_qs, u"credit"_qs}},
        {u"truckersCredit"_qs, {u"available"_qs, u"used"_qs, u"residual"_qs}},
        {u"declarationData"_qs,
         {u"activeOperations"_qs, u"intraEuSupplies"_qs, u"passiveOperations"_qs, u"intraEuPurchases"_qs,
          u"importsTaxable"_qs, u"importsTax"_qs, u"amendedReturn"_qs, u"correctionInTime"_qs, u"priorPeriodChanges"_qs,
          u"quarterlyTaxpayers"_qs, u"refundAverageRate"_qs, u"refundNonTaxable"_qs, u"refundDepreciableGoods"_qs,
          u"refundInEuro"_qs, u"paymentInEuro"_qs, u"paymentNotMade"_qs}},
        {u"annualCommunication"_qs,
         {u"activeOperations"_qs, u"passiveOperations"_qs, u"importsTaxable"_qs, u"importsTax"_qs, u"scrapTaxable"_qs,
          u"scrapTax"_qs, u"exceptionalEvents"_qs}},
        {u"accountingEntry"_qs,
         {u"date"_qs, u"number"_qs, u"cause"_qs, u"fiscalYear"_qs, u"branch"_qs, u"debitAccount"_qs,
          u"creditAccount"_qs, u"note"_qs, u"amount"_qs}},
        {u"infraAnnualCredit"_qs,
         {u"totalCredit"_qs, u"quarterCredit"_qs, u"depreciableGoods"_qs, u"increases"_qs, u"decreases"_qs,
          u"usable"_qs, u"refund"_qs, u"compensationF24"_qs, u"toSettlements"_qs, u"residual"_qs, u"letterA"_qs,
          u"letterB"_qs, u"letterC"_qs, u"entitled"_qs}},
        {u"compensableCredit"_qs, {u"initial"_qs, u"usedInSettlement"_qs, u"usedF24"_qs, u"final"_qs, u"print"_qs}},
        {u"payment"_qs, payment + QStringList{u"advance"_qs}},
        {u"payment.advance"_qs, payment},
        {u"declarationGrid[]"_qs, {u"row"_qs, u"debit"_qs, u"credit"_qs}},
    };
    return shapes;
}

// Refuses a member the input does not know, at any depth, naming its path
// ("truckersCredit.usd", "otherOperations[3].nota"). Values of another kind are left to the
// member's own check.
void checkMembers(const QJsonValue &value, const QString &shape, const QString &path)
{
    if (value.isArray()) {
        const QJsonArray rows = value.toArray();
        // Each list has a bound: the rows of "Altre Operazioni" and the typed cells of the grid.
        const qsizetype bound = shape == u"declarationGrid"_qs ? 13 : cAltreOperazioni::MassimoRighe;
        if (rows.size() > bound)
            throw Refusal(
                QStringLiteral("Il membro \"%1\" ha %2 righe: al massimo %3.").arg(path).arg(rows.size()).arg(bound));
        for (qsizetype i = 0; i < rows.size(); ++i)
            checkMembers(rows[i], shape + u"[]"_qs, path + u'[' + QString::number(i) + u']');
        return;
    }
    const auto found = kShapes().constFind(shape);
    if (!value.isObject() || found == kShapes().constEnd())
        return;
    const QJsonObject o = value.toObject();
    for (auto it = o.constBegin(); it != o.constEnd(); ++it) {
        if (!found->contains(it.key()))
            throw Refusal(QStringLiteral("Il membro \"%1.%2\" non è previsto: si possono indicare %3.")
                              .arg(path, it.key(), found->join(u", "_qs)));
        checkMembers(it.value(), shape + u'.' + it.key(), path + u'.' + it.key());
    }
}

QJsonObject objectMember(const QJsonObject &input, const QString &name)
{
    const QJsonValue v = input.value(name);
    if (!v.isObject())
        throw Refusal(QStringLiteral("Il membro \"%1\" deve essere un oggetto.").arg(name));
    return v.toObject();
}

bool flagOf(const QJsonObject &o, const QString &member, const QString &path, bool fallback)
{
    const QJsonValue v = o.value(member);
    if (v.isUndefined() || v.isNull())
        return fallback;
    if (!v.isBool())
        throw Refusal(QStringLiteral("%1.%2 deve valere true o false.").arg(path, member));
    return v.toBool();
}

void applyTruckersCredit(SettlementDocument &doc, const QJsonObject &c)
{
    if (!doc.truckersCreditEnabled())
        throw Refusal(
            QStringLiteral("Il credito autotrasportatori si indica solo nella liquidazione di un mese o di un "
                           "trimestre di un'attività di autotrasporto."));
    std::unique_ptr<CreditoAutotrasportatori> credit = doc.truckersCredit();
    const Money used = amountOf(c, u"used"_qs, u"truckersCredit"_qs, credit->Utilizzato());
    try {
        credit->Conferma(used);
        doc.applyTruckersCredit(*credit);
    } catch (const Refusal &r) {
        throw Refusal(u"truckersCredit.used: "_qs + r.message());
    }
}

void applyDeclarationData(SettlementDocument &doc, const QJsonObject &d)
{
    if (doc.annualCommunication())
        throw Refusal(u"Dal 2002 la liquidazione annuale ha la comunicazione annuale dati IVA: indicare "
                      u"\"annualCommunication\"."_qs);
    const QString p = u"declarationData"_qs;
    DatiDipEdit edit(doc.context().db, doc.datiDip(), doc.soggettoRimborso(), doc.euro());
    AltriDatiDip shown = edit.Mostrati();
    const auto stored = [&](const QString &m, Money current) {
        return declarationShown(amountOf(d, m, p, declarationStored(current, doc.euro())), doc.euro());
    };
    shown.VP3_Imponibile = stored(u"importsTaxable"_qs, shown.VP3_Imponibile);
    shown.VP3_Imposta = stored(u"importsTax"_qs, shown.VP3_Imposta);
    shown.DichiarazioneIntegrativa = flagOf(d, u"amendedReturn"_qs, p, shown.DichiarazioneIntegrativa);
    shown.CorrettivaNeiTermini = flagOf(d, u"correctionInTime"_qs, p, shown.CorrettivaNeiTermini);
    shown.VariazioniPeriodiPrec = flagOf(d, u"priorPeriodChanges"_qs, p, shown.VariazioniPeriodiPrec);
    shown.ContribuentiLiquidazioneTrim = flagOf(d, u"quarterlyTaxpayers"_qs, p, shown.ContribuentiLiquidazioneTrim);
    shown.AliquotaMediaLettA = flagOf(d, u"refundAverageRate"_qs, p, shown.AliquotaMediaLettA);
    shown.OperazioniNonImpLettB = flagOf(d, u"refundNonTaxable"_qs, p, shown.OperazioniNonImpLettB);
    shown.AcquistiBeniAmmLettC = flagOf(d, u"refundDepreciableGoods"_qs, p, shown.AcquistiBeniAmmLettC);
    shown.CreditoARimborsoInEuro = flagOf(d, u"refundInEuro"_qs, p, shown.CreditoARimborsoInEuro);
    shown.VersamentoInEuro = flagOf(d, u"paymentInEuro"_qs, p, shown.VersamentoInEuro);
    shown.VersamentoNonEffettuato = flagOf(d, u"paymentNotMade"_qs, p, shown.VersamentoNonEffettuato);
    try {
        edit.Conferma(shown);
    } catch (const Refusal &r) {
        throw Refusal(p + u": "_qs + r.message());
    }
    doc.declarationDataChanged(false);
}

void applyAnnualCommunication(SettlementDocument &doc, const QJsonObject &d, bool yes)
{
    if (!doc.annualCommunication())
        throw Refusal(u"La comunicazione annuale dati IVA vale solo per la liquidazione annuale dal 2002."_qs);
    const QString p = u"annualCommunication"_qs;
    DatiCADIEdit edit(doc.context().db, doc.datiCadi(), doc.euro());
    DatiCADI shown = edit.Mostrati();
    const auto stored = [&](const QString &m, Money current) {
        return declarationShown(amountOf(d, m, p, declarationStored(current, doc.euro())), doc.euro());
    };
    shown.Imponibile = stored(u"importsTaxable"_qs, shown.Imponibile);
    shown.Imposta = stored(u"importsTax"_qs, shown.Imposta);
    shown.ImponibileRottami = stored(u"scrapTaxable"_qs, shown.ImponibileRottami);
    shown.ImpostaRottami = stored(u"scrapTax"_qs, shown.ImpostaRottami);
    shown.EventiEccezionali = flagOf(d, u"exceptionalEvents"_qs, p, shown.EventiEccezionali);
    if (edit.Domanda(shown) && !yes)
        throw Refusal(p + u": "_qs + DatiCADIEdit::questionImpostaMaggiore().section(u'\n', 0, 0) +
                      u" (rispondere sì con --yes)"_qs);
    edit.Conferma(shown);
    doc.declarationDataChanged(true);
}

// The members of the dialogs of the truckers' credit, the declaration data and the
// accounting entry, as the document holds them now.
void entryJson(SettlementDocument &doc, QJsonObject &out)
{
    const bool euro = doc.euro();
    if (doc.truckersCreditEnabled()) {
        std::unique_ptr<CreditoAutotrasportatori> credit = doc.truckersCredit();
        out.insert(u"truckersCredit"_qs, QJsonObject{{u"available"_qs, credit->Disponibile().toDouble()},
                                                     {u"used"_qs, credit->Utilizzato().toDouble()},
                                                     {u"residual"_qs, credit->Residuo().toDouble()}});
    }
    if (doc.annualCommunication()) {
        const DatiCADI &c = doc.datiCadi();
        out.insert(u"annualCommunication"_qs, QJsonObject{{u"activeOperations"_qs, c.OperazioniAttive.toDouble()},
                                                          {u"passiveOperations"_qs, c.OperazioniPassive.toDouble()},
                                                          {u"importsTaxable"_qs, c.Imponibile.toDouble()},
                                                          {u"importsTax"_qs, c.Imposta.toDouble()},
                                                          {u"scrapTaxable"_qs, c.ImponibileRottami.toDouble()},
                                                          {u"scrapTax"_qs, c.ImpostaRottami.toDouble()},
                                                          {u"exceptionalEvents"_qs, c.EventiEccezionali}});
    } else {
        const AltriDatiDip &d = doc.datiDip();
        out.insert(u"declarationData"_qs,
                   QJsonObject{{u"activeOperations"_qs, d.VP1_OperazioniAttive.toDouble()},
                               {u"intraEuSupplies"_qs, d.VP1_CessioniIntracomunitarie.toDouble()},
                               {u"passiveOperations"_qs, d.VP2_OperazioniPassive.toDouble()},
                               {u"intraEuPurchases"_qs, d.VP2_AcquistiIntracomunitari.toDouble()},
                               {u"importsTaxable"_qs, d.VP3_Imponibile.toDouble()},
                               {u"importsTax"_qs, d.VP3_Imposta.toDouble()},
                               {u"amendedReturn"_qs, d.DichiarazioneIntegrativa},
                               {u"correctionInTime"_qs, d.CorrettivaNeiTermini},
                               {u"priorPeriodChanges"_qs, d.VariazioniPeriodiPrec},
                               {u"quarterlyTaxpayers"_qs, d.ContribuentiLiquidazioneTrim},
                               {u"refundAverageRate"_qs, d.AliquotaMediaLettA},
                               {u"refundNonTaxable"_qs, d.OperazioniNonImpLettB},
                               {u"refundDepreciableGoods"_qs, d.AcquistiBeniAmmLettC},
                               {u"refundInEuro"_qs, d.CreditoARimborsoInEuro},
                               {u"paymentInEuro"_qs, d.VersamentoInEuro},
                               {u"paymentNotMade"_qs, d.VersamentoNonEffettuato}});
    }
    cDatiProRata &pr = doc.proRata();
    const AccountingEntry &entry = pr.ObjectPNC();
    if (entry.HasTestata() && entry.storedTestata()) {
        const AccountingEntry::Testata &t = *entry.storedTestata();
        DatiPNC core(pr, Money());
        QJsonObject e{{u"date"_qs, t.DataRegistrazione.toString(Qt::ISODate)},
                      {u"number"_qs, t.NumeroRegistrazione},
                      {u"branch"_qs, t.IDFiliale}};
        for (const DatiPNC::Voce &v : core.Esercizi())
            if (v.id == t.IDEsercizio)
                e.insert(u"fiscalYear"_qs, v.descrizione);
        for (const DatiPNC::Voce &v : core.Causali())
            if (v.id == t.IDCausaleContabile)
                e.insert(u"cause"_qs, v.codice);
        const QList<DatiPNC::Voce> accounts = core.Conti(t.IDEsercizio);
        for (const AccountingEntry::Riga &r : entry.Righe()) {
            for (const DatiPNC::Voce &v : accounts)
                if (v.id == r.IDContoPDC)
                    e.insert(r.Segno == u"D"_qs ? u"debitAccount"_qs : u"creditAccount"_qs, v.codice);
            e.insert(u"amount"_qs, r.Importo.toDouble());
            e.insert(u"note"_qs, r.DescrizioneAggiuntiva);
        }
        out.insert(u"accountingEntry"_qs, e);
    }
    (void)euro;
}

} // namespace

QString SettlementInput::msgEntryNeedsSave()
{
    return QStringLiteral("Il membro \"accountingEntry\" richiede --save: la registrazione si collega alla "
                          "liquidazione salvata.");
}

std::optional<DatiPNC::Dati> SettlementInput::accountingEntry(SettlementDocument &doc, const QJsonObject &input)
{
    if (!input.contains(u"accountingEntry"_qs))
        return std::nullopt;
    const QJsonObject e = objectMember(input, u"accountingEntry"_qs);
    const QString p = u"accountingEntry"_qs;
    cDatiProRata &pr = doc.proRata();
    if (doc.identity().isAdvance() || !pr.GestioneProRata())
        throw Refusal(u"accountingEntry: la rettifica pro-rata si registra solo per un'attività con il pro-rata, "
                      u"fuori dall'acconto di dicembre."_qs);
    DatiPNC core(pr, DatiPNC::ImportoDaStornare(pr, pr.OperazioniImponibili(), pr.OperazioniEsenti()));
    DatiPNC::Dati d = core.Proposta();
    // The texts looked up or kept are checked against their columns first.
    const auto text = [&](const QString &m) {
        const QString t = e.value(m).isString() ? e.value(m).toString() : QString();
        if (m == u"cause")
            checkText(p + u".cause"_qs, t, u"CausaleContabile"_qs, u"CausaleContabile"_qs);
        else if (m == u"debitAccount" || m == u"creditAccount")
            checkText(p + u'.' + m, t, u"ContoPDC"_qs, u"ContoPDC"_qs);
        else if (m == u"note")
            AccountingEntry::CheckNote(p + u".note"_qs, t);
        return t;
    };
    if (e.contains(u"date"_qs)) {
        const QDate date = QDate::fromString(text(u"date"_qs), Qt::ISODate);
        if (!date.isValid())
            throw Refusal(QStringLiteral("%1.date: \"%2\" non è una data (AAAA-MM-GG).").arg(p, text(u"date"_qs)));
        d.dataRegistrazione = date;
        if (!e.contains(u"fiscalYear"_qs))
            d.idEsercizio = core.EsercizioDaData(date);
    }
    if (e.contains(u"fiscalYear"_qs)) {
        const QString year = e.value(u"fiscalYear"_qs).isDouble() ? QString::number(e.value(u"fiscalYear"_qs).toInt())
                                                                  : text(u"fiscalYear"_qs);
        d.idEsercizio = 0;
        for (const DatiPNC::Voce &v : core.Esercizi())
            if (v.descrizione == year)
                d.idEsercizio = v.id;
    }
    if (e.contains(u"number"_qs)) {
        const double n = e.value(u"number"_qs).toDouble(-1);
        d.numeroRegistrazione = n == 0                                                                ? 0
                                : n >= 1 && n <= AccountingEntry::NumeroMassimo && n == std::floor(n) ? int(n)
                                                                                                      : -1;
    }
    if (e.contains(u"branch"_qs))
        d.idFiliale = e.value(u"branch"_qs).toInt();
    if (e.contains(u"cause"_qs))
        d.idCausaleContabile = core.CausaleDaCodice(text(u"cause"_qs));
    const auto [dare, avere] = core.ContiPredefiniti(d.idFiliale, d.idEsercizio);
    d.idContoDare = e.contains(u"debitAccount"_qs) ? core.ContoDaCodice(text(u"debitAccount"_qs), d.idEsercizio) : dare;
    d.idContoAvere =
        e.contains(u"creditAccount"_qs) ? core.ContoDaCodice(text(u"creditAccount"_qs), d.idEsercizio) : avere;
    if (e.contains(u"note"_qs))
        d.note = text(u"note"_qs);
    int proposal = 0;
    try {
        core.Verifica(d, &proposal);
    } catch (const Refusal &r) {
        throw Refusal(p + u": "_qs + r.message() +
                      (proposal > 0 ? QStringLiteral(" Il primo numero libero è %1.").arg(proposal) : QString()));
    }
    return d;
}

void SettlementInput::bookAccountingEntry(SettlementDocument &doc, const DatiPNC::Dati &entry)
{
    cDatiProRata &pr = doc.proRata();
    pr.setIDRisultatoLiquidazioneIva(doc.key());
    DatiPNC core(pr, DatiPNC::ImportoDaStornare(pr, pr.OperazioniImponibili(), pr.OperazioniEsenti()));
    int proposal = 0;
    try {
        core.Registra(entry, &proposal);
    } catch (const Refusal &r) {
        throw Refusal(u"accountingEntry: "_qs + r.message() +
                      (proposal > 0 ? QStringLiteral(" Il primo numero libero è %1.").arg(proposal) : QString()));
    }
    doc.rowChangedHere();
}

bool SettlementInput::entryReplacesExisting(SettlementDocument &doc)
{
    cDatiProRata &pr = doc.proRata();
    pr.setIDRisultatoLiquidazioneIva(doc.key());
    DatiPNC core(pr, DatiPNC::ImportoDaStornare(pr, pr.OperazioniImponibili(), pr.OperazioniEsenti()));
    return core.EsisteRegistrazione();
}

QString SettlementInput::msgEntryNotReplaced()
{
    return u"accountingEntry: la registrazione esistente non è stata aggiornata (rispondere sì con --yes)."_qs;
}

QString SettlementInput::msgUnknownMember(const QString &name)
{
    return QStringLiteral("Il membro \"%1\" non è previsto: si possono indicare %2.")
        .arg(name, kMembers().join(u", "_qs));
}

QString SettlementInput::msgNotAnnual(const QString &name)
{
    return QStringLiteral("Il membro \"%1\" vale solo per la liquidazione annuale.").arg(name);
}

QString SettlementInput::msgNotAdvance()
{
    return QStringLiteral("Le altre operazioni si indicano solo nell'acconto di dicembre.");
}

QString SettlementInput::msgInvalidAmount(const QString &member, const QString &text)
{
    return QStringLiteral("%1: \"%2\" non è un importo valido.").arg(member, text);
}

QString SettlementInput::msgUnknownRate(const QString &rate)
{
    return QStringLiteral("Aliquota I.V.A. \"%1\" sconosciuta o non interamente detraibile.").arg(rate);
}

QJsonObject SettlementInput::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Refusal(QStringLiteral("Impossibile leggere il file %1: %2").arg(path, file.errorString()));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        throw Refusal(QStringLiteral("Il file %1 non è un JSON valido (posizione %2): %3")
                          .arg(path)
                          .arg(error.offset)
                          .arg(error.errorString()));
    if (!doc.isObject())
        throw Refusal(QStringLiteral("Il file %1 deve contenere un oggetto JSON.").arg(path));
    return doc.object();
}

void SettlementInput::checkShape(const QJsonObject &input)
{
    for (auto it = input.constBegin(); it != input.constEnd(); ++it) {
        if (!kMembers().contains(it.key()))
            throw Refusal(msgUnknownMember(it.key()));
        checkMembers(it.value(), it.key(), it.key());
    }
}

namespace {

// The operations of the year for the pro-rata, as its dialog takes them.
void applyProRata(SettlementDocument &doc, const QJsonObject &input)
{
    const QJsonObject p = objectMember(input, u"prorata"_qs);
    if (!doc.identity().isAnnual())
        throw Refusal(SettlementInput::msgNotAnnual(u"prorata"_qs));
    cDatiProRata &pr = doc.proRata();
    if (!pr.GestioneProRata())
        throw Refusal(QStringLiteral("L'attività non gestisce il pro-rata nel periodo I.V.A."));
    const Money imponibili = amountOf(p, u"taxableOperations"_qs, u"prorata"_qs, pr.OperazioniImponibili());
    const Money esenti = amountOf(p, u"exemptOperations"_qs, u"prorata"_qs, pr.OperazioniEsenti());
    pr.Aggiorna(imponibili, esenti, cDatiProRata::CalcolaPercProRata(imponibili, esenti));
}

// The other operations of the December advance: the rows replace those of the settlement.
void applyOtherOperations(SettlementDocument &doc, const QJsonObject &input)
{
    const QJsonValue v = input.value(u"otherOperations"_qs);
    if (!v.isArray())
        throw Refusal(u"Il membro \"otherOperations\" deve essere un elenco."_qs);
    if (!doc.otherOperationsEnabled())
        throw Refusal(SettlementInput::msgNotAdvance());
    cAltreOperazioni &ops = doc.altreOperazioni();
    ops.Refresh();
    ops.DeleteAll();
    // Each rate is looked up once: the rows of a long list share a few rates.
    QHash<QString, int> rateKeys;
    for (const cAltreOperazioni::Aliquota &a : cAltreOperazioni::AliquoteDetraibili(doc.context().db))
        if (!rateKeys.contains(a.Iva.trimmed().toLower()))
            rateKeys.insert(a.Iva.trimmed().toLower(), a.IDIva);
    QHash<int, Percent> percents;
    const QJsonArray rows = v.toArray();
    for (int i = 0; i < rows.size(); ++i) {
        const QString path = QStringLiteral("otherOperations[%1]").arg(i);
        if (!rows[i].isObject())
            throw Refusal(QStringLiteral("%1 deve essere un oggetto.").arg(path));
        const QJsonObject row = rows[i].toObject();
        const QJsonValue rateValue = row.value(u"rate"_qs);
        const QString rate = rateValue.isDouble() ? QString::number(rateValue.toDouble()) : rateValue.toString();
        int idIva = 0;
        if (!rate.isEmpty()) {
            const auto found = rateKeys.constFind(rate.trimmed().toLower());
            if (found == rateKeys.constEnd())
                throw Refusal(SettlementInput::msgUnknownRate(rate));
            idIva = *found;
        }
        const QString note = row.value(u"note"_qs).toString();
        cAltreOperazioni::CheckAnnotazioni(path + u".note"_qs, note);
        const Money imponibile = amountOf(row, u"taxable"_qs, path);
        Money imposta = amountOf(row, u"tax"_qs, path);
        if (!row.contains(u"tax"_qs)) {
            auto percent = percents.constFind(idIva);
            if (percent == percents.constEnd())
                percent = percents.insert(idIva, cAltreOperazioni::AliquotaIva(doc.context().db, idIva));
            imposta = cAltreOperazioni::CalcolaImposta(imponibile, *percent, doc.euro()).value_or(Money());
        }
        ops.Add();
        ops.setIDIva(idIva);
        ops.setImponibile(imponibile);
        ops.setImposta(imposta);
        ops.setAnnotazioni(note);
        ops.Save(); // a row without a rate is refused with its message
    }
    ops.GroupAltreOperazioni();
}

} // namespace

std::optional<Money> SettlementInput::annualCreditRefund(const QJsonObject &input)
{
    if (!input.contains(u"annualCredit"_qs))
        return std::nullopt;
    const QJsonObject c = objectMember(input, u"annualCredit"_qs);
    if (!c.contains(u"refund"_qs))
        return std::nullopt;
    return amountOf(c, u"refund"_qs, u"annualCredit"_qs);
}

bool SettlementInput::apply(SettlementDocument &doc, const QJsonObject &input, bool yes)
{
    checkShape(input);
    const SettlementIdentity &id = doc.identity();
    bool recompute = false;

    if (input.contains(u"prorata"_qs)) {
        applyProRata(doc, input);
        recompute = true;
    }
    if (input.contains(u"otherOperations"_qs)) {
        applyOtherOperations(doc, input);
        recompute = true;
    }

    if (input.contains(u"annualCredit"_qs)) {
        const QJsonObject c = objectMember(input, u"annualCredit"_qs);
        if (!id.isAnnual())
            throw Refusal(msgNotAnnual(u"annualCredit"_qs));
        annualCreditRefund(input); // read now: a bad amount is refused before anything else
    }
    if (input.contains(u"truckersCredit"_qs)) {
        applyTruckersCredit(doc, objectMember(input, u"truckersCredit"_qs));
        recompute = true;
    }
    // The declaration data live in the document until the save: a fill reads them again, so
    // it comes first.
    if (recompute && (input.contains(u"declarationData"_qs) || input.contains(u"annualCommunication"_qs))) {
        doc.sbChildFill(doc.key(), false);
        recompute = false;
    }
    if (input.contains(u"declarationData"_qs))
        applyDeclarationData(doc, objectMember(input, u"declarationData"_qs));
    if (input.contains(u"annualCommunication"_qs))
        applyAnnualCommunication(doc, objectMember(input, u"annualCommunication"_qs), yes);
    // The declaration and payment tabs: now, or after the computation the caller runs again.
    if (!recompute)
        applyAfterFill(doc, input);
    // The accounting entry is checked here and booked after the save.
    accountingEntry(doc, input);
    return recompute;
}

void SettlementInput::applyAfterFill(SettlementDocument &doc, const QJsonObject &input)
{
    CreditInput::apply(doc, input);
}

QJsonObject SettlementInput::toJson(SettlementDocument &doc)
{
    QJsonObject out;
    const SettlementIdentity &id = doc.identity();
    cDatiProRata &pr = doc.proRata();
    QJsonObject prorata;
    prorata.insert(u"percentage"_qs, pr.PercProRata().toDouble());
    if (id.isAnnual() && pr.GestioneProRata()) {
        prorata.insert(u"taxableOperations"_qs, pr.OperazioniImponibili().toDouble());
        prorata.insert(u"exemptOperations"_qs, pr.OperazioniEsenti().toDouble());
        const cDatiProRata::ConguaglioAnnuale c = pr.CalcolaConguaglioAnnuale(
            pr.OperazioniImponibili(), pr.OperazioniEsenti(), pr.TotaleIvaAcquisti(), pr.IvaDetratta());
        prorata.insert(u"deductibleVat"_qs, c.ivaDetraibile.toDouble());
        prorata.insert(u"deductedVat"_qs, pr.IvaDetratta().toDouble());
        prorata.insert(u"vatToRecover"_qs, c.ivaDaRecuperare.toDouble());
        prorata.insert(u"vatToPay"_qs, c.ivaDaVersare.toDouble());
    }
    out.insert(u"prorata"_qs, prorata);
    if (doc.otherOperationsEnabled()) {
        QJsonArray rows;
        for (const AltraOperazione &op : doc.altreOperazioni().DocumentData()) {
            QJsonObject o;
            o.insert(u"rate"_qs, op.Iva);
            o.insert(u"taxable"_qs, op.Imponibile.toDouble());
            o.insert(u"tax"_qs, op.Imposta.toDouble());
            o.insert(u"note"_qs, op.Annotazioni);
            rows.append(o);
        }
        out.insert(u"otherOperations"_qs, rows);
    }
    if (id.isAnnual()) {
        QJsonObject credit;
        credit.insert(u"credit"_qs, doc.creditoResiduo().toDouble());
        // The refund recorded by the last save of the year.
        CreditoAnnuale recorded(doc.context().db, doc.context().idAzienda);
        recorded.LoadDati(id.anno, doc.creditoResiduo(), doc.euro() ? 1 : 0);
        credit.insert(u"refund"_qs, recorded.Rimborso().toDouble());
        out.insert(u"annualCredit"_qs, credit);
    }
    CreditInput::toJson(doc, out);
    entryJson(doc, out);
    return out;
}

} // namespace liqiva
