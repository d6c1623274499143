// Channel tables to and from CSV files for the File menu's Import Channels
// and Export Channels: the program's own channel CSV (the grid's columns) or
// CHIRP's generic CSV. The desktop program runs an import as one undo step.
#pragma once

#include "diag/QmError.h"
#include "shell/AppState.h"

#include <QStringList>

namespace qm {

enum class ChannelFileFormat { Program, Chirp };

// Filters of the file dialogs ("Description(pattern)|pattern|..."); the
// export's entries are in the order of ChannelFileFormat.
inline const QString kChannelImportFilter = QStringLiteral("CSV File(*.csv)|*.csv|All Files(*)|*");
inline const QString kChannelExportFilter = QStringLiteral("Channel Table CSV(*.csv)|*.csv|CHIRP CSV(*.csv)|*.csv");
inline const QString kCsvExt = QStringLiteral("csv");

// A channel CSV file is a few KiB; anything past this is something else.
constexpr int64_t kMaxChannelFileBytes = 16 << 20;

// Reads the CSV file at path and applies it to the channel table: as CHIRP
// CSV when its header names Location and Frequency, else as the program's
// own channel CSV. The whole file is checked first; when it is refused the
// table stays as it was and *error says why (action "import channels", the
// path, the reason naming line and column). *warnings gets the frequencies
// imported outside the radio's band, *format the format found.
bool ImportChannelFile(AppState& s, const QString& path, Error* error, QStringList* warnings = nullptr,
                       ChannelFileFormat* format = nullptr);

// Writes the channel table to path in the format (through a temporary file
// and a rename). The settings file, the template and the current data file
// are never replaced by a CSV file. False with the failure.
bool ExportChannelFile(AppState& s, const QString& path, ChannelFileFormat format, Error* error);

} // namespace qm
