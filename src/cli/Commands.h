// Commands of qm570-cli. Each takes the words after the command name and
// returns the exit status; messages go to stderr, results to stdout or files.
#pragma once

#include <QStringList>
#include <vector>

namespace qmcli {

using CommandFn = int (*)(const QStringList& args);

struct Command {
    const char* name;
    const char* summary;
    CommandFn run;
};

// Every command of the tool (defined in commands.cpp).
const std::vector<Command>& allCommands();

} // namespace qmcli
