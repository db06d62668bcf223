#include "gui/common/ReadOnlyDialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace liqiva {

void lockForReading(QDialog &dialog)
{
    for (QLineEdit *e : dialog.findChildren<QLineEdit *>())
        e->setReadOnly(true);
    for (QPlainTextEdit *e : dialog.findChildren<QPlainTextEdit *>())
        e->setReadOnly(true);
    for (QTextEdit *e : dialog.findChildren<QTextEdit *>())
        e->setReadOnly(true);
    for (QAbstractSpinBox *e : dialog.findChildren<QAbstractSpinBox *>())
        e->setReadOnly(true);
    for (QComboBox *e : dialog.findChildren<QComboBox *>())
        e->setEnabled(false);
    for (QAbstractItemView *v : dialog.findChildren<QAbstractItemView *>())
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (QAbstractButton *b : dialog.findChildren<QAbstractButton *>()) {
        if (b->isCheckable())
            b->setEnabled(false);
        else if (b->objectName().compare(QLatin1String("cmdOk"), Qt::CaseInsensitive) == 0)
            b->hide();
    }
}

} // namespace liqiva
