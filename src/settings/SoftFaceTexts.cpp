#include "settings/SoftFaceTexts.h"

#include "settings/Settings.h"

#include <array>

namespace qm {

namespace {

// One row per non-empty entry: index, English wording, Simplified Chinese
// wording. Indices that have no row are filled with the empty string by both
// sets, except 136..139, which neither set touches. Source files are UTF-8.
struct TextRow {
    int index;
    const char* en;
    const char* zh;
};

constexpr TextRow kRows[] = {
    // Toolbar buttons and window title
    {0, "New", "新建"},
    {1, "Open", "打开"},
    {2, "Save", "保存"},
    {3, "Read", "读频"},
    {4, "Write", "写频"},
    {5, "Port", "串口"},
    {6, "Help", "帮助"},
    {7, "Exit", "退出"},
    {8, "Print", "打印"},
    {16, "QM570 Radio Software", "QM570写频软件"},

    // Main-window menus, radio-information labels, language names
    {20, "&File", "文件(&F)"},
    {21, "&New", "新建(&N)"},
    {22, "&Open", "打开(&O)"},
    {23, "&Save", "保存(&S)"},
    {24, "S&ave As", "另存为(&A)"},
    {25, "&Exit", "退出(&Q)"},
    {26, "&Program", "编程(&P)"},
    {27, "&Read", "读频(&R)"},
    {28, "&Write", "写频(&W)"},
    {29, "&Option", "选项(&O)"},
    {30, "Optional &Feature", "可选功能(&F)"},
    {31, "&Settings", "设置(&S)"},
    {32, "&Communication Port", "通信端口(&P)"},
    {33, "&Language Settings", "语言设置(&L)"},
    {34, "&Simplified Chinese", "中文简体(&C)"},
    {35, "&English", "English(&E)"},
    {36, "&Help", "帮助(&H)"},
    {37, "Help &Topic", "帮助主题(&T)"},
    {38, "&About", "关于(&A)"},
    {39, "&Model", "机型(&M)"},
    {40, "&Test Mode", "测试模式(&T)"},
    {41, "&Test Frequency", "测试频率(&F)"},
    {42, "&Batch Write Test Data", "批写测试数据(&B)"},
    {43, "&Print", "打印(&P)"},
    {44, "&Additional frq. range", "可选频段(&A)"},
    {45, "&DTMF", "DTMF(双音多频)(&D)"},
    {46, "&Key Assignment", "键设定(&K)"},
    {47, "&Lock Channel Interface", "锁定信道界面(&L)"},
    {48, "&Auto Read/Write Radio", "自动读写频率(&F)"},
    {49, "&Radio Version", "对讲机版本(&V)"},
    {50, "OK", "确定"},
    {51, "Model:", "机型:"},
    {52, "Frequency:", "频段:"},
    {53, "Version:", "版本:"},
    {54, "Time:", "时间:"},
    {55, "QM570 Radio Team", "QM570 对讲机软件组"},
    {56, "Made by the QM570 Radio Team", "QM570 对讲机软件组 制作"},
    {57, "Traditional Chinese", "中文繁体(&T)"},

    // Port dialog and general
    {60, "Communication Port", "通信端口设置"},
    {61, "Set", "设置"},
    {62, "Communication Port", "通信端口"},
    {63, "OK", "确定"},
    {64, "Cancel", "取消"},
    {66, "Channel Information", "信道信息"},
    // The restart notice stays English in both sets.
    {68, "Language has changed, you need to restart the software.",
     "Language has changed, you need to restart the software."},

    // Message-box title, messages, status-bar panels
    {70, "Notice", "提示"},
    {71, "Are you sure delete all channels data?", "确定删除所有的信道数据?"},
    {72, "All data will be cleared,continue?", "选择不同型号的机型将删除所有信道的数据，是否继续?"},
    {73, "Are you sure want to exit?", "你要退出吗?"},
    {74, "All data will be cleared,continue?", "当前所有信道数据将被清除，是否继续?"},
    {75, "Failed to open port,Please set communication port first!",
     "通信端口未设置,请先选择 "
     "\"设置\""
     " -> "
     "\"通信端口\""
     " 选择串口"},
    {76, "Communicating,wait a minute", "正在通信，请稍候"},
    {77, "Communication success", "通信成功"},
    {78, "Communication failed", "通信失败"},
    {79, "Communication failed,please check commuication port!", "通信出错，请检查连线及串口的选择!"},
    {80, "Communication failed", "通信失败"},
    {81, "Failed to open port!", "打开端口失败，请选择其它端口!"},
    {82, "TempData has changed,Do you want to save it now?", "文件内容已经改变,想保存文件吗?"},
    {83, "Wrong file type!", "错误的文件类型!"},
    {84, "Save file failed!", "保存文件出错!"},
    {85, "File Name:", "文件名:"},
    {86, "Save file failed!", "写文件出错!"},
    {87, "Read file failed!", "读文件出错!"},
    {88, "Frequency range is not right!", "频段不符,无法写入!"},
    {89, "Frequency range is not right，continue?", "频段不符,是否继续?"},
    {90, "Status", "提示当前状态"},
    {91, "Time", "当前时间"},
    {92, "Communication Port", "通信端口"},
    {93, "File Path", "文件路径"},
    {94, "Ready", "就绪"},
    {95, "Radio Programming Software", "系列对讲机编程软件"},
    {96, "For", "用于"},

    // Read/write dialog, printing, channel popup menu, lock, model information
    {100, "&Read", "读频(&R)"},
    {101, "&Write", "写频(&W)"},
    {102, "Communicate", "通信"},
    {105, "Printing，Please wait...", "正在打印，请稍候..."},
    {106, "Print occur error!", "打印出错!"},
    {110, "Delete channel", "删除信道"},
    {112, "Delete all channels", "删除所有信道"},
    {113, "Save as default", "存为默认值"},
    {114, "Open channel", "开启信道"},
    {116, "Interface Locked", "信道界面已锁定"},
    {120, "Model Type", "机型"},
    {121, "Frequency", "频段"},
    {122, "OK", "确定"},
    {123, "Model Information", "选择机型"},
    {124, "Frequency data will be cleared!", "确定删除所有的信道数据?"},

    // Lock prompt, warnings, print dialog, auto read/write, radio version,
    // communication results
    {130, "Password", "密码"},
    {131, "Please Input Correct Password:", "请输入密码:"},
    {132, "OK", "确定"},
    {133, "Password Error!", "密码错误!"},
    {134, "Please read data from radio first!", "请先从对讲机读数据!"},
    {135, "Please write test frequency to radio first!", "没有测试频率,请先写入测试频率!"},
    {140, "Occur error!", "出现错误!"},
    {141, "Software is running now!", "软件正在运行!"},
    {142, "Select Print Content", "选择打印内容"},
    {143, "Item", "项目"},
    {144, "Cover", "封面"},
    {145, "Radio Settings", "对讲机设置"},
    {146, "Channel Information", "信道信息"},
    {147, "Print", "打印"},
    {148, "Cancel", "取消"},
    {149, "Print Chananel Data", "打印信道数据"},
    {150, "Auto Read/Write Setting", "自动读写设置"},
    {151, "Interval Time", "间隔时间"},
    {152, "Write to Radio", "写入对讲机"},
    {153, "Read from Radio", "从对讲机读取"},
    {154, "Show Progress", "显示进度"},
    {155, "Auto Read/Write", "自动读写"},
    {156, "Communication", "通信"},
    {157, "Times", "次数"},
    {160, "Radio Version", "对讲机版本"},
    {161, "Radio Version", "对讲机版本"},
    {162, "MCU Ver：", "MCU版本："},
    {163, "Time：", "时间："},
    {164, "Reading Now......", "正在读取......"},
    {165, "Read Successful", "读取成功"},
    {166, "Read Failed", "读取失败"},
    {167, "&Read", "读取(&R)"},
    {170, "Communicating", "正在通信"},
    {171, "Successful", "成功"},
    {172, "Fail", "失败"},
    {175, "Rx：Communication failed! No receive Data!", "Rx：通信失败！没有接收到数据！"},
    {176, "Rx：Communication failed! Receive Data Error!", "Rx：通信失败！接收数据错误！"},
    {179, "Unknown Time", "未知时间"},
    {180, ".", "."},
    {181, ".", "."},

    // Radio information window
    {183, "Radio Info", "对讲机信息"},
    {184, "Model Type", "机型"},
    {185, "Frequency[MHz]", "频段[MHz]"},
    {186, "Soft Version", "软件版本"},
    {187, "Write Data Last Time", "上次写频时间"},

    // Optional-features window: captions and value lists
    {200, "Optional Features", "可选功能"},
    {205, "Step", "步进"},
    {206, "5K", "5K"},
    {207, "6.25K", "6.25K"},
    {208, "10K", "10K"},
    {209, "12.5K", "12.5K"},
    {210, "15K", "15K"},
    {211, "20K", "20K"},
    {212, "25K", "25K"},
    {213, "30K", "30K"},
    {214, "50K", "50K"},
    {215, "100K", "100K"},
    {217, "Sql", "静噪"},
    {218, "Lamp", "背光"},
    {219, "Led", "指示灯"},
    {220, "Off", "关"},
    {221, "On", "开"},
    {222, "Auto", "自动"},
    {223, "Beep", "提示音"},
    {224, "Off", "关"},
    {225, "On", "开"},
    {226, "Voice Annunciation", "语音提示"},
    {227, "Off", "关"},
    {228, "Chinese", "中文"},
    {229, "English", "英文"},
    {230, "Clock", "时钟"},
    {231, "Off", "关"},
    {232, "On", "开"},
    {233, "Time Out Timer(TOT)[s]", "发射限时(TOT)[秒]"},
    {234, "Off", "关"},
    {235, "60s", "60秒"},
    {236, "120s", "120秒"},
    {237, "240s", "240秒"},
    {242, "Battery Save Type", "省电模式"},
    {243, "Off", "关"},
    {244, "Auto Power Off[Hour]", "自动关机[小时]"},
    {245, "Off", "关"},
    {246, "Key Lock", "键盘锁"},
    {247, "Manual", "手动"},
    {248, "Auto", "自动"},
    {249, "Scan Resume", "扫描恢复方式"},
    {250, "Time", "时间"},
    {251, "Carrier", "载波"},
    {252, "Seek", "搜索"},
    {253, "Display", "开机显示"},
    {254, "Off", "关"},
    {255, "DC", "电压"},
    {256, "MSG", "信息"},
    {257, "Ch Name/Freq", "信道名称/频率"},
    {258, "Ch Name", "信道名称"},
    {259, "Freq", "频率"},
    {262, "Roger", "发射结束音"},
    {263, "Off", "关"},
    {264, "On", "开"},
    {266, "Pc Time Set to Radio Time", "将电脑时间写入对讲机"},
    {267, "Lock Radio", "锁定对讲机"},
    {268, "Power On Message", "开机信息"},
    {270, "Alarm", "闹钟"},
    {271, "Enable Alarm", "启用闹钟"},
    {272, "Off", "关"},
    {273, "On", "开"},
    {274, "Alarm Time", "闹钟时间"},
    {275, "Hour", "时"},
    {276, "Minute", "分"},
    {277, "Clock Alarm Tone", "闹铃音"},
    {282, "Off", "关"},
    {283, "Blue", "蓝色"},
    {284, "Green", "绿色"},
    {285, "Red", "红色"},
    {286, "Cyan", "青色"},
    {287, "Purple", "紫色"},
    {288, "Yellow", "黄色"},
    {289, "White", "白色"},
    {291, "Power On Tone", "开机提示音"},
    {292, "Low Battery Tone", "低电量提示音"},
    {293, "Emergency Alarm", "紧急报警"},
    {294, "Key Lock", "键盘锁"},
    {295, "Show Mode", "显示模式"},
    {296, "Freq Mode", "频率模式"},
    {297, "Channel Freq Mode", "信道频率模式"},
    {298, "Channel Mode", "信道模式"},
    {299, "Lock/Unlock Radio Code", "对讲机加锁/解锁密码"},

    // Navigator tree and print captions
    {300, "QM570", "QM570"},
    {301, "Radio Info", "对讲机信息"},
    {302, "Channel Info", "信道信息"},
    {303, "Optional Features", "可选功能"},
    {307, "Print Optional Features", "打印可选功能"},
    {308, "Print Chananel Data", "打印信道数据"},
    {310, "Clock Alarm Tone", "闹铃音"},

    // Read and write buttons
    {405, "Read", "读频"},
    {406, "Write", "写频"},
};

constexpr int kChineseSize = 446;
constexpr int kEnglishSize = 410;

constexpr bool isReserved(int n) { return n >= 136 && n <= 139; }

constexpr bool rowsAreWellFormed()
{
    int last = -1;
    for (const TextRow& r : kRows) {
        if (r.index <= last || r.index >= kEnglishSize || isReserved(r.index))
            return false;
        if (r.en == nullptr || r.zh == nullptr || r.en[0] == '\0' || r.zh[0] == '\0')
            return false;
        last = r.index;
    }
    return true;
}
static_assert(rowsAreWellFormed(), "text rows must be sorted, unique, non-empty and inside the English range");

// Wording per index for one set; nullptr = empty string.
constexpr std::array<const char*, kChineseSize> buildSet(bool chinese)
{
    std::array<const char*, kChineseSize> a{};
    for (const TextRow& r : kRows)
        a[static_cast<size_t>(r.index)] = chinese ? r.zh : r.en;
    return a;
}

constexpr auto kChinese = buildSet(true);
constexpr auto kEnglish = buildSet(false);

} // namespace

int textSetSize(TextSet set)
{
    return set == TextSet::SimplifiedChinese ? kChineseSize : kEnglishSize;
}

bool textSetFills(TextSet set, int n)
{
    return n >= 0 && n < textSetSize(set) && !isReserved(n);
}

QString textSetEntry(TextSet set, int n)
{
    if (!textSetFills(set, n))
        return {};
    const char* t = (set == TextSet::SimplifiedChinese ? kChinese : kEnglish)[static_cast<size_t>(n)];
    return t ? QString::fromUtf8(t) : QString();
}

} // namespace qm


namespace qm {

void InitSoftFaceStr(Settings& s)
{
    const int16_t lang = normaliseLanguage(s);
    if (lang == 2)
        return; // Traditional Chinese has no text set
    const TextSet set = lang == 1 ? TextSet::SimplifiedChinese : TextSet::English;
    for (int n = 0; n < textSetSize(set); ++n)
        if (textSetFills(set, n))
            s.SoftFaceStr[static_cast<size_t>(n)] = textSetEntry(set, n);
}

QString SoftFaceText(const Settings& s, int n)
{
    QString t = s.text(n);
    if (t.isEmpty())
        t = textSetEntry(TextSet::English, n);
    return t;
}

bool chineseUi(const Settings& s)
{
    return s.Language == 1;
}

QString winText(const Settings& s, const char* english, const char* chinese)
{
    return QString::fromUtf8(chineseUi(s) ? chinese : english);
}

} // namespace qm
