#include "desktop/frmChMem.h"

#include "channels/modChEdit.h"
#include "channels/modChGrid.h"
#include "desktop/mdifrmMain.h"
#include "desktop/uiChannelGrid.h"
#include "desktop/uiChannelUndo.h"
#include "desktop/uiLook.h"
#include "image/modIicDat.h"
#include "settings/SoftFaceTexts.h"

#include <QClipboard>
#include <QDate>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

constexpr int kNameCol = 11;

// What a printout of the grid holds: captions, row labels, cell texts and
// their colours, the configured column widths.
PrintTable channelPrintTable(const ChannelGrid& g, const Settings& st, const QFont& font, const QString& title)
{
    PrintTable t;
    const int cols = std::clamp(g.cols, 1, kChFields);
    const int rows = std::clamp(g.rows, 1, kMaxChannels + 1);
    for (int c = 0; c < cols; ++c) {
        t.captions << g.text[0][static_cast<size_t>(c)];
        t.columnWidths << (c < static_cast<int>(st.colWidthTwips.size()) ? st.colWidthTwips[static_cast<size_t>(c)] : 1000);
    }
    for (int r = 1; r < rows; ++r) {
        QStringList cells;
        QVector<QColor> colours;
        for (int c = 0; c < cols; ++c) {
            cells << g.text[static_cast<size_t>(r)][static_cast<size_t>(c)];
            colours << (c == 0 ? QColor() : colorFromBgr(g.color[static_cast<size_t>(r)][static_cast<size_t>(c)]));
        }
        t.rows << cells;
        t.colours << colours;
    }
    t.font = font;
    t.title = title;
    return t;
}

// Where a printout went when there was no printer.
QString pdfNotice(const Settings& st, const QString& path)
{
    if (st.Language == 1)
        return QStringLiteral("没有安装打印机，信道数据已打印到 PDF 文件：\n%1").arg(path);
    return QStringLiteral("No printer is installed; the channel data was printed to the PDF file:\n%1").arg(path);
}

} // namespace

frmChMem::frmChMem(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    AppState& s = ctx_.s;
    const QString caption = SoftFaceText(s.settings, 302);
    nameControl(this, QStringLiteral("frmChMem"), caption);
    setWindowTitle(caption);

    fraMain_ = new QGroupBox(caption, this);
    nameControl(fraMain_, QStringLiteral("fraMain"), caption);

    model_ = new ChannelTableModel(s.grid, s, this);
    grid_ = new ChannelGridView(fraMain_);
    nameControl(grid_, QStringLiteral("vsfgGridCh"), caption);
    delegate_ = new ChannelDelegate(grid_);
    grid_->setItemDelegate(delegate_);
    grid_->setModel(model_);

    cmdPrintChannel_ = new QPushButton(fraMain_);
    setPrintCaption(SoftFaceText(s.settings, 308));

    auto* frameLayout = new QVBoxLayout(fraMain_);
    frameLayout->addWidget(grid_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdPrintChannel_);
    frameLayout->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraMain_);

    buildPopup();
    applyGridLayout();

    // The model view reset itself first (it connected first); then the sizes.
    connect(&s.grid, &ChannelGrid::changed, this, &frmChMem::applyGridLayout);
    connect(&s.doc, &Document::changed, this, [this](Document::Change what) {
        if (what != Document::Change::Replaced)
            return;
        // A new image: nothing of the old one can be undone.
        ctx_.undo.clear();
        model_->setHighlightRow(0);
    });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& cur) {
        if (cur.isValid()) {
            ctx_.s.grid.curRow = cur.row() + 1;
            ctx_.s.grid.curCol = cur.column() + 1;
        }
    });
    connect(model_, &ChannelTableModel::cellEdited, this, &frmChMem::cellEdited);
    connect(grid_, &QAbstractItemView::clicked, this, &frmChMem::cellClicked);
    connect(grid_, &QAbstractItemView::doubleClicked, this, &frmChMem::cellDoubleClicked);
    connect(grid_, &ChannelGridView::eraseRequested, this, &frmChMem::eraseSelection);
    connect(grid_, &ChannelGridView::popupRequested, this, [this](const QModelIndex& at, const QPoint& pos) {
        if (at.isValid())
            showPopup(at.row() + 1, at.column() + 1, pos);
    });
    connect(grid_, &ChannelGridView::undoRequested, this, &frmChMem::undoEdit);
    connect(grid_, &ChannelGridView::redoRequested, this, &frmChMem::redoEdit);
    connect(grid_, &ChannelGridView::copyRequested, this, &frmChMem::copySelection);
    connect(grid_, &ChannelGridView::pasteRequested, this, &frmChMem::pasteClipboard);
    connect(delegate_, &ChannelDelegate::fillRequested, this, [this](const QModelIndex& at, const QString& text) {
        if (at.isValid())
            fillSelection(at.row() + 1, at.column() + 1, text);
    });
    connect(delegate_, &ChannelDelegate::pasteRequested, this, [this](const QModelIndex& at) {
        // The editor has closed: the paste starts at its cell.
        if (at.isValid()) {
            grid_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
            pasteClipboard();
        }
    });
    connect(cmdPrintChannel_, &QPushButton::clicked, this, &frmChMem::PrintChGrid);

    setLocked(locked());
    resize(900, 560);
}

