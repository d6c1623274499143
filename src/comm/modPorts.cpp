#include "comm/modPorts.h"

#include "comm/SerialLink.h"

namespace qm {

QString DefaultPortDevice(int port)
{
    if (port < 1 || port > kPortCount)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    if (port <= 8)
        return QStringLiteral("/dev/ttyUSB%1").arg(port - 1);
    if (port <= 12)
        return QStringLiteral("/dev/ttyACM%1").arg(port - 9);
    return QStringLiteral("/dev/ttyS%1").arg(port - 13);
#endif
}

QString PortDevicePath(const Settings& s, int port)
{
    if (port < 1 || port > kPortCount)
        return {};
    const QString over = s.profile.read(QStringLiteral("Setting"), QStringLiteral("Port%1").arg(port), QString(), 260);
    return over.isEmpty() ? DefaultPortDevice(port) : over;
}

void VerdictCom(CommContext s, PortProber& prober, int port)
{
    if (port < 1 || port > kPortCount)
        return;
    auto& avail = s.xfer.PortAvail[static_cast<size_t>(port)];
    avail = 1;
    bool ok = false;
    try {
        ok = prober.probe(port);
    } catch (...) {
        ok = false;
    }
    if (!ok)
        avail = -1;
}

void EnableCOM(CommContext s, PortProber& prober)
{
    for (int port = 1; port <= kPortCount; ++port)
        VerdictCom(s, prober, port);
}

void AutoSetPort(CommContext s, PortProber& prober)
{
    EnableCOM(s, prober);
    for (int port = 1; port <= kPortCount; ++port) {
        if (s.xfer.PortAvail[static_cast<size_t>(port)] == 1) {
            s.settings.COM = static_cast<int16_t>(port);
            // The choice holds for this run even when it cannot be stored.
            guarded(s.errors, QStringLiteral("mdifrmMain->AutoSetPort"), [&] {
                s.settings.profile.writeOrThrow(QStringLiteral("Setting"), QStringLiteral("COM"), QString::number(port));
            });
            return;
        }
    }
}

void CheckStartupPort(CommContext s, PortProber& prober)
{
    const int port = s.settings.COM;
    // A number outside 1..16 is never usable; it is replaced like a missing port.
    if (port < 1 || port > kPortCount) {
        AutoSetPort(s, prober);
        return;
    }
    VerdictCom(s, prober, port);
    if (s.xfer.PortAvail[static_cast<size_t>(port)] == -1)
        AutoSetPort(s, prober);
}

namespace {

class SystemPortProber : public PortProber {
public:
    explicit SystemPortProber(const Settings& s) : s_(s) {}
    bool probe(int port) override
    {
        SerialLink link(PortDevicePath(s_, port));
        if (!link.open(nullptr))
            return false;
        link.close();
        return true;
    }

private:
    const Settings& s_;
};

} // namespace

std::unique_ptr<PortProber> makeSystemPortProber(const Settings& s)
{
    return std::make_unique<SystemPortProber>(s);
}

} // namespace qm
