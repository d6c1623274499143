#include "comm/modPorts.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace qm;

namespace {

struct SetProber : PortProber {
    std::set<int> present;
    std::vector<int> probed;
    bool probe(int port) override
    {
        probed.push_back(port);
        if (port == 7)
            throw QmError(75);
        return present.count(port) > 0;
    }
};

struct PortsFixture : ::testing::Test {
    QTemporaryDir dir;
    AppState s;
    void SetUp() override { s.profile.setPath(dir.filePath(QStringLiteral("Uninstall.exe"))); }
    QString comKey() const { return s.profile.read(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("absent"), 10); }
};

} // namespace

TEST_F(PortsFixture, MissingConfiguredPortIsReplacedByTheFirstUsableOne)
{
    s.settings.COM = 5;
    SetProber p;
    p.present = {1, 2};
    CheckStartupPort(s, p);
    EXPECT_EQ(s.comm.PortAvail[5], -1);
    EXPECT_EQ(s.settings.COM, 1);
    EXPECT_EQ(comKey(), QStringLiteral("1"));
    EXPECT_EQ(s.comm.PortAvail[1], 1);
    EXPECT_EQ(s.comm.PortAvail[2], 1);
    EXPECT_EQ(s.comm.PortAvail[7], -1); // a probe that throws marks the port unusable
    EXPECT_EQ(p.probed.back(), 16);
}

TEST_F(PortsFixture, UsableConfiguredPortIsKeptAndNothingWritten)
{
    s.settings.COM = 3;
    SetProber p;
    p.present = {1, 3};
    CheckStartupPort(s, p);
    EXPECT_EQ(s.settings.COM, 3);
    EXPECT_EQ(p.probed, std::vector<int>{3});
    EXPECT_EQ(comKey(), QStringLiteral("absent"));
}

TEST_F(PortsFixture, NoUsablePortChangesNothing)
{
    s.profile.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("4"));
    s.settings.COM = 4;
    SetProber p;
    CheckStartupPort(s, p);
    EXPECT_EQ(s.settings.COM, 4);
    EXPECT_EQ(comKey(), QStringLiteral("4"));
    for (int i = 1; i <= 16; ++i)
        EXPECT_EQ(s.comm.PortAvail[static_cast<size_t>(i)], -1);
}

TEST_F(PortsFixture, OutOfRangeNumberIsNeverProbedNorKept)
{
    s.settings.COM = 20;
    SetProber p;
    p.present = {16};
    CheckStartupPort(s, p);
    EXPECT_EQ(s.settings.COM, 16);
    EXPECT_EQ(*std::max_element(p.probed.begin(), p.probed.end()), 16);
}

TEST_F(PortsFixture, PortTableAndOverrides)
{
#ifndef Q_OS_WIN
    EXPECT_EQ(DefaultPortDevice(1), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(DefaultPortDevice(8), QStringLiteral("/dev/ttyUSB7"));
    EXPECT_EQ(DefaultPortDevice(9), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(DefaultPortDevice(12), QStringLiteral("/dev/ttyACM3"));
    EXPECT_EQ(DefaultPortDevice(13), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(DefaultPortDevice(16), QStringLiteral("/dev/ttyS3"));
#else
    EXPECT_EQ(DefaultPortDevice(3), QStringLiteral("COM3"));
#endif
    EXPECT_TRUE(DefaultPortDevice(0).isEmpty());
    EXPECT_TRUE(DefaultPortDevice(17).isEmpty());

    s.profile.write(QStringLiteral("Setting"), QStringLiteral("Port3"), QStringLiteral("/dev/pts/9"));
    EXPECT_EQ(PortDevicePath(s, 3), QStringLiteral("/dev/pts/9"));
    EXPECT_EQ(PortDevicePath(s, 4), DefaultPortDevice(4));
    EXPECT_TRUE(PortDevicePath(s, 17).isEmpty());
}

TEST_F(PortsFixture, SystemProberRefusesMissingDevices)
{
    for (int n = 1; n <= 16; ++n)
        s.profile.write(QStringLiteral("Setting"), QStringLiteral("Port%1").arg(n), dir.filePath(QStringLiteral("missing%1").arg(n)));
    auto prober = makeSystemPortProber(s);
    EXPECT_FALSE(prober->probe(1));
    s.settings.COM = 2;
    CheckStartupPort(s, *prober);
    EXPECT_EQ(s.settings.COM, 2);
}
