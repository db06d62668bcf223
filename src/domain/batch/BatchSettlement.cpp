#include "domain/batch/BatchSettlement.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "database/SqlValue.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/SettlementSession.h"
#include "domain/document/WorkingRecords.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

namespace liqiva {

namespace {

// The hold of an activity's settlement ends with it, whatever the outcome.
struct HoldRelease {
    SettlementSession &session;
    const int &createdKey;
    ~HoldRelease()
    {
        try {
            if (createdKey > 0)
                session.release(createdKey);
        } catch (...) {
            // The rows go stale by themselves.
        }
    }
};

// The messages of a fill that runs inside the batch's transaction: kept, never shown (no one
// is waited for while the transaction is open); a question gets the batch's answer.
class KeptMessages : public MessageService {
public:
    explicit KeptMessages(bool yes) : m_yes(yes) {}
    Answer messageBox(const QString &, Buttons buttons, Icon, const QString &) override
    {
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return m_yes ? Answer::Ok : Answer::Cancel;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            break;
        }
        return m_yes ? Answer::Yes : Answer::No;
    }

private:
    bool m_yes;
};

QString lastText(const ConsoleMessages &messages, const QString &fallback)
{
    return messages.texts().isEmpty() ? fallback : messages.texts().last();
}

// Why the batch leaves a period that already has a settlement.
QString existingSettlement(Connection &db, int key)
{
    return CompanyDirectory(db).settlementState(key) == 2
               ? QStringLiteral(
                     "La liquidazione del periodo è in elaborazione in un'altra finestra o in un altro comando e "
                     "non è ancora salvata (chiave %1).")
                     .arg(key)
               : QStringLiteral("La liquidazione del periodo esiste già (chiave %1).").arg(key);
}

} // namespace

QString batchStatusText(BatchSettlement::Outcome::Status status)
{
    switch (status) {
    case BatchSettlement::Outcome::Status::Done:
        return u"fatta"_qs;
    case BatchSettlement::Outcome::Status::Refused:
        return u"rifiutata"_qs;
    case BatchSettlement::Outcome::Status::Failed:
        return u"non riuscita"_qs;
    }
    return {};
}

std::vector<BatchSettlement::Target> BatchSettlement::readTargets(const Options &o)
{
    // Every activity of the chosen companies that has the VAT year, with what the check of
    // its new settlement would read of it, in one statement.
    SqlStatement companies;
    for (int c : o.companies)
        companies += (companies.isEmpty() ? QString() : u", "_qs) + sqlParam(c);
    const QStringList months = NewSettlement::monthNames(m_db);
    std::vector<Target> targets;
    for (Recordset rs = m_db.openRecordset(
             u"SELECT Azienda.IDAzienda, Azienda.Azienda, PeriodoIva.IDPeriodoIva, PeriodoIva.Anno, "
             u"AttivitaAzienda.IDAttivitaAzienda, AttivitaAzienda.AttivitaAzienda, AttivitaAzienda.DataCessazione, "
             u"AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva "
             u"FROM ((Azienda INNER JOIN PeriodoIva ON PeriodoIva.IDAzienda = "
             u"Azienda.IDAzienda) INNER JOIN AttivitaAzienda ON AttivitaAzienda.IDAzienda = Azienda.IDAzienda) "
             u"INNER JOIN AttivitaAziendaPerPeriodoIva ON AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = "
             u"AttivitaAzienda.IDAttivitaAzienda AND AttivitaAziendaPerPeriodoIva.IDPeriodoIva = "
             u"PeriodoIva.IDPeriodoIva "
             u"WHERE PeriodoIva.Anno = "_qs +
             sqlParam(o.anno) +
             u" AND Azienda.VirtualDelete = 0 AND PeriodoIva.VirtualDelete = 0 AND AttivitaAzienda.VirtualDelete = 0 "
             u"AND AttivitaAziendaPerPeriodoIva.VirtualDelete = 0"_qs +
             (companies.isEmpty() ? QString() : u" AND Azienda.IDAzienda IN ("_qs + companies + u")"_qs) +
             u" ORDER BY Azienda.IDAzienda, AttivitaAzienda.IDAttivitaAzienda"_qs);
         !rs.eof(); rs.moveNext()) {
        Target t;
        t.idAzienda = rs.integer(u"IDAzienda"_qs);
        t.azienda = rs.text(u"Azienda"_qs);
        t.attivitaAzienda = rs.text(u"AttivitaAzienda"_qs);
        t.known.months = months;
        t.known.idAttivitaAzienda = rs.integer(u"IDAttivitaAzienda"_qs);
        t.known.idPeriodoIva = rs.integer(u"IDPeriodoIva"_qs);
        t.known.anno = rs.integer(u"Anno"_qs);
        t.known.tipoLiquidazione = rs.integer(u"TipoLiquidazioneIva"_qs);
        t.known.dataCessazione = rs.field(u"DataCessazione"_qs);
        targets.push_back(t);
    }
    if (o.slices > 1) {
        std::vector<Target> mine;
        for (size_t i = 0; i < targets.size(); ++i)
            if (int(i % size_t(o.slices)) == o.slice)
                mine.push_back(targets[i]);
        targets.swap(mine);
    }
    // A company is asked about once (its rights).
    std::map<int, std::optional<QString>> refusedCompany;
    if (o.refuseCompany)
        for (Target &t : targets) {
            if (!refusedCompany.count(t.idAzienda))
                refusedCompany[t.idAzienda] = o.refuseCompany(m_db, t.idAzienda);
            t.refused = refusedCompany[t.idAzienda];
        }
    return targets;
}

