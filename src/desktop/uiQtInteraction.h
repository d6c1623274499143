// The desktop program's UserInteraction: real Qt message boxes and file dialogs.
#pragma once

#include "shell/UserInteraction.h"

class QWidget;

namespace qm {

// "Description|pattern|Description|pattern" -> the Qt filter form
// "Description (pattern);;...". A description that already names its pattern
// in parentheses is kept as it is.
QString qtFileFilter(const QString& filter);

class QtInteraction : public UserInteraction {
public:
    explicit QtInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message(const QString& prompt, const QString& title, MsgButtons buttons, MsgIcon icon) override;
    QString openFileName(const QString& startPath, const QString& filter) override;
    SaveDialogResult saveFileName(const QString& startPath, const QString& filter, const QString& defaultExt) override;

private:
    QWidget* parent_;
};

} // namespace qm
