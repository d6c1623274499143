#include "desktop/frmWritePreview.h"

#include "desktop/uiLook.h"
#include "settings/SoftFaceTexts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kWidthTwips = 9600;
constexpr int kHeightTwips = 6600;

QTreeWidgetItem* group(QTreeWidget* tree, const QString& title, int count)
{
    auto* item = new QTreeWidgetItem(tree, {QStringLiteral("%1 (%2)").arg(title).arg(count)});
    item->setFirstColumnSpanned(true);
    return item;
}

void appendLines(const QTreeWidgetItem* item, int depth, QStringList& out)
{
    out << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
    for (int i = 0; i < item->childCount(); ++i)
        appendLines(item->child(i), depth + 1, out);
}

} // namespace

frmWritePreview::frmWritePreview(DesktopContext& ctx, const ImageChanges& changes, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    const Settings& st = ctx_.s.settings;
    setObjectName(QStringLiteral("frmWritePreview"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(uiFont(st));
    setWindowTitle(winText(st, "Changes the Write Makes in the Radio", "写入将对对讲机做的改变"));

    lblSummary_ = new QLabel(changeSummary(changes, st), this);
    lblSummary_->setWordWrap(true);
    nameControl(lblSummary_, QStringLiteral("lblSummary"), lblSummary_->text());

    tvwChanges_ = new QTreeWidget(this);
    nameControl(tvwChanges_, QStringLiteral("tvwChanges"), winText(st, "Changes", "改变"));
    tvwChanges_->setHeaderHidden(true);
    tvwChanges_->setColumnCount(1);
    tvwChanges_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvwChanges_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvwChanges_->setUniformRowHeights(true);
    if (!changes.channels.empty()) {
        auto* g = group(tvwChanges_, winText(st, "Channels", "信道"), static_cast<int>(changes.channels.size()));
        for (const ChannelDifference& ch : changes.channels) {
            auto* head = new QTreeWidgetItem(g, {channelHeading(ch, st)});
            for (const ChannelFieldDifference& f : ch.fields)
                new QTreeWidgetItem(head, {channelFieldText(ch, f, st)});
        }
    }
    if (!changes.options.empty()) {
        auto* g = group(tvwChanges_, winText(st, "Optional Features", "可选功能"), static_cast<int>(changes.options.size()));
        for (const OptionChange& o : changes.options)
            new QTreeWidgetItem(g, {optionChangeText(o, st)});
    }
    if (!changes.bytes.empty()) {
        auto* g = group(tvwChanges_, winText(st, "Memory bytes no view shows", "无界面显示的存储器字节"),
                        static_cast<int>(changes.bytes.size()));
        for (const ByteRangeChange& b : changes.bytes) {
            auto* item = new QTreeWidgetItem(g, {byteRangeText(b)});
            item->setFont(0, QFont(QStringLiteral("Monospace"), font().pointSize()));
        }
    }
    tvwChanges_->expandAll();
    tvwChanges_->setVisible(tvwChanges_->topLevelItemCount() > 0);

    auto* buttons = new QDialogButtonBox(this);
    cmdWrite_ = buttons->addButton(SoftFaceText(st, 101), QDialogButtonBox::AcceptRole);
    cmdCancel_ = buttons->addButton(winText(st, "Cancel", "取消"), QDialogButtonBox::RejectRole);
    nameControl(cmdWrite_, QStringLiteral("cmdWrite"), cmdWrite_->text());
    nameControl(cmdCancel_, QStringLiteral("cmdCancel"), cmdCancel_->text());
    cmdWrite_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary_);
    layout->addWidget(tvwChanges_, 1);
    if (!tvwChanges_->isVisibleTo(this))
        layout->addStretch(1);
    layout->addWidget(buttons);
    resize(twipsToPx(kWidthTwips, this), twipsToPx(tvwChanges_->isVisibleTo(this) ? kHeightTwips : 2000, this));
    cmdWrite_->setFocus();
}

QStringList frmWritePreview::shownLines() const
{
    QStringList out;
    out << lblSummary_->text();
    for (int i = 0; i < tvwChanges_->topLevelItemCount(); ++i)
        appendLines(tvwChanges_->topLevelItem(i), 0, out);
    return out;
}

} // namespace qm
