#include "desktop/frmToolCom.h"

namespace qm {

frmToolCom::frmToolCom(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmToolCom"));
}

} // namespace qm
