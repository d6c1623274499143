#include "cli/Commands.h"
#include "cli/ImageCommands.h"
#include "cli/cmdDiff.h"
#include "cli/cmdTransfer.h"

namespace qmcli {

// Each command lives in its own file; add it to this table.
const std::vector<Command>& allCommands()
{
    static const std::vector<Command> commands = {
        {"decode", "print a data file's channels, options and radio facts as JSON", cmdDecode},
        {"resave", "open a data file and save it again unchanged", cmdResave},
        {"new", "save a new data file made from the template", cmdNew},
        {"export-csv", "write a data file's channel table as CSV", cmdExportCsv},
        {"import-csv", "apply a channel CSV to a data file and save the result", cmdImportCsv},
        {"export-chirp", "write a data file's channels as a CHIRP CSV file", cmdExportChirp},
        {"import-chirp", "apply a CHIRP CSV file to a data file and save the result", cmdImportChirp},
        {"read", "read the radio's memory into an image file", cmdRead},
        {"write", "write an image file into the radio", cmdWrite},
        {"diff", "list what changes from one data file to another", cmdDiff},
    };
    return commands;
}

} // namespace qmcli
