// The radio information window: model, band, firmware version, last write, and the
// debug switch lblDebug (DebugMode) that opens the memory data window.
#pragma once

#include "desktop/uiMdiChild.h"

namespace qm {

class frmRadioInfo : public MdiChild {
    Q_OBJECT
public:
    explicit frmRadioInfo(DesktopContext& ctx, QWidget* parent = nullptr);
};

} // namespace qm
