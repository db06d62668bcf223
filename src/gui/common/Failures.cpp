#include "gui/common/Failures.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "suite/Refusal.h"

#include <new>

namespace liqiva {

void showFailure(MessageService &messages, std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Refusal &r) {
        messages.warn(r.message());
    } catch (const DbError &e) {
        messages.error(explainDbError(e));
    } catch (const std::bad_alloc &) {
        messages.error(u"Memoria insufficiente per completare l'operazione."_qs + u"\r"_qs +
                       u"Chiudere una o più applicazioni attive e riprovare."_qs);
    } catch (const std::exception &e) {
        messages.error(QString::fromLocal8Bit(e.what()));
    }
}

void showFailure(MessageService &messages, const QString &context, std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const DbError &e) {
        showFailure(messages, std::make_exception_ptr(DbError(e, context)));
    } catch (...) {
        showFailure(messages, std::current_exception());
    }
}

} // namespace liqiva
