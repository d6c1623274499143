// libFuzzer target: decode a fuzzed image into the channel table, show it,
// encode it back. Input: byte 0 and bit 0 of byte 1 choose the channel count
// (1..260), byte 1 the CtcDcsMax setting, the rest is the image (any length
// up to 8 KiB). Aborts when the encoder changes a byte it does not own, or
// when decode -> encode -> decode is not stable (for layouts without overlap).
#include "../support/ChInfoFixture.h"
#include "shell/AppState.h"
#include "settings/CharTable.h"
#include "channels/modChFre.h"
#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "channels/modCtdcs.h"

#include <cstdlib>

using namespace qm;

namespace {

AppState& state()
{
    static std::unique_ptr<AppState> s = [] {
        auto st = std::make_unique<AppState>();
        st->settings.Language = 3;
        st->errors.timeText = [](const QDateTime&) { return QStringLiteral("2026/1/1 0:00"); };
        GetValidCharTbl((*st).settings);
        ChInfoInitFace(*st);
        GenCtdcsList(*st);
        const auto cols = qmtest::chInfoColumns(); // the test grid definition
        for (size_t c = 1; c < cols.size(); ++c)
            std::copy(cols[c].begin(), cols[c].end(), st->settings.ColInfo[c].begin());
        st->settings.ChColNum = static_cast<int16_t>(cols.size() - 1);
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
    s.settings.ChNum = static_cast<int16_t>(1 + (data[0] | ((data[1] & 1) << 8)) % 260);
    s.settings.CtcDcsMax = static_cast<int16_t>(data[1] * 300 / 255);
    s.doc.IicDat.assign(data + 2, data + std::min<size_t>(size, 0x2000 + 2));
    s.doc.ChData = {};
    for (auto& codes : s.doc.ChNameCode)
        codes.fill(0xFF);
    s.errors.clear();
    SetChGrid(s);

    const std::vector<uint8_t> original = s.doc.IicDat;
    ChInfoSaveSol(s, 1);
    ShowChTblGrid(s);
    const auto decoded = s.doc.ChData;
    const auto names = s.doc.ChNameCode;
    ChInfoSaveSol(s, 0);
    check(s.doc.IicDat.size() == original.size());

    std::vector<bool> owned(std::max<size_t>(original.size(), 0x2000), false); // byte 13 is not ours
    for (int n = 1; n <= s.settings.ChNum; ++n) {
        std::fill_n(owned.begin() + chRecordAddr(n), 13, true);
        std::fill_n(owned.begin() + chRecordAddr(n) + 14, 2, true);
        std::fill_n(owned.begin() + chNameAddr(n), 4, true);
    }
    for (size_t a = 0; a < original.size(); ++a)
        check(owned[a] || s.doc.IicDat[a] == original[a]);

    // Records and name areas overlap above 101 channels; below that, one
    // encode must give a fixed point.
    if (s.settings.ChNum <= 100) {
        const auto encoded = s.doc.IicDat;
        ChInfoSaveSol(s, 1);
        for (int n = 1; n <= s.settings.ChNum; ++n)
            check(std::equal(decoded[n].begin() + 1, decoded[n].begin() + 12, s.doc.ChData[n].begin() + 1) &&
                  s.doc.ChNameCode[n] == names[n]);
        ChInfoSaveSol(s, 0);
        check(s.doc.IicDat == encoded);
    }
    return 0;
}
