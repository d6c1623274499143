#include "channels/modChEdit.h"
// Placeholder bodies; the channel editing rules replace this file.
namespace qm {
bool GridCanEdit(AppState&, int, int) { return false; }
QString GridColumnList(AppState&, int) { return {}; }
void GridAfterEdit(AppState&, int, int, const QString&) {}
} // namespace qm
