#include "comm/modRadioFacts.h"
// Placeholder bodies; the radio facts module replaces this file.
namespace qm {
QString SoftVerText(AppState&) { return {}; }
QString FreBandText(AppState&) { return {}; }
QString ComDatText(AppState&) { return {}; }
void ShowFreBand(AppState&) {}
void ShowSoftVer(AppState&) {}
void ShowComDat(AppState&) {}
} // namespace qm