std::vector<BatchSettlement::Outcome> BatchSettlement::run(const Options &o)
{
    const std::vector<Target> targets = readTargets(o);
    // One session and one look-up of the program's function for the whole batch: a saved
    // activity's settlement is held while it is computed and let go when it is done.
    const int function = CompanyDirectory(m_db).settlementFunction();
    SettlementSession session(m_db, o.idUser, function);
    // The working settlements of a batch (or a command) that was killed are nobody's: they go
    // first, as before a settle, so that their periods can be settled again.
    session.removeAbandoned();
    std::vector<Outcome> outcomes;
    const int total = int(targets.size());
    for (int i = 0; i < total; ++i) {
        const Target &t = targets[i];
        if (o.progress)
            o.progress(i + 1, total, t.azienda + u" - "_qs + t.attivitaAzienda);
        Outcome out;
        if (t.refused) {
            out.status = Outcome::Status::Refused;
            out.reason = *t.refused;
        } else {
            out = settleOne(o, session, function, t);
        }
        out.idAzienda = t.idAzienda;
        out.azienda = t.azienda;
        out.idAttivitaAzienda = t.known.idAttivitaAzienda;
        out.attivitaAzienda = t.attivitaAzienda;
        outcomes.push_back(out);
    }
    return outcomes;
}

int BatchSettlement::createNew(const Options &o, NewSettlement &ns, ConsoleMessages &messages, const Target &t,
                               const std::function<void()> &beforeWrite)
{
    const int idAttivitaAzienda = t.known.idAttivitaAzienda;
    const int idPeriodoIva = t.known.idPeriodoIva;
    ns.setKnown(t.known);
    ns.sbSetComboMesi(idAttivitaAzienda, idPeriodoIva, 0);
    const int index = ns.indexOfMonth(o.period);
    if (index < 0)
        throw Refusal(u"L'attività liquida per trimestri: il periodo va indicato con l'ultimo mese del trimestre."_qs);
    if (ns.confirmAsking(messages, idAttivitaAzienda, idPeriodoIva, index, o.method, true, beforeWrite) != 1)
        throw Refusal(lastText(messages, u"Operazione annullata."_qs));
    return ns.currentKey();
}

