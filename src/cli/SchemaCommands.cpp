#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "domain/demo/DemoCompany.h"
#include "database/Connection.h"
#include "database/DbError.h"
#include "database/Schema.h"

namespace liqiva::cli {

namespace {

// The largest demo: 200 companies make about 350,000 counter rows, enough for any
// measurement; more only fills the disk.
constexpr int maxScale = 1000;

// Opens the database of --db, creating an SQLite file that is not there yet.
std::unique_ptr<Connection> openForWriting(const CliArgs &args)
{
    const DatabaseLocation where = databaseLocation(args);
    try {
        return Connection::open(where, Connection::Create::Yes);
    } catch (const DbError &e) {
        throw Refusal{e.message()};
    }
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
    const int scale = args.integer(u"scale"_qs, 1, maxScale, 1);
    auto db = openForWriting(args);
    const DemoSummary summary = createDemo(*db, scale);
    out(summary.message.isEmpty() ? u"Database dimostrativo pronto: "_qs + db->location().toString() : summary.message);
    return 0;
}

} // namespace

const std::vector<Command> &schemaCommands()
{
    static const std::vector<Command> table = {
        {"schema",
         "schema  --db URL              crea tabelle e righe di riferimento (si può ripetere)",
         {u"db"_qs},
         {},
         runSchema},
        {"demo",
         "demo    --db URL [--scale N]  schema e azienda dimostrativa (N aziende, da 1 a 1000)",
         {u"db"_qs, u"scale"_qs},
         {},
         runDemo},
    };
    return table;
}

} // namespace liqiva::cli
