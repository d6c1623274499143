// The memory data window: the image as a hexadecimal table vsfgGridMemDat with change
// marks, Fill Gird, Set Def Color and Part Fill.
#pragma once

#include "desktop/uiMdiChild.h"
#include "memtools/MemToolsContext.h"

#include <cstdint>
#include <vector>

class QPushButton;
class QTableView;

namespace qm {

class MemDatModel;

class frmMemDat : public MdiChild {
    Q_OBJECT
public:
    explicit frmMemDat(DesktopContext& ctx, QWidget* parent = nullptr);
    // Refreshes the table from the image, marking changed bytes red (TableFreDat).
    void TableFreDat();
    // Shows the window in the main window's MDI area (the radio information
    // window's debug switch).
    void showWindow();

    // The table's cells and the context the memory tools work on.
    MemTable& table() { return table_; }
    MemToolsContext memContext();
    QTableView* grid() const { return vsfgGridMemDat_; }

    // Puts image bytes from `first` on and shows them in the table (no
    // marks); tells the document. Works without the window too (the part
    // fill's undo when the window was never built).
    static void putBytes(DesktopContext& ctx, int first, const std::vector<uint8_t>& bytes);
    // Records bytes first.. changed from `before` to `after` as one undo step.
    static void recordBytes(DesktopContext& ctx, const QString& text, int first, std::vector<uint8_t> before,
                            std::vector<uint8_t> after);

private:
    void cmdPartFill_Click();
    void cmdFillGrid_Click();
    void cmdSetDefCol_Click();
    void vsfgGridMemDat_AfterEdit(int addr, const QString& text);

    MemTable table_;
    MemDatModel* model_ = nullptr;
    QTableView* vsfgGridMemDat_ = nullptr;
};

} // namespace qm
