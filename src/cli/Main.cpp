#include "cli/Commands.h"
#include "database/DbError.h"
#include "database/DbErrorText.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <csignal>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#include <exception>
#include <memory>

using namespace liqiva;
using namespace liqiva::cli;

namespace {

std::vector<Command> allCommands()
{
    std::vector<Command> all;
    for (const auto *table : {&schemaCommands(), &launchCommands(), &settleCommands(), &printCommands(),
                              &communicationCommands(), &batchCommands(), &companyCommands(),
                              &importCommands()})
        all.insert(all.end(), table->begin(), table->end());
    return all;
}

const QString urlHelp =
    QStringLiteral("URL: sqlite:PERCORSO oppure postgresql://utente@host:porta/database[?host=/cartella/socket]");

void usage(const std::vector<Command> &commands, void (*print)(const QString &))
{
    print(u"uso: liqiva COMANDO --db URL [opzioni]    (liqiva COMANDO --help per il singolo comando)"_qs);
    for (const Command &c : commands)
        print(u"  "_qs + QString::fromUtf8(c.usage));
    print(urlHelp);
    print(u"Uscita: 0 fatto, 1 operazione rifiutata o non riuscita, 2 argomenti errati."_qs);
}

void commandUsage(const Command &c, void (*print)(const QString &))
{
    print(u"uso: liqiva "_qs + QString::fromUtf8(c.usage));
    print(urlHelp);
}

int run(const Command &c, const QStringList &words)
{
    const QString name = QString::fromUtf8(c.name);
    if (CliArgs::asksForHelp(words)) {
        commandUsage(c, out);
        return 0;
    }
    try {
        CliArgs args;
        if (auto problem = CliArgs::parse(words, c.options, c.flags, args, c.takesPaths)) {
            err(u"liqiva "_qs + name + u": "_qs + *problem);
            commandUsage(c, err);
            return 2;
        }
        const int code = c.run(args);
        // What the command printed is part of its work: an output that did not reach its
        // file is a failure.
        if (const auto failure = standardOutputFailure()) {
            err(u"liqiva "_qs + name + u": l'uscita non è stata scritta sullo standard output ("_qs + *failure +
                (code == 0 ? u"): l'operazione è stata eseguita, ma il suo resoconto è andato perso."_qs : u")."_qs));
            return 1;
        }
        return code;
    } catch (const UsageError &e) {
        err(u"liqiva "_qs + name + u": "_qs + e.text);
        commandUsage(c, err);
        return 2;
    } catch (const Refusal &r) {
        err(u"liqiva "_qs + name + u": "_qs + r.message());
        return 1;
    } catch (const DbError &e) {
        err(u"liqiva "_qs + name + u": errore del database: "_qs + explainDbError(e));
        return 1;
    } catch (const std::exception &e) {
        err(u"liqiva "_qs + name + u": operazione non riuscita: "_qs + QString::fromLocal8Bit(e.what()));
        return 1;
    }
}

} // namespace

int main(int argc, char **argv)
{
#ifdef SIGPIPE
    // A reader that goes away (`liqiva settle ... | head`) must not kill the command between
    // two writes: the output is lost, the work is finished and its working rows removed.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // The printing commands draw their pages with the painting of the GUI module, which
    // needs its application object; the command line never shows a window, so it runs on the
    // screenless platform unless told otherwise.
    const bool draws = argc > 1 && (qstrcmp(argv[1], "print") == 0 || qstrcmp(argv[1], "export") == 0);
    if (draws && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_UNIX
    // Drawing wants a private runtime folder; without a desktop session there is none, and Qt
    // would say so on standard error at every print.
    if (draws && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray folder = QDir::tempPath().toLocal8Bit() + "/liqiva-runtime-" + QByteArray::number(getuid());
        if (QDir().mkpath(QString::fromLocal8Bit(folder))) {
            QFile::setPermissions(QString::fromLocal8Bit(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                      | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", folder);
        }
    }
#endif
    std::unique_ptr<QCoreApplication> application =
        draws ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication &app = *application;
    const std::vector<Command> commands = allCommands();
    QStringList words = app.arguments().mid(1);
    if (words.isEmpty()) {
        err(u"liqiva: manca il comando."_qs);
        usage(commands, err);
        return 2;
    }
    const QString name = words.takeFirst();
    if (name == u"--help"_qs || name == u"-h"_qs || name == u"help"_qs) {
        // "liqiva help settle": the usage of that command
        for (const Command &c : commands)
            if (!words.isEmpty() && words.join(u' ') == QLatin1String(c.name))
                return run(c, {u"--help"_qs});
        usage(commands, out);
        return 0;
    }
    // "liqiva year open ...": a command of two words goes before the one of its first word.
    if (!words.isEmpty() && !words.first().startsWith(u'-')) {
        const QString twoWords = name + u' ' + words.first();
        for (const Command &c : commands)
            if (twoWords == QLatin1String(c.name))
                return run(c, words.mid(1));
    }
    for (const Command &c : commands)
        if (name == QLatin1String(c.name))
            return run(c, words);
    err(u"liqiva: comando sconosciuto \""_qs + name + u"\"."_qs);
    usage(commands, err);
    return 2;
}
