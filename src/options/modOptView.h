// The value side of the optional-features window: what showing OptSel in the
// window's lists and boxes does to OptSel (out-of-range values replaced by
// their defaults and reported), kept in the OptionsView. The window
// (frmSysSet) shows s.optView and forwards user changes to the handlers below.
#pragma once

#include "options/OptionsContext.h"

#include <QStringList>
#include <vector>

namespace qm {

enum class OptionKind {
    List,    // drop-down list, entry n = value n
    Check,   // check box, 0 or 1
    Message, // the power-on message box (OptSel 25..30)
};

// One control of the optional-features window, in the window's own order.
struct OptionSpec {
    int optIndex;          // OptSel index (25 for the message, which uses 25..30)
    const char* control;   // control name, e.g. "cboStep", "chkAlarmOnOff"
    int alarm;             // row 0..4 of the alarm control arrays, else -1
    OptionKind kind;
    int captionText;       // UI text number of the label (or the box's own caption)
    int max;               // highest value of a list; 1 for check boxes; -1 for the message
    int firstItemText;     // list entries 0.. taken from texts firstItemText, +1, ...
    int itemTextCount;     //   for this many entries (0 = none)
    int firstNumber;       // the remaining entries are the numbers firstNumber, +1, ...
    const char* itemName;  // name in the out-of-range report (UTF-8), "" for none
};

// Every control of the window that shows an option: cboStep .. cboRoger
// (OptSel 1..15 in window order), the check boxes 16..20, cboShowMode,
// txtPwrMsg, cboAlarmTone and the five alarm rows (check, hour, minute).
const std::vector<OptionSpec>& optionSpecs();

// The opt that shows OptSel index i (for 25..30 the message), or nullptr.
const OptionSpec* optionSpecFor(int optIndex);

// Caption of the control: its UI text (English where the text table has
// none, as under language 2), with the alarm number 1..5 appended for the
// alarm check boxes ("Enable Alarm1").
QString optionCaption(const OptionsContext& s, const OptionSpec& opt);

// The entries of a list in list order (entry n = value n), English where the
// text table has none; empty for a check box or the message.
QStringList optionListTexts(const OptionsContext& s, const OptionSpec& opt);

// The out-of-range report text of a list control.
QString optionRangeReport(const OptionSpec& opt);

// Fills every list and shows OptSel (the window's InitOpt): each list value
// above its highest entry (or below 0) is reported and replaced by its OptDef
// entry; every list value shown is written back into OptSel; a check box
// changes OptSel only when its state changes. Tells the options window.
void InitOpt(OptionsContext s);

// A list of the window selected `position` (the click handler): OptSel entry
// optIndex := position. Returns false for an index that no list shows.
bool OptListClicked(OptionsContext s, int optIndex, int position);

// A check box changed to `checked`: OptSel entry optIndex := 0 or 1.
// Returns false for an index that no check box shows.
bool OptCheckClicked(OptionsContext s, int optIndex, bool checked);

// The power-on message text from OptSel 25..30 (six characters, no empty rule).
QString PowerOnMsgText(const OptionsContext& s);

// The power-on message box lost the focus with `text`: six character codes
// into OptSel 25..30, then the box shows the normalised message.
void PwrMsgLostFocus(OptionsContext s, const QString& text);

} // namespace qm
