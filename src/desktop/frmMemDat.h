// The memory data window: the image as a hexadecimal table vsfgGridMemDat with change
// marks, Fill Gird, Set Def Color and Part Fill.
#pragma once

#include "desktop/uiMdiChild.h"

namespace qm {

class frmMemDat : public MdiChild {
    Q_OBJECT
public:
    explicit frmMemDat(DesktopContext& ctx, QWidget* parent = nullptr);
    // Refreshes the table from the image, marking changed bytes red (TableFreDat).
    void TableFreDat();
};

} // namespace qm
