#include "shell/modStartup.h"
// Placeholder body; the start-up procedures replace this file.
namespace qm {
bool startupForTool(AppState&, const QString&, QString*) { return false; }
} // namespace qm
