// The write preview: what a write will change in the radio compared with the
// backup just read from it (shell/ImageDiff.h), as a read-only tree under a
// summary line, with Write and Cancel. Nothing is written until Write is
// pressed; Cancel (or Escape, or closing the window) writes nothing.
#pragma once

#include "desktop/DesktopContext.h"
#include "shell/ImageDiff.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace qm {

class frmWritePreview : public QDialog {
    Q_OBJECT
public:
    frmWritePreview(DesktopContext& ctx, const ImageChanges& changes, QWidget* parent = nullptr);

    // The lines of the tree, depth-first, children indented by two blanks
    // (for tests and for copying).
    QStringList shownLines() const;

private:
    DesktopContext& ctx_;
    QLabel* lblSummary_ = nullptr;
    QTreeWidget* tvwChanges_ = nullptr;
    QPushButton* cmdWrite_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

} // namespace qm
