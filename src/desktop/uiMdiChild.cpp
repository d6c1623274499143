#include "desktop/uiMdiChild.h"

#include <QCloseEvent>
#include <QMdiSubWindow>

namespace qm {

MdiChild::MdiChild(DesktopContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {}

void MdiChild::closeEvent(QCloseEvent* event)
{
    if (ctx_.s.view.AppExiting == 1) {
        event->accept();
        return;
    }
    event->ignore();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->hide();
    else
        hide();
}

} // namespace qm
