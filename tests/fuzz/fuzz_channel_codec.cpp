// libFuzzer target: decode a fuzzed image into the channel table, show it,
// encode it back. Input: byte 0 and bit 0 of byte 1 choose the channel count
// (1..260), byte 1 the CtcDcsMax setting, the rest is the image (any length
// up to 8 KiB). Aborts when the encoder changes a byte it does not own, or
// when decode -> encode -> decode is not stable (for layouts without overlap).
#include "channels/modChFre.h"
#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "channels/modCtdcs.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace qm;

namespace {

AppState& state()
{
    static std::unique_ptr<AppState> s = [] {
        auto st = std::make_unique<AppState>();
        st->settings.Language = 3;
        st->errors.now = [] { return QStringLiteral("2026/1/1 0:00"); };
        GetValidCharTbl(*st);
        ChInfoInitFace(*st);
        GenCtdcsList(*st);
        const QStringList cols[] = {
            {},
            {"RxFre", "0", "44000000"},
            {"TxFre", "0", "44000000"},
            {"CtcssDcsDec", "0", "0"},
            {"CtcssDcsEnc", "0", "0"},
            {"Low|High", "2", "1", "Low", "High"},
            {"Narrow|Wide", "2", "1", "Narrow", "Wide"},
            {"Off|On", "2", "1", "Off", "On"},
            {"Off|Carrier|QT/DQT", "3", "0", "Off", "Carrier", "QT/DQT"},
            {"Off|On", "2", "0", "Off", "On"},
            {"Off|On", "2", "0", "Off", "On"},
            {"CHNAME", "0", "0"},
        };
        for (int c = 1; c <= 11; ++c)
            for (int k = 0; k < cols[c].size(); ++k)
                st->ColInfo[static_cast<size_t>(c)][static_cast<size_t>(k)] = cols[c][k];
        st->ChColNum = 11;
        return st;
    }();
    return *s;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    AppState& s = state();
    s.ChNum = static_cast<int16_t>(1 + (data[0] | ((data[1] & 1) << 8)) % 260);
    s.settings.CtcDcsMax = static_cast<int16_t>(data[1] * 300 / 255);
    s.IicDat.assign(data + 2, data + std::min<size_t>(size, 0x2000 + 2));
    s.ChData = {};
    for (auto& codes : s.ChNameCode)
        codes.fill(0xFF);
    s.errors.clear();
    SetChGrid(s);

    const std::vector<uint8_t> original = s.IicDat;
    ChInfoSaveSol(s, 1);
    ShowChTblGrid(s);
    const auto decoded = s.ChData;
    const auto names = s.ChNameCode;
    ChInfoSaveSol(s, 0);
    check(s.IicDat.size() == original.size());

    std::vector<bool> owned(original.size(), false);
    auto own = [&](long long a) {
        if (a >= 0 && a < static_cast<long long>(owned.size()))
            owned[static_cast<size_t>(a)] = true;
    };
    for (int n = 1; n <= s.ChNum; ++n) {
        for (int i = 0; i < 16; ++i)
            if (i != 13)
                own(chRecordAddr(n) + i);
        for (int i = 0; i < 4; ++i)
            own(chNameAddr(n) + i);
    }
    for (size_t a = 0; a < original.size(); ++a)
        check(owned[a] || s.IicDat[a] == original[a]);

    // Records and name areas overlap above 101 channels; below that, one
    // encode must give a fixed point.
    if (s.ChNum <= 100) {
        const auto encoded = s.IicDat;
        ChInfoSaveSol(s, 1);
        for (int n = 1; n <= s.ChNum; ++n) {
            for (int f = 1; f <= 11; ++f)
                check(s.ChData[n][f] == decoded[n][f]);
            check(s.ChNameCode[n] == names[n]);
        }
        ChInfoSaveSol(s, 0);
        check(s.IicDat == encoded);
    }
    return 0;
}
