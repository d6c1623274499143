#include "cli/Commands.h"

namespace qmcli {

// Each command lives in its own file; add it to this table.
const std::vector<Command>& allCommands()
{
    static const std::vector<Command> commands = {
    };
    return commands;
}

} // namespace qmcli
