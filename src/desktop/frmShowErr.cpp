#include "desktop/frmShowErr.h"

namespace qm {

frmShowErr::frmShowErr(DesktopContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmShowErr"));
}

} // namespace qm
