// The optional-features window: the radio-wide settings (OptSel) as lists, check boxes
// and the power-on message box, and cmdSysSetPrint.
#pragma once

#include "desktop/uiMdiChild.h"

namespace qm {

class frmSysSet : public MdiChild {
    Q_OBJECT
public:
    explicit frmSysSet(DesktopContext& ctx, QWidget* parent = nullptr);
};

} // namespace qm