bool frmChMem::locked() const
{
    return ChannelLocked(ctx_.s);
}

void frmChMem::applyGridLayout()
{
    const Settings& st = ctx_.s.settings;
    const ChannelGrid& g = ctx_.s.grid;
    const QFont font = uiFont(st, 10);
    grid_->setFont(font);
    // Every row, the caption row too, has the configured height, but never
    // less than the font needs (a Chinese font is taller than the one the
    // heights were chosen for).
    const QFontMetrics fm(font);
    const int rowPx = std::max(twipsToPx(g.rowHeightTwips, this), fm.height() + 4);
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->verticalHeader()->setDefaultSectionSize(rowPx);
    grid_->horizontalHeader()->setFixedHeight(rowPx + 2);

    // Columns have their configured widths, widened where the caption or
    // the longest value the column can show would be cut off.
    const int pad = 2 * grid_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid_) + 6;
    auto widthPx = [&](int c) {
        const int tw = c < static_cast<int>(st.colWidthTwips.size()) ? st.colWidthTwips[static_cast<size_t>(c)] : 1000;
        int px = twipsToPx(std::max(tw, 0), this);
        if (c < kChFields)
            px = std::max(px, fm.horizontalAdvance(g.text[0][static_cast<size_t>(c)]) + pad);
        return px;
    };
    grid_->verticalHeader()->setFixedWidth(std::max(widthPx(0), fm.horizontalAdvance(QStringLiteral("VFO")) + pad));
    grid_->horizontalHeader()->setMinimumSectionSize(1);
    for (int c = 1; c < g.cols; ++c) {
        int px = widthPx(c);
        const QModelIndex top = model_->cell(1, c);
        const QString format = top.data(ChannelTableModel::FormatRole).toString();
        if (format == QLatin1String("###.#####") || format == QLatin1String("#0.00000"))
            px = std::max(px, fm.horizontalAdvance(QStringLiteral("888.88888")) + pad);
        else if (format == QLatin1String("00000"))
            px = std::max(px, fm.horizontalAdvance(QStringLiteral("WWWWWW")) + pad);
        for (const QString& choice : top.data(ChannelTableModel::ChoicesRole).toStringList())
            px = std::max(px, fm.horizontalAdvance(choice) + pad);
        grid_->setColumnWidth(c - 1, px);
    }

    // A table shown afresh (start-up, New, Open, Read) starts at its first
    // cell, scrolled to the top left, whatever cell the decoding touched last.
    const QModelIndex first = model_->cell(1, 1);
    if (first.isValid()) {
        grid_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
        grid_->scrollTo(first);
    }
}

