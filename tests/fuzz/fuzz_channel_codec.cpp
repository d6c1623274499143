// libFuzzer target: decode a fuzzed image into the channel table, show it in
// the grid, encode it back.
//
// Input: byte 0 and bit 0 of byte 1 ask for a channel count (1..260); bit 1
// of byte 1 keeps the image as short as the input (else it is padded with
// FF to the radio's 8 KiB, as File > Open pads a short file); bits 2..7 of
// byte 1 choose the CtcDcsMax setting (0..300); the rest is the image from
// address 0. The table holds the channels asked for, but no more than the
// input's bytes reach (a record from 0x0010, a name from 0x0660): channels
// past them are erased ones, all alike, and would only slow the fuzzer.
//
// Aborts when the encoder changes a byte it does not own, when a padded
// image (which holds every channel) gives any error but an undecodable
// frequency, or when decode -> encode -> decode is not stable (for layouts
// without overlap). Inputs longer than 0x700 image bytes add no code, only
// channels like the ones before (scripts/fuzz.sh passes -max_len=1794).
#include "../support/ChInfoFixture.h"
#include "channels/modChFre.h"
#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "channels/modCtdcs.h"
#include "settings/CharTable.h"
#include "shell/AppState.h"

#include <cstdio>

using namespace qm;

namespace {

constexpr size_t kImageSize = 0x2000;

AppState& state()
{
    static std::unique_ptr<AppState> s = [] {
        auto st = std::make_unique<AppState>();
        st->settings.Language = 3;
        GetValidCharTbl(st->settings);
        ChInfoInitFace(*st);
        GenCtdcsList(*st);
        const auto cols = qmtest::chInfoColumns(); // the test grid definition
        for (size_t c = 1; c < cols.size(); ++c)
            std::copy(cols[c].begin(), cols[c].end(), st->settings.ColInfo[c].begin());
        st->settings.ChColNum = static_cast<int16_t>(cols.size() - 1);
        st->settings.ChNum = kMaxChannels;
        SetChGrid(*st);
        return st;
    }();
    return *s;
}

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_channel_codec: %s\n", what);
        __builtin_trap();
    }
}

// Channels whose record or name bytes start below `bytes`.
int channelsReached(size_t bytes)
{
    long long n = 0;
    for (int c = 1; c <= kMaxChannels; ++c)
        if (chRecordAddr(c) < static_cast<long long>(bytes) || chNameAddr(c) < static_cast<long long>(bytes))
            n = c;
    return static_cast<int>(std::max<long long>(n, 1));
}

bool onlyUndecodableFrequencies(const ErrorList& errors)
{
    for (const ErrorEntry& e : errors.entries())
        if (e.error.number != 13 ||
            (e.label != QLatin1String("modChMem->IcRxFreSol") && e.label != QLatin1String("modChMem->IcTxFreSol")))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    AppState& s = state();
    const size_t imageBytes = std::min(size - 2, kImageSize);
    const bool padded = !(data[1] & 2);
    const int asked = 1 + (data[0] | ((data[1] & 1) << 8)) % kMaxChannels;
    const int16_t channels = static_cast<int16_t>(std::min(asked, channelsReached(imageBytes)));
    s.settings.CtcDcsMax = static_cast<int16_t>((data[1] >> 2) * 300 / 63);
    s.doc.IicDat.assign(data + 2, data + 2 + imageBytes);
    if (padded)
        s.doc.IicDat.resize(kImageSize, 0xFF);
    s.doc.ChData = {};
    for (auto& codes : s.doc.ChNameCode)
        codes.fill(0xFF);
    // The grid is set up once for all 260 rows; the texts of rows 1..N are
    // written below.
    s.settings.ChNum = channels;
    s.errors.clear();

    // Buffers kept from input to input: a fresh allocation each time would
    // cost the sanitizers fresh pages.
    static std::vector<uint8_t> original, expected;
    original = s.doc.IicDat;
    ChInfoSaveSol(s, 1);
    ShowChTblGrid(s);
    if (padded)
        check(onlyUndecodableFrequencies(s.errors), "a whole image gave an error other than an undecodable frequency");
    const auto decoded = s.doc.ChData;
    const auto names = s.doc.ChNameCode;
    ChInfoSaveSol(s, 0);
    check(s.doc.IicDat.size() == original.size(), "the encoder changed the image's size");

    // The original with the bytes the encoder owns taken from its result
    // (byte 13 of a record is not ours) must be its result.
    expected = original;
    auto take = [&](long long from, long long count) {
        const long long end = std::min<long long>(from + count, static_cast<long long>(expected.size()));
        if (from < end)
            std::copy(s.doc.IicDat.begin() + from, s.doc.IicDat.begin() + end, expected.begin() + from);
    };
    for (int n = 1; n <= s.settings.ChNum; ++n) {
        take(chRecordAddr(n), 13);
        take(chRecordAddr(n) + 14, 2);
        take(chNameAddr(n), 4);
    }
    check(expected == s.doc.IicDat, "the encoder changed a byte it does not own");

    // Records and name areas overlap above 101 channels; below that, what
    // was encoded decodes to the same table (and so encodes to the same
    // bytes again: the encoder reads nothing else).
    if (s.settings.ChNum <= 100) {
        ChInfoSaveSol(s, 1);
        for (int n = 1; n <= s.settings.ChNum; ++n)
            check(std::equal(decoded[n].begin() + 1, decoded[n].begin() + 12, s.doc.ChData[n].begin() + 1) &&
                      s.doc.ChNameCode[n] == names[n],
                  "decode -> encode -> decode differs");
    }
    // What this input left in the error list and the grid goes, so that
    // every input frees what it allocated and the fuzzer's leak check has
    // nothing to look at.
    s.errors.clear();
    for (int n = 1; n <= s.settings.ChNum; ++n)
        for (int c = 1; c <= s.settings.ChColNum; ++c)
            s.grid.text[n][c].clear();
    return 0;
}
