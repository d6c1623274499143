// The navigator: the tree treevMain with the nodes Radio, RadioInfo, ChInfo and SysSet.
// It lives in the main window's left dock pane; a click on a node shows that
// view maximised in the MDI area.
#pragma once

#include "desktop/DesktopContext.h"

#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

class frmTreeView : public QWidget {
    Q_OBJECT
public:
    explicit frmTreeView(DesktopContext& ctx, QWidget* parent = nullptr);

    // Fills the tree (InitRadioSetTreeView): the four nodes, root expanded,
    // indentation 300 twips.
    void InitRadioSet();
    // A click on the node with this key ("RadioInfo", "ChInfo", "SysSet"
    // show their window; the root "Radio" and anything else do nothing).
    void treevMain_NodeClick(const QString& key);

    QTreeWidget* treevMain() const { return tree_; }
    // The node of a key, or null.
    QTreeWidgetItem* node(const QString& key) const;

private:
    DesktopContext& ctx_;
    QTreeWidget* tree_;
};

} // namespace qm
