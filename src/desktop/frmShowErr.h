// The error list pane: listShowErr, one line per entry line of the error list, the
// newest selected.
#pragma once

#include "desktop/DesktopContext.h"

#include <QWidget>

namespace qm {

class frmShowErr : public QWidget {
    Q_OBJECT
public:
    explicit frmShowErr(DesktopContext& ctx, QWidget* parent = nullptr);

private:
    DesktopContext& ctx_;
};

} // namespace qm
