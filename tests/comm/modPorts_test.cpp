#include "comm/modPorts.h"
#include "shell/AppState.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace qm;

namespace {

// Ports in `present` can be opened; probing port 7 throws.
struct SetProber : PortProber {
    std::set<int> present;
    std::vector<int> probed;
    bool probe(int port) override
    {
        probed.push_back(port);
        return port == 7 ? throw QmError(75) : present.count(port) > 0;
    }
};

} // namespace

TEST(CheckStartupPort, KeepsAUsablePortElseTakesTheFirstUsable)
{
    // key: the key COM afterwards
    const struct { const char* name; int com; std::set<int> present; int chosen; const char* key; size_t probes; } cases[] = {
        {"configured port missing", 5, {2, 7, 9}, 2, "2", 17},
        {"configured port usable", 3, {1, 3}, 3, "absent", 1},
        {"no usable port", 4, {}, 4, "absent", 17},
        {"number out of range is never probed", 20, {16}, 16, "16", 16},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        QTemporaryDir dir;
        AppState s;
        s.settings.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
        s.settings.COM = static_cast<int16_t>(k.com);
        SetProber p;
        p.present = k.present;
        CheckStartupPort(s, p);
        EXPECT_EQ(s.settings.COM, k.chosen);
        EXPECT_EQ(s.settings.profile.read(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("absent"), 10), k.key);
        EXPECT_EQ(p.probed.size(), k.probes);
        for (int n = 1; n <= 16 && k.probes > 1; ++n) // all probed: present ones usable, a probe that throws not
            EXPECT_EQ(s.xfer.PortAvail[static_cast<size_t>(n)], k.present.count(n) && n != 7 ? 1 : -1) << n;
    }
}

TEST(PortDevicePath, TableAndOverrides)
{
#ifndef Q_OS_WIN
    for (auto [n, dev] : {std::pair{1, "/dev/ttyUSB0"}, {8, "/dev/ttyUSB7"}, {9, "/dev/ttyACM0"}, {13, "/dev/ttyS0"}, {16, "/dev/ttyS3"}})
        EXPECT_EQ(DefaultPortDevice(n), QString::fromLatin1(dev));
#else
    EXPECT_EQ(DefaultPortDevice(3), QStringLiteral("COM3"));
#endif
    EXPECT_TRUE(DefaultPortDevice(0).isEmpty());
    EXPECT_TRUE(DefaultPortDevice(17).isEmpty());

    QTemporaryDir dir;
    AppState s;
    s.settings.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe")));
    s.settings.profile.write(QStringLiteral("Setting"), QStringLiteral("Port3"), dir.filePath(QStringLiteral("missing")));
    EXPECT_EQ(PortDevicePath((s).settings, 3), dir.filePath(QStringLiteral("missing")));
    EXPECT_EQ(PortDevicePath((s).settings, 4), DefaultPortDevice(4));
    EXPECT_TRUE(PortDevicePath((s).settings, 17).isEmpty());
    EXPECT_FALSE(makeSystemPortProber((s).settings)->probe(3)); // the system prober opens the overridden device
}
