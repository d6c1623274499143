// The image commands of qm570-cli: decode, resave, new, export-csv, import-csv,
// export-chirp, import-chirp.
#pragma once

#include <QStringList>

namespace qmcli {

int cmdDecode(const QStringList& args);
int cmdResave(const QStringList& args);
int cmdNew(const QStringList& args);
int cmdExportCsv(const QStringList& args);
int cmdImportCsv(const QStringList& args);
int cmdExportChirp(const QStringList& args);
int cmdImportChirp(const QStringList& args);

} // namespace qmcli
