#include "channels/modChName.h"
// Placeholder bodies; the channel codec replaces this file.
namespace qm {
void ChNameCharSol(AppState&, const QString&, int) {}
QString codesToText(const AppState&, const uint8_t*, int) { return {}; }
void ChNameCharShow(AppState&, int) {}
QString PowerOnMsgText(const AppState&) { return {}; }
} // namespace qm
