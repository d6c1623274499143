#include "desktop/frmAboutSoft.h"

namespace qm {

frmAboutSoft::frmAboutSoft(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmAboutSoft"));
}

} // namespace qm
