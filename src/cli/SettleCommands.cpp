#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "database/Connection.h"
#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "database/SqlValue.h"
#include "domain/communication/F24Lines.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/InputText.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SavedSettlements.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/SettlementSession.h"
#include "domain/document/WorkingRecords.h"
#include "domain/engine/Amounts.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"
#include "suite/UtilityServices.h"
#include "suite/rights/UserRights.h"

#include "domain/document/SettlementInput.h"
#include <QJsonArray>
#include <cmath>
#include <functional>

namespace liqiva::cli {

namespace {

// An amount as a JSON number (JSON has no other kind of number).
QJsonValue amount(std::optional<Money> v)
{
    if (!v)
        return QJsonValue::Null;
    return v->toDouble();
}

// Why a question ended the command: the answer no that the missing --yes gave.
QString answeredNo(const ConsoleMessages &messages)
{
    return messages.lastAnsweredNo() ? u" (risposto no: rispondere sì con --yes)"_qs : QString();
}

// A numeric option whose values have names: a bad value is told what each one means.
int explained(const CliArgs &args, const QString &name, int min, int max, const QString &meaning,
              std::optional<int> fallback = std::nullopt)
{
    try {
        return fallback ? args.integer(name, min, max, *fallback) : args.integer(name, min, max);
    } catch (UsageError &e) {
        e.text += u" (--"_qs + name + u": "_qs + meaning + u")"_qs;
        throw;
    }
}

// The keys that name a settlement, as settle, show and list give them.
void insertSettlementKeys(QJsonObject &object, const SettlementIdentity &id)
{
    object.insert(u"IDAttivitaAzienda"_qs, id.idAttivitaAzienda);
    object.insert(u"IDPeriodoIva"_qs, id.idPeriodoIva);
    object.insert(u"Anno"_qs, id.anno);
    object.insert(u"IDMese"_qs, id.idMese);
    object.insert(u"MetodoCalcoloAccontoIva"_qs, id.metodoCalcoloAccontoIva);
}

QJsonObject identityJson(CompanyDirectory &directory, const SettlementDocument &doc)
{
    QJsonObject identity;
    insertSettlementKeys(identity, doc.identity());
    identity.insert(u"Periodo"_qs, doc.periodText());
    identity.insert(u"TipoLiquidazione"_qs, doc.lblTipoLiquidazione().section(u": "_qs, 1));
    identity.insert(u"Attivita"_qs, doc.lblAttivita().section(u": "_qs, 1));
    identity.insert(u"Salvata"_qs, directory.settlementState(doc.identity().idRisultatoLiquidazioneIva) == 0);
    return identity;
}

// The stored report: "header" and "rows".
void insertReport(QJsonObject &root, CompanyDirectory &directory, int key)
{
    {
        Recordset rs = directory.reportHeader(key);
        root.insert(u"header"_qs, rs.eof() ? QJsonValue(QJsonValue::Null)
                                           : QJsonValue(recordToJson(rs, u"CampoReportLiquidazioneIva"_qs)));
    }
    QJsonArray rows;
    for (Recordset rs = directory.reportRows(key); !rs.eof(); rs.moveNext())
        rows.append(recordToJson(rs, u"RigaReportLiquidazioneIva"_qs));
    root.insert(u"rows"_qs, rows);
}

QJsonObject declarationJson(const SettlementDocument &doc)
{
    QJsonObject declaration;
    QJsonArray grid;
    const DeclarationGrid &g = doc.declaration();
    for (int r = 0; r < DeclarationGrid::RowCount; ++r) {
        QJsonObject row;
        row.insert(u"row"_qs, r + 1);
        row.insert(u"caption"_qs, DeclarationGrid::rowCaptions().at(r));
        row.insert(u"debit"_qs, amount(g.debitCell(r)));
        row.insert(u"credit"_qs, amount(g.creditCell(r)));
        grid.append(row);
    }
    declaration.insert(u"rows"_qs, grid);
    declaration.insert(u"result"_qs, amount(g.result()));
    declaration.insert(u"SoggettoRimborsoLiqIva"_qs, doc.soggettoRimborso());
    return declaration;
}

QJsonObject closingJson(const SettlementDocument &doc)
{
    QJsonObject closing;
    closing.insert(u"IntAnnDovuti"_qs, amount(doc.interessiAnnuali()));
    insertClosingAmounts(closing, doc.importoDaVersare(), doc.creditoResiduo());
    closing.insert(u"CreCompF24"_qs, amount(doc.creditoInfrannualeF24()));
    closing.insert(u"RimbInfrannuale"_qs, amount(doc.creditoInfrannualeRimborso()));
    // In the currency of the header (the amounts object holds thousands in the lire years).
    closing.insert(u"IntTrimDovuti"_qs, amount(doc.fromAmounts(doc.amounts().IntTrimDovuti())));
    closing.insert(u"IvaPeriodo"_qs, amount(doc.fromAmounts(doc.amounts().IvaPeriodo())));
    closing.insert(u"caption"_qs, doc.amountToPayCaption());
    return closing;
}

// The F24 lines of the amount to pay (the form is in euro: none in the lire years).
QJsonArray f24Json(const SettlementDocument &doc)
{
    QJsonArray f24;
    if (doc.identity().lireRules())
        return f24;
    for (const F24Line &line : f24Lines(doc.f24Input())) {
        QJsonObject o;
        o.insert(u"CodiceTributo"_qs, line.codiceTributo);
        o.insert(u"AnnoRiferimento"_qs, line.annoRiferimento);
        o.insert(u"ImportoDebito"_qs, line.importoDebito.toDouble());
        o.insert(u"ImportoCredito"_qs, line.importoCredito.toDouble());
        o.insert(u"Descrizione"_qs, line.descrizione);
        f24.append(o);
    }
    return f24;
}

QJsonObject settlementJson(Connection &db, const SettlementDocument &doc, const QStringList &messages)
{
    const int key = doc.identity().idRisultatoLiquidazioneIva;
    CompanyDirectory directory(db);
    QJsonObject root;
    root.insert(u"id"_qs, key);
    root.insert(u"settlement"_qs, identityJson(directory, doc));
    insertReport(root, directory, key);
    root.insert(u"declaration"_qs, declarationJson(doc));
    root.insert(u"closing"_qs, closingJson(doc));
    QJsonObject amounts;
    const auto &collection = doc.amounts().collection();
    for (auto it = collection.cbegin(); it != collection.cend(); ++it)
        amounts.insert(it.key().text(), amount(it.value()));
    root.insert(u"amounts"_qs, amounts);
    root.insert(u"f24"_qs, f24Json(doc));
    // The values of the dialogs, in the form --input takes them.
    const QJsonObject inputs = SettlementInput::toJson(const_cast<SettlementDocument &>(doc));
    for (auto it = inputs.begin(); it != inputs.end(); ++it)
        root.insert(it.key(), it.value());
    root.insert(u"messages"_qs, QJsonArray::fromStringList(messages));
    return root;
}

void printText(const SettlementDocument &doc)
{
    auto money = [](std::optional<Money> v) { return v ? formatAmount(*v, true) : QString(); };
    out(QStringLiteral("Liquidazione I.V.A. %1").arg(doc.key()));
    out(doc.lblPeriodoIva());
    out(doc.lblPeriodo());
    out(doc.lblTipoLiquidazione());
    out(doc.lblAttivita());
    out(QString());
    out(QStringLiteral("%1 %2 %3").arg(u"Descrizione"_qs, -60).arg(u"Debiti"_qs, 16).arg(u"Crediti"_qs, 16));
    const DeclarationGrid &g = doc.declaration();
    for (int r = 0; r < DeclarationGrid::RowCount; ++r)
        out(QStringLiteral("%1 %2 %3")
                .arg(DeclarationGrid::rowCaptions().at(r), -60)
                .arg(money(g.debitCell(r)), 16)
                .arg(money(g.creditCell(r)), 16));
    out(QString());
    printClosingAmounts(doc.amountToPayCaption(), doc.importoDaVersare(), doc.creditoResiduo(), doc.euro());
}

// What the command asked for: the fill must find that period in the settlement (its key may
// have been freed and taken by another period meanwhile).
struct AskedPeriod {
    int idAttivitaAzienda = 0;
    int idPeriodoIva = 0;
    int idMese = 0;
    int metodo = 0;
};

QString msgKeyTaken(int key)
{
    return QStringLiteral("La liquidazione I.V.A. %1 è stata eliminata da un altro utente mentre veniva aperta e la "
                          "sua chiave è ora di un'altra liquidazione: non è stato scritto nulla. Ripetere il comando.")
        .arg(key);
}

// Runs a save or a delete; a refusal or a failure is said here, the command's one place for
// them (on standard error, and kept for --json). False when it did not happen.
bool saidOnFailure(ConsoleMessages &messages, const std::function<bool()> &action)
{
    try {
        return action();
    } catch (const Refusal &r) {
        messages.error(r.message());
    } catch (const DbError &e) {
        messages.error(explainDbError(e));
    }
    return false;
}

// The settlement and the entry of its pro-rata adjustment, saved together or not at all (in
// the save's one transaction); every question asked before it, the reason of a refusal or a
// failure said here. True when saved.
// The refund of the input, when given, goes into the annual credit carried over, as the
// dialog's field would.
bool saveWithEntry(SettlementDocument &doc, const std::optional<DatiPNC::Dati> &entry, std::optional<Money> refund,
                   ConsoleMessages &messages)
{
    const bool saved = saidOnFailure(messages, [&] {
        if (entry && SettlementInput::entryReplacesExisting(doc) && !messages.askOkCancel(DatiPNC::questionAggiorna()))
            throw Refusal(SettlementInput::msgEntryNotReplaced());
        const SaveQuestions questions = doc.saveQuestions();
        SaveAnswers answers;
        answers.first = askAll(messages, questions.first);
        if (questions.annualCredit && refund) {
            CreditoAnnuale &credit = *questions.annualCredit;
            if (*refund != credit.Rimborso())
                if (const QString warning = credit.RimborsoChanged(*refund); !warning.isEmpty())
                    messages.warn(warning); // above the credit: only a warning, as the dialog
            credit.setRimborso(*refund);
            credit.Valida();
        }
        answers.then = askAll(messages, questions.then);
        std::function<void()> alongside;
        if (entry)
            alongside = [&] { SettlementInput::bookAccountingEntry(doc, *entry); };
        return doc.fnChildSave(questions, answers, alongside);
    });
    for (const QString &text : doc.notices())
        messages.warn(text);
    if (saved && entry)
        messages.inform(DatiPNC::msgRegistrazioneEffettuata());
    return saved;
}

int fillAndPrint(Connection &db, ConsoleMessages &messages, int user, int company, int key, bool makeDatiIva,
                 const CliArgs &args, bool removeWhenDone, bool save = false, SettlementSession *session = nullptr,
                 std::optional<AskedPeriod> asked = std::nullopt)
{
    UtilityServices services(messages);
    DocumentContext ctx{db, messages, user, company, settlementFunction(db), true};
    if (session)
        ctx.heldByOther = [session](int k) { return session->holderOf(k); };
    ctx.mayRebuildVatData = services.hasRight(user, ctx.idFunction, db);
    SettlementDocument doc(ctx);
    std::optional<DatiPNC::Dati> entry;
    std::optional<Money> refund;
    try {
        for (const QString &text : doc.sbChildFill(key, makeDatiIva))
            messages.inform(text);
        if (asked) {
            const SettlementIdentity &id = doc.identity();
            if (id.idAttivitaAzienda != asked->idAttivitaAzienda || id.idPeriodoIva != asked->idPeriodoIva ||
                id.idMese != asked->idMese || (id.isAdvance() && id.metodoCalcoloAccontoIva != asked->metodo))
                throw Refusal(msgKeyTaken(key));
        }
        // The values of the dialogs, given in a file: checked as the dialogs check them.
        if (!args.value(u"input"_qs).isEmpty()) {
            const QJsonObject input = SettlementInput::readFile(args.value(u"input"_qs));
            if (input.contains(u"accountingEntry"_qs) && !save)
                throw Refusal(SettlementInput::msgEntryNeedsSave());
            if (SettlementInput::apply(doc, input, args.flag(u"yes"_qs))) {
                doc.sbChildFill(key, false);
                SettlementInput::applyAfterFill(doc, input);
            }
            entry = SettlementInput::accountingEntry(doc, input);
            refund = SettlementInput::annualCreditRefund(input);
        }
    } catch (...) {
        if (removeWhenDone)
            WorkingRecords::removeDocumentRows(db, user, key);
        throw;
    }
    bool saved = false;
    if (save) {
        saved = saveWithEntry(doc, entry, refund, messages);
        if (!saved) {
            // The object first, while the settlement it describes is still there; with --json
            // the messages were kept for it: the reason goes to standard error as well.
            if (args.flag(u"json"_qs))
                printJson(settlementJson(db, doc, messages.texts()));
            err(u"liqiva settle: la liquidazione non è stata salvata"_qs +
                (messages.quiet() && !messages.texts().isEmpty() ? u": "_qs + messages.texts().last() : u"."_qs) +
                answeredNo(messages));
            if (removeWhenDone)
                WorkingRecords::removeDocumentRows(db, user, key);
            return 1;
        }
    }
    if (args.flag(u"json"_qs))
        printJson(settlementJson(db, doc, messages.texts()));
    else
        printText(doc);
    // Without a save the new settlement is discarded, as closing its window without saving.
    if (removeWhenDone && !saved)
        WorkingRecords::removeDocumentRows(db, user, key);
    return 0;
}

// A file that is not what --input takes is a bad argument, before anything is opened.
void checkInputFile(const CliArgs &args)
{
    if (args.value(u"input"_qs).isEmpty())
        return;
    const QJsonObject input = SettlementInput::readFile(args.value(u"input"_qs));
    try {
        SettlementInput::checkShape(input);
    } catch (const Refusal &r) {
        throw UsageError{r.message()};
    }
}

// Why the command leaves a settlement that another window or command is working on.
QString heldElsewhere(int key, const QString &holder)
{
    return QStringLiteral("La liquidazione I.V.A. di questo periodo (chiave %1) è in elaborazione %2 e non è ancora "
                          "salvata: non è stato scritto nulla. Ripetere il comando quando sarà salvata o chiusa.")
        .arg(key)
        .arg(holder.isEmpty()
                 ? u"in un'altra finestra o in un altro comando"_qs
                 : QStringLiteral("dall'utente '%1' in un'altra finestra o in un altro comando").arg(holder));
}

int runSettle(const CliArgs &args)
{
    try {
        const int user = args.key(u"user"_qs);
        const int activity = args.key(u"activity"_qs);
        const int vatYear = args.key(u"vat-year"_qs);
        const int period =
            explained(args, u"period"_qs, 0, 13,
                      u"0 l'anno, 1..12 il mese (un trimestre con il suo ultimo mese), 13 l'acconto di dicembre"_qs);
        const int method = explained(args, u"method"_qs, 0, 2, u"0 analitico, 1 storico, 2 previsionale"_qs, 0);
        const bool save = args.flag(u"save"_qs);
        checkInputFile(args);

        auto db = openDatabase(args);
        requireUser(*db, user);
        CompanyDirectory directory(*db);
        const std::optional<int> company = directory.companyOfActivity(activity);
        if (!company)
            throw Refusal(
                QStringLiteral("L'attività azienda %1 non esiste: indicare con --activity un'attività del database.")
                    .arg(activity));
        // A settlement that is saved needs the right to save; one only computed and shown,
        // the right to search.
        requireRight(*db, user, *company, save ? UserRights::NewSave : UserRights::Search);
        // The VAT year by its calendar year, or by its key.
        const std::optional<int> year = directory.vatYear(*company, vatYear);
        if (!year)
            throw Refusal(
                QStringLiteral("La società non ha il periodo I.V.A. %1: indicare con --vat-year l'anno o la chiave "
                               "di un suo periodo I.V.A.")
                    .arg(vatYear));

        ConsoleMessages messages(args.flag(u"yes"_qs));
        messages.setQuiet(args.flag(u"json"_qs) && !args.flag(u"verbose"_qs));
        // Registered as this process's while it works on a settlement; the working
        // settlements of processes that died go first.
        SettlementSession session(*db, user, settlementFunction(*db));
        session.removeAbandoned();
        NewSettlement ns(*db, *company, user);
        int createdKey = 0; // the working settlement this command created, if any
        ns.setOnCreated([&session, &createdKey](int k) {
            createdKey = k;
            session.hold(k);
        });
        ns.sbSetComboMesi(activity, *year, 0);
        const int index = ns.indexOfMonth(period);
        if (index < 0)
            throw Refusal(
                u"L'attività liquida per trimestri: indicare il trimestre con il suo ultimo mese (3, 6, 9, 12)."_qs);
        if (ns.confirmAsking(messages, activity, *year, index, method, args.flag(u"no-rebuild"_qs)) != 1) {
            // Without --json the question is already on standard error, just above.
            QString reason = messages.texts().isEmpty() ? u"Operazione annullata."_qs : messages.texts().last();
            if (!messages.quiet() && messages.lastAnsweredNo())
                reason = u"liquidazione non creata"_qs;
            throw Refusal(reason + answeredNo(messages));
        }
        const int key = ns.currentKey();
        // A settlement of the period that another window or command (of any user) created and
        // has not saved yet is theirs: it is neither saved nor removed from here.
        if (key != createdKey && directory.settlementState(key) == 2)
            throw Refusal(heldElsewhere(key, session.holderOf(key)));
        session.hold(key);
        const AskedPeriod asked{activity, *year, period, method};
        return fillAndPrint(*db, messages, user, *company, key, ns.makeDatiIva(), args, key == createdKey, save,
                            &session, asked);
    } catch (const Refusal &r) {
        err(u"liqiva settle: "_qs + r.message());
        return 1;
    }
}

// The company and the last user of a saved settlement; nothing when it is not saved.
std::optional<std::pair<int, int>> savedSettlement(Connection &db, int key)
{
    const auto saved = CompanyDirectory(db).savedSettlement(key);
    if (!saved)
        return std::nullopt;
    return std::make_pair(saved->idAzienda, saved->idUtente);
}

// The company of the saved settlement `key`, the user having `right` in it; nothing, with the
// reason on standard error, when the key is not a saved settlement.
std::optional<int> companyOfSaved(Connection &db, const QString &command, int user, int key, const QString &right)
{
    const auto saved = savedSettlement(db, key);
    if (!saved) {
        err(QStringLiteral("liqiva %1: la liquidazione I.V.A. %2 non esiste o non è salvata: le chiavi salvate le "
                           "elenca liqiva list.")
                .arg(command)
                .arg(key));
        return std::nullopt;
    }
    requireRight(db, user, saved->first, right);
    return saved->first;
}

int runShow(const CliArgs &args)
{
    const int key = args.key(u"id"_qs);
    const int user = args.key(u"user"_qs);
    auto db = openDatabase(args);
    requireUser(*db, user);
    const std::optional<int> company = companyOfSaved(*db, u"show"_qs, user, key, UserRights::Search);
    if (!company)
        return 1;
    ConsoleMessages messages(args.flag(u"yes"_qs));
    messages.setQuiet(args.flag(u"json"_qs) && !args.flag(u"verbose"_qs));
    return fillAndPrint(*db, messages, user, *company, key, false, args, false);
}

int runDelete(const CliArgs &args)
{
    const int user = args.key(u"user"_qs);
    const int key = args.key(u"id"_qs);
    auto db = openDatabase(args);
    requireUser(*db, user);
    // The row as the command finds it first: what it deletes must still be this row.
    const std::optional<SettlementDocument::RowAsRead> asFound = SettlementDocument::readRow(*db, key);
    const std::optional<int> company = companyOfSaved(*db, u"delete"_qs, user, key, UserRights::Delete);
    if (!company)
        return 1;
    ConsoleMessages messages(args.flag(u"yes"_qs));
    SettlementSession session(*db, user, settlementFunction(*db));
    session.removeAbandoned();
    DocumentContext ctx{*db, messages, user, *company, settlementFunction(*db), false};
    ctx.heldByOther = [&session](int k) { return session.holderOf(k); };
    SettlementDocument doc(ctx);
    doc.sbChildFill(key, false);
    // The settlement the command found first, not another one that took its key meanwhile or
    // was saved again since.
    if (!asFound || !doc.holdsRow(*asFound)) {
        err(QStringLiteral("liqiva delete: la liquidazione I.V.A. %1 è stata eliminata o salvata di nuovo da un altro "
                           "utente mentre veniva aperta: non è stata eliminata. Controllarla con liqiva list.")
                .arg(key));
        return 1;
    }
    const bool deleted = saidOnFailure(messages, [&] { return doc.sbChildDelete(); });
    for (const QString &text : doc.notices())
        messages.warn(text);
    if (!deleted) {
        err(QStringLiteral("liqiva delete: la liquidazione I.V.A. %1 non è stata eliminata.").arg(key) +
            answeredNo(messages));
        return 1;
    }
    // Said with its period, as it was found: what was deleted is never another settlement.
    out(QStringLiteral("Liquidazione I.V.A. %1 eliminata: %2, %3.").arg(key).arg(doc.periodText(), doc.lblAttivita()));
    return 0;
}

int runList(const CliArgs &args)
{
    const int company = args.key(u"company"_qs);
    const int user = args.key(u"user"_qs);
    auto db = openForCompany(args, user, company, UserRights::Search);
    const auto list = listSavedSettlements(*db, company);
    if (args.flag(u"json"_qs)) {
        QJsonArray rows;
        for (const SavedSettlement &s : list) {
            QJsonObject o;
            o.insert(u"IDRisultatoLiquidazioneIva"_qs, s.idRisultatoLiquidazioneIva);
            insertSettlementKeys(o, {.idAttivitaAzienda = s.idAttivitaAzienda,
                                     .idPeriodoIva = s.idPeriodoIva,
                                     .idMese = s.idMese,
                                     .metodoCalcoloAccontoIva = s.metodoCalcoloAccontoIva,
                                     .anno = s.anno});
            o.insert(u"Periodo"_qs, s.periodo);
            o.insert(u"PeriodoIva"_qs, s.periodoIva);
            o.insert(u"Mesi"_qs, s.mesi);
            o.insert(u"AttivitaAzienda"_qs, s.attivitaAzienda);
            o.insert(u"CodiceAttivita"_qs, s.codiceAttivita);
            o.insert(u"DescrizioneAttivita"_qs, s.descrizioneAttivita);
            // The VAT to pay, or a credit as a negative amount; null before the first save.
            o.insert(u"Saldo"_qs, amount(s.saldo));
            rows.append(o);
        }
        QJsonObject root;
        root.insert(u"company"_qs, company);
        root.insert(u"settlements"_qs, rows);
        printJson(root);
        return 0;
    }
    if (list.empty()) {
        out(u"Nessuna liquidazione salvata."_qs);
        return 0;
    }
    out(QStringLiteral("%1  %2  %3  %4  %5")
            .arg(u"Chiave"_qs, 7)
            .arg(u"Periodo"_qs, -22)
            .arg(u"Anno"_qs, -5)
            .arg(u"Da versare / credito"_qs, 22)
            .arg(u"Attività"_qs));
    for (const SavedSettlement &s : list) {
        // The balance as the browse shows it: the amount to pay, or the credit marked so.
        QString saldo;
        if (s.saldo)
            saldo = *s.saldo < Money() ? formatAmount(-*s.saldo, s.anno >= 2000) + u" a credito"_qs
                                       : formatAmount(*s.saldo, s.anno >= 2000) + u" da versare"_qs;
        out(QStringLiteral("%1  %2  %3  %4  %5")
                .arg(s.idRisultatoLiquidazioneIva, 7)
                .arg(s.mesi, -22)
                .arg(s.anno, -5)
                .arg(saldo, 22)
                .arg(s.attivitaAzienda));
    }
    return 0;
}

} // namespace

const std::vector<Command> &settleCommands()
{
    static const std::vector<Command> table = {
        {"settle",
         "settle  --db URL --user N --activity N --vat-year N --period P [--method M] [--input FILE.json] "
         "[--no-rebuild] "
         "[--save] [--yes] [--json]  calcola (e con --save salva) una liquidazione; P da 0 a 13, M da 0 a 2",
         {u"db"_qs, u"user"_qs, u"activity"_qs, u"vat-year"_qs, u"period"_qs, u"method"_qs, u"input"_qs},
         {u"no-rebuild"_qs, u"save"_qs, u"yes"_qs, u"json"_qs, u"verbose"_qs},
         runSettle},
        {"show",
         "show    --db URL --user N --id N [--json]  ricalcola e mostra una liquidazione salvata",
         {u"db"_qs, u"user"_qs, u"id"_qs},
         {u"json"_qs, u"yes"_qs, u"verbose"_qs},
         runShow},
        {"delete",
         "delete  --db URL --user N --id N [--yes]   elimina una liquidazione salvata",
         {u"db"_qs, u"user"_qs, u"id"_qs},
         {u"yes"_qs},
         runDelete},
        {"list",
         "list    --db URL --user N --company N [--json]  le liquidazioni salvate, come le elenca la ricerca",
         {u"db"_qs, u"user"_qs, u"company"_qs},
         {u"json"_qs},
         runList},
    };
    return table;
}

} // namespace liqiva::cli
