#include "gui/common/ErrorReportDialog.h"

#include "suite/Messages.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace liqiva {

QString ErrorReportDialog::reportText(const ErrorReport &r)
{
    return QStringLiteral("Errore: %1\nDescrizione: %2\nProgramma: %3\nPercorso: %4\nVersione: %5")
        .arg(QString::number(r.number), r.description, r.executable, r.path, r.version);
}

void ErrorReportDialog::show(const ErrorReport &report)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(u"frmErrorReport"_qs);
    dialog.setWindowTitle(applicationTitle());
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(u"Si è verificato un errore imprevisto: il programma verrà chiuso."_qs, &dialog);
    layout->addWidget(label);
    auto *text = new QPlainTextEdit(reportText(report), &dialog);
    text->setObjectName(u"txtReport"_qs);
    text->setReadOnly(true);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(520, 260);
    dialog.exec();
}

} // namespace liqiva
