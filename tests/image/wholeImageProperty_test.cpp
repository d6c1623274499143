// Random whole images through the program as a user drives it: open (decode
// channels, options and the options window), then save (encode). Whatever the
// bytes, nothing is lost that no codec owns, and a second open/save cycle
// writes exactly the same image as the first.
#include "support/DeliveredHome.h"
#include "shell/DocumentViews.h"
#include "shell/AppState.h"
#include "support/TestHome.h"

#include "channels/modChFre.h"
#include "channels/modChMem.h"
#include "image/modIicDat.h"
#include "shell/modStartup.h"

#include <gtest/gtest.h>

#include <random>

using namespace qm;

namespace {

// Bytes the channel and option encoders may rewrite for the delivered 100 channels.
std::vector<bool> ownedBytes()
{
    std::vector<bool> owned(0x2000, false);
    for (int n = 1; n <= 100; ++n) {
        for (int i = 0; i < 16; ++i)
            owned[static_cast<size_t>(chRecordAddr(n) + i)] = i != 13; // byte 13 is never touched
        std::fill_n(owned.begin() + chNameAddr(n), 4, true);
    }
    for (int a : {0x0E00, 0x0E08, 0x0E09, 0x0E0A, 0x0E0B, 0x0E0C, 0x0E0D, 0x0E0E, 0x0E0F, 0x0E10, 0x0E11, 0x0E13,
                  0x0E15, 0x0E17, 0x0E19, 0x0E1E, 0x0E1F, 0x0E20, 0x0E21, 0x0E22, 0x0E23, 0x0E2E, 0x0E2F, 0x0E4F,
                  0x0E73, 0x0E74, 0x0E75})
        owned[static_cast<size_t>(a)] = true;
    std::fill_n(owned.begin() + 0x0E24, 6, true);  // power-on message
    std::fill_n(owned.begin() + 0x0E40, 15, true); // five alarms
    std::fill_n(owned.begin() + 0x0650, 16, true); // filled with FF on every encode
    return owned;
}

} // namespace

TEST(WholeImageProperty, OpenSaveKeepsForeignBytesAndIsStable)
{
    qmtest::DeliveredHome home;
    QString why;
    ASSERT_TRUE(home.create(&why)) << why.toStdString();
    auto s = std::make_unique<AppState>();
    ASSERT_TRUE(qmtest::startTool(*s, home.path(), &why)) << why.toStdString();
    const std::vector<bool> owned = ownedBytes();

    std::mt19937 rng(570);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int iter = 0; iter < 2000; ++iter) {
        SCOPED_TRACE(iter);
        std::vector<uint8_t> img(0x2000);
        std::generate(img.begin(), img.end(), [&] { return static_cast<uint8_t>(byte(rng)); });
        s->doc.IicDat = img;
        SoftDisplay(*s);
        SetConvIicDat(*s);
        const std::vector<uint8_t> first = s->doc.IicDat;
        for (size_t a = 0; a < img.size(); ++a)
            if (!owned[a] && first[a] != img[a])
                FAIL() << "byte " << std::hex << a << " changed";
        // 0x0E4F keeps its low five bits (the alarm tone is the top three).
        EXPECT_EQ(first[0x0E4F] & 0x1F, img[0x0E4F] & 0x1F);

        SoftDisplay(*s);
        SetConvIicDat(*s);
        ASSERT_EQ(s->doc.IicDat, first);
    }
}
