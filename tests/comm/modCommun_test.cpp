#include "comm/modCommun.h"
#include "shell/AppState.h"
#include "support/FakeLink.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

using namespace qm;
using qmtest::FakeLink;

namespace {

const QString kText175 = QStringLiteral("Rx\uFF1ACommunication failed! No receive Data!");

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }
QString va(int n) { return QStringLiteral("VA").repeated(n); }

// A state with both ranges start..end and an open link to a radio.
template <class Link = FakeLink>
struct CommOn {
    AppState s;
    Link link;
    ProtocolInterpreter interp{s.xfer, link, s.errors, kText175};
    explicit CommOn(int start = 0, int end = 0x1FFF)
    {
        s.settings.SoftFaceStr[175] = kText175;
        s.settings.ReadStartAddr = s.settings.WriteStartAddr = static_cast<int16_t>(start);
        s.settings.ReadEndAddr = s.settings.WriteEndAddr = static_cast<int16_t>(end);
        s.xfer.RxWaitMs = 1;
        s.xfer.RxWaitTimes = 150;
        link.open(nullptr);
        link.radio.beginSession();
    }
    void run(const QString& script)
    {
        ASSERT_TRUE(interp.ConvComCode(script));
        interp.ProtocolCom();
    }
    const auto& para(int d, int script) const { return s.xfer.ComScriptPara[d][static_cast<size_t>(script)]; }
    bool listed(const char* label) const
    {
        return s.errors.lines().size() == 2 && s.errors.lines()[1].contains(QLatin1String(label));
    }
};
using Comm = CommOn<>;

const QString kRead1230 = QStringLiteral("TX52123010RX57123010") + va(16) + QStringLiteral("EN");
const QString kWrite1230 = QStringLiteral("TX57123010") + va(16) + QStringLiteral("RX06EN");

} // namespace

// The lists hold the handshake, one script per block of up to 16 bytes and
// the end frame, with the percent each script reaches; 520 scripts at most.
TEST(InitProtocol, ScriptListsForRanges)
{
    const struct { int start, end, scripts; QString firstBlock; int lastLen; } cases[] = {
        {0x0000, 0x1FFF, 514, QStringLiteral("TX52000010RX57000010") + va(16) + QStringLiteral("EN"), 16},
        {0x0000, 0x0005, 3, QStringLiteral("TX52000006RX57000006") + va(6) + QStringLiteral("EN"), 6},
        {0x0100, 0x0100, 3, QStringLiteral("TX52010001RX57010001VAEN"), 1},
        {0x0200, 0x01FF, 2, QString(), 0},
        {0x0000, 0x0010, 4, QStringLiteral("TX52000010RX57000010") + va(16) + QStringLiteral("EN"), 1},
        {0x0000, 518 * 16 - 1, 520, QStringLiteral("TX52000010RX57000010") + va(16) + QStringLiteral("EN"), 16},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.start * 0x10000 + k.end);
        Comm c(k.start, k.end);
        InitProtocol(c.s, QTime(1, 2, 3));
        ASSERT_EQ(c.s.xfer.ComScriptNum[1], k.scripts);
        EXPECT_EQ(c.s.xfer.ComScript[1][1], kHandshakeScript);
        EXPECT_EQ(c.s.xfer.ComScript[1][k.scripts], kEndScript);
        EXPECT_EQ(c.para(1, 1)[3], 3);
        EXPECT_EQ(c.para(1, k.scripts)[3], 100);
        if (k.scripts > 2) {
            EXPECT_EQ(c.s.xfer.ComScript[1][2], k.firstBlock);
            EXPECT_EQ(c.para(1, 2)[1], k.start);
            EXPECT_EQ(c.para(1, k.scripts - 1)[1], k.start + (k.scripts - 3) * 16);
            EXPECT_EQ(c.para(1, k.scripts - 1)[2], k.lastLen);
            EXPECT_EQ(c.para(1, k.scripts - 1)[3], 97); // capped at 97 for 0000-0010
        }
    }
    // Percent of block k of the full range: k * 94 / 512 + 3, halves to the
    // even neighbour (block 128: 26.5 -> 26, block 384: 73.5 -> 74).
    Comm c;
    InitProtocol(c.s, QTime(1, 2, 3));
    for (auto [block, p] : {std::pair{1, 3}, {128, 26}, {256, 50}, {384, 74}}) {
        EXPECT_EQ(c.para(1, block + 1)[3], p) << block;
        EXPECT_EQ(c.para(2, block + 1)[3], p) << block;
    }
    // One block more is refused and listed; the write list is built on its own.
    c.s.settings.ReadEndAddr = 519 * 16 - 1;
    InitProtocol(c.s, QTime(1, 2, 3));
    EXPECT_EQ(c.s.xfer.ComScriptNum[1], 0);
    EXPECT_EQ(c.s.xfer.ComScriptNum[2], 514);
    EXPECT_TRUE(c.listed("modCommun->InitProtocol"));
}

