// What the memory data tools work on: the image, the settings (TableMaxAddr,
// the part-fill range), the memory table's cells and the error list. A
// context is a handful of references, passed by value.
#pragma once

#include "diag/modShowErr.h"
#include "image/Document.h"
#include "settings/Settings.h"

#include <QObject>
#include <QString>
#include <vector>

namespace qm {

// The cells of the memory data table vsfgGridMemDat: one text and one change
// mark per image address, sixteen addresses per row. The table is a snapshot:
// it shows the image as of its last refresh, and a refresh marks the bytes
// that differ from what it showed before. The window's table view reads it.
class MemTable : public QObject {
    Q_OBJECT
public:
    static constexpr int kBytesPerRow = 16;

    explicit MemTable(QObject* parent = nullptr) : QObject(parent) {}

    // Highest address that has a cell (-1: no rows yet) and the row count.
    int lastAddr() const { return static_cast<int>(text_.size()) - 1; }
    int rowCount() const { return (lastAddr() + kBytesPerRow) / kBytesPerRow; }
    bool hasCell(int addr) const { return addr >= 0 && addr <= lastAddr(); }

    // "" for an address without a cell or a cell never filled.
    QString text(int addr) const { return hasCell(addr) ? text_[static_cast<size_t>(addr)] : QString(); }
    bool marked(int addr) const { return hasCell(addr) && marked_[static_cast<size_t>(addr)]; }
    // The cell the last refresh selected (the last byte it marked), -1 none.
    int selected() const { return selected_; }

    // Cells for addresses 0..last; cells that stay keep their text and mark.
    void setLastAddr(int last);
    void setText(int addr, const QString& t);
    void setMarked(int addr, bool m);
    void setSelected(int addr) { selected_ = addr; }
    void clearMarks();

    // Tell the view: the rows changed (count), or cells first..last changed.
    void notifyRows() { emit rowsChanged(); }
    void notifyCells(int first, int last) { emit cellsChanged(first, last); }

signals:
    void rowsChanged();
    void cellsChanged(int first, int last);

private:
    std::vector<QString> text_;
    std::vector<bool> marked_;
    int selected_ = -1;
};

struct MemToolsContext {
    DocumentData& doc;
    Settings& settings;
    MemTable& table;
    ErrorList& errors;
};

} // namespace qm
