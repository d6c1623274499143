// The about box: name, model, version and release date of the program.
#pragma once

#include "desktop/DesktopContext.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace qm {

class frmAboutSoft : public QDialog {
    Q_OBJECT
public:
    explicit frmAboutSoft(DesktopContext& ctx, QWidget* parent = nullptr);

    // The texts of the language in force (Simplified Chinese for 1, English
    // otherwise).
    void InitFace();
    // OK: closes the box.
    void cmdOK_Click();

    QLabel* label(const QString& name) const;
    QPushButton* cmdOK() const { return cmdOK_; }

private:
    DesktopContext& ctx_;
    QGroupBox* fraAboutSoft_;
    QLabel *lblTitle_, *lblUseRange_, *lblVersion_, *lblRelease_, *lblDescription_, *lblRights_, *lblDisClaimer_;
    QPushButton* cmdOK_;
};

} // namespace qm