// The frames on the line for a block read, a block write and the clock, and
// the trace they leave.
TEST(InitProtocol, BlockAndClockFramesOnTheLine)
{
    Comm c(0x1230, 0x123F);
    c.s.optView.chkSetTime = true;
    InitProtocol(c.s, QTime(9, 5, 7));
    EXPECT_EQ(c.s.xfer.ComScript[1][2], kRead1230);
    EXPECT_EQ(c.s.xfer.ComScript[2][2], kWrite1230);
    EXPECT_EQ(c.s.xfer.ComScript[1][1], kHandshakeScript); // reading never sets the clock
    EXPECT_EQ(c.s.xfer.ComScript[2][1], QStringLiteral("TX557997A557090507RX06") + kHandshakeScript);
    c.run(c.s.xfer.ComScript[2][1]);
    EXPECT_EQ(c.s.xfer.ComErr, 0);
    EXPECT_EQ(c.link.writes, QList<QByteArray>({hex("557997A557090507"), QByteArray("PROGRAM"), hex("02"), hex("06")}));

    for (int i = 0; i < 16; ++i)
        c.link.radio.at(0x1230 + i) = static_cast<uint8_t>(0xA0 + i);
    c.link.writes.clear();
    c.s.xfer.listRtData.clear();
    c.run(kRead1230);
    EXPECT_EQ(c.s.xfer.ComErr, 0);
    EXPECT_EQ(c.link.writes, QList<QByteArray>{hex("52123010")});
    EXPECT_EQ(c.s.xfer.ComVaDat[16], 0xAF);
    EXPECT_EQ(c.s.xfer.listRtData,
              QStringList({QStringLiteral("Tx: 52 12 30 10 "), QStringLiteral("Rx: 57 12 30 10 "),
                           QStringLiteral("       A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF ")}));
    c.s.xfer.ComVaDat[16] = 0x5A; // the write script sends ComVaDat 1..16
    c.run(kWrite1230);
    EXPECT_EQ(c.s.xfer.ComErr, 0);
    EXPECT_EQ(c.link.writes.last(), hex("57123010A0A1A2A3A4A5A6A7A8A9AAABACADAE5A"));

    InitProtocol(c.s, QTime(23, 59, 59));
    EXPECT_EQ(c.s.xfer.ComScript[2][1], QStringLiteral("TX557997A557235959RX06") + kHandshakeScript);
    c.s.optView.chkSetTime = false;
    InitProtocol(c.s, QTime(23, 59, 59));
    EXPECT_EQ(c.s.xfer.ComScript[2][1], kHandshakeScript);
}

