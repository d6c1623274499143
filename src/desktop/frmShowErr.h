// The error list pane: listShowErr, one line per entry line of the error list, the
// newest selected and scrolled into view. Each line's tooltip tells what was
// being done, to which object, and the system's reason.
#pragma once

#include "desktop/DesktopContext.h"

#include <QWidget>

class QListWidget;

namespace qm {

class frmShowErr : public QWidget {
    Q_OBJECT
public:
    explicit frmShowErr(DesktopContext& ctx, QWidget* parent = nullptr);

    // Brings the list up to date with the error list: adds the lines of new
    // entries (or rebuilds it after the list was cleared), selects the
    // newest line and scrolls to it.
    void refresh();

    QListWidget* listShowErr() const { return list_; }

private:
    DesktopContext& ctx_;
    QListWidget* list_;
    size_t shownEntries_ = 0;
};

} // namespace qm