BatchSettlement::Outcome BatchSettlement::settleScratch(const Options &o, int function, const Target &t)
{
    ConsoleMessages messages(o.answerYes);
    messages.setQuiet(true);
    NewSettlement ns(m_db, t.idAzienda, o.idUser);
    int createdKey = 0;
    ns.setOnCreated([&createdKey](int k) { createdKey = k; });
    // Nothing is saved: once the questions are answered, the working rows and everything the
    // fill writes go in one transaction that is rolled back at the end. No one else ever sees
    // them (so they need no registration and no removal), and a kill leaves nothing behind.
    std::optional<Transaction> scratch;
    const int key = createNew(o, ns, messages, t, [&] { scratch.emplace(m_db); });
    // An existing settlement is never filled again by the batch: the activity is reported as
    // already settled.
    if (key != createdKey)
        throw Refusal(existingSettlement(m_db, key));
    KeptMessages kept(o.answerYes);
    DocumentContext ctx{m_db, kept, o.idUser, t.idAzienda, function, false, {}};
    SettlementDocument doc(ctx);
    for (const QString &text : doc.sbChildFill(key, ns.makeDatiIva()))
        kept.inform(text);
    Outcome out;
    out.status = Outcome::Status::Done;
    out.daVersare = doc.importoDaVersare();
    out.creditoResiduo = doc.creditoResiduo();
    return out;
}

BatchSettlement::Outcome BatchSettlement::settleSaving(const Options &o, SettlementSession &session, int function,
                                                       const Target &t)
{
    ConsoleMessages messages(o.answerYes);
    messages.setQuiet(true);
    int createdKey = 0; // the working settlement this activity's run created, if any
    const HoldRelease release{session, createdKey};
    try {
        NewSettlement ns(m_db, t.idAzienda, o.idUser);
        // Registered as held in the transaction that creates it, so that no one takes it for
        // abandoned.
        ns.setOnCreated([&session, &createdKey](int k) {
            createdKey = k;
            session.hold(k);
        });
        const int key = createNew(o, ns, messages, t, {});
        if (key != createdKey)
            throw Refusal(existingSettlement(m_db, key));
        DocumentContext ctx{m_db, messages, o.idUser, t.idAzienda, function, false, {}};
        ctx.heldByOther = [&session](int k) { return session.holderOf(k); };
        SettlementDocument doc(ctx);
        for (const QString &text : doc.sbChildFill(key, ns.makeDatiIva()))
            messages.inform(text);
        // The save's questions get the batch's answers, as before the write.
        const SaveQuestions questions = doc.saveQuestions();
        const SaveAnswers answers{askAll(messages, questions.first), askAll(messages, questions.then)};
        if (!doc.fnChildSave(questions, answers))
            throw Refusal(lastText(messages, u"La liquidazione non è stata salvata."_qs));
        Outcome out;
        out.status = Outcome::Status::Done;
        out.daVersare = doc.importoDaVersare();
        out.creditoResiduo = doc.creditoResiduo();
        out.idRisultatoLiquidazioneIva = key;
        return out;
    } catch (...) {
        // Nothing of a refused or failed activity stays: only the working rows it created.
        if (createdKey > 0 && CompanyDirectory(m_db).settlementState(createdKey) == 2) {
            try {
                WorkingRecords::removeDocumentRows(m_db, o.idUser, createdKey);
            } catch (...) {
            }
        }
        throw;
    }
}

BatchSettlement::Outcome BatchSettlement::settleOne(const Options &o, SettlementSession &session, int function,
                                                    const Target &t)
{
    Outcome out;
    try {
        return o.save ? settleSaving(o, session, function, t) : settleScratch(o, function, t);
    } catch (const Refusal &r) {
        out.status = Outcome::Status::Refused;
        out.reason = r.message();
    } catch (const DbError &e) {
        out.status = Outcome::Status::Failed;
        out.reason = explainDbError(e);
    } catch (const std::exception &e) {
        out.status = Outcome::Status::Failed;
        out.reason = QString::fromLocal8Bit(e.what());
    }
    return out;
}

} // namespace liqiva
