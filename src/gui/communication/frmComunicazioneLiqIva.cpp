#include "gui/communication/frmComunicazioneLiqIva.h"

#include "database/DbError.h"
#include "database/DbErrorText.h"
#include "gui/common/Failures.h"
#include "gui/common/FileDialogs.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"
#include "suite/rights/UserRights.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

// The preview's rows: caption and the module's value as text (empty when not written).
using Cell = QString (*)(const CommunicationModule &);

QString amount(const std::optional<Money> &v)
{
    return v ? communicationAmount(*v) : QString();
}

const std::vector<std::pair<QString, Cell>> &previewRows()
{
    static const std::vector<std::pair<QString, Cell>> rows = {
        {u"Periodo"_qs,
         [](const CommunicationModule &m) {
             return m.mese ? QStringLiteral("Mese %1").arg(*m.mese) : QStringLiteral("Trimestre %1").arg(*m.trimestre);
         }},
        {u"Attività"_qs, [](const CommunicationModule &m) { return m.activities.join(u", "_qs); }},
        {u"VP2 Totale operazioni attive"_qs,
         [](const CommunicationModule &m) { return amount(m.totaleOperazioniAttive); }},
        {u"VP3 Totale operazioni passive"_qs,
         [](const CommunicationModule &m) { return amount(m.totaleOperazioniPassive); }},
        {u"VP4 IVA esigibile"_qs, [](const CommunicationModule &m) { return amount(m.ivaEsigibile); }},
        {u"VP5 IVA detratta"_qs, [](const CommunicationModule &m) { return amount(m.ivaDetratta); }},
        {u"VP6 IVA dovuta"_qs, [](const CommunicationModule &m) { return amount(m.ivaDovuta); }},
        {u"VP6 IVA a credito"_qs, [](const CommunicationModule &m) { return amount(m.ivaCredito); }},
        {u"VP7 Debito periodo precedente"_qs, [](const CommunicationModule &m) { return amount(m.debitoPrecedente); }},
        {u"VP8 Credito periodo precedente"_qs,
         [](const CommunicationModule &m) { return amount(m.creditoPeriodoPrecedente); }},
        {u"VP9 Credito anno precedente"_qs,
         [](const CommunicationModule &m) { return amount(m.creditoAnnoPrecedente); }},
        {u"VP10 Versamenti auto"_qs, [](const CommunicationModule &m) { return amount(m.versamentiAuto); }},
        {u"VP11 Crediti d'imposta"_qs, [](const CommunicationModule &m) { return amount(m.creditiImposta); }},
        {u"VP12 Interessi dovuti"_qs, [](const CommunicationModule &m) { return amount(m.interessiDovuti); }},
        {u"VP13 Metodo"_qs,
         [](const CommunicationModule &m) { return m.metodo ? QString::number(*m.metodo) : QString(); }},
        {u"VP13 Acconto"_qs, [](const CommunicationModule &m) { return amount(m.acconto); }},
        {u"VP14 Importo da versare"_qs, [](const CommunicationModule &m) { return amount(m.importoDaVersare); }},
        {u"VP14 Importo a credito"_qs, [](const CommunicationModule &m) { return amount(m.importoACredito); }},
    };
    return rows;
}

} // namespace

const QStringList &frmComunicazioneLiqIva::rowCaptions()
{
    static const QStringList captions = [] {
        QStringList c;
        for (const auto &r : previewRows())
            c << r.first;
        return c;
    }();
    return captions;
}

