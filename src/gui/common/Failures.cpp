#include "gui/common/Failures.h"

#include "database/DbError.h"
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
        messages.error(e.message());
    } catch (const std::bad_alloc &) {
        messages.error(u"Memoria insufficiente per completare l'operazione."_qs + u"\r"_qs +
                       u"Chiudere una o più applicazioni attive e riprovare."_qs);
    } catch (const std::exception &e) {
        messages.error(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace liqiva
