// The channel window: the grid vsfgGridCh of every channel inside the frame fraMain, the
// print button cmdPrintChannel, the right-button popup mnuPopMenuOne.
#pragma once

#include "desktop/uiMdiChild.h"

namespace qm {

class frmChMem : public MdiChild {
    Q_OBJECT
public:
    explicit frmChMem(DesktopContext& ctx, QWidget* parent = nullptr);
    // Switches between the locked look (no editing, dimmed selection) and the
    // normal look; the main window's lock command calls it after it changed
    // ChLockState.
    void setLocked(bool locked);
    // Caption of the print button (text 308, set by the options window's InitFace).
    void setPrintCaption(const QString& caption);
    // Prints the grid (PrintChGrid): to the printer, or to a PDF in the data
    // folder when there is none.
    void PrintChGrid();
};

} // namespace qm
