#include "desktop/uiChannelGrid.h"

#include "channels/modChEdit.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyleOptionHeader>
#include <QTimer>

namespace qm {

QColor colorFromBgr(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

// ---------------------------------------------------------------- model

ChannelTableModel::ChannelTableModel(ChannelGrid& grid, ChannelContext ctx, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), ctx_(ctx)
{
    // A replaced table (new image, import, layout) is a reset; an edit only
    // repaints its rows.
    connect(&grid_, &ChannelGrid::changed, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&grid_, &ChannelGrid::rowsChanged, this, &ChannelTableModel::rowsOfGridChanged);
}

void ChannelTableModel::rowsOfGridChanged(int first, int last)
{
    const int rows = rowCount(), cols = columnCount();
    first = std::max(first, 1);
    last = std::min(last, rows);
    if (first > last || cols == 0)
        return;
    emit dataChanged(index(first - 1, 0), index(last - 1, cols - 1));
}

int ChannelTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return std::clamp(grid_.rows - 1, 0, kMaxChannels);
}

int ChannelTableModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return std::clamp(grid_.cols - 1, 0, kChFields - 1);
}

QVariant ChannelTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int r = index.row() + 1, c = index.column() + 1;
    if (r > kMaxChannels || c >= kChFields)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return grid_.text[static_cast<size_t>(r)][static_cast<size_t>(c)];
    case Qt::ForegroundRole:
        return colorFromBgr(grid_.color[static_cast<size_t>(r)][static_cast<size_t>(c)]);
    case Qt::BackgroundRole:
        return r == highlight_ ? QColor(230, 230, 240) : QColor(Qt::white);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    case ChoicesRole: {
        const QString list = GridColumnList(ctx_, c);
        return list.isEmpty() ? QStringList() : list.split(QLatin1Char('|'));
    }
    case FormatRole:
        return grid_.format[static_cast<size_t>(c)];
    case ValueRole:
        return ctx_.doc.ChData[static_cast<size_t>(r)][static_cast<size_t>(c)];
    case MouseEditRole:
        return GridEditModeFor(ctx_, c) == GridEditMode::KeyboardAndMouse;
    default:
        return {};
    }
}

QVariant ChannelTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section + 1 < kChFields ? grid_.text[0][static_cast<size_t>(section + 1)] : QString();
    return section + 1 <= kMaxChannels ? grid_.text[static_cast<size_t>(section + 1)][0] : QString();
}

QString ChannelTableModel::cornerCaption() const
{
    return grid_.text[0][0];
}

Qt::ItemFlags ChannelTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // The before-edit rules: the lock, empty rows, column 4 without a
    // transmit frequency...
    if (GridCanEdit(ctx_, index.row() + 1, index.column() + 1))
        f |= Qt::ItemIsEditable;
    return f;
}

bool ChannelTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    emit cellEdited(index.row() + 1, index.column() + 1, value.toString());
    return true;
}

void ChannelTableModel::setHighlightRow(int row)
{
    if (row == highlight_)
        return;
    const int old = highlight_;
    highlight_ = row;
    const int cols = columnCount();
    for (int r : {old, row}) {
        if (r >= 1 && r <= rowCount() && cols > 0)
            emit dataChanged(index(r - 1, 0), index(r - 1, cols - 1), {Qt::BackgroundRole});
    }
}

// ---------------------------------------------------------------- editors

namespace {

// A drop-down list editor that knows whether its list was just closed by a
// choice (the choice completes the edit) rather than by the arrow keys.
class ListEditor : public QComboBox {
public:
    using QComboBox::QComboBox;
    bool listJustClosed() const { return listJustClosed_; }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        listJustClosed_ = true;
        QTimer::singleShot(0, this, [this] { listJustClosed_ = false; });
    }

private:
    bool listJustClosed_ = false;
};

// What a free-text cell accepts, by the column's display format: "###.#####"
// up to three integer and five decimal digits, "#0.00000" two and five; a
// name at most six characters.
void holdToFormat(QLineEdit* le, const QString& format)
{
    if (format == QLatin1String("###.#####"))
        le->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}(\\.[0-9]{0,5})?")), le));
    else if (format == QLatin1String("#0.00000"))
        le->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}(\\.[0-9]{0,5})?")), le));
    else if (format == QLatin1String("00000"))
        le->setMaxLength(6);
}

} // namespace

