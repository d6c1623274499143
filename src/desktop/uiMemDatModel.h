// The memory data table's Qt model: reads the cells of a MemTable (texts,
// change marks, tooltips) and hands a typed cell to the window, which stores
// it through the model rules. Column 0 is the address column "Addr", columns
// 1..16 the bytes 0..F of the row.
#pragma once

#include "memtools/MemToolsContext.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include <functional>

namespace qm {

class MemDatModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MemDatModel(MemTable& table, QObject* parent = nullptr);

    // Called with the cell's address and the typed text.
    std::function<void(int addr, const QString& text)> onEdit;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Address of a byte cell, -1 for the address column or a place past the table.
    int addressOf(const QModelIndex& index) const;
    QModelIndex indexOf(int addr) const;

private:
    MemTable& table_;
};

// Cell editor: at most four hexadecimal digits (a byte is two; more is
// refused when stored).
class MemCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace qm
