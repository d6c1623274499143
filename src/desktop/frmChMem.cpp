#include "desktop/frmChMem.h"

namespace qm {

frmChMem::frmChMem(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    setObjectName(QStringLiteral("frmChMem"));
}

void frmChMem::setLocked(bool) {}
void frmChMem::setPrintCaption(const QString&) {}
void frmChMem::PrintChGrid() {}
} // namespace qm
