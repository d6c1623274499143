#include "comm/modCommun.h"
// Placeholder body; the interpreter replaces this file.
namespace qm {
void InitProtocol(AppState&) {}
} // namespace qm