TEST(ConvComCode, SplitsPairsAndRefusesMoreThan200Tokens)
{
    Comm c;
    ASSERT_TRUE(c.interp.ConvComCode(QStringLiteral("0102030405ZZ")));
    ASSERT_TRUE(c.interp.ConvComCode(QStringLiteral("TX06EN")));
    EXPECT_EQ(c.interp.token(1), QStringLiteral("TX"));
    EXPECT_EQ(c.interp.token(3), QStringLiteral("EN"));
    EXPECT_EQ(c.interp.token(6), QStringLiteral("ZZ")); // entries past the script stay
    EXPECT_TRUE(c.interp.ConvComCode(QStringLiteral("06").repeated(200)));
    EXPECT_FALSE(c.interp.ConvComCode(QStringLiteral("06").repeated(200) + QStringLiteral("EN")));
    EXPECT_TRUE(c.listed("modCommun->ConvComCode"));
    EXPECT_TRUE(c.s.errors.lines()[1].contains(QStringLiteral("出错号:   9")));
}

// What the interpreter makes of replies, and the scripts it cannot run: a
// port error or a malformed script fails the script and is listed.
TEST(ProtocolCom, ReplyChecksAndVariableBytes)
{
    const QString portError = QStringLiteral("port error");
    // reply: the radio's answer (after the echo) to every frame; lastLine: of the trace ("" none; nullptr not checked)
    const struct { const char* name; QString script; QByteArray reply; int comErr, writes; QByteArray va; const char* lastLine; } cases[] = {
        {"extra bytes dropped", QStringLiteral("TX52000002RX57000002VAVAEN"), hex("570000021122334455"), 0, 1, hex("1122"), "    11 22 "},
        {"wrong fourth byte", QStringLiteral("TX52000002RX57000002VAVAEN"), hex("570000031122"), -1, 1, {}, "<175>"},
        {"mixed literal and VA", QStringLiteral("TX01RXVAAAVABBVAEN"), hex("10AA20BB30"), 0, 1, hex("102030"), "    30 "},
        {"lower-case hex", QStringLiteral("TX01RXabEN"), hex("AB"), 0, 1, {}, "Rx: AB "},
        {"failure stops the script", kHandshakeScript, hex("15"), -1, 1, {}, "<175>"},
        {"end frame awaits nothing", kEndScript, {}, 0, 1, {}, "    23 45 F2 "},
        {"frame hook, no exchange", QStringLiteral("RF010203EN"), {}, 0, 0, {}, ""},
        {"port error", kHandshakeScript, {}, -1, 0, {}, nullptr},
        {"not hexadecimal", QStringLiteral("TXG1EN"), {}, -1, 0, {}, nullptr},
        {"frame too long", QStringLiteral("TX") + QStringLiteral("06").repeated(102), {}, -1, 0, {}, nullptr},
        {"reply too long", QStringLiteral("TXRX") + va(102), {}, -1, 0, {}, nullptr},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Comm c;
        QStringList hook;
        c.interp.readWriteFreHook = [&](const QString& kind, int a, int b, int d) {
            hook << QStringLiteral("%1 %2 %3 %4").arg(kind).arg(a).arg(b).arg(d);
        };
        c.link.replyOverride = [&](int, const QByteArray&, const QByteArray&) { return k.reply; };
        if (k.name == portError)
            c.link.onWrite = [] { throw QmError(75, QStringLiteral("send to port"), QStringLiteral("fake"), QStringLiteral("unplugged")); };
        c.s.xfer.ComErr = -1; // left over from an earlier failure
        c.run(k.script);
        EXPECT_EQ(c.s.xfer.ComErr, k.comErr);
        EXPECT_EQ(c.link.writes.size(), k.writes);
        if (!k.lastLine) {
            EXPECT_TRUE(c.listed("modCommun->ProtocolCom"));
            continue;
        }
        EXPECT_TRUE(c.s.errors.lines().isEmpty());
        EXPECT_EQ(c.link.sleeps, std::vector<int>(static_cast<size_t>(k.writes), 5)); // a gap before each exchange
        EXPECT_EQ(hook, k.writes ? QStringList() : QStringList{QStringLiteral("RF 1 2 3")});
        for (int i = 0; i < k.va.size(); ++i)
            EXPECT_EQ(c.s.xfer.ComVaDat[i + 1], static_cast<uint8_t>(k.va[i])) << i;
        const QString last = QString::fromUtf8(k.lastLine);
        EXPECT_EQ(c.s.xfer.listRtData.value(c.s.xfer.listRtData.size() - 1), last == QLatin1String("<175>") ? kText175 : last);
        EXPECT_EQ(c.s.xfer.listRtSelected, c.s.xfer.listRtData.size() - 1);
    }
}

