#pragma once

#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "suite/Questions.h"
#include "suite/Refusal.h"

#include <functional>

namespace liqiva {

// The save of a settlement as its callers run it: every question put first to the message
// service of the document's context (the tests script the answers), the annual credit
// carried over as it is, then the write.
inline bool saveAnswering(SettlementDocument &doc, const std::function<void()> &alongside = {})
{
    MessageService &messages = doc.context().messages;
    const SaveQuestions questions = doc.saveQuestions();
    SaveAnswers answers;
    answers.first = askAll(messages, questions.first);
    answers.then = askAll(messages, questions.then);
    return doc.fnChildSave(questions, answers, alongside);
}

// The check of a new settlement's period as its callers run it: the questions put to
// `messages` (the tests script the answers), a refusal said there as the dialog says it.
inline bool validateAnswering(NewSettlement &ns, MessageService &messages, int idAttivitaAzienda, int idPeriodoIva,
                              int index, int method)
{
    const NewSettlement::Answered a = ns.askValidation(messages, idAttivitaAzienda, idPeriodoIva, index, method);
    try {
        return ns.accept(a.check, a.yes);
    } catch (const Refusal &r) {
        messages.inform(r.message());
        return false;
    }
}

// The OK of the new settlement's dialog, as above.
inline int confirmAnswering(NewSettlement &ns, MessageService &messages, int idAttivitaAzienda, int idPeriodoIva,
                            int index, int method, bool noMakeDatiIva)
{
    try {
        return ns.confirmAsking(messages, idAttivitaAzienda, idPeriodoIva, index, method, noMakeDatiIva);
    } catch (const Refusal &r) {
        messages.inform(r.message());
        return 2;
    }
}

// "Nuovo" and OK for a period of an activity (a quarter by its last month, 13 the December
// advance, 0 the year), the questions put to `messages`: the key of the new working
// settlement, 0 when it was refused.
inline int newWorkingSettlement(Connection &db, MessageService &messages, int company, int user, int activity,
                                int vatYear, int month, int method = 0)
{
    NewSettlement ns(db, company, user);
    ns.sbSetComboMesi(activity, vatYear, 0);
    const int done = confirmAnswering(ns, messages, activity, vatYear, ns.indexOfMonth(month), method, true);
    return done == 1 ? ns.currentKey() : 0;
}

} // namespace liqiva
