#pragma once

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

} // namespace liqiva
