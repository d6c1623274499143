// Random images through the channel codec: decoding reports only undecodable
// frequencies, decode -> encode -> decode is stable, and the encoder leaves
// every byte it does not own as it found it.
#include "ChannelTestSupport.h"

#include "channels/modChFre.h"
#include "channels/modChGrid.h"

#include <gtest/gtest.h>
#include <random>

using namespace qm;
using namespace qmtest;

namespace {

constexpr int kImages = 2000;

uint8_t bcd(int v) { return static_cast<uint8_t>((v / 10) * 16 + v % 10); }

bool hasHexDigit(const std::vector<uint8_t>& img, long long addr)
{
    for (int i = 0; i < 4; ++i) {
        const uint8_t b = img[static_cast<size_t>(addr + i)];
        if ((b >> 4) > 9 || (b & 0x0F) > 9)
            return true;
    }
    return false;
}

// Bytes the channel encoder may write for N channels.
std::vector<bool> ownedBytes(int channels, size_t size)
{
    std::vector<bool> owned(size, false);
    for (int n = 1; n <= channels; ++n) {
        for (int i = 0; i < 16; ++i)
            if (i != 13)
                owned[static_cast<size_t>(chRecordAddr(n) + i)] = true;
        for (int i = 0; i < 4; ++i)
            owned[static_cast<size_t>(chNameAddr(n) + i)] = true;
    }
    return owned;
}

// A random image: half the records are well formed channels, the rest noise.
std::vector<uint8_t> randomImage(std::mt19937& rng, const AppState& s)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<uint8_t> img(0x2000);
    for (auto& b : img)
        b = static_cast<uint8_t>(byte(rng));
    for (int n = 1; n <= 100; ++n) {
        if (byte(rng) & 1)
            continue;
        const auto rec = static_cast<size_t>(chRecordAddr(n));
        auto putFreq = [&](size_t at, int f) {
            for (int i = 0; i < 4; ++i, f /= 100)
                img[at + static_cast<size_t>(i)] = bcd(f % 100);
        };
        putFreq(rec, std::uniform_int_distribution<int>(40000000, 47000000)(rng));
        if (byte(rng) & 1)
            putFreq(rec + 4, std::uniform_int_distribution<int>(40000000, 47000000)(rng));
        else
            std::fill_n(img.begin() + static_cast<long>(rec) + 4, 4, uint8_t(0xFF));
        for (size_t at : {rec + 8, rec + 10}) {
            const QString code = s.CtdcsIicCode[static_cast<size_t>(std::uniform_int_distribution<int>(0, 260)(rng))];
            const uint32_t v = code.toUInt(nullptr, 16);
            img[at] = static_cast<uint8_t>(v & 0xFF);
            img[at + 1] = static_cast<uint8_t>(v >> 8);
        }
        auto nameCode = [&] { return static_cast<uint8_t>(byte(rng) < 200 ? byte(rng) % 41 : 255); };
        img[rec + 14] = nameCode();
        img[rec + 15] = nameCode();
        for (int i = 0; i < 4; ++i)
            img[static_cast<size_t>(chNameAddr(n) + i)] = nameCode();
    }
    return img;
}

} // namespace

