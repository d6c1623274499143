// A child window of the main window's MDI area. Closing it only hides it
// (with its MDI frame) until the exit has been confirmed (AppExiting = 1);
// the navigator and the menus show it again.
#pragma once

#include "desktop/DesktopContext.h"

#include <QWidget>

namespace qm {

class MdiChild : public QWidget {
    Q_OBJECT
public:
    MdiChild(DesktopContext& ctx, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

    DesktopContext& ctx_;
};

} // namespace qm
