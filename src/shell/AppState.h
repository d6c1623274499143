// The program-wide state: every table the radio program works on lives here,
// created once by the start-up and handed to every module and window by
// reference. Tests create as many independent states as they like.
// Tables keep the radio's own indexing: 1-based where the radio counts from 1
// (channels, OptSel, ComVaDat), 0-based otherwise; index 0 of a 1-based table
// is unused.
#pragma once

#include "diag/modShowErr.h"
#include "shell/ProfileFile.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace qm {

constexpr int kMaxChannels = 260;
constexpr int kChFields = 21;       // ChData fields 0..20
constexpr int kMaxColInfoCols = 200;
constexpr int kColInfoEntries = 50; // entries 0..49 per column
constexpr int kCtdcsSlots = 301;    // CtdcsName / CtdcsIicCode 0..300
constexpr int kCtdcsCount = 261;    // used entries 0..260
constexpr int kSoftFaceCount = 446;
constexpr int kOptCount = 100;      // OptSel / OptDef 1..100
constexpr int kNoChar = 255;        // character code "no character"

// Settings held in memory after start-up (section "Setting").
struct Settings {
    int16_t Language = 0;   // 1 Simplified Chinese, 2 Traditional Chinese, 3 English
    int16_t COM = 1;        // port number 1..16
    int16_t DatNum = 0;     // highest image address
    QString EngFont;
    QString ChsFont;
    QString UiFont;         // ChsFont when Language is 1, else EngFont
    QString OverColorText;  // as read from the file
    QString DefColorText;
    uint32_t OverColor = 0x0000FF; // grid colour of an out-of-band frequency (0x00BBGGRR)
    uint32_t DefColor = 0x000000;  // normal grid cell colour (0x00BBGGRR)
    int16_t CtcDcsMax = 260;
    // Address keys: text as last put into the dialog's boxes, and its value.
    QString TableMaxAddrText, ReadStartAddrText, ReadEndAddrText, WriteStartAddrText, WriteEndAddrText;
    int16_t TableMaxAddr = 0x1FFF;
    int16_t ReadStartAddr = 0;
    int16_t ReadEndAddr = 0x1FFF;
    int16_t WriteStartAddr = 0;
    int16_t WriteEndAddr = 0x1FFF;
    int32_t PartFillStart = 0;   // part-fill range defaults
    int32_t PartFillEnd = 0x1FFF;
};

// The channel grid's content as the window shows it: cell texts and text
// colours of rows 0..260 and columns 0..20 (row 0 captions, column 0 labels).
struct ChannelGrid {
    int rows = 1;                // header row + channel rows
    int cols = 1;                // column 0 + data columns
    int rowHeightTwips = 240;
    std::array<int, 51> colWidthTwips{};
    std::array<std::array<QString, kChFields>, kMaxChannels + 1> text;
    std::array<std::array<uint32_t, kChFields>, kMaxChannels + 1> color{};
    std::array<QString, kChFields> format; // display format per column ("###.#####"...)
    int curRow = 1, curCol = 1;
};

// The values the optional-features window shows (its controls' state), so
// that refreshing it has the same effect on OptSel with or without a screen.
struct OptionsView {
    std::array<int, kOptCount + 1> listIndex{};  // selected list position per OptSel index, -1 none
    std::array<bool, kOptCount + 1> checked{};   // check box state per OptSel index
    QString txtPwrMsg;
    bool chkSetTime = false;                      // "Pc Time Set to Radio Time"
    QString txtLockRadio;
};

// Texts of the radio information window.
struct RadioInfo {
    QString txtModel = QStringLiteral("QM570");
    QString txtRange = QStringLiteral("400.00000 - 470.00000MHz");
    QString txtSoftVer;
    QString txtLastPc;
};

// Interpreter and transfer state of the radio communication.
struct CommState {
    std::array<QString, 201> ComCode;                 // tokens 1..200
    std::array<QStringList, 3> ComScript;             // [direction 1 read, 2 write], scripts from index 1
    // Per direction and script: [1] start address, [2] byte count, [3] percentage.
    std::array<std::vector<std::array<int32_t, 4>>, 3> ComScriptPara;
    std::array<int, 3> ComScriptNum{};
    std::array<uint8_t, 101> ComVaDat{};              // 1..100
    int16_t ComErr = 0;
    int16_t RxWaitMs = 1;
    int16_t RxWaitTimes = 150;
    int16_t ComOpenErr = 0;
    int16_t ComFailTimes = 0;
    std::array<int16_t, 17> PortAvail{};              // 1..16
    QStringList listRtData;                           // the frame trace of the read/write dialog
    int ComListIdx = 0;
    int listRtSelected = -1;

