#pragma once

#include "startup/MainWindowInterface.h"

#include <QMainWindow>

class QMdiArea;

namespace liqiva {

class Program;

// The main window: a multiple-document frame with an empty document area and a status bar.
// Closing it runs the closing sequence of the program (refused while work is running).
class frmMDI : public QMainWindow, public MainWindowInterface {
    Q_OBJECT
public:
    explicit frmMDI(Program &program, QWidget *parent = nullptr);
    ~frmMDI() override;

    // MainWindowInterface
    unsigned long long windowHandle() override;
    void setWindowProperty(const char *name, const QVariant &value) override;
    QVariant windowProperty(const char *name) const override;
    void enableDebugHook() override;
    void initialise() override;
    void showWindow() override;
    void unload() override;

    // sbInitMDI: the caption and the parts of the window that depend on the work context.
    void sbInitMDI();
    // sbMDIInitialization: the caption, title + " - " + company + " [" + branch + "]".
    void sbMDIInitialization();
    // The status-bar text routine of the menu-hover events.
    void sbStatusBarText(const QString &text);

    QMdiArea *documentArea() const { return m_area; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Program &m_program;
    QMdiArea *m_area;
    bool m_unloading = false;
    bool m_closed = false;
};

} // namespace liqiva
