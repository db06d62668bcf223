#include "gui/printing/frmStampaDip.h"

#include "database/DbError.h"
#include "gui/common/DialogButtons.h"
#include "gui/common/Failures.h"
#include "gui/printing/PrintCommand.h"
#include "suite/Messages.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace liqiva {

frmStampaDip::frmStampaDip(Connection &db, MessageService &messages, int idUser, PrintCommand &output, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_user(idUser), m_output(output)
{
    setObjectName(u"frmStampaDip"_qs);
    setWindowTitle(DeclarationPrint::title(0));
    m_test = new QCheckBox(u"&Test di stampa"_qs, this);
    m_test->setObjectName(u"chkTest"_qs);
    m_test->setToolTip(u"Riempie ogni casella di caratteri segnaposto, per controllare l'allineamento sul modulo"_qs);

    auto *where = new QGroupBox(u"Destinazione"_qs, this);
    where->setObjectName(u"fraDestinazione"_qs);
    m_preview = new QRadioButton(u"&Anteprima"_qs, where);
    m_preview->setObjectName(u"optAnteprima"_qs);
    m_printer = new QRadioButton(u"&Stampante"_qs, where);
    m_printer->setObjectName(u"optStampante"_qs);
    m_pdf = new QRadioButton(u"Documento &PDF"_qs, where);
    m_pdf->setObjectName(u"optPDF"_qs);
    m_preview->setChecked(true);
    auto *whereLayout = new QVBoxLayout(where);
    for (QRadioButton *r : {m_preview, m_printer, m_pdf})
        whereLayout->addWidget(r);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_test);
    layout->addWidget(where);
    connect(addOkCancel(*this, *layout).first, &QPushButton::clicked, this, &frmStampaDip::ok);
    setMinimumWidth(380);
}

bool frmStampaDip::testOffered() const
{
    return m_data.anno > 0 && !m_data.annualCommunication();
}

void frmStampaDip::setData(const DeclarationData &data)
{
    m_data = data;
    setWindowTitle(DeclarationPrint::title(data.anno));
    m_test->setVisible(testOffered());
    if (!testOffered())
        m_test->setChecked(false);
}

void frmStampaDip::ok()
{
    const bool test = testOffered() && m_test->isChecked();
    const PrintDestination destination = m_printer->isChecked() ? PrintDestination::Printer
                                         : m_pdf->isChecked()   ? PrintDestination::File
                                                                : PrintDestination::Preview;
    bool printed = false;
    runShowingFailures(m_messages, [&] {
        printed = DeclarationPrint(m_db, m_user).print(m_data, test, [&](const PrintedReport &r) {
            return m_output.output(destination, ExportFormat::Pdf, r);
        });
    });
    if (printed)
        accept();
}

} // namespace liqiva
