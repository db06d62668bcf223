#include "cli/Commands.h"

namespace liqiva::cli {

const std::vector<Command> &launchCommands()
{
    static const std::vector<Command> table;
    return table;
}

} // namespace liqiva::cli
