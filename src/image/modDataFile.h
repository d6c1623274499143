// TEMPORARY stand-in for the data file commands, so the command-line tool
// builds on its own branch. The real module replaces both files.
#pragma once

#include "shell/AppState.h"

namespace qm {

bool OpenDataFile(AppState& s, const QString& path, QString* err);
bool SaveDataFileTo(AppState& s, const QString& path, QString* err);
void NewFileSol(AppState& s);

} // namespace qm
