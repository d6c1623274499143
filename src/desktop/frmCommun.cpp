#include "desktop/frmCommun.h"

namespace qm {

frmCommun::frmCommun(DesktopContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("frmCommun"));
}

void frmCommun::setMode(Mode) {}
bool frmCommun::transferRunning() const { return false; }
} // namespace qm