frmComunicazioneLiqIva::frmComunicazioneLiqIva(Connection &db, MessageService &messages, int idAzienda, int anno,
                                               int trimestre, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_idAzienda(idAzienda)
{
    setWindowTitle(u"Comunicazione liquidazioni IVA"_qs);
    setObjectName(u"frmComunicazioneLiqIva"_qs);

    txtAnno = new QSpinBox(this);
    txtAnno->setObjectName(u"txtAnno"_qs);
    txtAnno->setRange(2000, 2099);
    txtAnno->setValue(anno);
    cboTrimestre = new QComboBox(this);
    cboTrimestre->setObjectName(u"cboTrimestre"_qs);
    for (int q = 1; q <= 4; ++q)
        cboTrimestre->addItem(QStringLiteral("%1° trimestre").arg(q), q);
    cboTrimestre->setCurrentIndex(qBound(1, trimestre, 4) - 1);
    lblAzienda = new QLabel(this);
    lblAzienda->setObjectName(u"lblAzienda"_qs);
    lblComunicata = new QLabel(this);
    lblComunicata->setObjectName(u"lblComunicata"_qs);
    lstMancanti = new QListWidget(this);
    lstMancanti->setObjectName(u"lstMancanti"_qs);
    lstMancanti->setMaximumHeight(90);
    spdModuli = new QTableWidget(this);
    spdModuli->setObjectName(u"spdModuli"_qs);
    spdModuli->setEditTriggers(QAbstractItemView::NoEditTriggers);
    spdModuli->setRowCount(int(previewRows().size()));
    spdModuli->setVerticalHeaderLabels(rowCaptions());
    cmdGenera = new QPushButton(u"&Genera file..."_qs, this);
    cmdGenera->setObjectName(u"cmdGenera"_qs);
    cmdChiudi = new QPushButton(u"&Chiudi"_qs, this);
    cmdChiudi->setObjectName(u"cmdChiudi"_qs);

    auto *period = new QFormLayout;
    period->addRow(u"Anno d'imposta:"_qs, txtAnno);
    period->addRow(u"Trimestre:"_qs, cboTrimestre);
    period->addRow(u"Azienda:"_qs, lblAzienda);
    period->addRow(u"Comunicata:"_qs, lblComunicata);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdGenera);
    buttons->addWidget(cmdChiudi);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(period);
    layout->addWidget(new QLabel(u"Mancano:"_qs, this));
    layout->addWidget(lstMancanti);
    layout->addWidget(spdModuli, 1);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(txtAnno, &QSpinBox::valueChanged, this, &frmComunicazioneLiqIva::refresh);
    connect(cboTrimestre, &QComboBox::currentIndexChanged, this, &frmComunicazioneLiqIva::refresh);
    connect(cmdGenera, &QPushButton::clicked, this, &frmComunicazioneLiqIva::chooseFileAndWrite);
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
}

void frmComunicazioneLiqIva::refresh()
{
    lstMancanti->clear();
    spdModuli->setColumnCount(0);
    m_data = PeriodicCommunicationData{};
    try {
        m_data = loadPeriodicCommunication(m_db, m_idAzienda, txtAnno->value(), cboTrimestre->currentData().toInt());
    } catch (const Refusal &r) {
        m_data.missing = {r.message()};
    } catch (const DbError &e) {
        m_data.missing = {explainDbError(e)};
    }
    lblAzienda->setText(m_data.azienda);
    lblComunicata->setText(u"no"_qs);
    try {
        if (const auto previous = previousCommunication(m_db, m_data))
            lblComunicata->setText(
                QStringLiteral("il %1, file %2").arg(previous->when.toString(u"dd/MM/yyyy HH:mm"_qs), previous->file));
    } catch (const DbError &e) {
        lblComunicata->setText(explainDbError(e));
    }
    lstMancanti->addItems(m_data.missing);
    spdModuli->setColumnCount(int(m_data.modules.size()));
    const auto &rows = previewRows();
    for (int c = 0; c < int(m_data.modules.size()); ++c) {
        spdModuli->setHorizontalHeaderItem(c, new QTableWidgetItem(QStringLiteral("Modulo %1").arg(c + 1)));
        for (int r = 0; r < int(rows.size()); ++r) {
            auto *item = new QTableWidgetItem(rows[r].second(m_data.modules[c]));
            item->setTextAlignment(r >= 2 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
            spdModuli->setItem(r, c, item);
        }
    }
    cmdGenera->setEnabled(m_mayWrite && m_data.missing.isEmpty() && !m_data.modules.empty());
}

void frmComunicazioneLiqIva::setMayWrite(bool may)
{
    m_mayWrite = may;
    cmdGenera->setToolTip(may ? QString() : UserRights::refusal(UserRights::NewSave) + u"."_qs);
    refresh();
}

bool frmComunicazioneLiqIva::writeTo(const QString &path)
{
    if (!m_mayWrite) {
        m_messages.warn(UserRights::refusal(UserRights::NewSave) + u": la comunicazione non è stata scritta."_qs);
        return false;
    }
    // A database error leaves the settlements as they were: the file written must not be sent.
    const bool written = runShowingFailures(
        m_messages,
        QStringLiteral("Le liquidazioni non sono state segnate come comunicate: il file %1 non va inviato.\n")
            .arg(path),
        [&] { m_messages.inform(communicationWrittenText(m_data, communicate(m_db, m_data, path, m_idUser), path)); });
    refresh();
    return written;
}

void frmComunicazioneLiqIva::chooseFileAndWrite()
{
    const QString suggested =
        QStringLiteral("IVP_%1_%2T.xml").arg(txtAnno->value()).arg(cboTrimestre->currentData().toInt());
    const QString path =
        chooseFileToWrite(this, u"Comunicazione liquidazioni IVA"_qs, suggested, u"File XML (*.xml)"_qs, true);
    if (!path.isEmpty())
        writeTo(path);
}

} // namespace liqiva
