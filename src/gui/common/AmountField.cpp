#include "gui/common/AmountField.h"

#include "domain/document/InputText.h"
#include "suite/Messages.h"

#include <QLineEdit>

namespace liqiva {

std::optional<Money> typedAmount(MessageService &messages, QLineEdit *field, bool euro)
{
    const ParsedAmount parsed = parseAmount(field->text(), euro);
    if (!parsed.valid) {
        messages.warn(msgInvalidAmount(field->text(), euro));
        field->setFocus();
        field->selectAll();
        return std::nullopt;
    }
    return parsed.value.value_or(Money());
}

QLineEdit *amountField(const QString &name, QWidget *parent, bool editable, int minimumWidth)
{
    auto *f = new QLineEdit(parent);
    f->setObjectName(name);
    f->setAlignment(Qt::AlignRight);
    f->setReadOnly(!editable);
    f->setMinimumWidth(minimumWidth);
    if (!editable)
        f->setFocusPolicy(Qt::NoFocus);
    return f;
}

} // namespace liqiva