void frmChMem::setLocked(bool locked)
{
    grid_->setLocked(locked);
    if (locked)
        model_->setHighlightRow(0);
}

void frmChMem::setPrintCaption(const QString& caption)
{
    cmdPrintChannel_->setText(caption);
    nameControl(cmdPrintChannel_, QStringLiteral("cmdPrintChannel"), caption);
}

QString frmChMem::cellCaption(int row, int col) const
{
    const ChannelGrid& g = ctx_.s.grid;
    const QString head = (col >= 0 && col < kChFields) ? g.text[0][static_cast<size_t>(col)] : QString();
    QString label = chRowLabel(row);
    if (label.isEmpty())
        label = QString::number(row);
    return QStringLiteral("%1 %2").arg(head, label);
}

void frmChMem::moveCursorTo(int row, int col)
{
    const QModelIndex to = model_->cell(row, col);
    if (!to.isValid() || to == grid_->currentIndex())
        return;
    if (grid_->isEditing())
        grid_->setCursorAfterEdit(to); // applied when the editor closes
    else
        grid_->setCurrentIndex(to);
}

bool frmChMem::runCommand(const QString& text, const std::function<void()>& op)
{
    if (locked())
        return false;
    const ChannelChange change =
        runChannelCommand(ctx_.undo, ctx_.s, ctx_.s.doc, text, op, [self = QPointer<frmChMem>(this)](int r, int c) {
            // The stack may outlive the window (it belongs to the context).
            if (self)
                self->moveCursorTo(r, c);
        });
    return !change.empty();
}

void frmChMem::cellEdited(int row, int col, const QString& text)
{
    // An editor closed on the text it opened with changed nothing.
    if (row < 1 || row > kMaxChannels || col < 1 || col >= kChFields ||
        text == ctx_.s.grid.text[static_cast<size_t>(row)][static_cast<size_t>(col)])
        return;
    runCommand(cellCaption(row, col), [&] { GridAfterEdit(ctx_.s, row, col, text); });
}

void frmChMem::cellClicked(const QModelIndex& index)
{
    model_->setHighlightRow(0);
    if (locked() || !index.isValid())
        return;
    const int r = index.row() + 1, c = index.column() + 1;
    // The clicked row stays marked until the next click.
    model_->setHighlightRow(r);
    if (GridClickOpensEntry(ctx_.s, r, c)) {
        // A click anywhere on an empty row opens its receive frequency.
        const QModelIndex rx = model_->cell(r, 1);
        grid_->setCurrentIndex(rx);
        grid_->edit(rx);
    }
}

void frmChMem::cellDoubleClicked(const QModelIndex& index)
{
    if (locked() || !index.isValid())
        return;
    const int r = index.row() + 1, c = index.column() + 1;
    // An empty name cell proposes " CH-nn" in its editor; the name is stored
    // when that edit completes (Escape leaves the cell as it was).
    const QString proposal = GridNameProposal(ctx_.s, r, c);
    if (!proposal.isEmpty()) {
        delegate_->proposeText(index, proposal);
        grid_->edit(index);
        return;
    }
    const bool changed = runCommand(cellCaption(r, c), [&] { GridDoubleClick(ctx_.s, r, c); });
    // Where the double-click has nothing to do, the frequency and name cells
    // open their editor, as their edit mode allows.
    if (!changed && !grid_->isEditing() && index.data(ChannelTableModel::MouseEditRole).toBool() &&
        (model_->flags(index) & Qt::ItemIsEditable))
        grid_->edit(index);
}