TEST(ChannelCodecProperty, RandomImages)
{
    ChannelState cs;
    AppState& s = cs.s();
    const auto owned = ownedBytes(100, 0x2000);
    const QString rxLabel = QStringLiteral("modChMem->IcRxFreSol");
    const QString txLabel = QStringLiteral("modChMem->IcTxFreSol");
    std::mt19937 rng(20260);

    for (int iter = 0; iter < kImages; ++iter) {
        const auto original = randomImage(rng, s);
        s.IicDat = original;
        s.errors.clear();

        int badRx = 0, badTx = 0;
        for (int n = 1; n <= 100; ++n) {
            const long long rec = chRecordAddr(n);
            if (!freqPresentByte(original[static_cast<size_t>(rec + 3)]))
                continue;
            badRx += hasHexDigit(original, rec) ? 1 : 0;
            badTx += (freqPresentByte(original[static_cast<size_t>(rec + 7)]) && hasHexDigit(original, rec + 4)) ? 1 : 0;
        }

        ChInfoSaveSol(s, 1);
        ShowChTblGrid(s);
        ASSERT_EQ(reportCount(s), badRx + badTx) << "image " << iter;
        ASSERT_EQ(reportsAt(s, rxLabel, 13), badRx) << "image " << iter;
        ASSERT_EQ(reportsAt(s, txLabel, 13), badTx) << "image " << iter;
        for (int n = 1; n <= 100; ++n) {
            const auto& ch = s.ChData[n];
            ASSERT_TRUE(ch[1] == -1 || (ch[1] >= 1000000 && ch[1] <= 99999999)) << iter << " ch " << n;
            ASSERT_TRUE(ch[3] >= 0 && ch[3] <= 260 && ch[4] >= 0 && ch[4] <= 260);
            ASSERT_TRUE(ch[8] >= 0 && ch[8] <= 2);
        }
        const auto decoded = s.ChData;
        const auto names = s.ChNameCode;

        ChInfoSaveSol(s, 0);
        ASSERT_EQ(reportCount(s), badRx + badTx) << "encode reported, image " << iter;
        const auto encoded = s.IicDat;
        for (size_t a = 0; a < encoded.size(); ++a)
            ASSERT_TRUE(owned[a] || encoded[a] == original[a]) << "image " << iter << " byte " << std::hex << a;

        s.errors.clear();
        ChInfoSaveSol(s, 1);
        ASSERT_EQ(reportCount(s), 0) << "image " << iter;
        for (int n = 1; n <= 100; ++n) {
            for (int f = 1; f <= 11; ++f)
                ASSERT_EQ(s.ChData[n][f], decoded[n][f]) << "image " << iter << " ch " << n << " field " << f;
            ASSERT_EQ(s.ChNameCode[n], names[n]) << "image " << iter << " ch " << n;
        }
        ChInfoSaveSol(s, 0);
        ASSERT_EQ(s.IicDat, encoded) << "image " << iter;
    }
}

TEST(ChannelCodecProperty, WellFormedChannelsRoundTripByteForByte)
{
    // Records as the radio writes them (BCD frequencies, known signalling,
    // bit 6 clear, not both bits of field 8) come back byte for byte.
    ChannelState cs;
    AppState& s = cs.s();
    std::mt19937 rng(570);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int iter = 0; iter < 200; ++iter) {
        std::vector<uint8_t> img(0x2000);
        for (auto& b : img)
            b = static_cast<uint8_t>(byte(rng));
        for (int n = 1; n <= 100; ++n) {
            const auto rec = static_cast<size_t>(chRecordAddr(n));
            auto putFreq = [&](size_t at) {
                int f = std::uniform_int_distribution<int>(10000000, 99999999)(rng);
                for (int i = 0; i < 4; ++i, f /= 100)
                    img[at + static_cast<size_t>(i)] = bcd(f % 100);
            };
            putFreq(rec);
            if (byte(rng) & 1)
                putFreq(rec + 4);
            else
                std::fill_n(img.begin() + static_cast<long>(rec) + 4, 4, uint8_t(0xFF));
            for (size_t at : {rec + 8, rec + 10}) {
                const uint32_t v = s.CtdcsIicCode[static_cast<size_t>(byte(rng) % 261)].toUInt(nullptr, 16);
                img[at] = static_cast<uint8_t>(v & 0xFF);
                img[at + 1] = static_cast<uint8_t>(v >> 8);
            }
            uint8_t& b12 = img[rec + 12];
            b12 &= 0xBF;
            if ((b12 & 0x18) == 0x18)
                b12 &= 0xEF;
        }
        s.IicDat = img;
        ChInfoSaveSol(s, 1);
        ChInfoSaveSol(s, 0);
        ASSERT_EQ(s.IicDat, img) << "image " << iter;
        ASSERT_EQ(reportCount(s), 0);
    }
}
