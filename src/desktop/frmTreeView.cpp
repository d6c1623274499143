#include "desktop/frmTreeView.h"

#include "desktop/frmChMem.h"
#include "desktop/frmRadioInfo.h"
#include "desktop/frmSysSet.h"
#include "desktop/uiLook.h"
#include "settings/SoftFaceTexts.h"

#include <QTreeWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kIndentTwips = 300;

struct NodeDef {
    const char* key;
    bool child; // of "Radio"
    int caption;
};
constexpr NodeDef kNodes[] = {
    {"Radio", false, 300},
    {"RadioInfo", true, 301},
    {"ChInfo", true, 302},
    {"SysSet", true, 303},
};

} // namespace

frmTreeView::frmTreeView(DesktopContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx), tree_(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("frmTreeView"));
    tree_->setObjectName(QStringLiteral("treevMain"));
    tree_->setAccessibleName(SoftFaceText(ctx_.s.settings, 300));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true); // lines with expand buttons
    tree_->setFrameShape(QFrame::StyledPanel);
    tree_->setFrameShadow(QFrame::Sunken);
    // The tree fills the pane whatever the pane's size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);

    // Mouse click, or Enter / double-click from the keyboard and mouse.
    const auto clicked = [this](QTreeWidgetItem* item) {
        if (item)
            treevMain_NodeClick(item->data(0, kKeyRole).toString());
    };
    connect(tree_, &QTreeWidget::itemClicked, this, clicked);
    connect(tree_, &QTreeWidget::itemActivated, this, clicked);

    guarded(ctx_.s.errors, QStringLiteral("frmTreeView->Form_Load:"), [&] { InitRadioSet(); });
}

void frmTreeView::InitRadioSet()
{
    guarded(ctx_.s.errors, QStringLiteral("frmTreeView->InitRadioSetTreeView:"), [&] {
        tree_->clear();
        QTreeWidgetItem* root = nullptr;
        for (const NodeDef& n : kNodes) {
            auto* item = n.child && root ? new QTreeWidgetItem(root) : new QTreeWidgetItem(tree_);
            item->setText(0, SoftFaceText(ctx_.s.settings, n.caption));
            item->setData(0, kKeyRole, QString::fromLatin1(n.key));
            if (!n.child)
                root = item;
        }
        if (root)
            root->setExpanded(true);
        tree_->setIndentation(twipsToPx(kIndentTwips, this));
    });
}

QTreeWidgetItem* frmTreeView::node(const QString& key) const
{
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, kKeyRole).toString() == key)
            return *it;
    return nullptr;
}

void frmTreeView::treevMain_NodeClick(const QString& key)
{
    guarded(ctx_.s.errors, QStringLiteral("frmTreeView->treevMain_NodeClick:"), [&] {
        QWidget* view = nullptr;
        if (key == QLatin1String("RadioInfo"))
            view = ctx_.w.radioInfo;
        else if (key == QLatin1String("ChInfo"))
            view = ctx_.w.chMem;
        else if (key == QLatin1String("SysSet"))
            view = ctx_.w.sysSet;
        if (view && ctx_.showChild)
            ctx_.showChild(view);
    });
}

} // namespace qm
