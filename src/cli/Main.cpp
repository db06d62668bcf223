#include "cli/Commands.h"
#include "startup/database/DbError.h"

#include <QCoreApplication>
#include <exception>

using namespace liqiva;
using namespace liqiva::cli;

namespace {

std::vector<Command> allCommands()
{
    std::vector<Command> all;
    for (const auto *table : {&schemaCommands(), &launchCommands(), &settleCommands()})
        all.insert(all.end(), table->begin(), table->end());
    return all;
}

void usage(const std::vector<Command> &commands)
{
    err(u"uso: liqiva COMANDO --db URL [opzioni]"_qs);
    for (const Command &c : commands)
        err(u"  "_qs + QString::fromUtf8(c.usage));
    err(u"URL: sqlite:PERCORSO oppure postgresql://utente@host:porta/database[?host=/cartella/socket]"_qs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::vector<Command> commands = allCommands();
    QStringList words = app.arguments().mid(1);
    if (words.isEmpty() || words.first() == u"--help"_qs || words.first() == u"help"_qs) {
        usage(commands);
        return words.isEmpty() ? 2 : 0;
    }
    const QString name = words.takeFirst();
    for (const Command &c : commands) {
        if (name != QLatin1String(c.name))
            continue;
        try {
            CliArgs args;
            if (auto problem = CliArgs::parse(words, c.flags, args)) {
                err(u"liqiva "_qs + name + u": "_qs + *problem);
                err(u"uso: "_qs + QString::fromUtf8(c.usage));
                return 2;
            }
            return c.run(args);
        } catch (const UsageError &e) {
            err(u"liqiva "_qs + name + u": "_qs + e.text);
            err(u"uso: "_qs + QString::fromUtf8(c.usage));
            return 2;
        } catch (const DbError &e) {
            err(u"liqiva "_qs + name + u": "_qs + e.message());
            return 1;
        } catch (const std::exception &e) {
            err(u"liqiva "_qs + name + u": "_qs + QString::fromLocal8Bit(e.what()));
            return 1;
        }
    }
    err(u"liqiva: comando sconosciuto \""_qs + name + u"\""_qs);
    usage(commands);
    return 2;
}
