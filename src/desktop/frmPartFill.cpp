#include "desktop/frmPartFill.h"

namespace qm {

frmPartFill::frmPartFill(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmPartFill"));
}

} // namespace qm
