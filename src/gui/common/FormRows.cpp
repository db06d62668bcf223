#include "gui/common/FormRows.h"

#include <QFormLayout>
#include <QGroupBox>

namespace liqiva {

void addRows(QFormLayout &form, std::initializer_list<FormRow> rows)
{
    for (const auto &[caption, field] : rows)
        form.addRow(caption, field);
}

QGroupBox *formGroup(const QString &title, QWidget *parent, std::initializer_list<FormRow> rows)
{
    auto *group = new QGroupBox(title, parent);
    addRows(*new QFormLayout(group), rows);
    return group;
}

} // namespace liqiva