QWidget* ChannelDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QWidget* editor = nullptr;
    const QStringList choices = index.data(ChannelTableModel::ChoicesRole).toStringList();
    if (!choices.isEmpty()) {
        auto* combo = new ListEditor(parent);
        combo->setObjectName(QStringLiteral("vsfgGridChList"));
        combo->addItems(choices);
        combo->setMaxVisibleItems(20);
        auto* self = const_cast<ChannelDelegate*>(this);
        connect(combo, &QComboBox::activated, self, [self, combo](int) {
            if (!combo->listJustClosed())
                return;
            emit self->commitData(combo);
            emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
        });
        lastCombo_ = combo;
        editor = combo;
    } else {
        auto* le = new QLineEdit(parent);
        le->setObjectName(QStringLiteral("vsfgGridChText"));
        le->setFrame(false);
        le->setAlignment(Qt::AlignCenter);
        holdToFormat(le, index.data(ChannelTableModel::FormatRole).toString());
        lastCombo_ = nullptr;
        editor = le;
    }
    // The grid's light grey belongs to its empty area, not to the editors.
    QPalette p = editor->palette();
    p.setColor(QPalette::Base, Qt::white);
    editor->setPalette(p);
    editor->setFont(option.font);
    lastEditor_ = editor;
    lastIndex_ = index;
    return editor;
}

namespace {

// Text of several cells (a spreadsheet's rows or columns) on the clipboard.
bool clipboardHoldsCells()
{
    const QString t = QGuiApplication::clipboard()->text();
    return t.contains(QLatin1Char('\t')) || t.trimmed().contains(QLatin1Char('\n')) || t.trimmed().contains(QLatin1Char('\r'));
}

} // namespace

bool ChannelDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::KeyPress && editor && editor == lastEditor_.data() && lastIndex_.isValid()) {
        auto* k = static_cast<QKeyEvent*>(event);
        const QModelIndex index = lastIndex_;
        const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
        if (enter && (k->modifiers() & Qt::ControlModifier)) {
            // Ctrl+Enter, as in a spreadsheet: the value for every selected cell.
            QString text;
            if (auto* combo = qobject_cast<QComboBox*>(editor))
                text = combo->currentText();
            else if (auto* le = qobject_cast<QLineEdit*>(editor))
                text = le->text();
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            emit fillRequested(index, text);
            return true;
        }
        if (k->matches(QKeySequence::Paste) && qobject_cast<QLineEdit*>(editor) && clipboardHoldsCells()) {
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            emit pasteRequested(index);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void ChannelDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        // The list opens on the current value: the field is the 0-based
        // position of the choice.
        const int v = index.data(ChannelTableModel::ValueRole).toInt();
        int at = (v >= 0 && v < combo->count()) ? v : -1;
        if (at < 0)
            at = combo->findText(index.data(Qt::DisplayRole).toString());
        combo->setCurrentIndex(std::max(at, 0));
        return;
    }
    if (auto* le = qobject_cast<QLineEdit*>(editor)) {
        if (proposedIndex_.isValid() && proposedIndex_ == index) {
            le->setText(proposedText_);
            le->deselect();
            le->end(false);
            proposedIndex_ = QPersistentModelIndex();
            proposedText_.clear();
            return;
        }
        le->setText(index.data(Qt::EditRole).toString());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void ChannelDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        model->setData(index, combo->currentText());
    else if (auto* le = qobject_cast<QLineEdit*>(editor))
        model->setData(index, le->text());
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

void ChannelDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

void ChannelDelegate::proposeText(const QModelIndex& index, const QString& text)
{
    proposedIndex_ = index;
    proposedText_ = text;
}

void ChannelDelegate::openListOfLastEditor()
{
    if (QComboBox* combo = lastCombo_.data())
        QTimer::singleShot(0, combo, [combo] { combo->showPopup(); });
}

void ChannelDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // A selected cell keeps its text colour (an out-of-band frequency stays
    // visible under the light selection).
    const QVariant fg = index.data(Qt::ForegroundRole);
    if (fg.canConvert<QColor>()) {
        const QColor c = fg.value<QColor>();
        option->palette.setColor(QPalette::HighlightedText, c);
    }
}

// ---------------------------------------------------------------- view

ChannelGridView::ChannelGridView(QWidget* parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Typing starts an edit with the typed character, F2 edits the cell, a
    // click on the current cell edits the columns the mouse may edit.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // The corner shows the caption of column 0.
    if (auto* corner = findChild<QAbstractButton*>())
        corner->installEventFilter(this);
    applyPalette();
}

void ChannelGridView::applyPalette()
{
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, backColor());
        p.setColor(group, QPalette::Highlight, locked_ ? backColor() : selectionColor());
    }
    setPalette(p);
}

void ChannelGridView::setLocked(bool locked)
{
    // An edit in progress is dropped: the lock refuses it.
    if (locked && state() == EditingState) {
        if (auto* d = qobject_cast<ChannelDelegate*>(itemDelegate()); d && d->lastEditor())
            closeEditor(d->lastEditor(), QAbstractItemDelegate::RevertModelCache);
    }
    locked_ = locked;
    applyPalette();
    viewport()->update();
}

