// The optional-features window: the radio-wide settings (OptSel) as lists, check boxes
// and the power-on message box, and cmdSysSetPrint.
//
// Every control carries its name in the radio program as object name; the
// five alarm rows are control arrays, named chkAlarmOnOff_0 .. _4,
// cboAlarmHour_0 .. _4 and so on (the row also in the property "index").
// The window shows the options view (s.optView) and forwards each user change
// to modOptView; each change is one undo step.
#pragma once

#include "desktop/uiMdiChild.h"
#include "desktop/uiPrint.h"

#include <map>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class frmSysSet : public MdiChild {
    Q_OBJECT
public:
    explicit frmSysSet(DesktopContext& ctx, QWidget* parent = nullptr);

    // The load: InitPara, InitFace, InitOpt.
    void InitPara();
    // Captions from the UI text table; also the channel window's print button (text 308).
    void InitFace();
    // Fills every list and shows OptSel (out-of-range values reported and
    // replaced by their defaults).
    void InitOpt();

    // Prints the window's controls as they look: to the printer, or to a PDF in the data
    // folder when there is none (or when printToPdf is set); the user is told where.
    void cmdSysSetPrint_Click();
    bool printToPdf = false;
    PrintOutcome lastPrint;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the options view's values in the controls.
    void showOptions();
    void listClicked(int optIndex, int position);
    void checkClicked(int optIndex, bool checked);
    void txtPwrMsg_LostFocus();

    struct Snapshot;
    Snapshot snapshot() const;
    void restore(const Snapshot& s);
    void recordChange(const QString& text, const Snapshot& before);

    std::map<int, QComboBox*> lists_;   // by OptSel index
    std::map<int, QCheckBox*> checks_;  // by OptSel index
    std::map<int, QLabel*> labels_;     // by OptSel index (lists and the message)
    QLineEdit* txtPwrMsg_ = nullptr;
    QCheckBox* chkSetTime_ = nullptr;
    QLabel* lblLockRadio_ = nullptr;
    QLineEdit* txtLockRadio_ = nullptr;
    QGroupBox* fraCommonSet_ = nullptr;
    QGroupBox* fraTone_ = nullptr;
    QGroupBox* fraMessage_ = nullptr;
    QGroupBox* fraAlarm_ = nullptr;
    QPushButton* cmdSysSetPrint_ = nullptr;
    QWidget* page_ = nullptr; // every control, inside a scroll area
};

} // namespace qm
