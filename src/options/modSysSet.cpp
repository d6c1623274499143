#include "options/modSysSet.h"
// Placeholder bodies; the option codec replaces this file.
namespace qm {
void OptSelSaveSol(AppState&, int16_t) {}
void OptNowDefSol(AppState&, int16_t) {}
} // namespace qm
