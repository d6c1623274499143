#include "channels/modChMem.h"
// Placeholder bodies; the channel codec replaces this file.
namespace qm {
void GetValidCharTbl(AppState&) {}
void InitChMem(AppState&) {}
void ChInfoSaveSol(AppState&, int16_t) {}
void ShowChTblGrid(AppState&) {}
void SoftDisplay(AppState&) {}
} // namespace qm
