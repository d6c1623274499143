#include "desktop/frmTreeView.h"

namespace qm {

frmTreeView::frmTreeView(DesktopContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmTreeView"));
}

} // namespace qm