// The pause before an exchange is counted from the moment the previous reply
// was all in, across scripts too; after a failed exchange (and before the
// first) that moment is unknown and the whole pause is waited.
TEST(ProtocolCom, GapCountsFromTheLastReplyOnlyAfterASuccess)
{
    struct GapLink : FakeLink {
        std::vector<qint64> since, at; // per gap: its reference, the clock when it began
        void waitGapMs(int ms, qint64 sinceUs) override
        {
            since.push_back(sinceUs);
            at.push_back(nowUs());
            FakeLink::waitGapMs(ms, sinceUs);
        }
    };
    CommOn<GapLink> c;
    c.link.radio.faults().replyDelayMs = 2; // each reply is all in 2 ms after its frame
    for (const QString& script : {QStringLiteral("TX06RX06TX06RX06EN"), kRead1230, QStringLiteral("TX06RX07EN"), kRead1230, kEndScript})
        c.run(script);
    EXPECT_EQ(c.s.xfer.ComErr, 0);
    const auto& at = c.link.at;
    ASSERT_EQ(at.size(), 6u);
    // Gap k began at at[k]; after a good reply its reference is the previous
    // gap's start + 5 ms of pause + 2 ms to the reply.
    EXPECT_EQ(c.link.since, (std::vector<qint64>{-1, at[0] + 7000, at[1] + 7000, at[2] + 7000, -1, at[4] + 7000}));
    EXPECT_EQ(c.link.sleeps, std::vector<int>(6, 5)); // the in-memory link waits the whole pause
}

