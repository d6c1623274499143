// libFuzzer target: the interpreter's handling of replies. A script the
// program runs (or, for one input in eight, a script text from the input)
// meets replies of the fuzzer's choosing over the simulated radio's
// in-memory line (virtual clock): garbage, short, long, late, broken off,
// with a wrong echo or none.
//
// Input: byte 0 chooses the script (bits 0..2) and whether each reply
// starts with a true echo of the frame (bit 3); byte 1 is the reply delay
// in ms (times 2, so answers can miss the 151 ms); byte 2 paces the line at
// 9600 baud (bit 0) and gives the byte after which every answer pauses
// (bits 1..5, 31: never); byte 3 is that pause in ms. Then the replies,
// one for each frame written: a length byte and that many bytes (what
// comes back on the line, echo included; the cable itself echoes nothing).
// Replies past the input are silence. For a script from the input, a
// length byte and the script's text come first.
//
// Properties beyond "no crash": for scripts of one exchange (a read or
// write block), the interpreter succeeds exactly when the bytes after the
// echo are the expected ones and the last of them arrived within the 151
// polls of 1 ms; it then has them in ComVaDat and reads them within a byte
// time of their arrival at the line rate; a missing reply fails exactly 151
// ms after the frame went out. For the handshake scripts with unpaced,
// unbroken replies, each exchange is judged the same way, and the script
// stops at the first that fails. A failure always leaves text 175 as the
// trace's last line, or an error in the list.
#include "comm/modCommun.h"
#include "sim/SimLink.h"

#include <cstdio>

namespace {

const char* const kTarget = "fuzz_interpreter_replies";
const QString kText175 = QStringLiteral("Rx\uFF1ACommunication failed! No receive Data!");
constexpr qint64 kBudgetUs = 151'000; // RxWaitTimes + 1 polls of RxWaitMs

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", kTarget, what);
        __builtin_trap();
    }
}

QString va(int n)
{
    return QStringLiteral("VA").repeated(n);
}

const QString kScripts[] = {
    QStringLiteral("TX52123010RX57123010") + va(16) + QStringLiteral("EN"), // read block
    QStringLiteral("TX57123010") + va(16) + QStringLiteral("RX06EN"),       // write block
    QStringLiteral("TX52000006RX57000006") + va(6) + QStringLiteral("EN"),   // short read block
    qm::kHandshakeScript,
    QStringLiteral("TX557997A557090507RX06") + qm::kHandshakeScript, // set time, then handshake
    QStringLiteral("TX52000010RX5700") + va(1) + QStringLiteral("1006") + va(3) + QStringLiteral("EN"), // literals among VA
    qm::kEndScript,
};
constexpr int kFixedScripts = static_cast<int>(std::size(kScripts));

// The receive part of each exchange of a script: its tokens.
std::vector<QStringList> receiveParts(const QString& script)
{
    std::vector<QStringList> parts;
    bool receive = false;
    for (int i = 0; i + 1 < script.size(); i += 2) {
        const QString tok = script.mid(i, 2);
        if (tok == QLatin1String("TX")) {
            parts.emplace_back();
            receive = false;
        } else if (tok == QLatin1String("RX")) {
            receive = true;
        } else if (tok == QLatin1String("EN")) {
            break;
        } else if (receive) {
            parts.back() << tok;
        }
    }
    return parts;
}

// When byte j of an answer arrives, from the moment its frame was written.
qint64 arrivalUs(qsizetype j, qsizetype frameBytes, int delayMs, bool paced, int stallAfter, int stallMs)
{
    const qint64 byte = paced ? qm::kLineByteUs : 0;
    qint64 t = frameBytes * byte + qint64(delayMs) * 1000 + (j + 1) * byte;
    if (stallAfter >= 0 && j >= stallAfter)
        t += qint64(stallMs) * 1000;
    return t;
}

