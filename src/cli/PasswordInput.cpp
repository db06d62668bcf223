#include "cli/PasswordInput.h"

#include "suite/Refusal.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace liqiva::cli {

namespace {

QString fromFile(const char *variable, const QString &path)
{
    const QString name = QString::fromLatin1(variable);
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        throw Refusal(QStringLiteral("Il file della password indicato da %1 (%2) non c'è.").arg(name, path));
#ifdef Q_OS_UNIX
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    if ((info.permissions() & others) || info.ownerId() != getuid())
        throw Refusal(QStringLiteral("Il file della password indicato da %1 (%2) deve appartenere a chi lo usa e "
                                     "poter essere letto solo da lui (chmod 600): non è stato letto.")
                          .arg(name, path));
#endif
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Refusal(QStringLiteral("Il file della password indicato da %1 (%2) non si apre (%3).")
                          .arg(name, path, file.errorString()));
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    const QString password = QString::fromUtf8(line);
    line.fill('\0');
    return password;
}

#ifdef Q_OS_UNIX
QString fromTerminal(const QString &prompt)
{
    std::fputs(prompt.toUtf8().constData(), stderr);
    std::fflush(stderr);
    termios before{};
    const bool terminal = tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        termios quiet = before;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    char buffer[4096];
    const bool read = std::fgets(buffer, sizeof buffer, stdin) != nullptr;
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
    std::fputs("\n", stderr);
    QByteArray line = read ? QByteArray(buffer) : QByteArray();
    std::fill(std::begin(buffer), std::end(buffer), '\0');
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

bool onTerminal()
{
    return isatty(STDIN_FILENO) != 0;
}
#else
QString fromTerminal(const QString &)
{
    return {};
}

bool onTerminal()
{
    return false;
}
#endif

[[noreturn]] void noSource(const char *variable)
{
    throw Refusal(QStringLiteral("Serve la password: indicare in %1 un file leggibile solo dal proprietario che la "
                                 "contenga nella prima riga, oppure usare liqiva da un terminale, che la chiede.")
                      .arg(QString::fromLatin1(variable)));
}

} // namespace

QString readPassword(const char *variable, const QString &prompt)
{
    const QString path = qEnvironmentVariable(variable);
    if (!path.isEmpty())
        return fromFile(variable, path);
    if (!onTerminal())
        noSource(variable);
    return fromTerminal(prompt);
}

QString readNewPassword(const char *variable, const QString &prompt)
{
    const QString path = qEnvironmentVariable(variable);
    if (!path.isEmpty())
        return fromFile(variable, path);
    if (!onTerminal())
        noSource(variable);
    const QString first = fromTerminal(prompt);
    const QString second = fromTerminal(u"Ripetere la nuova password: "_qs);
    if (first != second)
        throw Refusal(u"Le due password non coincidono: nulla è stato cambiato."_qs);
    return first;
}

} // namespace liqiva::cli
