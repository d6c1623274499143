// bench_interpreter: the CPU the program's own side of a transfer costs (the
// interpreter, the trace and the transfer driver), with no line at all: full
// reads and writes of 0x0000-0x1FFF against the simulated radio behind the
// in-memory link, whose clock is virtual, so the waits of the protocol cost
// nothing and what is measured is the program's work.
//
//   bench_interpreter [--runs N]      (default 20 of each)
#include "shell/RadioTransfer.h"
#include "sim/SimLink.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

std::vector<uint8_t> patternMemory()
{
    std::vector<uint8_t> m(qmsim::kRadioMemorySize);
    for (size_t a = 0; a < m.size(); ++a)
        m[a] = static_cast<uint8_t>(a * 7 + (a >> 8));
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 20;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            runs = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_interpreter [--runs N]\n");
            return 2;
        }
    }

    bool allOk = true;
    for (const auto d : {qm::TransferDirection::Read, qm::TransferDirection::Write}) {
        const bool read = d == qm::TransferDirection::Read;
        double cpu = 0;
        qint64 virtualMs = 0;
        int exchanges = 0;
        for (int run = 0; run < runs; ++run) {
            qm::AppState s;
            s.doc.IicDat.assign(0x2000, 0xFF);
            s.settings.ReadStartAddr = s.settings.WriteStartAddr = 0x0000;
            s.settings.ReadEndAddr = s.settings.WriteEndAddr = 0x1FFF;
            qmsim::SimLink link(patternMemory());
            const double t0 = cpuSeconds();
            const auto o = qm::runTransfer(s, d, link, nullptr);
            cpu += cpuSeconds() - t0;
            virtualMs = link.nowMs();
            exchanges = static_cast<int>(link.writes.size());
            if (o.result != qm::TransferResult::Success
                || (read ? s.doc.IicDat != link.radio.memory() : link.radio.memory() != s.doc.IicDat)) {
                std::fprintf(stderr, "bench_interpreter: %s run %d did not complete\n", read ? "read" : "write", run);
                allOk = false;
            }
        }
        std::printf("%-6s %d transfers of %d exchanges: CPU %.2f ms a transfer, %.1f us an exchange "
                    "(virtual line time %lld ms: the pauses alone)\n",
                    read ? "read" : "write", runs, exchanges, cpu / runs * 1e3, cpu / runs / exchanges * 1e6,
                    static_cast<long long>(virtualMs));
    }
    return allOk ? 0 : 1;
}
