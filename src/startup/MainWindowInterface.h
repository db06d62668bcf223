#pragma once

#include <QString>
#include <QVariant>

namespace liqiva {

// What the start-up needs of the main window, so that the start-up logic stays free of
// widgets: the frmMDI window implements it, the tests put a recorder in its place.
class MainWindowInterface {
public:
    virtual ~MainWindowInterface() = default;

    // The window's native handle as a number (written to the hand-over as hExe).
    virtual unsigned long long windowHandle() = 0;
    // The suite's window properties ("KVR", "Activate", "BrevantoClosing", ...).
    virtual void setWindowProperty(const char *name, const QVariant &value) = 0;
    virtual QVariant windowProperty(const char *name) const = 0;
    // With "Debug" on the command line: watch the window's messages, for tracing.
    virtual void enableDebugHook() = 0;
    // sbInitMDI: builds the window for the work context (caption, menus, rights, settings,
    // first document window). The start-up has already checked that a company is set.
    virtual void initialise() = 0;
    virtual void showWindow() = 0;
    // Closes the window without the closing sequence (the start-up stopped or failed).
    virtual void unload() = 0;
};

} // namespace liqiva
