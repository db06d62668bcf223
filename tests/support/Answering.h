#pragma once

#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "suite/Questions.h"

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
    const NewSettlement::Validation check = ns.fnValidate(idAttivitaAzienda, idPeriodoIva, index, method);
    const bool yes = askEach(messages, check.questions);
    if (yes && check.existing == 0 && !check.refusal.isEmpty()) {
        messages.inform(check.refusal);
        return false;
    }
    return ns.accept(check, yes);
}

// The OK of the new settlement's dialog, as above.
inline int confirmAnswering(NewSettlement &ns, MessageService &messages, int idAttivitaAzienda, int idPeriodoIva,
                            int index, int method, bool noMakeDatiIva)
{
    const NewSettlement::Validation check = ns.fnValidate(idAttivitaAzienda, idPeriodoIva, index, method);
    const bool yes = askEach(messages, check.questions);
    if (yes && check.existing == 0 && !check.refusal.isEmpty()) {
        messages.inform(check.refusal);
        return 2;
    }
    return ns.confirm(check, yes, noMakeDatiIva);
}

} // namespace liqiva
