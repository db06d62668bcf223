#pragma once

#include <QString>
#include <vector>

namespace liqiva {

// What the fatal-error routine hands to the error-report window.
struct ErrorReport {
    long long number = 0;
    QString description;
    QString executable; // the executable's name
    QString path;       // the folder of the executable
    QString version;    // major.minor.revision
};

// Shows an error report and waits until the user closes it.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void show(const ErrorReport &report) = 0;
};

// For tests and the command line: keeps the reports instead of showing them.
class RecordingErrorReporter : public ErrorReporter {
public:
    void show(const ErrorReport &report) override { m_reports.push_back(report); }
    const std::vector<ErrorReport> &reports() const { return m_reports; }

private:
    std::vector<ErrorReport> m_reports;
};

} // namespace liqiva
