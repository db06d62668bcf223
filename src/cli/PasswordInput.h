#pragma once

#include <QString>

namespace liqiva::cli {

// A password for liqiva, never from an argument (the process list shows those): the first
// line of the file named by the environment variable, refused unless only its owner may read
// it; without the variable, asked on the terminal with the echo off; with neither, refused.
// The variable and the prompt are named in the refusal; the password never is.
QString readPassword(const char *variable, const QString &prompt);

// A new password: from the file of the variable, or asked twice on the terminal.
QString readNewPassword(const char *variable, const QString &prompt);

} // namespace liqiva::cli
