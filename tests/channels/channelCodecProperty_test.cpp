// Random images through the channel codec: decoding reports only undecodable
// frequencies, decode -> encode -> decode is stable, records as the radio
// writes them come back byte for byte, and the encoder leaves every byte it
// does not own as it found it.
#include "ChannelTestSupport.h"
#include "shell/AppState.h"

#include "channels/modChGrid.h"

#include <random>

using namespace qm;
using namespace qmtest;

TEST(ChannelCodecProperty, RandomImages)
{
    ChannelState cs;
    AppState& s = cs.s();
    std::mt19937 rng(20260);
    std::uniform_int_distribution<int> byte(0, 255), freq(10000000, 99999999);
    std::vector<bool> owned(0x2000, false); // bytes the encoder may write for 100 channels
    for (int n = 1; n <= 100; ++n) {
        for (int i = 0; i < 16; ++i)
            owned[static_cast<size_t>(chRecordAddr(n) + i)] = i != 13;
        std::fill_n(owned.begin() + chNameAddr(n), 4, true);
    }
    auto hasHexDigit = [](Bytes::const_iterator p) {
        return std::any_of(p, p + 4, [](uint8_t b) { return (b >> 4) > 9 || (b & 0x0F) > 9; });
    };

    for (int iter = 0; iter < 3000; ++iter) {
        SCOPED_TRACE(iter);
        // Random bytes; about half the records then made well formed: BCD
        // frequencies, known signalling, bit 6 clear, not both bits of field 8.
        Bytes img(0x2000);
        std::generate(img.begin(), img.end(), [&] { return static_cast<uint8_t>(byte(rng)); });
        std::vector<bool> wellFormed(101, false);
        int badRx = 0, badTx = 0;
        for (int n = 1; n <= 100; ++n) {
            const auto rec = img.begin() + chRecordAddr(n);
            if ((wellFormed[n] = byte(rng) & 1)) {
                for (int at : {0, 4})
                    for (int f = freq(rng), i = 0; i < 4; ++i, f /= 100)
                        rec[at + i] = static_cast<uint8_t>((f % 100 / 10) * 16 + f % 10);
                if (byte(rng) & 1)
                    std::fill_n(rec + 4, 4, uint8_t(0xFF));
                for (int at : {8, 10}) {
                    const uint v = s.settings.CtdcsIicCode[static_cast<size_t>(byte(rng) % 261)].toUInt(nullptr, 16);
                    rec[at] = static_cast<uint8_t>(v & 0xFF);
                    rec[at + 1] = static_cast<uint8_t>(v >> 8);
                }
                rec[12] &= (rec[12] & 0x18) == 0x18 ? 0xAF : 0xBF;
            } else if (freqPresentByte(rec[3])) {
                badRx += hasHexDigit(rec);
                badTx += freqPresentByte(rec[7]) && hasHexDigit(rec + 4);
            }
        }

        s.doc.IicDat = img;
        s.errors.clear();
        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        ASSERT_EQ(reportsAt(s, QStringLiteral("modChMem->IcRxFreSol"), 13), badRx);
        ASSERT_EQ(reportsAt(s, QStringLiteral("modChMem->IcTxFreSol"), 13), badTx);
        ASSERT_EQ(reportCount(s), badRx + badTx);
        for (int n = 1; n <= 100; ++n) {
            const auto& ch = s.doc.ChData[n];
            ASSERT_TRUE(ch[1] == -1 || (ch[1] >= 1000000 && ch[1] <= 99999999)) << "ch " << n;
            ASSERT_TRUE(ch[3] >= 0 && ch[3] <= 260 && ch[4] >= 0 && ch[4] <= 260 && ch[8] >= 0 && ch[8] <= 2);
        }
        const auto decoded = s.doc.ChData;
        const auto names = s.doc.ChNameCode;

        ChInfoSaveSol(s, 0);
        ASSERT_EQ(reportCount(s), badRx + badTx) << "the encode reported";
        const Bytes encoded = s.doc.IicDat;
        for (size_t a = 0; a < encoded.size(); ++a)
            ASSERT_TRUE(owned[a] || encoded[a] == img[a]) << "byte " << std::hex << a;
        for (int n = 1; n <= 100; ++n) {
            const auto rec = chRecordAddr(n);
            ASSERT_TRUE(!wellFormed[n] || std::equal(img.begin() + rec, img.begin() + rec + 16, encoded.begin() + rec)) << n;
        }

        s.errors.clear();
        ChInfoSaveSol(s, 1);
        ASSERT_EQ(reportCount(s), 0);
        for (int n = 1; n <= 100; ++n) {
            ASSERT_TRUE(std::equal(s.doc.ChData[n].begin() + 1, s.doc.ChData[n].begin() + 12, decoded[n].begin() + 1)) << "ch " << n;
            ASSERT_EQ(s.doc.ChNameCode[n], names[n]) << "ch " << n;
        }
        ChInfoSaveSol(s, 0);
        ASSERT_EQ(s.doc.IicDat, encoded);
    }
}