    // --- interpreter working state and dialog values (comm/modCommun, comm/modTransfer) ---
    std::vector<uint8_t> ComTxDat;                    // send part of the current exchange
    QStringList ComRxExp;                             // receive tokens of the current exchange
    int ComCodeIdx = 1;                               // token index into ComCode
    int ComVaIdx = 1;                                 // next position in ComVaDat
    int ComPercent = 0;                               // progress bar value (ShowComPercent)
    QString ComStatusText;                            // status label text ("45 %")
    QString ComOpenErrText;                           // why the last OpenCom failed
    // Called for every line put into listRtData: the index it went in at and
    // whether the list was cleared just before (the 3000-line rule).
    std::function<void(int index, const QString& line, bool reset)> traceLineAdded;
    // Frame hook of the "RF"/"WF" tokens (kind, a, b, c); it moves no data.
    std::function<void(const QString& kind, int a, int b, int c)> readWriteFreHook;
};

// Hooks through which the model tells the windows what changed. Each is
// optional; the command-line tool and most tests leave them empty.
struct ViewHooks {
    std::function<void(int panel)> statusPanelChanged; // 1..3
    std::function<void()> channelGridChanged;
    std::function<void()> optionsChanged;
    std::function<void()> radioInfoChanged;
    std::function<void()> traceChanged;
};

struct AppState {
    // Program folder: settings file, template, data folder, help files.
    QString home;
    ProfileFile profile; // home + "/Uninstall.exe"

    Settings settings;
    bool QuietExit = false;
    int16_t AppExiting = 0;
    QString ChLockState;  // "", "ShowLock" or "ShowNo"
    int16_t DebugMode = 0;

    // The radio memory image, addresses 0..DatNum.
    std::vector<uint8_t> IicDat;

    // Channel table (channels 1..260, fields 0..20) and name codes (positions 1..6).
    std::array<std::array<int32_t, kChFields>, kMaxChannels + 1> ChData{};
    std::array<std::array<uint8_t, 7>, kMaxChannels + 1> ChNameCode{};
    // Channel grid definition from section "ChInfo": ColInfo[c][k], c = 1..200.
    std::vector<std::array<QString, kColInfoEntries>> ColInfo =
        std::vector<std::array<QString, kColInfoEntries>>(kMaxColInfoCols + 1);
    int16_t ChNum = 16;       // N, channels in use
    int16_t ChColNum = 9;     // C, data columns
    int16_t ChRowHeight = 240;
    QString ChHeaderFormat;

    // Frequency limits in 10 Hz units.
    int32_t BandLower = 40000000, BandUpper = 47000000;
    int32_t EntryLower = 10000000, EntryUpper = 99900000;

    // CTCSS/DCS table.
    std::array<QString, kCtdcsSlots> CtdcsName;
    std::array<QString, kCtdcsSlots> CtdcsIicCode;
    QString CtdcsList;

    // Radio alphabet (codes 0..40) and the code buffer of the name conversion.
    std::array<QString, 41> ValidChar;
    std::array<int16_t, 31> CharCodeBuf{};

    // Optional features, indices 1..100.
    std::array<int16_t, kOptCount + 1> OptSel{};
    std::array<int16_t, kOptCount + 1> OptDef{};

    // UI text table, entries 0..445.
    std::array<QString, kSoftFaceCount> SoftFaceStr;

    // Data file paths.
    QString currentPath;
    QString defaultPath;

    // Status bar panels 1..3 (index 0 unused).
    std::array<QString, 4> statusPanel;

    // Channel codec work buffer: the bytes SeparateFreChar splits a text of
    // hexadecimal digit pairs into, most significant first, shared by its callers.
    std::array<uint8_t, 4> FreCharBuf{};

    ChannelGrid grid;
    OptionsView optView;
    RadioInfo radioInfo;
    CommState comm;
    ErrorList errors;
    ViewHooks hooks;

    // Text N of the UI text table (empty when out of range).
    QString text(int n) const { return (n >= 0 && n < kSoftFaceCount) ? SoftFaceStr[static_cast<size_t>(n)] : QString(); }

    // Sets status panel p and tells the window.
    void setStatus(int p, const QString& t)
    {
        statusPanel[static_cast<size_t>(p)] = t;
        if (hooks.statusPanelChanged)
            hooks.statusPanelChanged(p);
    }

    // Image byte access with the range check of the radio program (error 9).
    uint8_t& img(long long addr)
    {
        checkIndex(addr, 0, static_cast<long long>(IicDat.size()) - 1);
        return IicDat[static_cast<size_t>(addr)];
    }
};

// Language index normalised as the program does everywhere: 1, 2 or 3, any
// other value becomes 3 (in memory).
inline int16_t normaliseLanguage(AppState& s)
{
    if (s.settings.Language != 1 && s.settings.Language != 2 && s.settings.Language != 3)
        s.settings.Language = 3;
    return s.settings.Language;
}

} // namespace qm
