#include "cli/Commands.h"
#include "cli/cmdTransfer.h"

namespace qmcli {

// Each command lives in its own file; add it to this table.
const std::vector<Command>& allCommands()
{
    static const std::vector<Command> commands = {
        {"read", "read the radio's memory into an image file", cmdRead},
        {"write", "write an image file into the radio", cmdWrite},
    };
    return commands;
}

} // namespace qmcli
