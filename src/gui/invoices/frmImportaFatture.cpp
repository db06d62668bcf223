#include "gui/invoices/frmImportaFatture.h"

#include "database/Connection.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDirIterator>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

QString outcomeText(const ImportedFile &f)
{
    if (!f.refusal.isEmpty())
        return u"Rifiutato: "_qs + f.refusal;
    QStringList parts;
    int imported = 0, duplicates = 0, listed = 0;
    for (const ImportedDocument &d : f.documents) {
        imported += d.outcome == ImportedDocument::Outcome::Imported;
        duplicates += d.outcome == ImportedDocument::Outcome::Duplicate;
        listed += d.outcome == ImportedDocument::Outcome::Listed;
        if (!d.note.isEmpty())
            parts << d.note;
    }
    QString text = QStringLiteral("%1 importate, %2 doppioni, %3 elencate").arg(imported).arg(duplicates).arg(listed);
    if (f.signedEnvelope)
        text += u" (busta firmata: firma non verificata)"_qs;
    if (!parts.isEmpty())
        text += u"; "_qs + parts.join(u"; "_qs);
    return text;
}

// Files a path stands for, to size the progress bar (an archive counts as one).
int filesOf(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return 1;
    int n = 0;
    QDirIterator it(path, {u"*.xml"_qs, u"*.p7m"_qs, u"*.zip"_qs}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// A file as the table shows it: from the folder or file the user listed (its full path in
// the tool tip).
QString shownName(const QString &file, const QStringList &roots)
{
    for (const QString &root : roots) {
        const QString folder = QFileInfo(root).isDir() ? root : QFileInfo(root).path();
        if (file.startsWith(folder + u'/'))
            return file.mid(folder.size() + 1);
    }
    return file;
}

} // namespace

// The size asked, within the screen the window opens on.
void fitToScreen(QWidget *window, QSize size)
{
    if (const QScreen *screen = window->screen()) {
        const QSize room = screen->availableGeometry().size() - QSize(40, 60);
        size = size.boundedTo(room);
    }
    window->resize(size);
}

frmImportaFatture::frmImportaFatture(Connection &db, MessageService &messages, int company, int user, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_company(company), m_user(user)
{
    setWindowTitle(u"Importa fatture elettroniche"_qs);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"File (.xml, .xml.p7m, .zip) e cartelle da importare:"_qs));
    lstPercorsi = new QListWidget;
    lstPercorsi->setMaximumHeight(100); // the room goes to the outcome of each file
    layout->addWidget(lstPercorsi);
    auto *buttons = new QHBoxLayout;
    auto *cmdFile = new QPushButton(u"Aggiungi file..."_qs);
    auto *cmdCartella = new QPushButton(u"Aggiungi cartella..."_qs);
    buttons->addWidget(cmdFile);
    buttons->addWidget(cmdCartella);
    buttons->addStretch();
    layout->addLayout(buttons);
    auto *received = new QHBoxLayout;
    chkRicevute = new QCheckBox(u"Acquisti ricevuti il"_qs);
    txtRicevute = new QDateEdit(QDate::currentDate());
    txtRicevute->setCalendarPopup(true);
    txtRicevute->setEnabled(false);
    received->addWidget(chkRicevute);
    received->addWidget(txtRicevute);
    received->addStretch();
    layout->addLayout(received);
    chkTuttoONiente = new QCheckBox(u"Se un file è rifiutato, non importare nulla"_qs);
    layout->addWidget(chkTuttoONiente);
    prgImporta = new QProgressBar;
    prgImporta->setValue(0);
    layout->addWidget(prgImporta);
    grdFile = new QTableWidget(0, 2);
    grdFile->setHorizontalHeaderLabels({u"File"_qs, u"Esito"_qs});
    grdFile->horizontalHeader()->setStretchLastSection(true);
    grdFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdFile->setWordWrap(true);
    grdFile->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(grdFile, 1);
    lblEsito = new QLabel;
    layout->addWidget(lblEsito);
    auto *bottom = new QHBoxLayout;
    cmdImporta = new QPushButton(u"Importa"_qs);
    auto *cmdChiudi = new QPushButton(u"Chiudi"_qs);
    bottom->addStretch();
    bottom->addWidget(cmdImporta);
    bottom->addWidget(cmdChiudi);
    layout->addLayout(bottom);

    connect(chkRicevute, &QCheckBox::toggled, txtRicevute, &QWidget::setEnabled);
    connect(cmdFile, &QPushButton::clicked, this, [this] {
        addPaths(
            QFileDialog::getOpenFileNames(this, u"Fatture elettroniche"_qs, {}, u"Fatture (*.xml *.p7m *.zip)"_qs));
    });
    connect(cmdCartella, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, u"Cartella delle fatture"_qs);
        if (!folder.isEmpty())
            addPaths({folder});
    });
    connect(cmdImporta, &QPushButton::clicked, this, [this] { runImport(); });
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    fitToScreen(this, {900, 620});
}