void frmChMem::eraseSelection()
{
    if (locked())
        return;
    QModelIndexList cells = grid_->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && grid_->currentIndex().isValid())
        cells << grid_->currentIndex();
    // Transmit before receive: an erased receive frequency empties the row.
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() > b.column();
    });
    const QString text = cells.size() == 1 ? cellCaption(cells[0].row() + 1, cells[0].column() + 1)
                                           : QStringLiteral("Delete");
    runCommand(text, [&] {
        for (const QModelIndex& i : cells)
            GridEraseCell(ctx_.s, i.row() + 1, i.column() + 1);
    });
}

// ---------------------------------------------------------------- clipboard

namespace {

std::vector<GridCell> cellsOf(const QModelIndexList& indexes)
{
    std::vector<GridCell> cells;
    for (const QModelIndex& i : indexes)
        cells.push_back({i.row() + 1, i.column() + 1});
    return cells;
}

} // namespace

void frmChMem::copySelection()
{
    QModelIndexList indexes = grid_->selectionModel()->selectedIndexes();
    if (indexes.isEmpty() && grid_->currentIndex().isValid())
        indexes << grid_->currentIndex();
    const QString text = GridCopyText(ctx_.s, cellsOf(indexes));
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void frmChMem::pasteClipboard()
{
    if (locked())
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    // The whole table as text is some 30 KB: a clipboard far beyond that
    // holds something else (a document, an image's text).
    constexpr qsizetype kMaxPasteChars = 1 << 20;
    if (text.size() > kMaxPasteChars) {
        ctx_.ui.message(winText(ctx_.s.settings, "The clipboard holds %1 characters, far more than a channel table; nothing was pasted.",
                                "剪贴板中有 %1 个字符，远超信道表的大小；未粘贴任何内容。")
                            .arg(text.size()),
                        SoftFaceText(ctx_.s.settings, 70), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    const QModelIndex cur = grid_->currentIndex();
    const GridCell current{cur.row() + 1, cur.column() + 1};
    const std::vector<PasteCell> plan = PastePlan(ParseTabText(text), cellsOf(grid_->selectionModel()->selectedIndexes()),
                                                  current, model_->rowCount(), model_->columnCount());
    if (plan.empty())
        return;
    GridCell origin = plan.front().at;
    for (const PasteCell& p : plan)
        origin.col = std::min(origin.col, p.at.col);
    PasteOutcome outcome;
    runCommand(winText(ctx_.s.settings, "Paste", "粘贴"), [&] {
        outcome = GridPaste(ctx_.s, plan);
        // The cursor stays at the paste's first cell, not where the last
        // entered cell's rules took it.
        ctx_.s.grid.curRow = origin.row;
        ctx_.s.grid.curCol = origin.col;
    });
    pasted(plan, outcome);
}

void frmChMem::fillSelection(int row, int col, const QString& text)
{
    if (locked())
        return;
    std::vector<GridCell> cells{{row, col}};
    for (const QModelIndex& i : grid_->selectionModel()->selectedIndexes()) {
        const GridCell g{i.row() + 1, i.column() + 1};
        if (g.col == col && g.row != row)
            cells.push_back(g);
    }
    std::vector<PasteCell> plan;
    for (const GridCell& g : cells)
        plan.push_back({g, text});
    std::sort(plan.begin(), plan.end(), [](const PasteCell& a, const PasteCell& b) { return a.at.row < b.at.row; });
    PasteOutcome outcome;
    runCommand(ctx_.s.grid.text[0][static_cast<size_t>(std::clamp(col, 0, kChFields - 1))], [&] {
        outcome = GridPaste(ctx_.s, plan);
        ctx_.s.grid.curRow = row;
        ctx_.s.grid.curCol = col;
    });
    pasted(plan, outcome);
}

void frmChMem::pasted(const std::vector<PasteCell>& plan, const PasteOutcome& outcome)
{
    // The cells the paste covered stay selected, the current cell among them.
    QItemSelection covered;
    for (const PasteCell& p : plan) {
        const QModelIndex i = model_->cell(p.at.row, p.at.col);
        if (i.isValid())
            covered.select(i, i);
    }
    if (!covered.isEmpty())
        grid_->selectionModel()->select(covered, QItemSelectionModel::ClearAndSelect);
    if (outcome.refused.isEmpty())
        return;
    constexpr int kShown = 10;
    QStringList lines = outcome.refused.mid(0, kShown);
    if (outcome.refused.size() > kShown)
        lines << winText(ctx_.s.settings, "... and %1 more", "……另有 %1 个").arg(outcome.refused.size() - kShown);
    ctx_.ui.message(winText(ctx_.s.settings, "These cells were left as they were:", "以下单元格未更改：") + QLatin1Char('\n') +
                        lines.join(QLatin1Char('\n')),
                    SoftFaceText(ctx_.s.settings, 70), MsgButtons::Ok, MsgIcon::Exclamation);
}

void frmChMem::undoEdit()
{
    if (locked() || !ctx_.undo.canUndo())
        return;
    ctx_.undo.undo();
}

void frmChMem::redoEdit()
{
    if (locked() || !ctx_.undo.canRedo())
        return;
    ctx_.undo.redo();
}

// ---------------------------------------------------------------- popup

void frmChMem::buildPopup()
{
    mnuPopMenuOne_ = new QMenu(this);
    mnuPopMenuOne_->setObjectName(QStringLiteral("mnuPopMenuOne"));
    auto entry = [this](const char* name, void (frmChMem::*slot)()) {
        QAction* a = mnuPopMenuOne_->addAction(QString());
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    mnuOpenCh_ = entry("mnuOpenCh", &frmChMem::mnuOpenCh_Click);
    mnuSaveDef_ = entry("mnuSaveDef", &frmChMem::mnuSaveDef_Click);
    mnuPopMenuOne_->addSeparator()->setObjectName(QStringLiteral("sepPopMenuOne"));
    mnuDelOne_ = entry("mnuDelOne", &frmChMem::mnuDelOne_Click);
    mnuDelAll_ = entry("mnuDelAll", &frmChMem::mnuDelAll_Click);
    sepPopChLock_ = mnuPopMenuOne_->addSeparator();
    sepPopChLock_->setObjectName(QStringLiteral("sepPopChLock"));
    mnuPopChLock_ = entry("mnuPopChLock", &frmChMem::mnuPopChLock_Click);
    mnuPopChLock_->setCheckable(true);
    // Without a lock command to run, the two lock entries stay hidden.
    sepPopChLock_->setVisible(false);
    mnuPopChLock_->setVisible(false);
    // The clipboard commands of the grid, after the channel commands.
    sepPopEdit_ = mnuPopMenuOne_->addSeparator();
    sepPopEdit_->setObjectName(QStringLiteral("sepPopEdit"));
    mnuPopCopy_ = entry("mnuPopCopy", &frmChMem::copySelection);
    mnuPopPaste_ = entry("mnuPopPaste", &frmChMem::pasteClipboard);
}

void frmChMem::showPopup(int row, int col, const QPoint& globalPos)
{
    if (mnuPopMenuOne_->isVisible())
        return; // the popup key can arrive both as a key and as a menu event
    const bool lockVisible = ctx_.lockCommandVisible ? ctx_.lockCommandVisible() : static_cast<bool>(ctx_.lockCommand);
    const ChannelPopup m = ChannelPopupFor(ctx_.s, row, col, lockVisible);
    if (!m.show)
        return;
    popupCh_ = row;
    mnuOpenCh_->setText(m.openCaption);
    mnuOpenCh_->setEnabled(m.openEnabled);
    mnuSaveDef_->setText(m.saveDefCaption);
    mnuSaveDef_->setEnabled(m.saveDefEnabled);
    mnuDelOne_->setText(m.delOneCaption);
    mnuDelOne_->setEnabled(m.delOneEnabled);
    mnuDelAll_->setText(m.delAllCaption);
    mnuDelAll_->setEnabled(m.delAllEnabled);
    if (m.lockVisible) {
        sepPopChLock_->setVisible(true);
        mnuPopChLock_->setVisible(true);
        mnuPopChLock_->setEnabled(true);
        mnuPopChLock_->setText(m.lockCaption);
        mnuPopChLock_->setChecked(m.lockChecked);
    }
    // The key is shown after a tab, as menus show shortcuts.
    mnuPopCopy_->setText(winText(ctx_.s.settings, "&Copy", "复制(&C)") + QLatin1Char('\t') +
                         QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText));
    mnuPopPaste_->setText(winText(ctx_.s.settings, "&Paste", "粘贴(&P)") + QLatin1Char('\t') +
                          QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText));
    mnuPopPaste_->setEnabled(!locked() && !QGuiApplication::clipboard()->text().isEmpty());
    mnuPopMenuOne_->popup(globalPos);
}

void frmChMem::mnuOpenCh_Click()
{
    const int n = popupCh_;
    runCommand(mnuOpenCh_->text(), [&] { OpenChannel(ctx_.s, n); });
}

void frmChMem::mnuSaveDef_Click()
{
    const int n = popupCh_;
    runCommand(mnuSaveDef_->text(), [&] { SaveAsDefault(ctx_.s, n); });
}

void frmChMem::mnuDelOne_Click()
{
    const int n = popupCh_;
    runCommand(mnuDelOne_->text(), [&] { DeleteChannel(ctx_.s, n); });
}

void frmChMem::mnuDelAll_Click()
{
    runCommand(mnuDelAll_->text(), [&] { DeleteAllChannels(ctx_.s); });
}

void frmChMem::mnuPopChLock_Click()
{
    if (ctx_.lockCommand)
        ctx_.lockCommand();
}

// ---------------------------------------------------------------- printing

void frmChMem::PrintChGrid()
{
    AppState& s = ctx_.s;
    lastPrint_ = PrintOutcome{};
    const QString before = s.view.statusPanel[1];
    QString title = ctx_.main ? ctx_.main->windowTitle() : SoftFaceText(s.settings, 16);
    title.remove(QStringLiteral("[*]")); // the modified marker's place holder is no part of the name
    const QString docName = title + QStringLiteral("   ") + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);

    const bool ok = guarded(s.errors, QStringLiteral("modChMem->PrintChGrid"), [&] {
        s.view.setStatus(1, SoftFaceText(s.settings, 105));
        if (ctx_.main) {
            if (QLabel* panel = ctx_.main->statusPanel(1))
                panel->repaint();
        }
        PrintRequest req;
        req.documentName = docName;
        req.marginsTwips = QMarginsF(600, 950, 600, 950);
        req.landscape = false;
        req.pdfFolder = dataFolder(s.settings);
        req.pdfBaseName = QStringLiteral("channels");
        req.forcePdf = printToFile_;
        const PrintTable table = channelPrintTable(s.grid, s.settings, grid_->font(), docName);
        lastPrint_ = printDocument(req, [&](QPainter& p, QPagedPaintDevice& d) { return paintTablePages(p, d, table); });
        s.view.setStatus(1, before);
        if (!lastPrint_.ok)
            throw QmError(482, QStringLiteral("print channel data"), lastPrint_.toPdf ? lastPrint_.pdfPath : docName,
                          lastPrint_.error);
    });
    if (s.view.statusPanel[1] != before)
        s.view.setStatus(1, before);
    if (!ok) {
        ctx_.ui.message(SoftFaceText(s.settings, 106), SoftFaceText(s.settings, 70), MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    if (lastPrint_.toPdf)
        ctx_.ui.message(pdfNotice(s.settings, lastPrint_.pdfPath), SoftFaceText(s.settings, 70), MsgButtons::Ok,
                        MsgIcon::Information);
}

} // namespace qm
