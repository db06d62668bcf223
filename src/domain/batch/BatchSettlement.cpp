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
#include "suite/UtilityServices.h"

namespace liqiva {

namespace {

SqlStatement n(int v)
{
    return sqlParam(v);
}

struct Target {
    int idAzienda = 0;
    QString azienda;
    int idPeriodoIva = 0;
    int idAttivitaAzienda = 0;
    QString attivitaAzienda;
    std::optional<QString> refused;
};

// The hold of an activity's settlement ends with it, whatever the outcome.
struct HoldRelease {
    SettlementSession &session;
    const int &key;
    const int &createdKey;
    ~HoldRelease()
    {
        try {
            if (createdKey > 0)
                session.release(createdKey);
            if (key > 0 && key != createdKey)
                session.release(key);
        } catch (...) {
            // The rows go stale by themselves.
        }
    }
};

// Why the batch leaves a period that already has a settlement.
QString existingSettlement(CompanyDirectory &directory, int key)
{
    return directory.settlementState(key) == 2
        ? QStringLiteral("La liquidazione del periodo è in elaborazione in un'altra finestra o in un altro comando e "
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

std::vector<BatchSettlement::Outcome> BatchSettlement::run(const Options &o)
{
    // Every activity of the chosen companies that has the VAT year, in one statement.
    SqlStatement companies;
    for (int c : o.companies)
        companies += (companies.isEmpty() ? QString() : u", "_qs) + n(c);
    std::vector<Target> targets;
    for (Recordset rs = m_db.openRecordset(
             u"SELECT Azienda.IDAzienda, Azienda.Azienda, PeriodoIva.IDPeriodoIva, AttivitaAzienda.IDAttivitaAzienda, "
             u"AttivitaAzienda.AttivitaAzienda FROM ((Azienda INNER JOIN PeriodoIva ON PeriodoIva.IDAzienda = "
             u"Azienda.IDAzienda) INNER JOIN AttivitaAzienda ON AttivitaAzienda.IDAzienda = Azienda.IDAzienda) "
             u"INNER JOIN AttivitaAziendaPerPeriodoIva ON AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = "
             u"AttivitaAzienda.IDAttivitaAzienda AND AttivitaAziendaPerPeriodoIva.IDPeriodoIva = "
             u"PeriodoIva.IDPeriodoIva "
             u"WHERE PeriodoIva.Anno = "_qs +
             n(o.anno) +
             u" AND Azienda.VirtualDelete = 0 AND PeriodoIva.VirtualDelete = 0 AND AttivitaAzienda.VirtualDelete = 0 "
             u"AND AttivitaAziendaPerPeriodoIva.VirtualDelete = 0"_qs +
             (companies.isEmpty() ? QString() : u" AND Azienda.IDAzienda IN ("_qs + companies + u")"_qs) +
             u" ORDER BY Azienda.IDAzienda, AttivitaAzienda.IDAttivitaAzienda"_qs);
         !rs.eof(); rs.moveNext()) {
        Target t;
        t.idAzienda = rs.integer(u"IDAzienda"_qs);
        t.azienda = rs.text(u"Azienda"_qs);
        t.idPeriodoIva = rs.integer(u"IDPeriodoIva"_qs);
        t.idAttivitaAzienda = rs.integer(u"IDAttivitaAzienda"_qs);
        t.attivitaAzienda = rs.text(u"AttivitaAzienda"_qs);
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

    // One session and one look-up of the program's function for the whole batch: each
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
            out = settleOne(o, session, function, t.idAzienda, t.idPeriodoIva, t.idAttivitaAzienda);
        }
        out.idAzienda = t.idAzienda;
        out.azienda = t.azienda;
        out.idAttivitaAzienda = t.idAttivitaAzienda;
        out.attivitaAzienda = t.attivitaAzienda;
        outcomes.push_back(out);
    }
    return outcomes;
}

BatchSettlement::Outcome BatchSettlement::settleOne(const Options &o, SettlementSession &session, int function,
                                                    int idAzienda, int idPeriodoIva, int idAttivitaAzienda)
{
    Outcome out;
    ConsoleMessages messages(o.answerYes);
    messages.setQuiet(true);
    auto lastText = [&messages](const QString &fallback) {
        return messages.texts().isEmpty() ? fallback : messages.texts().last();
    };
    CompanyDirectory directory(m_db);
    int key = 0;
    int createdKey = 0; // the working settlement this activity's run created, if any
    const HoldRelease release{session, key, createdKey};
    try {
        NewSettlement ns(m_db, idAzienda, o.idUser);
        ns.setOnCreated([&session, &createdKey](int k) {
            createdKey = k;
            session.hold(k);
        });
        ns.sbSetComboMesi(idAttivitaAzienda, idPeriodoIva, 0);
        const int index = ns.indexOfMonth(o.period);
        if (index < 0)
            throw Refusal(
                u"L'attività liquida per trimestri: il periodo va indicato con l'ultimo mese del trimestre."_qs);
        const NewSettlement::Validation check = ns.fnValidate(idAttivitaAzienda, idPeriodoIva, index, o.method);
        if (ns.confirm(check, askEach(messages, check.questions), true) != 1)
            throw Refusal(lastText(u"Operazione annullata."_qs));
        key = ns.currentKey();
        // An existing settlement is never filled again by the batch: the activity is
        // reported as already settled.
        if (key != createdKey)
            throw Refusal(existingSettlement(directory, key));
        session.hold(key);
        UtilityServices services(messages);
        DocumentContext ctx{m_db, messages, o.idUser, idAzienda, function, true, {}};
        ctx.heldByOther = [&session](int k) { return session.holderOf(k); };
        ctx.mayRebuildVatData = false;
        SettlementDocument doc(ctx);
        for (const QString &text : doc.sbChildFill(key, ns.makeDatiIva()))
            messages.inform(text);
        if (o.save) {
            // The save's questions get the batch's answers, as before the write.
            const SaveQuestions questions = doc.saveQuestions();
            const SaveAnswers answers{askAll(messages, questions.first), askAll(messages, questions.then)};
            if (!doc.fnChildSave(questions, answers))
                throw Refusal(lastText(u"La liquidazione non è stata salvata."_qs));
        }
        out.status = Outcome::Status::Done;
        out.daVersare = doc.importoDaVersare();
        out.creditoResiduo = doc.creditoResiduo();
        if (o.save)
            out.idRisultatoLiquidazioneIva = key;
        else
            WorkingRecords::removeDocumentRows(m_db, o.idUser, key);
        return out;
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
    // Nothing of a refused or failed activity stays: only the working rows it created.
    if (createdKey > 0 && directory.settlementState(createdKey) == 2) {
        try {
            WorkingRecords::removeDocumentRows(m_db, o.idUser, createdKey);
        } catch (...) {
        }
    }
    return out;
}

} // namespace liqiva