void frmImportaFatture::addPaths(const QStringList &paths)
{
    for (const QString &p : paths)
        if (!p.isEmpty())
            lstPercorsi->addItem(p);
}

void frmImportaFatture::setReceived(const QDate &date)
{
    chkRicevute->setChecked(date.isValid());
    if (date.isValid())
        txtRicevute->setDate(date);
}

void frmImportaFatture::setAllOrNothing(bool on)
{
    chkTuttoONiente->setChecked(on);
}

void frmImportaFatture::runImport()
{
    QStringList paths;
    int total = 0;
    for (int k = 0; k < lstPercorsi->count(); ++k) {
        paths << lstPercorsi->item(k)->text();
        total += filesOf(paths.back());
    }
    if (paths.isEmpty()) {
        m_messages.warn(u"Nessun file da importare: aggiungere file o cartelle."_qs);
        return;
    }
    ImportOptions o;
    o.company = m_company;
    o.user = m_user;
    if (chkRicevute->isChecked())
        o.received = txtRicevute->date();
    o.allOrNothing = chkTuttoONiente->isChecked();
    grdFile->setRowCount(0);
    prgImporta->setRange(0, std::max(total, 1));
    prgImporta->setValue(0);
    cmdImporta->setEnabled(false);
    int done = 0;
    const bool ran = runShowingFailures(m_messages, [&] {
        m_report = importInvoices(m_db, paths, o, [&](const ImportedFile &f) {
            const int row = grdFile->rowCount();
            grdFile->insertRow(row);
            auto *name = new QTableWidgetItem(shownName(f.name, paths));
            name->setToolTip(f.name);
            grdFile->setItem(row, 0, name);
            auto *outcome = new QTableWidgetItem(outcomeText(f));
            outcome->setToolTip(outcome->text());
            grdFile->setItem(row, 1, outcome);
            if (++done > prgImporta->maximum())
                prgImporta->setMaximum(done);
            prgImporta->setValue(done);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    });
    cmdImporta->setEnabled(true);
    // The file's name as long as it needs, up to two fifths of the table: the outcome is read.
    grdFile->resizeColumnToContents(0);
    grdFile->setColumnWidth(0, std::min(grdFile->columnWidth(0), grdFile->viewport()->width() * 2 / 5));
    if (!ran) {
        lblEsito->setText(u"Importazione non riuscita: nulla è stato scritto."_qs);
        return;
    }
    const int refused = m_report.refusedFiles();
    if (m_report.kept)
        lblEsito->setText(
            QStringLiteral("Importazione %1: %2 fatture importate, %3 doppioni saltati, %4 file rifiutati.")
                .arg(m_report.importId)
                .arg(m_report.imported())
                .arg(m_report.duplicates())
                .arg(refused));
    else if (o.allOrNothing && refused)
        lblEsito->setText(QStringLiteral("%1 file rifiutati: nulla è stato importato.").arg(refused));
    else
        lblEsito->setText(u"Nessuna fattura nuova: nulla è stato scritto."_qs);
}

frmFattureImportate::frmFattureImportate(Connection &db, MessageService &messages, int company, int user,
                                         QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_company(company), m_user(user)
{
    setWindowTitle(u"Fatture importate"_qs);
    auto *layout = new QVBoxLayout(this);
    auto *filter = new QHBoxLayout;
    filter->addWidget(new QLabel(u"Anno"_qs));
    txtAnno = new QSpinBox;
    txtAnno->setRange(0, 2100);
    txtAnno->setSpecialValueText(u"tutti"_qs);
    txtAnno->setValue(QDate::currentDate().year());
    filter->addWidget(txtAnno);
    filter->addWidget(new QLabel(u"Mese"_qs));
    cboMese = new QComboBox;
    cboMese->addItem(u"tutti"_qs);
    for (const char *m : {"gennaio", "febbraio", "marzo", "aprile", "maggio", "giugno", "luglio", "agosto", "settembre",
                          "ottobre", "novembre", "dicembre"})
        cboMese->addItem(QString::fromLatin1(m));
    filter->addWidget(cboMese);
    filter->addStretch();
    layout->addLayout(filter);
    grdFatture = new QTableWidget(0, 8);
    grdFatture->setHorizontalHeaderLabels({u"Data"_qs, u"Numero"_qs, u"Controparte"_qs, u"Tipo"_qs, u"Imponibile"_qs,
                                           u"IVA"_qs, u"Periodo"_qs, u"Importazione"_qs});
    grdFatture->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdFatture->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdFatture->setSelectionMode(QAbstractItemView::SingleSelection);
    // The counterparty takes the room left; a long name is cut with its whole text in the tip.
    grdFatture->horizontalHeader()->setStretchLastSection(false);
    grdFatture->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    grdFatture->setWordWrap(false);
    layout->addWidget(grdFatture, 1);
    auto *bottom = new QHBoxLayout;
    auto *cmdAnnulla = new QPushButton(u"Annulla importazione"_qs);
    auto *cmdChiudi = new QPushButton(u"Chiudi"_qs);
    bottom->addWidget(cmdAnnulla);
    bottom->addStretch();
    bottom->addWidget(cmdChiudi);
    layout->addLayout(bottom);
    connect(txtAnno, &QSpinBox::valueChanged, this, [this] { refresh(); });
    connect(cboMese, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(cmdAnnulla, &QPushButton::clicked, this, [this] { undoCurrentImport(); });
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    fitToScreen(this, {960, 560});
    refresh();
}

void frmFattureImportate::setPeriod(int year, int month)
{
    const QSignalBlocker a(txtAnno), b(cboMese);
    txtAnno->setValue(year);
    cboMese->setCurrentIndex(month);
    refresh();
}

void frmFattureImportate::refresh()
{
    runShowingFailures(m_messages, [&] {
        const auto rows = listImportedInvoices(m_db, m_company, txtAnno->value(), cboMese->currentIndex());
        grdFatture->setRowCount(0);
        for (const ImportedInvoiceRow &r : rows) {
            const int row = grdFatture->rowCount();
            grdFatture->insertRow(row);
            const QDate date = QDate::fromString(r.date, Qt::ISODate);
            const QStringList cells = {date.toString(u"dd/MM/yyyy"_qs),
                                       r.number,
                                       r.counterparty,
                                       r.type + (r.counted ? (r.sale && r.purchase ? u" (vendita e acquisto)"_qs
                                                              : r.sale             ? u" (vendita)"_qs
                                                                                   : u" (acquisto)"_qs)
                                                           : u" (non contata)"_qs),
                                       r.taxable.toString(),
                                       r.tax.toString(),
                                       QStringLiteral("%1/%2").arg(r.month, 2, 10, QChar(u'0')).arg(r.year),
                                       QString::number(r.import)};
            for (int c = 0; c < cells.size(); ++c) {
                auto *item = new QTableWidgetItem(cells[c]);
                if (c == 2)
                    item->setToolTip(cells[c]);
                if (c == 4 || c == 5)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                grdFatture->setItem(row, c, item);
            }
        }
        grdFatture->resizeColumnsToContents();
    });
}

void frmFattureImportate::undoCurrentImport()
{
    const int row = grdFatture->currentRow();
    if (row < 0) {
        m_messages.warn(u"Scegliere una fattura dell'importazione da annullare."_qs);
        return;
    }
    const int import = grdFatture->item(row, 7)->text().toInt();
    if (!m_messages.askYesNo(
            QStringLiteral("Annullare l'importazione %1 intera? Le sue fatture escono dai contatori IVA.").arg(import)))
        return;
    runShowingFailures(m_messages, [&] {
        const int invoices = undoImport(m_db, m_company, import, m_user);
        m_messages.inform(
            QStringLiteral("Importazione %1 annullata: %2 fatture tolte dai contatori.").arg(import).arg(invoices));
    });
    refresh();
}

} // namespace liqiva