// A reply has 151 ms from the frame to come in, on the link's clock. At the
// line rate the interpreter sleeps through a reply's line time instead of
// waking for every byte, and still reads replies that come in pieces, late or
// not at all with that timing.
TEST(RxComDat, ReplyWindowAndPacedReplies)
{
    const qint64 byte = 10'000'000 / 9600; // us on the line
    const QString ack = QStringLiteral("TX06RX06EN");
    // baud 0: no line, every byte there at once; stall: the answer pauses stallMs after stallAfter bytes; delay: before
    // the answer; maxWaits: wake-ups allowed while awaiting the reply (-1: not counted); lineUs: when the reply's last
    // byte is in, from the write (-1: the reply misses its time)
    const struct { const char* name; QString script; long baud; int stallAfter, stallMs, delayMs; bool echo; int comErr, maxWaits;
                   qint64 lineUs; } cases[] = {
        {"reply at 151 ms", ack, 0, -1, 0, 151, true, 0, -1, 151'000},
        {"reply at 152 ms", ack, 0, -1, 0, 152, true, -1, -1, -1},
        {"no echo", ack, 0, -1, 0, 0, false, -1, -1, -1},
        {"block read", kRead1230, 9600, -1, 0, 0, true, 0, 3, 24 * byte},
        {"block write", kWrite1230, 9600, -1, 0, 0, true, 0, 3, 21 * byte},
        {"answer pauses 60 ms", kRead1230, 9600, 10, 60, 0, true, 0, 6, 24 * byte + 60'000},
        {"answer pauses 120 ms", kRead1230, 9600, 10, 120, 0, true, 0, 6, 24 * byte + 120'000},
        {"answer breaks off", kRead1230, 9600, 10, 140, 0, true, -1, 5, -1},
        {"no line behind the link", kRead1230, 0, -1, 0, 0, true, 0, 0, 0},
        {"no line, answer in two pieces", kRead1230, 0, 10, 30, 0, true, 0, 1, 30'000},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Comm c;
        c.link.paceBaud = k.baud;
        c.link.stallAfter = k.stallAfter;
        c.link.stallMs = k.stallMs;
        c.link.radio.faults().replyDelayMs = k.delayMs;
        c.link.radio.faults().echo = k.echo;
        for (int i = 0; i < 16; ++i) {
            c.link.radio.at(0x1230 + i) = static_cast<uint8_t>(0xA0 + i);
            c.s.xfer.ComVaDat[static_cast<size_t>(i + 1)] = static_cast<uint8_t>(0xA0 + i);
        }
        c.run(k.script);
        EXPECT_EQ(c.s.xfer.ComErr, k.comErr);
        if (k.maxWaits >= 0) {
            EXPECT_LE(c.link.byteWaits, k.maxWaits);
        }
        const qint64 afterWriteUs = c.link.nowUs() - kGapMs * 1000;
        if (k.lineUs < 0) { // given up when the window closed, with the failure in the trace
            EXPECT_GE(afterWriteUs, 151'000);
            EXPECT_LT(afterWriteUs, 152'000);
            EXPECT_EQ(c.s.xfer.listRtData.last(), kText175);
            continue;
        }
        // Read within a byte time of the last byte's arrival.
        EXPECT_GE(afterWriteUs, k.lineUs);
        EXPECT_LE(afterWriteUs, k.lineUs + byte);
        if (k.script == kRead1230) {
            EXPECT_EQ(c.s.xfer.ComVaDat[1], 0xA0);
            EXPECT_EQ(c.s.xfer.ComVaDat[16], 0xAF);
            EXPECT_EQ(c.s.xfer.listRtData.value(2), QStringLiteral("       A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF "));
        } else if (k.script == kWrite1230) {
            EXPECT_EQ(c.link.radio.memory()[0x123F], 0xAF);
        }
    }
}

TEST(ComDataShow, LineLayoutsAndAFreshStartAbove3000Lines)
{
    const QByteArray b21 = hex("000102030405060708090A0B0C0D0E0F1011121314");
    const QString first = QStringLiteral("Tx: 00 01 02 03 ");
    const QString mid = QStringLiteral("       04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 ");
    EXPECT_EQ(ComDataLines(0, hex("52123010")), QStringList{QStringLiteral("Tx: 52 12 30 10 ")});
    EXPECT_EQ(ComDataLines(-1, hex("06")), QStringList{QStringLiteral("Rx: 06 ")});
    EXPECT_EQ(ComDataLines(0, b21.left(20)), QStringList({first, mid}));
    EXPECT_EQ(ComDataLines(0, b21), QStringList({first, mid, QStringLiteral("    14 ")}));

    Comm c;
    std::vector<std::pair<int, bool>> added;
    c.interp.traceLineAdded = [&](int idx, const QString&, bool reset) { added.push_back({idx, reset}); };
    c.s.xfer.listRtData = QStringList(3001, QStringLiteral("x"));
    c.s.xfer.ComListIdx = 3000;
    c.interp.ComDataShow(-1, hex("06")); // 3000 is not above the limit: inserted at 3000
    EXPECT_EQ(c.s.xfer.listRtData.size(), 3002);
    EXPECT_EQ(c.s.xfer.listRtSelected, 3000);
    c.interp.ComDataShow(0, hex("557997A557090507"));
    EXPECT_EQ(c.s.xfer.listRtData, QStringList({QStringLiteral("Tx: 55 79 97 A5 "), QStringLiteral("    57 09 05 07 ")}));
    EXPECT_EQ(c.s.xfer.ComListIdx, 2);
    EXPECT_EQ(c.s.xfer.listRtSelected, 1);
    EXPECT_EQ(added, (std::vector<std::pair<int, bool>>{{3000, false}, {0, true}, {1, false}}));
}

TEST(DelayNms, WaitsAtLeastN)
{
    QElapsedTimer t;
    t.start();
    DelayNms(5);
    EXPECT_GE(t.elapsed(), 5);
    t.restart();
    SleepMs(3);
    EXPECT_GE(t.elapsed(), 3);
}
