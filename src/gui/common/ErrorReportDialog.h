#pragma once

#include "suite/ErrorReport.h"

namespace liqiva {

// The error-report window of the fatal-error routine: the error, the program and its
// version, in a modal dialog whose text can be selected and copied.
class ErrorReportDialog : public ErrorReporter {
public:
    void show(const ErrorReport &report) override;
    static QString reportText(const ErrorReport &report);
};

} // namespace liqiva
