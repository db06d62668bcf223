#include "cli/CliArgs.h"

#include <cstdio>

namespace liqiva::cli {

std::optional<QString> CliArgs::parse(const QStringList &words, const QStringList &flags, CliArgs &out)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString w = words[i];
        if (!w.startsWith(u"--"_qs))
            return QStringLiteral("argomento inatteso: %1").arg(w);
        QString name = w.mid(2);
        const qsizetype eq = name.indexOf(u'=');
        if (eq >= 0) {
            out.m_values.insert(name.left(eq), name.mid(eq + 1));
            continue;
        }
        if (flags.contains(name)) {
            out.m_flags << name;
            continue;
        }
        if (i + 1 >= words.size())
            return QStringLiteral("manca il valore di --%1").arg(name);
        out.m_values.insert(name, words[++i]);
    }
    return std::nullopt;
}

int CliArgs::integer(const QString &name) const
{
    if (!m_values.contains(name))
        throw UsageError{QStringLiteral("manca --%1").arg(name)};
    bool ok = false;
    const int v = m_values.value(name).toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("--%1 vuole un numero intero, non \"%2\"").arg(name, m_values.value(name))};
    return v;
}

int CliArgs::integer(const QString &name, int fallback) const
{
    return m_values.contains(name) ? integer(name) : fallback;
}

void out(const QString &text)
{
    const QByteArray b = (text + u'\n').toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    const QByteArray b = (text + u'\n').toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fflush(stderr);
}

} // namespace liqiva::cli
