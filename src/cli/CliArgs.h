#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace liqiva::cli {

// The words after the command: "--name value" options and "--flag" switches.
class CliArgs {
public:
    // Parses; returns an error text for a malformed line.
    static std::optional<QString> parse(const QStringList &words, const QStringList &flags, CliArgs &out);

    bool has(const QString &name) const { return m_values.contains(name) || m_flags.contains(name); }
    bool flag(const QString &name) const { return m_flags.contains(name); }
    QString value(const QString &name, const QString &fallback = {}) const { return m_values.value(name, fallback); }
    // An integer option; throws UsageError when it is missing (and required) or not a number.
    int integer(const QString &name) const;
    int integer(const QString &name, int fallback) const;

private:
    QMap<QString, QString> m_values;
    QStringList m_flags;
};

// Bad arguments: the command ends with exit code 2 and this text.
struct UsageError {
    QString text;
};

// Writes a line to standard output / standard error, in UTF-8.
void out(const QString &text);
void err(const QString &text);

} // namespace liqiva::cli
