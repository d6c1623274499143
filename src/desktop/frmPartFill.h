// The part fill dialog: fills an address range of the image with one value.
#pragma once

#include "desktop/DesktopContext.h"

#include <QDialog>

namespace qm {

class frmPartFill : public QDialog {
    Q_OBJECT
public:
    explicit frmPartFill(DesktopContext& ctx, QWidget* parent = nullptr);

private:
    DesktopContext& ctx_;
};

} // namespace qm
