#include "desktop/frmSysSet.h"

namespace qm {

frmSysSet::frmSysSet(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    setObjectName(QStringLiteral("frmSysSet"));
}

} // namespace qm
