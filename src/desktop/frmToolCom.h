// The port dialog: COM1 .. COM16 (probed at every opening), OK writes key COM, Cancel
// restores. After exec() the settings hold the chosen port.
#pragma once

#include "desktop/DesktopContext.h"

#include <QDialog>

namespace qm {

class frmToolCom : public QDialog {
    Q_OBJECT
public:
    explicit frmToolCom(DesktopContext& ctx, QWidget* parent = nullptr);

private:
    DesktopContext& ctx_;
};

} // namespace qm
