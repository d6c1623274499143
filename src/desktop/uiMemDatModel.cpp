#include "desktop/uiMemDatModel.h"

#include "memtools/modMemDat.h"

#include <QBrush>
#include <QColor>
#include <QLineEdit>

namespace qm {

MemDatModel::MemDatModel(MemTable& table, QObject* parent) : QAbstractTableModel(parent), table_(table)
{
    connect(&table_, &MemTable::rowsChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&table_, &MemTable::cellsChanged, this, [this](int first, int last) {
        if (first > last || first < 0)
            return;
        emit dataChanged(index(first / MemTable::kBytesPerRow, 1), index(last / MemTable::kBytesPerRow, MemTable::kBytesPerRow));
    });
}

int MemDatModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : table_.rowCount();
}

int MemDatModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : MemTable::kBytesPerRow + 1;
}

int MemDatModel::addressOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() < 1)
        return -1;
    const int addr = index.row() * MemTable::kBytesPerRow + index.column() - 1;
    return table_.hasCell(addr) ? addr : -1;
}

QModelIndex MemDatModel::indexOf(int addr) const
{
    if (!table_.hasCell(addr))
        return {};
    return index(addr / MemTable::kBytesPerRow, addr % MemTable::kBytesPerRow + 1);
}

QVariant MemDatModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.column() == 0) {
        if (role == Qt::DisplayRole)
            return memRowLabel(index.row() * MemTable::kBytesPerRow);
        if (role == Qt::BackgroundRole)
            return QBrush(QColor(0xE8, 0xE8, 0xE8));
        return {};
    }
    const int addr = addressOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return table_.text(addr);
    case Qt::ForegroundRole:
        // Colour value 255 of the radio program is pure red; 0 is black.
        return QBrush(table_.marked(addr) ? QColor(255, 0, 0) : QColor(0, 0, 0));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ToolTipRole: {
        const QString tip = CellTipHint(table_, index.row() + 1, index.column());
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    default:
        return {};
    }
}

QVariant MemDatModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const QStringList captions = memTableCaptions();
        return section >= 0 && section < captions.size() ? captions[section] : QVariant();
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MemDatModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (addressOf(index) < 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool MemDatModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int addr = addressOf(index);
    if (role != Qt::EditRole || addr < 0 || !onEdit)
        return false;
    onEdit(addr, value.toString());
    return true;
}

QWidget* MemCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setMaxLength(4);
        edit->setAlignment(Qt::AlignCenter);
    }
    return w;
}

} // namespace qm
