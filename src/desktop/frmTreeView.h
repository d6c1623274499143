// The navigator: the tree treevMain with the nodes Radio, RadioInfo, ChInfo and SysSet.
#pragma once

#include "desktop/DesktopContext.h"

#include <QWidget>

namespace qm {

class frmTreeView : public QWidget {
    Q_OBJECT
public:
    explicit frmTreeView(DesktopContext& ctx, QWidget* parent = nullptr);

private:
    DesktopContext& ctx_;
};

} // namespace qm
