// The read/write dialog: cmdRead/cmdWrite, progress, lamp, frame trace, address boxes.
#pragma once

#include "desktop/DesktopContext.h"

#include <QDialog>

namespace qm {

class frmCommun : public QDialog {
    Q_OBJECT
public:
    explicit frmCommun(DesktopContext& ctx, QWidget* parent = nullptr);
    enum class Mode {
        Read,  // Program > Read: cmdRead shown, cmdWrite hidden
        Write, // Program > Write: cmdWrite shown, cmdRead hidden
        Keep,  // Auto Read/Write: the buttons stay as they are
    };
    // Shows the buttons of the menu command; the main window then runs exec().
    void setMode(Mode mode);
    // True while a transfer runs (the dialog cannot be closed meanwhile).
    bool transferRunning() const;

private:
    DesktopContext& ctx_;
};

} // namespace qm
