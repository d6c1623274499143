// What the optional-features window does to OptSel when it shows it. The
// window refills each list before selecting its value, and selecting a list
// entry runs the list's click handler, so every value shown in a list is
// written back into OptSel; a check box's handler only runs when the box
// actually changes state. Keeping this here lets the command-line tool and
// the tests get exactly the same OptSel as the window does.
#include "options/modOptView.h"

#include "settings/CharTable.h"
#include "settings/SoftFaceTexts.h"

namespace qm {

namespace {

constexpr int kMsgFirst = 25;
constexpr int kMsgLast = 30;
constexpr int kAlarmFirst = 32;
constexpr int kAlarmCount = 5;

std::vector<OptionSpec> buildSpecs()
{
    using K = OptionKind;
    std::vector<OptionSpec> v = {
        {1, "cboStep", -1, K::List, 205, 9, 206, 10, 0, "频率步长"},
        {2, "cboSql", -1, K::List, 217, 9, 0, 0, 0, "静噪电平"},
        {3, "cboLamp", -1, K::List, 218, 7, 282, 8, 0, "七色灯"},
        {4, "cboKeyLig", -1, K::List, 219, 2, 220, 3, 0, "按键灯"},
        {5, "cboBeep", -1, K::List, 223, 1, 224, 2, 0, "提示音"},
        {6, "cboAnVoice", -1, K::List, 226, 2, 227, 3, 0, "语音通知"},
        {7, "cboClock", -1, K::List, 230, 1, 231, 2, 0, "显示时钟"},
        {8, "cboTot", -1, K::List, 233, 3, 234, 4, 0, "超时定时器"},
        {9, "cboSave", -1, K::List, 242, 32, 243, 1, 1, "省电模式"},
        {10, "cboApo", -1, K::List, 244, 24, 245, 1, 1, "自动关机"},
        {11, "cboKeyLock", -1, K::List, 246, 1, 247, 2, 0, "锁键方式"},
        {12, "cboScanMode", -1, K::List, 249, 2, 250, 3, 0, "扫描恢复方法"},
        {13, "cboPwrShow", -1, K::List, 253, 2, 254, 3, 0, "开机信息显示"},
        {14, "cboNameFre", -1, K::List, 257, 1, 258, 2, 0, "记忆名称/频率显示"},
        {15, "cboRoger", -1, K::List, 262, 1, 263, 2, 0, "发射结束音"},
        {16, "chkPowerOnTone", -1, K::Check, 291, 1, 0, 0, 0, ""},
        {17, "chkLowBatTone", -1, K::Check, 292, 1, 0, 0, 0, ""},
        {18, "chkEmergencyAlarm", -1, K::Check, 293, 1, 0, 0, 0, ""},
        {19, "chkKeyLocked", -1, K::Check, 294, 1, 0, 0, 0, ""},
        {20, "chkClockTone", -1, K::Check, 310, 1, 0, 0, 0, ""},
        {21, "cboShowMode", -1, K::List, 295, 2, 296, 3, 0, "显示模式"},
        {kMsgFirst, "txtPwrMsg", -1, K::Message, 268, -1, 0, 0, 0, ""},
        {31, "cboAlarmTone", -1, K::List, 277, 7, 0, 0, 1, "闹钟的铃声"},
    };
    for (int a = 0; a < kAlarmCount; ++a) {
        const int i = kAlarmFirst + 3 * a;
        v.push_back({i, "chkAlarmOnOff", a, K::Check, 271, 1, 0, 0, 0, ""});
        v.push_back({i + 1, "cboAlarmHour", a, K::List, 275, 23, 0, 0, 0, "闹钟时间:时钟"});
        v.push_back({i + 2, "cboAlarmMinute", a, K::List, 276, 59, 0, 0, 0, "闹钟时间:分钟"});
    }
    return v;
}

size_t at(int i)
{
    return static_cast<size_t>(i);
}

// Shows OptSel entry i in its list: the list is refilled (nothing selected),
// then the value is selected, which runs the click handler. A value outside
// the list is reported and its default shown instead.
void showList(OptionsContext s, int i)
{
    const OptionSpec* opt = optionSpecFor(i);
    checkIndex(i, 1, kOptCount);
    s.optView.listIndex[at(i)] = -1;
    int pos = s.doc.OptSel[at(i)];
    if (pos < 0 || pos > opt->max) {
        s.errors.AddOptErrInfo(optionRangeReport(*opt));
        pos = s.settings.OptDef[at(i)];
        // A default outside the list as well (a damaged settings file):
        // show the first entry rather than leave the list and OptSel broken.
        if (pos < 0 || pos > opt->max)
            pos = 0;
    }
    OptListClicked(s, i, pos);
}

// Sets check box i to `ticked`; its handler runs only on a change of state.
void showCheck(OptionsContext s, int i, bool ticked)
{
    checkIndex(i, 1, kOptCount);
    if (s.optView.checked[at(i)] != ticked)
        OptCheckClicked(s, i, ticked);
}

void initOpt(OptionsContext s)
{
    for (int i = 1; i <= 15; ++i)
        showList(s, i);
    for (int i : {16, 17, 18, 20})
        showCheck(s, i, s.doc.OptSel[at(i)] != 0);
    showList(s, 21);
    showCheck(s, 19, s.doc.OptSel[19] != 0);
    s.optView.txtPwrMsg = PowerOnMsgText(s);
    showList(s, 31);
    for (int a = 0; a < kAlarmCount; ++a) {
        const int i = kAlarmFirst + 3 * a;
        showCheck(s, i, s.doc.OptSel[at(i)] == 1);
        showList(s, i + 1);
        showList(s, i + 2);
    }
}

} // namespace

QString PowerOnMsgText(const OptionsContext& s)
{
    QString t;
    for (int i = kMsgFirst; i <= kMsgLast; ++i)
        t += charOf(s.settings, s.doc.OptSel[at(i)]);
    return t;
}

const std::vector<OptionSpec>& optionSpecs()
{
    static const std::vector<OptionSpec> specs = buildSpecs();
    return specs;
}

const OptionSpec* optionSpecFor(int optIndex)
{
    if (optIndex >= kMsgFirst && optIndex <= kMsgLast)
        optIndex = kMsgFirst;
    for (const OptionSpec& opt : optionSpecs()) {
        if (opt.optIndex == optIndex)
            return &opt;
    }
    return nullptr;
}

QString optionCaption(const OptionsContext& s, const OptionSpec& opt)
{
    QString caption = SoftFaceText(s.settings, opt.captionText);
    if (opt.kind == OptionKind::Check && opt.alarm >= 0)
        caption += QString::number(opt.alarm + 1);
    return caption;
}

QStringList optionListTexts(const OptionsContext& s, const OptionSpec& opt)
{
    QStringList items;
    if (opt.kind != OptionKind::List)
        return items;
    for (int n = 0; n <= opt.max; ++n) {
        if (n < opt.itemTextCount)
            items << SoftFaceText(s.settings, opt.firstItemText + n);
        else
            items << QString::number(opt.firstNumber + n - opt.itemTextCount);
    }
    return items;
}

QString optionRangeReport(const OptionSpec& opt)
{
    return QStringLiteral("出错位置: frmSysSet->InitOpt->") + QString::fromUtf8(opt.itemName) +
           QStringLiteral("     错误类型: 不在范围内");
}

void InitOpt(OptionsContext s)
{
    guarded(s.errors, QStringLiteral("frmSysSet->InitOpt:"), [&] { initOpt(s); });
    s.optView.notify();
}

bool OptListClicked(OptionsContext s, int optIndex, int position)
{
    const OptionSpec* opt = optionSpecFor(optIndex);
    if (!opt || opt->kind != OptionKind::List || position < 0 || position > opt->max)
        return false;
    s.optView.listIndex[at(optIndex)] = position;
    s.doc.OptSel[at(optIndex)] = static_cast<int16_t>(position);
    return true;
}

bool OptCheckClicked(OptionsContext s, int optIndex, bool checked)
{
    const OptionSpec* opt = optionSpecFor(optIndex);
    if (!opt || opt->kind != OptionKind::Check)
        return false;
    s.optView.checked[at(optIndex)] = checked;
    s.doc.OptSel[at(optIndex)] = checked ? 1 : 0;
    return true;
}

void PwrMsgLostFocus(OptionsContext s, const QString& text)
{
    const std::vector<int16_t> codes = ChNameCharSol(s.settings, s.errors, text, 6);
    for (int i = 0; i < 6; ++i)
        s.doc.OptSel[at(kMsgFirst + i)] = codes[at(i)];
    s.optView.txtPwrMsg = PowerOnMsgText(s);
    s.optView.notify();
}

} // namespace qm
