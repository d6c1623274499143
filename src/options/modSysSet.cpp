// The radio-wide settings ("Optional Features") live in the EEPROM block
// 0x0E00..0x0E75: one byte per option, the power-on message as six character
// codes, the alarm tone in the top three bits of 0x0E4F and five alarm clocks
// of three bytes each. This module moves them between the image and OptSel,
// and keeps the defaults (OptDef) and the saved selections in section
// "Option" of the settings file, one set per user-interface language.
#include "options/modSysSet.h"

#include "settings/VbConv.h"

namespace qm {

namespace {

// One option that occupies one whole byte of the block.
struct ByteOption {
    int index;     // OptSel index
    int address;   // image address
    int max;       // highest value the decoder accepts
};

// The single-byte options in the order the codec visits them.
constexpr ByteOption kByteOptions[] = {
    {1, 0x0E00, 9},   // step
    {2, 0x0E08, 9},   // squelch
    {3, 0x0E09, 7},   // lamp colour
    {4, 0x0E0A, 2},   // key light
    {5, 0x0E0B, 1},   // beep
    {15, 0x0E0C, 1},  // roger
    {6, 0x0E0D, 2},   // voice annunciation
    {7, 0x0E0E, 1},   // clock
    {8, 0x0E0F, 3},   // time-out timer
    {9, 0x0E10, 32},  // battery save
    {10, 0x0E11, 24}, // auto power off
    {11, 0x0E13, 1},  // key lock mode
    {12, 0x0E15, 2},  // scan resume
    {13, 0x0E17, 2},  // power-on display
    {14, 0x0E19, 1},  // channel name / frequency
    {16, 0x0E20, 1},  // power-on tone
    {17, 0x0E21, 1},  // low battery tone
    {18, 0x0E22, 1},  // emergency alarm
    {20, 0x0E1E, 1},  // clock alarm tone
};

constexpr ByteOption kKeyLocked = {19, 0x0E23, 1};

constexpr int kShowModeIndex = 21;
constexpr int kShowModeAddr = 0x0E1F;
constexpr int kShowModeExtra = 0x0E73; // 0x0E73..0x0E75
constexpr int kMsgIndex = 25;          // 25..30
constexpr int kMsgAddr = 0x0E24;       // 0x0E24..0x0E29
constexpr int kMsgLength = 6;
constexpr int kAlarmToneIndex = 31;
constexpr int kAlarmToneAddr = 0x0E4F; // bits 7..5
constexpr int kAlarmIndex = 32;        // 32 + 3a: on/off, hour, minute
constexpr int kAlarmAddr = 0x0E40;     // 0x0E40 + 3a
constexpr int kAlarmCount = 5;
constexpr int kMarkerAddr = 0x0E2E;    // 0x5A, 0xAA
constexpr int kFillStart = 0x0650;     // 0x0650..0x065F = 0xFF
constexpr int kFillEnd = 0x065F;
constexpr int kLastAddr = 0x0E75;

// Buffer size of one value of section "Option" (19 characters and the end).
constexpr int kOptValueBuf = 20;

const QString kSection = QStringLiteral("Option");

// The selection as an unsigned byte; a value that does not fit overflows.
uint8_t toByte(int v)
{
    if (v < 0 || v > 255)
        throw QmError(6);
    return static_cast<uint8_t>(v);
}

// Both codec directions need the whole block; checking first keeps a too
// small image from being half-encoded or OptSel from being half-decoded.
void requireBlock(const OptionsContext& s)
{
    if (s.doc.IicDat.size() <= static_cast<size_t>(kLastAddr))
        throw QmError(9);
}

void encode(OptionsContext s)
{
    requireBlock(s);
    for (const ByteOption& o : kByteOptions)
        s.doc.img(o.address) = toByte(s.doc.OptSel[o.index]);

    // Show mode: the value itself at 0x0E1F and its three-byte form at
    // 0x0E73..0x0E75, which is what the radio actually looks at.
    const int16_t mode = s.doc.OptSel[kShowModeIndex];
    s.doc.img(kShowModeAddr) = toByte(mode);
    s.doc.img(kShowModeExtra) = (mode == 0) ? 0x64 : 0xFF;
    s.doc.img(kShowModeExtra + 1) = 0xFF;
    s.doc.img(kShowModeExtra + 2) = (mode == 0 || mode == 1) ? 0x00 : 0x01;

    s.doc.img(kKeyLocked.address) = toByte(s.doc.OptSel[kKeyLocked.index]);

    for (int i = 0; i < kMsgLength; ++i)
        s.doc.img(kMsgAddr + i) = toByte(s.doc.OptSel[static_cast<size_t>(kMsgIndex + i)]);

    // Alarm tone 0..7 in bits 7..5; the low five bits belong to the radio.
    const int tone = (s.doc.img(kAlarmToneAddr) & 0x1F) | (s.doc.OptSel[kAlarmToneIndex] * 32);
    s.doc.img(kAlarmToneAddr) = toByte(tone);

    for (int a = 0; a < kAlarmCount; ++a) {
        for (int k = 0; k < 3; ++k)
            s.doc.img(kAlarmAddr + 3 * a + k) = toByte(s.doc.OptSel[static_cast<size_t>(kAlarmIndex + 3 * a + k)]);
    }

    s.doc.img(kMarkerAddr) = 0x5A;
    s.doc.img(kMarkerAddr + 1) = 0xAA;
    for (int addr = kFillStart; addr <= kFillEnd; ++addr)
        s.doc.img(addr) = 0xFF;
}

void decodeByte(OptionsContext s, const ByteOption& o)
{
    const uint8_t b = s.doc.img(o.address);
    s.doc.OptSel[static_cast<size_t>(o.index)] = (b > o.max) ? s.settings.OptDef[static_cast<size_t>(o.index)] : b;
}

void decode(OptionsContext s)
{
    requireBlock(s);
    for (const ByteOption& o : kByteOptions)
        decodeByte(s, o);

    // Show mode from its three-byte form (0x0E1F is not read).
    if (s.doc.img(kShowModeExtra + 2) == 0x01)
        s.doc.OptSel[kShowModeIndex] = 2;
    else if (s.doc.img(kShowModeExtra) == 0x64)
        s.doc.OptSel[kShowModeIndex] = 0;
    else
        s.doc.OptSel[kShowModeIndex] = 1;

    decodeByte(s, kKeyLocked);

    // Message codes unchecked: codes that are no character show as blanks.
    for (int i = 0; i < kMsgLength; ++i)
        s.doc.OptSel[static_cast<size_t>(kMsgIndex + i)] = s.doc.img(kMsgAddr + i);

    s.doc.OptSel[kAlarmToneIndex] = static_cast<int16_t>((s.doc.img(kAlarmToneAddr) & 0xE0) / 32);

    for (int a = 0; a < kAlarmCount; ++a) {
        const size_t i = static_cast<size_t>(kAlarmIndex + 3 * a);
        const uint8_t hour = s.doc.img(kAlarmAddr + 3 * a + 1);
        const uint8_t minute = s.doc.img(kAlarmAddr + 3 * a + 2);
        s.doc.OptSel[i] = s.doc.img(kAlarmAddr + 3 * a) & 1;
        s.doc.OptSel[i + 1] = (hour > 23) ? 0 : hour;
        s.doc.OptSel[i + 2] = (minute > 59) ? 0 : minute;
    }
}

int16_t readValue(const OptionsContext& s, int key)
{
    return toInt16(s.settings.profile.read(kSection, QString::number(key), QStringLiteral("0"), kOptValueBuf));
}

// Key "0": how many entries the file keeps. A count above 100 is not refused
// here; the loops below stop with "index out of range" at entry 101, so the
// entries 1..100 before it are still used.
int16_t readCount(const OptionsContext& s)
{
    return readValue(s, 0);
}

void checkOptIndex(int i)
{
    checkIndex(i, 1, kOptCount);
}

void copyDefaults(OptionsContext s, int n)
{
    for (int i = 1; i <= n; ++i) {
        checkOptIndex(i);
        s.doc.OptSel[static_cast<size_t>(i)] = s.settings.OptDef[static_cast<size_t>(i)];
    }
}

void defaults(OptionsContext s, int16_t mode)
{
    const int lang = normaliseLanguage(s.settings);
    const int n = readCount(s);
    if (mode == 0) {
        for (int i = 1; i <= n; ++i) {
            const int16_t v = readValue(s, optDefKey(lang, i));
            checkOptIndex(i);
            s.settings.OptDef[static_cast<size_t>(i)] = v;
        }
        for (int i = 1; i <= n; ++i) {
            const int16_t v = readValue(s, optSelKey(lang, i));
            checkOptIndex(i);
            s.doc.OptSel[static_cast<size_t>(i)] = v;
        }
    } else if (mode == 2) {
        copyDefaults(s, n);
        for (int i = 1; i <= n; ++i) {
            // A settings file that cannot be written is reported with its reason.
            s.settings.profile.writeOrThrow(kSection, QString::number(optSelKey(lang, i)),
                                            QString::number(s.doc.OptSel[static_cast<size_t>(i)]));
        }
    }
}

} // namespace

std::vector<int> optionAddresses(int optIndex)
{
    for (const ByteOption& o : kByteOptions) {
        if (o.index == optIndex)
            return {o.address};
    }
    if (optIndex == kKeyLocked.index)
        return {kKeyLocked.address};
    if (optIndex == kShowModeIndex)
        return {kShowModeAddr, kShowModeExtra, kShowModeExtra + 1, kShowModeExtra + 2};
    if (optIndex >= kMsgIndex && optIndex < kMsgIndex + kMsgLength) {
        std::vector<int> v;
        for (int i = 0; i < kMsgLength; ++i)
            v.push_back(kMsgAddr + i);
        return v;
    }
    if (optIndex == kAlarmToneIndex)
        return {kAlarmToneAddr};
    if (optIndex >= kAlarmIndex && optIndex < kAlarmIndex + 3 * kAlarmCount)
        return {kAlarmAddr + (optIndex - kAlarmIndex)};
    return {};
}

std::vector<int> optionFixedAddresses()
{
    std::vector<int> v = {kMarkerAddr, kMarkerAddr + 1};
    for (int addr = kFillStart; addr <= kFillEnd; ++addr)
        v.push_back(addr);
    return v;
}

bool OptSelToSave(OptionsContext s)
{
    return guarded(s.errors, QStringLiteral("modSysSet->OptSelToSave"), [&] { encode(s); });
}

bool SaveToOptSel(OptionsContext s)
{
    return guarded(s.errors, QStringLiteral("modSysSet->SaveToOptSel"), [&] { decode(s); });
}

void OptSelSaveSol(OptionsContext s, int16_t mode)
{
    guarded(s.errors, QStringLiteral("modSysSet->OptSelSaveSol"), [&] {
        if (mode == 0)
            OptSelToSave(s);
        else if (mode == 1)
            SaveToOptSel(s);
    });
}

void OptNowDefSol(OptionsContext s, int16_t mode)
{
    guarded(s.errors, QStringLiteral("modSysSet->OptNowDefSol"), [&] { defaults(s, mode); });
}

} // namespace qm
