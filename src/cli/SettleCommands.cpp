#include "cli/Commands.h"

namespace liqiva::cli {

const std::vector<Command> &settleCommands()
{
    static const std::vector<Command> table;
    return table;
}

} // namespace liqiva::cli
