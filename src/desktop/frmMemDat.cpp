#include "desktop/frmMemDat.h"

#include "comm/modTransfer.h"
#include "desktop/frmPartFill.h"
#include "desktop/uiLook.h"
#include "desktop/uiMemDatModel.h"
#include "desktop/uiUndo.h"
#include "memtools/modMemDat.h"
#include "memtools/modPartFill.h"
#include "shell/DocumentViews.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

// Sizes of the table in twips.
constexpr int kAddrColTwips = 620;
constexpr int kByteColTwips = 420;
constexpr int kRowTwips = 270;

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    nameControl(b, QString::fromLatin1(name), b->text());
    return b;
}

} // namespace

frmMemDat::frmMemDat(DesktopContext& ctx, QWidget* parent) : MdiChild(ctx, parent)
{
    setObjectName(QStringLiteral("frmMemDat"));
    setWindowTitle(QStringLiteral("Memory Data"));
    const Settings& st = ctx_.s.settings;
    setFont(uiFont(st));

    auto* cmdPartFill = button(this, "cmdPartFill", "Part Fill");
    auto* cmdFillGrid = button(this, "cmdFillGrid", "Fill Gird");
    auto* cmdSetDefCol = button(this, "cmdSetDefCol", "Set Def Color");
    connect(cmdPartFill, &QPushButton::clicked, this, &frmMemDat::cmdPartFill_Click);
    connect(cmdFillGrid, &QPushButton::clicked, this, &frmMemDat::cmdFillGrid_Click);
    connect(cmdSetDefCol, &QPushButton::clicked, this, &frmMemDat::cmdSetDefCol_Click);

    model_ = new MemDatModel(table_, this);
    model_->onEdit = [this](int addr, const QString& text) { vsfgGridMemDat_AfterEdit(addr, text); };
    vsfgGridMemDat_ = new QTableView(this);
    nameControl(vsfgGridMemDat_, QStringLiteral("vsfgGridMemDat"), QStringLiteral("Memory Data"));
    vsfgGridMemDat_->setModel(model_);
    vsfgGridMemDat_->setItemDelegate(new MemCellDelegate(vsfgGridMemDat_));
    vsfgGridMemDat_->setFont(uiFont(st, 10));
    vsfgGridMemDat_->verticalHeader()->hide();
    vsfgGridMemDat_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    vsfgGridMemDat_->verticalHeader()->setDefaultSectionSize(twipsToPx(kRowTwips, this));
    vsfgGridMemDat_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    vsfgGridMemDat_->horizontalHeader()->setMinimumSectionSize(1);
    // The radio program's widths, or wider where this system's font needs it.
    const QFontMetrics fm(vsfgGridMemDat_->font());
    const int addrWidth = std::max(twipsToPx(kAddrColTwips, this), fm.horizontalAdvance(QStringLiteral("0000H")) + 10);
    const int byteWidth = std::max(twipsToPx(kByteColTwips, this), fm.horizontalAdvance(QStringLiteral("WW")) + 8);
    vsfgGridMemDat_->setColumnWidth(0, addrWidth);
    for (int c = 1; c <= MemTable::kBytesPerRow; ++c)
        vsfgGridMemDat_->setColumnWidth(c, byteWidth);
    vsfgGridMemDat_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed);
    vsfgGridMemDat_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPartFill);
    buttons->addWidget(cmdFillGrid);
    buttons->addWidget(cmdSetDefCol);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(vsfgGridMemDat_, 1);

    // Wide enough for all seventeen columns and the scroll bar.
    int width = addrWidth + MemTable::kBytesPerRow * byteWidth + 40;
    resize(width + layout->contentsMargins().left() + layout->contentsMargins().right(), 520);

    SetGridMemDat(memContext());
}

MemToolsContext frmMemDat::memContext()
{
    return {ctx_.s.doc, ctx_.s.settings, table_, ctx_.s.errors};
}

void frmMemDat::TableFreDat()
{
    qm::TableFreDat(memContext());
    const QModelIndex sel = model_->indexOf(table_.selected());
    if (sel.isValid())
        vsfgGridMemDat_->setCurrentIndex(sel);
}

void frmMemDat::showWindow()
{
    if (ctx_.showChild)
        ctx_.showChild(this);
    else
        show();
}

void frmMemDat::cmdPartFill_Click()
{
    if (ctx_.w.partFill)
        ctx_.w.partFill->exec();
}

void frmMemDat::cmdFillGrid_Click()
{
    // The table shows the image as it would leave the program: the editors
    // encoded and the date stamped, as before a write.
    AppState& s = ctx_.s;
    SetConvIicDat(s);
    if (WriteComDat(s.doc, s.errors, QDateTime::currentDateTime()))
        s.doc.notify(Document::Change::Bytes);
    TableFreDat();
}

void frmMemDat::cmdSetDefCol_Click()
{
    SetDefCol(memContext());
}

void frmMemDat::vsfgGridMemDat_AfterEdit(int addr, const QString& text)
{
    DocumentData& doc = ctx_.s.doc;
    if (addr < 0 || addr >= static_cast<int>(doc.IicDat.size()))
        return;
    const uint8_t before = doc.IicDat[static_cast<size_t>(addr)];
    if (!GridDataTemp(memContext(), addr, text))
        return;
    const uint8_t after = doc.IicDat[static_cast<size_t>(addr)];
    ctx_.s.doc.notify(Document::Change::Bytes);
    if (after != before)
        recordBytes(ctx_, QStringLiteral("Edit memory byte %1").arg(addr, 4, 16, QLatin1Char('0')).toUpper(), addr,
                    {before}, {after});
}

void frmMemDat::putBytes(DesktopContext& ctx, int first, const std::vector<uint8_t>& bytes)
{
    MemTable scratch;
    MemTable& table = ctx.w.memDat ? ctx.w.memDat->table() : scratch;
    const bool ok = guarded(ctx.s.errors, QStringLiteral("frmMemDat->putBytes"), [&] {
        PutImageBytes(MemToolsContext{ctx.s.doc, ctx.s.settings, table, ctx.s.errors}, first, bytes);
    });
    if (ok)
        ctx.s.doc.notify(Document::Change::Bytes);
}

void frmMemDat::recordBytes(DesktopContext& ctx, const QString& text, int first, std::vector<uint8_t> before,
                            std::vector<uint8_t> after)
{
    DesktopContext* c = &ctx;
    ctx.undo.push(new DoneCommand(
        text, [c, first, before] { putBytes(*c, first, before); }, [c, first, after] { putBytes(*c, first, after); }));
}

} // namespace qm
