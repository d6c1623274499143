// The pieces of the channel grid vsfgGridCh: a table model that reads the
// channel grid's view state (cell texts and colours of ChannelGrid, the edit
// rules of modChEdit) without copying it, the in-cell editors (free text for
// frequencies and names, drop-down lists for signalling and options), and a
// QTableView that adds the grid's keys (Delete, Enter, the popup key, undo)
// and hands every user action to the channel window.
//
// Grid row r / column c of the channel program (1-based, row 0 captions,
// column 0 labels) is model row r - 1 / column c - 1; captions and labels are
// the view's headers.
#pragma once

#include "channels/ChannelContext.h"
#include "settings/Settings.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

class QComboBox;

namespace qm {

// 0x00BBGGRR (the settings' colour numbers) -> QColor.
QColor colorFromBgr(uint32_t bgr);

class ChannelTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Extra roles the editors read.
    enum Role {
        ChoicesRole = Qt::UserRole + 1, // QStringList: the column's drop-down list, empty for free text
        FormatRole,                     // QString: the column's display format ("###.#####", "00000"...)
        ValueRole,                      // int: the table field behind the cell
        MouseEditRole,                  // bool: the mouse may start editing (frequencies, name)
    };

    ChannelTableModel(ChannelGrid& grid, ChannelContext ctx, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A completed edit: emits cellEdited (the window runs the after-edit rules).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Grid row of the click highlight (RGB 230, 230, 240), 0 for none.
    void setHighlightRow(int row);
    int highlightRow() const { return highlight_; }

    // Caption of column 0 (shown in the view's corner).
    QString cornerCaption() const;

    QModelIndex cell(int row, int col) const { return index(row - 1, col - 1); }

signals:
    void cellEdited(int row, int col, const QString& text);

private:
    void rowsOfGridChanged(int first, int last);

    ChannelGrid& grid_;
    ChannelContext ctx_;
    int highlight_ = 0;
};

// The in-cell editors: a line edit held to the column's format for free-text
// columns, a combo box with the column's choices for list columns.
class ChannelDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The next editor opened on index starts with this text instead of the
    // cell's (the name a double-click proposes).
    void proposeText(const QModelIndex& index, const QString& text);
    // Opens the list of the editor created last, if it is a combo box.
    void openListOfLastEditor();
    // The editor created last (null once it is gone).
    QWidget* lastEditor() const { return lastEditor_.data(); }

signals:
    // Ctrl+Enter in the editor of index: the text goes to every selected
    // cell of its column (the editor has closed without storing it).
    void fillRequested(const QModelIndex& index, const QString& text);
    // The paste key in a text editor while the clipboard holds several
    // cells: the editor has closed; the cells go into the grid from index.
    void pasteRequested(const QModelIndex& index);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    mutable QPointer<QComboBox> lastCombo_;
    mutable QPointer<QWidget> lastEditor_;
    mutable QPersistentModelIndex lastIndex_; // the cell of lastEditor_
    mutable QPersistentModelIndex proposedIndex_;
    mutable QString proposedText_;
};

class ChannelGridView : public QTableView {
    Q_OBJECT
public:
    explicit ChannelGridView(QWidget* parent = nullptr);
    using QTableView::edit; // edit(index): start editing a cell from code

    // The locked look: no editing, the selection highlight dimmed to the
    // grid's background colour.
    void setLocked(bool locked);
    bool locked() const { return locked_; }

    // Where the current cell goes when the open editor closes: the after-edit
    // rules moved it (an invalid index: the usual move of the closing key).
    void setCursorAfterEdit(const QModelIndex& index) { cursorAfterEdit_ = index; }

    bool isEditing() const { return state() == EditingState; }

    // Colours: background of the empty area (and of the locked selection),
    // the normal selection highlight.
    static QColor backColor() { return QColor(247, 247, 247); }
    static QColor selectionColor() { return QColor(204, 224, 247); }

signals:
    void eraseRequested();                         // Delete / Backspace on selected cells
    void popupRequested(const QModelIndex& index, const QPoint& globalPos);
    void undoRequested();
    void redoRequested();
    void copyRequested();                          // Ctrl+C
    void pasteRequested();                         // Ctrl+V

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyPalette();

    bool locked_ = false;
    QPersistentModelIndex cursorAfterEdit_;
};

} // namespace qm
