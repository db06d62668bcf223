#include "cli/Commands.h"
#include "demo/DemoCompany.h"
#include "startup/database/Connection.h"
#include "startup/database/Schema.h"

namespace liqiva::cli {

namespace {

std::unique_ptr<Connection> openForWriting(const CliArgs &args)
{
    if (!args.has(u"db"_qs))
        throw UsageError{u"manca --db"_qs};
    return Connection::open(args.value(u"db"_qs), Connection::Create::Yes);
}

int runSchema(const CliArgs &args)
{
    auto db = openForWriting(args);
    createSchema(*db);
    out(u"Schema pronto: "_qs + db->location().toString());
    return 0;
}

int runDemo(const CliArgs &args)
{
    const int scale = args.integer(u"scale"_qs, 1);
    if (scale < 1)
        throw UsageError{u"--scale vuole un numero intero da 1 in su"_qs};
    auto db = openForWriting(args);
    const DemoSummary summary = createDemo(*db, scale);
    out(summary.message.isEmpty() ? u"Database dimostrativo pronto: "_qs + db->location().toString() : summary.message);
    return 0;
}

} // namespace

const std::vector<Command> &schemaCommands()
{
    static const std::vector<Command> table = {
        {"schema", "schema  --db URL            crea tabelle e righe di riferimento", {}, runSchema},
        {"demo", "demo    --db URL [--scale N]  schema e azienda dimostrativa", {}, runDemo},
    };
    return table;
}

} // namespace liqiva::cli
