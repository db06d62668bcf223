#pragma once

#include "domain/printing/RegisterNumbering.h"

#include <QDockWidget>

class QLabel;
class QListWidget;
class QProgressBar;
class QToolBox;

namespace liqiva {

// The activity pane beside the documents: the reports the print commands print ("Reports"),
// the export kinds ("Export", which remembers the last one chosen) and what the program is
// doing ("Support"), with the pages of a print or an export as they are made. A dock widget
// of the main window, so the window's saved state keeps its place and width.
class frmActivityBox : public QDockWidget {
    Q_OBJECT
    // The user's settings keep these two by name ("Reports", "ExportPDF").
    Q_PROPERTY(QString DefaultActivity READ defaultActivityName WRITE setDefaultActivityName)
    Q_PROPERTY(QString DefaultExport READ defaultExportName WRITE setDefaultExportName)
public:
    // The export kinds in their order (DefaultExport is the index): "ExportWord",
    // "ExportExcel", "ExportHtml", "ExportPDF".
    static const QStringList &exportKeys();
    // The activities in their order (DefaultActivity is the index).
    enum Activity { Reports = 0, Export = 1, Support = 2 };

    explicit frmActivityBox(QWidget *parent = nullptr);

    // The report the print commands print: the settlement or the summary of its year.
    PrintReport selectedReport() const;
    QString SelectedReportName() const;
    int SelectedReportID() const;
    void selectReport(PrintReport report);

    int defaultActivity() const;
    void setDefaultActivity(int activity);
    void showActivity(int activity);
    // The export kind chosen last (index of exportKeys()).
    int defaultExport() const { return m_defaultExport; }
    QString defaultExportName() const { return exportKeys().value(m_defaultExport); }
    void setDefaultExportName(const QString &name) { setDefaultExport(int(exportKeys().indexOf(name))); }
    QString defaultActivityName() const;
    void setDefaultActivityName(const QString &name);
    void setDefaultExport(int index);
    // The export choice of a command: the pane remembers it and shows it chosen.
    void recordExport(const QString &key);

    // What the program is doing; total > 0 shows the pages done of total.
    void showProgress(const QString &text, int done = 0, int total = 0);
    QString currentText() const;
    int progressValue() const;
    int progressMaximum() const;

Q_SIGNALS:
    // An export kind was chosen in the pane ("ExportWord" ... "ExportPDF").
    void exportChosen(const QString &key);

private:
    QToolBox *m_box;
    QListWidget *m_reports;
    QListWidget *m_exports;
    QListWidget *m_log;
    QLabel *m_text;
    QProgressBar *m_progress;
    int m_defaultExport = 3;
};

} // namespace liqiva
