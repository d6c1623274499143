// The channel window: the grid vsfgGridCh of every channel inside the frame fraMain, the
// print button cmdPrintChannel, the right-button popup mnuPopMenuOne.
//
// The grid shows the channel grid's view state (ChannelGrid) and hands every
// user action to the editing rules of modChEdit; each change is one step of
// the shared undo stack.
#pragma once

#include "channels/modChClip.h"
#include "desktop/uiMdiChild.h"
#include "desktop/uiPrint.h"

#include <functional>

class QAction;
class QGroupBox;
class QMenu;
class QPushButton;

namespace qm {

class ChannelDelegate;
class ChannelGridView;
class ChannelTableModel;

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

    // Every printout goes to a PDF in the data folder, even with a printer
    // (print to file; the tests use it).
    void setPrintToFile(bool toFile) { printToFile_ = toFile; }
    // How the last PrintChGrid went (the PDF's path when it wrote one).
    const PrintOutcome& lastPrintOutcome() const { return lastPrint_; }

    // Undo / redo of the shared stack, refused while the channel interface is
    // locked (Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z in the grid call them; a main
    // window's Edit menu should too).
    void undoEdit();
    void redoEdit();

    // The channel row the popup menu was last opened on (PopupCh).
    int PopupCh() const { return popupCh_; }
    // Opens the popup menu for grid cell (row, col) at globalPos, as a right
    // click there does; nothing on a cell outside the channels.
    void showPopup(int row, int col, const QPoint& globalPos);

    ChannelGridView* grid() const { return grid_; }
    QMenu* popupMenu() const { return mnuPopMenuOne_; }

    // Ctrl+C: the selected cells (or the current one) onto the clipboard as
    // tab-separated text, each cell as the grid shows it.
    void copySelection();
    // Ctrl+V: the clipboard's tab-separated cells into the grid from the
    // selection's top-left cell (one value fills every selected cell), each
    // cell entered as if typed. One undo step; nothing while locked.
    void pasteClipboard();
    // Ctrl+Enter in the editor of a cell: text into every selected cell of
    // that cell's column, each as if typed. One undo step; nothing while locked.
    void fillSelection(int row, int col, const QString& text);

    // Runs a change of the channel state (op) as one undo step named text,
    // as the grid's own commands do. False, without running op, while the
    // channel interface is locked, or when op changed nothing.
    bool runCommand(const QString& text, const std::function<void()>& op);

private:
    void buildPopup();
    void applyGridLayout();
    bool locked() const;
    void moveCursorTo(int row, int col);
    // Selects the cells a paste or fill entered and reports those it refused.
    void pasted(const std::vector<PasteCell>& plan, const PasteOutcome& outcome);
    QString cellCaption(int row, int col) const;

    void cellEdited(int row, int col, const QString& text);
    void cellClicked(const QModelIndex& index);
    void cellDoubleClicked(const QModelIndex& index);
    void eraseSelection();

    void mnuOpenCh_Click();
    void mnuSaveDef_Click();
    void mnuDelOne_Click();
    void mnuDelAll_Click();
    void mnuPopChLock_Click();

    QGroupBox* fraMain_ = nullptr;
    ChannelGridView* grid_ = nullptr;
    ChannelTableModel* model_ = nullptr;
    ChannelDelegate* delegate_ = nullptr;
    QPushButton* cmdPrintChannel_ = nullptr;

    QMenu* mnuPopMenuOne_ = nullptr;
    QAction* mnuOpenCh_ = nullptr;
    QAction* mnuSaveDef_ = nullptr;
    QAction* mnuDelOne_ = nullptr;
    QAction* mnuDelAll_ = nullptr;
    QAction* sepPopChLock_ = nullptr;
    QAction* mnuPopChLock_ = nullptr;
    QAction* sepPopEdit_ = nullptr;
    QAction* mnuPopCopy_ = nullptr;
    QAction* mnuPopPaste_ = nullptr;
    int popupCh_ = 0;

    bool printToFile_ = false;
    PrintOutcome lastPrint_;
};

} // namespace qm
