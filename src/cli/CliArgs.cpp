#include "cli/CliArgs.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace liqiva::cli {

namespace {

// Edits between two short words, to suggest the option meant by a mistyped one.
int distance(const QString &a, const QString &b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[size_t(j)] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

QString unknownOption(const QString &name, const QStringList &known)
{
    QString text = QStringLiteral("opzione sconosciuta --%1").arg(name);
    QString best;
    int bestDistance = 3; // at most two edits away
    for (const QString &k : known) {
        const int d = distance(name, k);
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    if (!best.isEmpty())
        text += QStringLiteral(" (forse --%1?)").arg(best);
    return text;
}

bool isOptionWord(const QString &w)
{
    return w.startsWith(u"--"_qs) || w == u"-h"_qs;
}

// The first failure to write standard output, with the system's reason.
std::optional<QString> outputFailed;

void write(FILE *stream, const QString &text)
{
    QString shown = text;
    shown.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    const QByteArray b = (shown + u'\n').toUtf8();
    errno = 0;
    const bool written = std::fwrite(b.constData(), 1, size_t(b.size()), stream) == size_t(b.size());
    const bool flushed = std::fflush(stream) == 0;
    if ((!written || !flushed) && stream == stdout && !outputFailed)
        outputFailed = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
}

} // namespace

bool CliArgs::asksForHelp(const QStringList &words)
{
    return words.contains(u"--help"_qs) || words.contains(u"-h"_qs);
}

std::optional<QString> CliArgs::parse(const QStringList &words, const QStringList &options, const QStringList &flags,
                                      CliArgs &out, bool takesPaths)
{
    const QStringList known = options + flags;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString w = words[i];
        if (takesPaths && !w.startsWith(u'-')) {
            out.m_paths << w;
            continue;
        }
        if (!w.startsWith(u"--"_qs) || w.size() == 2)
            return QStringLiteral("argomento inatteso \"%1\": le opzioni si scrivono --nome valore").arg(w);
        const QString name = w.mid(2);
        const qsizetype eq = name.indexOf(u'=');
        if (eq >= 0)
            return QStringLiteral("la forma \"%1\" non è ammessa: scrivere --%2 %3 (senza \"=\")")
                .arg(w, name.left(eq), name.mid(eq + 1));
        if (!known.contains(name))
            return unknownOption(name, known);
        if (out.has(name))
            return QStringLiteral("--%1 è indicata più volte: indicarla una volta sola").arg(name);
        if (flags.contains(name)) {
            if (i + 1 < words.size() && !isOptionWord(words[i + 1]))
                return QStringLiteral("--%1 è un interruttore e non vuole un valore (trovato \"%2\")")
                    .arg(name, words[i + 1]);
            out.m_flags << name;
            continue;
        }
        if (i + 1 >= words.size())
            return QStringLiteral("manca il valore di --%1").arg(name);
        if (isOptionWord(words[i + 1]))
            return QStringLiteral("manca il valore di --%1 (dopo c'è %2)").arg(name, words[i + 1]);
        out.m_values.insert(name, words[++i]);
    }
    return std::nullopt;
}

int CliArgs::integer(const QString &name, int min, int max) const
{
    if (!m_values.contains(name))
        throw UsageError{QStringLiteral("manca --%1").arg(name)};
    const QString text = m_values.value(name);
    const QString range = QStringLiteral("un numero intero da %1 a %2").arg(min).arg(max);
    bool digits = !text.isEmpty() && text.size() <= 20;
    for (qsizetype k = 0; digits && k < text.size(); ++k)
        digits = (text[k] >= u'0' && text[k] <= u'9') || (k == 0 && text[k] == u'-' && text.size() > 1);
    if (!digits)
        throw UsageError{QStringLiteral("--%1 vuole %2, non \"%3\"").arg(name, range, text)};
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < min || v > max)
        throw UsageError{QStringLiteral("--%1 %2 è fuori dall'intervallo: indicare %3").arg(name, text, range)};
    return int(v);
}

int CliArgs::integer(const QString &name, int min, int max, int fallback) const
{
    return m_values.contains(name) ? integer(name, min, max) : fallback;
}

int CliArgs::key(const QString &name) const
{
    return integer(name, 1, std::numeric_limits<qint32>::max());
}

int CliArgs::key(const QString &name, int fallback) const
{
    return m_values.contains(name) ? key(name) : fallback;
}

void out(const QString &text)
{
    write(stdout, text);
}

void err(const QString &text)
{
    write(stderr, text);
}

std::optional<QString> standardOutputFailure()
{
    if (!outputFailed && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        outputFailed = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
    return outputFailed;
}

} // namespace liqiva::cli
