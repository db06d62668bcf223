#include "gui/shell/frmActivityBox.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStyle>
#include <QTime>
#include <QToolBox>
#include <QVBoxLayout>

namespace liqiva {

namespace {

constexpr int LogLines = 200;

} // namespace

const QStringList &frmActivityBox::exportKeys()
{
    static const QStringList keys = {u"ExportWord"_qs, u"ExportExcel"_qs, u"ExportHtml"_qs, u"ExportPDF"_qs};
    return keys;
}

frmActivityBox::frmActivityBox(QWidget *parent) : QDockWidget(u"Riquadro attività"_qs, parent)
{
    setObjectName(u"frmActivityBox"_qs);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);

    auto *body = new QWidget(this);
    m_box = new QToolBox(body);
    m_box->setObjectName(u"ActivityBox"_qs);

    m_reports = new QListWidget(m_box);
    m_reports->setObjectName(u"lstReports"_qs);
    const QIcon doc = style()->standardIcon(QStyle::SP_FileIcon);
    for (PrintReport r : {PrintReport::Settlement, PrintReport::Summary}) {
        auto *item = new QListWidgetItem(doc, reportTitle(r), m_reports);
        item->setData(Qt::UserRole, int(r));
    }
    m_reports->setCurrentRow(0);
    m_box->addItem(m_reports, u"Reports"_qs);

    m_exports = new QListWidget(m_box);
    m_exports->setObjectName(u"lstExport"_qs);
    const QStringList captions = {u"Documento Word"_qs, u"Foglio Excel"_qs, u"Pagina HTML"_qs, u"Documento PDF"_qs};
    for (int i = 0; i < captions.size(); ++i) {
        auto *item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DialogSaveButton), captions[i], m_exports);
        item->setData(Qt::UserRole, exportKeys()[i]);
        item->setToolTip(u"Esporta la liquidazione I.V.A. attiva: "_qs + captions[i]);
    }
    m_exports->setCurrentRow(m_defaultExport);
    m_box->addItem(m_exports, u"Export"_qs);

    m_log = new QListWidget(m_box);
    m_log->setObjectName(u"lstAttivita"_qs);
    m_box->addItem(m_log, u"Support"_qs);

    m_text = new QLabel(body);
    m_text->setObjectName(u"lblAttivita"_qs);
    m_text->setWordWrap(true);
    m_progress = new QProgressBar(body);
    m_progress->setObjectName(u"prgPagine"_qs);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(u"pagina %v di %m"_qs);
    m_progress->setTextVisible(false);

    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_box, 1);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    setWidget(body);
    setMinimumWidth(180);

    connect(m_exports, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        recordExport(item->data(Qt::UserRole).toString());
        Q_EMIT exportChosen(item->data(Qt::UserRole).toString());
    });
}

PrintReport frmActivityBox::selectedReport() const
{
    const QListWidgetItem *item = m_reports->currentItem();
    return item ? PrintReport(item->data(Qt::UserRole).toInt()) : PrintReport::Settlement;
}

QString frmActivityBox::SelectedReportName() const
{
    return reportTitle(selectedReport());
}

int frmActivityBox::SelectedReportID() const
{
    return int(selectedReport());
}

void frmActivityBox::selectReport(PrintReport report)
{
    for (int i = 0; i < m_reports->count(); ++i)
        if (m_reports->item(i)->data(Qt::UserRole).toInt() == int(report))
            m_reports->setCurrentRow(i);
}

int frmActivityBox::defaultActivity() const
{
    return m_box->currentIndex();
}

void frmActivityBox::setDefaultActivity(int activity)
{
    if (activity >= 0 && activity < m_box->count())
        m_box->setCurrentIndex(activity);
}

namespace {
const QStringList activityNames = {QStringLiteral("Reports"), QStringLiteral("Export"), QStringLiteral("Support")};
}

QString frmActivityBox::defaultActivityName() const
{
    return activityNames.value(defaultActivity());
}

void frmActivityBox::setDefaultActivityName(const QString &name)
{
    for (int i = 0; i < activityNames.size(); ++i)
        if (activityNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            setDefaultActivity(i);
}

void frmActivityBox::showActivity(int activity)
{
    setDefaultActivity(activity);
    show();
    raise();
}

void frmActivityBox::setDefaultExport(int index)
{
    if (index < 0 || index >= exportKeys().size())
        return;
    m_defaultExport = index;
    m_exports->setCurrentRow(index);
}

void frmActivityBox::recordExport(const QString &key)
{
    setDefaultExport(int(exportKeys().indexOf(key)));
}

void frmActivityBox::showProgress(const QString &text, int done, int total)
{
    m_text->setText(text);
    m_progress->setTextVisible(total > 0);
    if (total > 0) {
        m_progress->setRange(0, total);
        m_progress->setValue(done);
    } else {
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
    }
    // The log keeps the steps, not every page.
    if (total == 0 || done == total || done == 0) {
        m_log->addItem(QTime::currentTime().toString(u"HH:mm:ss"_qs) + u"  "_qs + text);
        while (m_log->count() > LogLines)
            delete m_log->takeItem(0);
        m_log->scrollToBottom();
    }
    // The pane follows the work as it goes.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString frmActivityBox::currentText() const
{
    return m_text->text();
}

int frmActivityBox::progressValue() const
{
    return m_progress->value();
}

int frmActivityBox::progressMaximum() const
{
    return m_progress->maximum();
}

} // namespace liqiva
