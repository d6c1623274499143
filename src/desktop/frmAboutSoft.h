// The about box: name, model, version and release date of the program.
#pragma once

#include "desktop/DesktopContext.h"

#include <QDialog>

namespace qm {

class frmAboutSoft : public QDialog {
    Q_OBJECT
public:
    explicit frmAboutSoft(DesktopContext& ctx, QWidget* parent = nullptr);

private:
    DesktopContext& ctx_;
};

} // namespace qm
