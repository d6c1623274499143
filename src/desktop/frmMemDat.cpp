#include "desktop/frmMemDat.h"

namespace qm {

frmMemDat::frmMemDat(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    setObjectName(QStringLiteral("frmMemDat"));
}

void frmMemDat::TableFreDat() {}
} // namespace qm