// Whether a reply passes the check of a receive part: enough bytes, and
// the expected ones where the part has literals.
bool matches(const QByteArray& line, qsizetype sent, const QStringList& rx)
{
    if (line.size() < sent + rx.size())
        return false;
    for (qsizetype k = 0; k < rx.size(); ++k)
        if (rx[k] != QLatin1String("VA") && static_cast<uint8_t>(line[sent + k]) != rx[k].toUInt(nullptr, 16))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int choice = data[0] & 7;
    const bool trueEcho = data[0] & 8;
    const int delayMs = data[1] * 2;
    const bool paced = data[2] & 1;
    const int stallAfter = ((data[2] >> 1) & 31) == 31 ? -1 : (data[2] >> 1) & 31;
    const int stallMs = data[3];
    size_t at = 4;

    QString script;
    if (choice < kFixedScripts) {
        script = kScripts[choice];
    } else {
        const size_t len = at < size ? std::min<size_t>(data[at], size - at - 1) : 0;
        script = QString::fromLatin1(reinterpret_cast<const char*>(data) + at + 1, static_cast<qsizetype>(len));
        at += 1 + len;
    }
    std::vector<QByteArray> replies;
    while (at < size) {
        const size_t len = std::min<size_t>(data[at], size - at - 1);
        replies.emplace_back(reinterpret_cast<const char*>(data) + at + 1, static_cast<qsizetype>(len));
        at += 1 + len;
    }

    qmsim::RadioFaults faults;
    faults.echo = false; // what comes back is the reply's business
    qmsim::SimLink link({}, faults);
    link.paceBaud = paced ? qm::kLineBaud : 0;
    link.stallAfter = stallAfter;
    link.stallMs = stallMs;
    std::vector<qint64> writtenAt;
    link.replyOverride = [&](int writeNo, const QByteArray& frame, const QByteArray&) {
        writtenAt.push_back(link.nowUs());
        const QByteArray reply = static_cast<size_t>(writeNo) < replies.size() ? replies[static_cast<size_t>(writeNo)] : QByteArray();
        return trueEcho ? frame + reply : reply;
    };
    link.overrideDelayMs = delayMs;
    link.open(nullptr);

    static qm::TransferData x;
    static qm::ErrorList errors;
    x = qm::TransferData{};
    x.RxWaitMs = 1;
    x.RxWaitTimes = 150;
    for (int i = 1; i <= 16; ++i)
        x.ComVaDat[static_cast<size_t>(i)] = static_cast<uint8_t>(0xA0 + i);
    qm::ProtocolInterpreter interp(x, link, errors, kText175);
    if (!interp.ConvComCode(script)) {
        check(!errors.entries().empty(), "a script that does not fit is not listed");
        errors.clear();
        return 0;
    }
    interp.ProtocolCom();
    const qint64 endUs = link.nowUs();
    check(x.ComErr == 0 || x.ComErr == -1, "ComErr is neither 0 nor -1");
    if (x.ComErr == -1)
        check((!x.listRtData.isEmpty() && x.listRtData.last() == kText175) || !errors.entries().empty(),
              "a failed script left neither text 175 nor an error");
    check(x.listRtSelected == x.ComListIdx - 1, "the last trace line is not the selected one");

    if (choice < kFixedScripts) {
        check(errors.entries().empty(), "a script the program runs listed an error");
        const std::vector<QStringList> parts = receiveParts(script);
        const bool oneExchange = parts.size() == 1;
        const bool whole = !paced && stallAfter < 0; // every answer arrives in one piece
        if (oneExchange || whole) {
            // Each exchange in turn: it passes when its reply is right and in time.
            size_t ran = 0;
            bool ok = true;
            for (const QStringList& rx : parts) {
                check(ran < static_cast<size_t>(link.writes.size()), "an exchange was not run");
                const QByteArray& frame = link.writes[static_cast<qsizetype>(ran)];
                const QByteArray reply = ran < replies.size() ? replies[ran] : QByteArray();
                const QByteArray line = trueEcho ? frame + reply : reply;
                ++ran;
                if (rx.isEmpty())
                    continue;
                const qsizetype need = frame.size() + rx.size();
                const bool inTime = line.size() >= need &&
                                    arrivalUs(need - 1, frame.size(), delayMs, paced, stallAfter, stallMs) <= kBudgetUs;
                if (!(inTime && matches(line, frame.size(), rx))) {
                    ok = false;
                    if (oneExchange) {
                        if (line.size() < need || !inTime)
                            check(endUs - writtenAt[0] == kBudgetUs, "a missing reply did not fail after 151 ms");
                    }
                    break;
                }
                if (oneExchange) {
                    const qint64 last = writtenAt[0] + arrivalUs(need - 1, frame.size(), delayMs, paced, stallAfter, stallMs);
                    check(endUs >= last, "a reply was read before it was all there");
                    check(endUs <= last + (paced ? qm::kLineByteUs : need * qm::kLineByteUs),
                          "a reply was read later than a byte time after it was there");
                    int v = 1;
                    for (qsizetype k = 0; k < rx.size(); ++k)
                        if (rx[k] == QLatin1String("VA"))
                            check(x.ComVaDat[static_cast<size_t>(v++)] == static_cast<uint8_t>(line[frame.size() + k]),
                                  "a variable byte was not stored");
                }
            }
            check((x.ComErr == 0) == ok, ok ? "a right reply in time failed" : "a wrong, short or late reply passed");
            check(static_cast<size_t>(link.writes.size()) == ran, "exchanges ran after a failed one, or too few ran");
        }
    }
    errors.clear();
    return 0;
}
