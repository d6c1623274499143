// The radio information window: model, band, firmware version, last write, and the
// debug switch lblDebug (DebugMode) that opens the memory data window.
#pragma once

#include "desktop/uiMdiChild.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace qm {

class frmRadioInfo : public MdiChild {
    Q_OBJECT
public:
    explicit frmRadioInfo(DesktopContext& ctx, QWidget* parent = nullptr);

    // Captions of the window, the frame and the four labels.
    void InitOpt();
    // The four boxes from the radio information (after a read, the band,
    // version and last write the image carried).
    void refresh();

    // Double-click on lblDebug: DebugMode on (-1) / off (0).
    void lblDebug_DblClick();
    // Double-click on fraMain: with DebugMode on, shows the memory data window.
    void fraMain_DblClick();

    QGroupBox* fraMain() const { return fraMain_; }
    QLabel* lblDebug() const { return lblDebug_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* fraMain_;
    QLabel *lblModel_, *lblRange_, *lblSoftVer_, *lblLastPc_, *lblDebug_;
    QLineEdit *txtModel_, *txtRange_, *txtSoftVer_, *txtLastPc_;
};

} // namespace qm
