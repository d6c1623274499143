#include "options/modOptView.h"
// Placeholder body; the option codec replaces this file.
namespace qm {
void InitOpt(AppState&) {}
} // namespace qm
