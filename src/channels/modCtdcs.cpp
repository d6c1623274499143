#include "channels/modCtdcs.h"

#include "channels/modChFre.h"
#include "settings/VbConv.h"

#include <algorithm>

namespace qm {

namespace {

// CTCSS tones in tenths of a hertz, in the radio's order.
constexpr std::array<int, 50> kTones = {
    670,  693,  719,  744,  770,  797,  825,  854,  885,  915,  948,  974,  1000, 1035, 1072, 1109, 1148,
    1188, 1230, 1273, 1318, 1365, 1413, 1462, 1514, 1567, 1598, 1622, 1655, 1679, 1713, 1738, 1773, 1799,
    1835, 1862, 1899, 1928, 1966, 1995, 2035, 2065, 2107, 2181, 2257, 2291, 2336, 2418, 2503, 2541};

// DCS codes (three octal digits), in the radio's order.
constexpr std::array<const char*, 105> kDcs = {
    "023", "025", "026", "031", "032", "036", "043", "047", "051", "053", "054", "065", "071", "072", "073",
    "074", "114", "115", "116", "122", "125", "131", "132", "134", "143", "145", "152", "155", "156", "162",
    "165", "172", "174", "205", "212", "223", "225", "226", "243", "244", "245", "246", "251", "252", "255",
    "261", "263", "265", "266", "271", "274", "306", "311", "315", "325", "331", "332", "343", "346", "351",
    "356", "364", "365", "371", "411", "412", "413", "423", "431", "432", "445", "446", "452", "454", "455",
    "462", "464", "465", "466", "503", "506", "516", "523", "526", "532", "546", "565", "606", "612", "624",
    "627", "631", "632", "645", "654", "662", "664", "703", "712", "723", "731", "732", "734", "743", "754"};

// CtdcsName / CtdcsIicCode entry i, error 9 outside 0..300.
const QString& entry(const std::array<QString, kCtdcsSlots>& table, long long i)
{
    checkIndex(i, 0, kCtdcsSlots - 1);
    return table[static_cast<size_t>(i)];
}

// The 16-bit value (high byte first) of a code of four upper-case
// hexadecimal digits, the only codes FormatByteDat texts can equal; -1 for
// any other code.
int codeValue(const QString& code)
{
    if (code.size() != 4)
        return -1;
    int v = 0;
    for (QChar c : code) {
        const char16_t u = c.unicode();
        const int d = (u >= '0' && u <= '9') ? u - '0' : (u >= 'A' && u <= 'F') ? u - 'A' + 10 : -1;
        if (d < 0)
            return -1;
        v = v << 4 | d;
    }
    return v;
}

void decode(ChannelContext s, int n, int offset, int field, const CtdcsLookup* lookup)
{
    checkChannel(n);
    const long long addr = chRecordAddr(n) + offset;
    const uint8_t lo = s.doc.img(addr);
    const uint8_t hi = s.doc.img(addr + 1);
    if (lo == 0xFF || hi == 0xFF)
        s.doc.ChData[n][field] = 0;
    else
        s.doc.ChData[n][field] = lookup ? lookup->indexOf(lo, hi) : CtdcsLookup(s.settings).indexOf(lo, hi);
}

void encode(ChannelContext s, int n, int offset, int field)
{
    checkChannel(n);
    const long long addr = chRecordAddr(n) + offset;
    s.doc.img(addr);
    s.doc.img(addr + 1);
    const int32_t v = s.doc.ChData[n][field];
    if (v == -1) {
        s.doc.img(addr + 1) = 0xFF;
        s.doc.img(addr) = 0xFF;
        return;
    }
    const QString& code = entry(s.settings.CtdcsIicCode, v);
    // An index without a code (261..300, or a table that was never built)
    // would store whatever the byte buffer last held: refuse instead.
    if (code.size() != 4)
        throw QmError(380);
    std::array<uint8_t, 4> bytes{};
    const int d0 = hexDigitValue(code[0]), d1 = hexDigitValue(code[1]), d2 = hexDigitValue(code[2]), d3 = hexDigitValue(code[3]);
    if (d0 >= 0 && d1 >= 0 && d2 >= 0 && d3 >= 0) {
        // Four hexadecimal digits, as the table holds them: what
        // SeparateFreChar makes of them, without the texts.
        bytes[0] = static_cast<uint8_t>(d0 << 4 | d1);
        bytes[1] = static_cast<uint8_t>(d2 << 4 | d3);
    } else {
        SeparateFreChar(s.errors, code, bytes);
    }
    s.doc.img(addr + 1) = bytes[0];
    s.doc.img(addr) = bytes[1];
}

} // namespace

CtdcsLookup::CtdcsLookup(const Settings& settings)
{
    // A counting sort by high byte: no comparisons of codes, which matters
    // as every decode of a channel table makes one.
    const int last = std::min<int>(settings.CtcDcsMax, kCtdcsSlots - 1);
    // The code texts read last time on this thread and their values. A copy
    // shares the text's storage and keeps it alive, so a text at the same
    // address is the same text (a change to a shared text goes to new
    // storage): only new texts are read again.
    struct Parsed {
        std::array<QString, kCtdcsSlots> texts;
        std::array<int, kCtdcsSlots> values;
        Parsed() { values.fill(-1); }
    };
    thread_local Parsed parsed;
    std::array<int, kCtdcsSlots>& values = parsed.values;
    int count = 0;
    for (int i = 0; i <= last; ++i) {
        const QString& code = settings.CtdcsIicCode[static_cast<size_t>(i)];
        QString& seen = parsed.texts[static_cast<size_t>(i)];
        if (seen.constData() != code.constData() || seen.size() != code.size()) {
            seen = code;
            values[static_cast<size_t>(i)] = codeValue(code);
        }
        if (values[static_cast<size_t>(i)] >= 0) {
            ++first_[static_cast<size_t>(values[static_cast<size_t>(i)] >> 8) + 1];
            ++count;
        }
    }
    for (size_t h = 1; h < first_.size(); ++h)
        first_[h] = static_cast<uint16_t>(first_[h] + first_[h - 1]);
    entries_.resize(static_cast<size_t>(count));
    std::array<uint16_t, 256> next{};
    std::copy_n(first_.begin(), 256, next.begin());
    for (int i = 0; i <= last; ++i) {
        const int v = values[static_cast<size_t>(i)];
        if (v >= 0)
            entries_[next[static_cast<size_t>(v >> 8)]++] = {static_cast<uint8_t>(v & 0xFF), static_cast<int16_t>(i)};
    }
}

int CtdcsLookup::indexOf(uint8_t lo, uint8_t hi) const
{
    // The first index with this code: groups keep the index order.
    for (int k = first_[hi]; k < first_[hi + 1]; ++k)
        if (entries_[static_cast<size_t>(k)].first == lo)
            return entries_[static_cast<size_t>(k)].second;
    return 0;
}

CtdcsArrays GetCtdcsArray()
{
    CtdcsArrays a;
    for (size_t i = 0; i < kTones.size(); ++i)
        a.tones[i] = QStringLiteral("%1.%2").arg(kTones[i] / 10).arg(kTones[i] % 10);
    for (size_t i = 0; i < kDcs.size(); ++i) {
        a.dcsNormal[i] = QStringLiteral("D%1N").arg(QLatin1String(kDcs[i]));
        a.dcsInverted[i] = QStringLiteral("D%1I").arg(QLatin1String(kDcs[i]));
    }
    return a;
}

CtdcsArrays GetCtdcsIIcDat()
{
    CtdcsArrays a;
    for (size_t i = 0; i < kTones.size(); ++i)
        a.tones[i] = QStringLiteral("%1").arg(kTones[i], 4, 16, QLatin1Char('0')).toUpper();
    for (size_t i = 0; i < kDcs.size(); ++i) {
        a.dcsNormal[i] = QLatin1Char('2') + QLatin1String(kDcs[i]);
        a.dcsInverted[i] = QLatin1Char('A') + QLatin1String(kDcs[i]);
    }
    return a;
}

void GenCtdcsList(ChannelContext s)
{
    guarded(s.errors, QStringLiteral("modCtdcs->GenCtdcsList"), [&] {
        QString none;
        switch (normaliseLanguage(s.settings)) {
        case 1: none = QStringLiteral("无"); break;
        case 2: none = QStringLiteral("無"); break;
        default: none = QStringLiteral("None"); break;
        }
        s.settings.CtdcsName.fill(QString());
        s.settings.CtdcsIicCode.fill(QString());

        QStringList items;
        items.reserve(kCtdcsCount);
        items << none;
        s.settings.CtdcsName[0] = none;
        const CtdcsArrays names = GetCtdcsArray();
        for (size_t i = 0; i < names.tones.size(); ++i) {
            s.settings.CtdcsName[i + 1] = names.tones[i];
            items << names.tones[i];
        }
        for (size_t i = 0; i < names.dcsNormal.size(); ++i) {
            s.settings.CtdcsName[i + 51] = names.dcsNormal[i];
            items << names.dcsNormal[i];
        }
        for (size_t i = 0; i < names.dcsInverted.size(); ++i) {
            s.settings.CtdcsName[i + 156] = names.dcsInverted[i];
            items << names.dcsInverted[i];
        }
        s.settings.CtdcsList = items.join(QLatin1Char('|'));

        const CtdcsArrays codes = GetCtdcsIIcDat();
        s.settings.CtdcsIicCode[0] = QStringLiteral("FFFF");
        for (size_t i = 0; i < codes.tones.size(); ++i)
            s.settings.CtdcsIicCode[i + 1] = codes.tones[i];
        for (size_t i = 0; i < codes.dcsNormal.size(); ++i)
            s.settings.CtdcsIicCode[i + 51] = codes.dcsNormal[i];
        for (size_t i = 0; i < codes.dcsInverted.size(); ++i)
            s.settings.CtdcsIicCode[i + 156] = codes.dcsInverted[i];
    });
}

int QtDqtIndex(ChannelContext s, const QString& lowByte, const QString& highByte)
{
    int result = 0;
    guarded(s.errors, QStringLiteral("modCtdcs->QtDqtIndex"), [&] {
        const QString lo = lowByte.size() == 1 ? QLatin1Char('0') + lowByte : lowByte;
        const QString hi = highByte.size() == 1 ? QLatin1Char('0') + highByte : highByte;
        const QString key = hi + lo;
        // The setting CtcDcsMax limits how far the search looks (50 = tones
        // only); the table ends at 300 whatever the setting says.
        const int last = std::min<int>(s.settings.CtcDcsMax, kCtdcsSlots - 1);
        for (int i = 0; i <= last; ++i) {
            if (entry(s.settings.CtdcsIicCode, i) == key) {
                result = i;
                return;
            }
        }
    });
    return result;
}

void IcCtdcsDecSol(ChannelContext s, int n, const CtdcsLookup* lookup)
{
    guarded(s.errors, QStringLiteral("modChMem->IcCtdcsDecSol"), [&] { decode(s, n, 8, 3, lookup); });
}

void IcCtdcsEncSol(ChannelContext s, int n, const CtdcsLookup* lookup)
{
    guarded(s.errors, QStringLiteral("modChMem->IcCtdcsEncSol"), [&] { decode(s, n, 10, 4, lookup); });
}

void CiCtdcsDecSol(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CiCtdcsDecSol"), [&] { encode(s, n, 8, 3); });
}

void CiCtdcsEncSol(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CiCtdcsEncSol"), [&] { encode(s, n, 10, 4); });
}

void CtdcsDecShow(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CtdcsDecShow"), [&] {
        checkChannel(n);
        s.grid.text[n][3] = entry(s.settings.CtdcsName, s.doc.ChData[n][3]);
    });
}

void CtdcsEncShow(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->CtdcsEncShow"), [&] {
        checkChannel(n);
        s.grid.text[n][4] = (s.doc.ChData[n][2] == -1) ? QString() : entry(s.settings.CtdcsName, s.doc.ChData[n][4]);
    });
}

} // namespace qm
