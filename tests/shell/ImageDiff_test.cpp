// The comparison behind the write preview and qm570-cli diff, on images made
// by hand from the delivered template: each case changes a few bytes and
// names the lines the user is shown.
#include "shell/ImageDiff.h"

#include "shell/AppState.h"
#include "support/DeliveredHome.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qm;
using namespace qmtest;

namespace {

using Image = std::vector<uint8_t>;

// Channel n's record (16 bytes from 0x10) as bytes.
void setRecord(Image& b, int n, std::initializer_list<uint8_t> bytes)
{
    size_t a = 0x10 + static_cast<size_t>(n - 1) * 16;
    for (uint8_t v : bytes)
        b[a++] = v;
}

using ImageDiff = DeliveredProgramTest;

} // namespace

TEST_F(ImageDiff, ChangesAreToldByTheViewsAndRawBytesByAddress)
{
    const QByteArray t = deliveredTemplate();
    const Image base(t.begin(), t.end());
    ASSERT_EQ(base.size(), 8192u);

    const struct {
        const char* name;
        std::function<void(Image&)> change;
        QStringList lines;
    } cases[] = {
        {"nothing", [](Image&) {}, {}},
        // 462.575 MHz: BCD 46 25 75 00, least significant byte first.
        {"one cell", [](Image& b) { setRecord(b, 5, {0x00, 0x75, 0x25, 0x46}); },
         {"CH 5: RX Freq 462.5625 \u2192 462.575"}},
        {"channel added",
         [](Image& b) {
             setRecord(b, 9, {0x00, 0x00, 0x00, 0x44, 0x00, 0x00, 0x00, 0x44, 0xFF, 0xFF, 0xFF, 0xFF, 0x24, 0xFF, 0x0A, 0x0B});
         },
         {"CH 9 added: RX Freq 440, TX Freq 440, Decode QT/DQT None, Encode QT/DQT None, Power High, Bandwidth "
          "Narrow, Scan Add Yes, Busy Lock Off, Scramble Off, Compander Off, CH Name AB"}},
        {"channel removed", [](Image& b) { b[0x10 + 7 * 16 + 3] = 0xFF; },
         {"CH 8 removed: RX Freq 467.625, TX Freq 467.625, Decode QT/DQT 100.0, Encode QT/DQT 100.0, Power Low, "
          "Bandwidth Narrow, Scan Add Yes, Busy Lock QT-DQT, Scramble Off, Compander On, CH Name WORK"}},
        {"VFO row", [](Image& b) { b[0x640 + 4 + 3] = 0xFF; },          // Without a transmit frequency the grid shows no encode signalling.
         {"CH VFO: TX Freq 435 \u2192 (none)", "CH VFO: Encode QT/DQT None \u2192 (none)"}},
        {"options",
         [](Image& b) {
             b[0x0E00] = 5;     // step
             b[0x0E20] ^= 1;    // power-on tone
             b[0x0E44] = 7;     // alarm 2 hour
             b[0x0E24] = 10;    // message "A..."
             b[0x0E75] = 1;     // show mode 2 (0x0E75 is the byte the radio reads)
         },
         {"Step: 12.5K \u2192 20K", "Power On Tone: on \u2192 off", "Show Mode: Channel Freq Mode \u2192 Channel Mode",
          "Power On Message: \"QM570 \" \u2192 \"AM570 \"", "Enable Alarm2: Hour: 8 \u2192 7"}},
        {"raw bytes, split after 16",
         [](Image& b) {
             b[0x1F05] = 0xA5;
             for (int i = 0; i < 20; ++i)
                 b[0x1F20 + static_cast<size_t>(i)] = static_cast<uint8_t>(i);
         },
         {"1F05: FF \u2192 A5",
          "1F20-1F2F: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF \u2192 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
          "1F30-1F33: FF FF FF FF \u2192 10 11 12 13"}},
        {"date stamp",
         [](Image& b) {
             b[0x0E70] = 0x1A, b[0x0E71] = 0x0C, b[0x0E72] = 0x06, b[0x0E78] = 0x23;
         },
         {"0E70-0E72 write-date stamp: FF FF FF \u2192 1A 0C 06", "0E78 write-date stamp: FF \u2192 23"}},
        // Bytes a codec owns without a visible effect are listed, named by
        // their owner; record byte 13 is no codec's.
        {"owned bytes without a visible change",
         [](Image& b) {
             b[0x1C] ^= 0x40; // channel 1, byte 12 bit 6 (never shown)
             b[0x1D] ^= 0x01; // channel 1, byte 13
             b[0x0E4F] ^= 0x01; // the radio's low bits beside the alarm tone
             b[0x0E2E] = 0x00;  // marker
             b[0x10 + 20 * 16] = 0x12; // an empty channel's frequency bytes
         },
         {"001C CH 1 (no visible change): 04 \u2192 44", "001D: FF \u2192 FE",
          "0150 CH 21 (no visible change): FF \u2192 12", "0E2E fixed bytes of the options: 5A \u2192 00",
          "0E4F Clock Alarm Tone (no visible change): 1F \u2192 1E"}},
        // A change that shows accounts for all of its owner's bytes.
        {"a shown change covers its bytes",
         [](Image& b) {
             setRecord(b, 5, {0x00, 0x75, 0x25, 0x46});
             b[0x10 + 4 * 16 + 12] ^= 0x40;
             b[0x0E73] = 0x64; // show mode 0 ...
             b[0x0E1F] = 0x33; // ... and the byte nobody reads
         },
         {"CH 5: RX Freq 462.5625 \u2192 462.575", "Show Mode: Channel Freq Mode \u2192 Freq Mode"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image after = base;
        c.change(after);
        const ImageChanges changes = diffImages(base, after, s->settings);
        EXPECT_EQ(changeLines(changes, s->settings), c.lines);
        EXPECT_EQ(changes.empty(), c.lines.isEmpty());
        int differing = 0;
        for (size_t a = 0; a < base.size(); ++a)
            differing += base[a] != after[a];
        EXPECT_EQ(changes.differingBytes, differing);
        // Turned around, every addition is a removal and every arrow points back.
        const ImageChanges back = diffImages(after, base, s->settings);
        EXPECT_EQ(back.channels.size(), changes.channels.size());
        EXPECT_EQ(back.options.size(), changes.options.size());
        EXPECT_EQ(back.bytes.size(), changes.bytes.size());
    }

    Image other = base;
    other[0x1F05] = 0;
    other[0x0E00] = 5;
    EXPECT_EQ(changeSummary(diffImages(base, base, s->settings), s->settings),
              QStringLiteral("Nothing differs: the radio keeps what it holds."));
    EXPECT_EQ(changeSummary(diffImages(base, other, s->settings), s->settings),
              QStringLiteral("0 channels, 1 option and 1 byte range change (2 bytes differ)."));
    EXPECT_THROW(diffImages(base, Image(100, 0xFF), s->settings), QmError);
}
