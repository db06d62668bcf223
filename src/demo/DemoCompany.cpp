#include "demo/DemoCompany.h"

#include "startup/database/Connection.h"
#include "startup/database/Schema.h"

namespace liqiva {

void createDemo(Connection &db, int)
{
    createSchema(db);
}

} // namespace liqiva
