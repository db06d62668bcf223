#pragma once

#include "suite/Refusal.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace liqiva::cli {

// The words after the command: "--name value" options and "--flag" switches. The line is
// read strictly: a name the command does not know, a name given twice, the "--name=value"
// form, a value after a switch and an option without its value are all refused, so that a
// mistyped line never runs with a default the person did not mean.
class CliArgs {
public:
    // Parses; returns an error text for a malformed line. options: the names that take a
    // value; flags: the switches.
    // takesPaths: words that are not options are kept as paths (in their order) instead of
    // being refused.
    static std::optional<QString> parse(const QStringList &words, const QStringList &options, const QStringList &flags,
                                        CliArgs &out, bool takesPaths = false);
    // True when the words ask for help (--help or -h anywhere).
    static bool asksForHelp(const QStringList &words);

    bool has(const QString &name) const { return m_values.contains(name) || m_flags.contains(name); }
    const QStringList &paths() const { return m_paths; }
    bool flag(const QString &name) const { return m_flags.contains(name); }
    QString value(const QString &name, const QString &fallback = {}) const { return m_values.value(name, fallback); }
    // An integer option within [min, max]; throws UsageError when it is missing, not a
    // whole number or out of range.
    int integer(const QString &name, int min, int max) const;
    int integer(const QString &name, int min, int max, int fallback) const;
    // A key of a table: a whole number from 1 to the largest 32-bit one.
    int key(const QString &name) const;
    int key(const QString &name, int fallback) const;

private:
    QMap<QString, QString> m_values;
    QStringList m_flags;
    QStringList m_paths;
};

// Bad arguments: the command ends with exit code 2, this text and its usage.
struct UsageError {
    QString text;
};

// A refused operation (a missing right, a row that does not exist) is the system's Refusal:
// exit code 1 and its message.
using liqiva::Refusal;

// Writes a line to standard output / standard error, in UTF-8. The system's texts separate
// lines with CR or CR LF: both come out as plain newlines.
void out(const QString &text);
void err(const QString &text);
// Why standard output could not be written (a full disk, a closed pipe), if it could not.
std::optional<QString> standardOutputFailure();

} // namespace liqiva::cli
