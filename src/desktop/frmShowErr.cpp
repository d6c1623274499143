#include "desktop/frmShowErr.h"

#include "desktop/uiLook.h"
#include "settings/SoftFaceTexts.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

// What the tooltip of an entry's two lines says: the procedure and the
// failure in full (action, object, the system's reason).
QString entryTip(const ErrorEntry& e)
{
    if (e.kind == ErrorEntry::Kind::Option)
        return e.message;
    return e.label + QLatin1Char('\n') + e.error.text();
}

} // namespace

frmShowErr::frmShowErr(DesktopContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx), list_(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmShowErr"));
    list_->setObjectName(QStringLiteral("listShowErr"));
    list_->setAccessibleName(winText(ctx_.s.settings, "Error List", "错误列表"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true); // long lists stay quick
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);

    connect(&ctx_.s.errors, &ErrorList::changed, this, &frmShowErr::refresh);
    refresh();
}

void frmShowErr::refresh()
{
    const ErrorList& errors = ctx_.s.errors;
    const size_t count = errors.entries().size();
    if (count < shownEntries_) {
        list_->clear();
        shownEntries_ = 0;
    }
    for (size_t i = shownEntries_; i < count; ++i) {
        const QString tip = entryTip(errors.entries()[i]);
        for (const QString& line : errors.entryLines(i)) {
            auto* item = new QListWidgetItem(line, list_);
            item->setToolTip(tip);
        }
    }
    shownEntries_ = count;
    const int newest = errors.selected();
    if (newest >= 0 && newest < list_->count()) {
        list_->setCurrentRow(newest);
        list_->scrollToItem(list_->item(newest));
    }
}

} // namespace qm
