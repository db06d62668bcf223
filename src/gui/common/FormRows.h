#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

class QFormLayout;
class QGroupBox;
class QWidget;

namespace liqiva {

// A row of a form: its caption and its field.
using FormRow = std::pair<QString, QWidget *>;

// Adds the rows to the form, in their order.
void addRows(QFormLayout &form, std::initializer_list<FormRow> rows);

// A framed group of the rows, laid out as a form.
QGroupBox *formGroup(const QString &title, QWidget *parent, std::initializer_list<FormRow> rows);

} // namespace liqiva
