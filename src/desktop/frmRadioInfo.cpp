#include "desktop/frmRadioInfo.h"

namespace qm {

frmRadioInfo::frmRadioInfo(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    setObjectName(QStringLiteral("frmRadioInfo"));
}

} // namespace qm