bool ChannelGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (locked_ && trigger != NoEditTriggers)
        return false;
    // The list columns are edited from the keyboard only.
    if ((trigger == SelectedClicked || trigger == DoubleClicked) && index.isValid() &&
        !index.data(ChannelTableModel::MouseEditRole).toBool())
        return false;
    const bool wasEditing = state() == EditingState;
    const bool started = QTableView::edit(index, trigger, event);
    if (started && !wasEditing && state() == EditingState && trigger != AnyKeyPressed && trigger != NoEditTriggers) {
        // F2 or an explicit edit opens the list on the current value; a typed
        // letter only jumps to the first matching choice.
        if (auto* d = qobject_cast<ChannelDelegate*>(itemDelegate()))
            d->openListOfLastEditor();
    }
    return started;
}

void ChannelGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const QModelIndex target = cursorAfterEdit_;
    cursorAfterEdit_ = QPersistentModelIndex();
    if (target.isValid()) {
        // The after-edit rules moved the current cell (a receive frequency
        // goes on to the transmit frequency): that move wins over the key's.
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        setCurrentIndex(target);
        return;
    }
    QTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache) {
        // Enter completes the edit and goes down one row, as in a spreadsheet.
        const QModelIndex cur = currentIndex();
        if (cur.isValid() && cur.row() + 1 < model()->rowCount())
            setCurrentIndex(model()->index(cur.row() + 1, cur.column()));
    }
}

namespace {

bool isUndoKey(const QKeyEvent* e)
{
    return e->matches(QKeySequence::Undo);
}

bool isRedoKey(const QKeyEvent* e)
{
    const auto combo = e->keyCombination();
    return e->matches(QKeySequence::Redo) || combo == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
           combo == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

bool isCopyKey(const QKeyEvent* e)
{
    return e->matches(QKeySequence::Copy);
}

bool isPasteKey(const QKeyEvent* e)
{
    return e->matches(QKeySequence::Paste);
}

bool isPopupKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Menu || e->keyCombination() == QKeyCombination(Qt::ShiftModifier, Qt::Key_F10);
}

} // namespace

bool ChannelGridView::event(QEvent* e)
{
    // The grid's own keys win over shortcuts of the same keys elsewhere in
    // the main window (an open editor keeps its own undo).
    if (e->type() == QEvent::ShortcutOverride && state() != EditingState) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (isUndoKey(k) || isRedoKey(k) || isPopupKey(k) || isCopyKey(k) || isPasteKey(k) || k->key() == Qt::Key_Delete) {
            e->accept();
            return true;
        }
    }
    return QTableView::event(e);
}

void ChannelGridView::keyPressEvent(QKeyEvent* e)
{
    if (state() != EditingState) {
        const QModelIndex cur = currentIndex();
        if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier) {
            emit eraseRequested();
            e->accept();
            return;
        }
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
            (e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == Qt::NoModifier) {
            // Enter goes down one row, Shift+Enter up, as in a spreadsheet.
            if (cur.isValid()) {
                const int r = cur.row() + ((e->modifiers() & Qt::ShiftModifier) ? -1 : 1);
                if (r >= 0 && r < model()->rowCount())
                    setCurrentIndex(model()->index(r, cur.column()));
            }
            e->accept();
            return;
        }
        if (isPopupKey(e)) {
            if (cur.isValid())
                emit popupRequested(cur, viewport()->mapToGlobal(visualRect(cur).center()));
            e->accept();
            return;
        }
        if (isUndoKey(e)) {
            emit undoRequested();
            e->accept();
            return;
        }
        if (isRedoKey(e)) {
            emit redoRequested();
            e->accept();
            return;
        }
        if (isCopyKey(e)) {
            emit copyRequested();
            e->accept();
            return;
        }
        if (isPasteKey(e)) {
            emit pasteRequested();
            e->accept();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

void ChannelGridView::contextMenuEvent(QContextMenuEvent* e)
{
    if (e->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndex cur = currentIndex();
        if (cur.isValid())
            emit popupRequested(cur, viewport()->mapToGlobal(visualRect(cur).center()));
    } else {
        const QModelIndex at = indexAt(e->pos());
        if (at.isValid())
            emit popupRequested(at, e->globalPos());
    }
    e->accept();
}

bool ChannelGridView::eventFilter(QObject* watched, QEvent* e)
{
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner && e->type() == QEvent::Paint) {
        QPainter painter(corner);
        QStyleOptionHeader opt;
        opt.initFrom(corner);
        // The corner is disabled (it selects nothing) but its caption reads
        // like every other caption.
        opt.palette = horizontalHeader()->palette();
        opt.palette.setCurrentColorGroup(QPalette::Active);
        opt.rect = corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.textAlignment = Qt::AlignCenter;
        opt.state |= QStyle::State_Raised | QStyle::State_Enabled;
        if (auto* m = qobject_cast<ChannelTableModel*>(model()))
            opt.text = m->cornerCaption();
        opt.fontMetrics = QFontMetrics(font());
        painter.setFont(font());
        style()->drawControl(QStyle::CE_Header, &opt, &painter, corner);
        return true;
    }
    return QTableView::eventFilter(watched, e);
}

} // namespace qm
