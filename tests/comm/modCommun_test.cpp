#include "comm/modCommun.h"
#include "shell/VbConv.h"
#include "support/FakeLink.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cmath>

using namespace qm;
using qmtest::FakeLink;

namespace {

const QString kText175 = QStringLiteral("Rx\uFF1ACommunication failed! No receive Data!");

std::unique_ptr<AppState> commState(int start = 0, int end = 0x1FFF)
{
    auto s = std::make_unique<AppState>();
    s->IicDat.assign(0x2000, 0xFF);
    s->SoftFaceStr[175] = kText175;
    s->settings.ReadStartAddr = static_cast<int16_t>(start);
    s->settings.ReadEndAddr = static_cast<int16_t>(end);
    s->settings.WriteStartAddr = static_cast<int16_t>(start);
    s->settings.WriteEndAddr = static_cast<int16_t>(end);
    s->comm.RxWaitMs = 1;
    s->comm.RxWaitTimes = 150;
    s->errors.now = [] { return QStringLiteral("T"); };
    return s;
}

// Runs one script over the link.
void runScript(AppState& s, FakeLink& link, const QString& script)
{
    ASSERT_TRUE(ConvComCode(s, script));
    if (!link.isOpen()) {
        QString r;
        int n = 0;
        link.open(&r, &n);
    }
    ProtocolCom(s, link);
}

QByteArray hex(const char* h)
{
    return QByteArray::fromHex(h);
}

} // namespace

// ---- script lists ---------------------------------------------------------

TEST(InitProtocol, FullRangeHas514ScriptsWithBankersPercentages)
{
    auto s = commState();
    InitProtocol(*s, QTime(12, 0, 0));
    for (int d : {1, 2}) {
        const auto& c = s->comm;
        ASSERT_EQ(c.ComScriptNum[d], 514);
        EXPECT_EQ(c.ComScript[d][1], kHandshakeScript);
        EXPECT_EQ(c.ComScriptPara[d][1][3], 3);
        for (int k = 1; k <= 512; ++k) {
            const auto& p = c.ComScriptPara[d][static_cast<size_t>(k + 1)];
            EXPECT_EQ(p[1], (k - 1) * 16) << k;
            EXPECT_EQ(p[2], 16) << k;
            EXPECT_EQ(p[3], static_cast<int>(std::nearbyint(k * 94.0 / 512 + 3))) << "block " << k;
        }
        EXPECT_EQ(c.ComScriptPara[d][513][3], 97);
        EXPECT_EQ(c.ComScript[d][514], kEndScript);
        EXPECT_EQ(c.ComScriptPara[d][514][3], 100);
        EXPECT_EQ(c.ComScriptPara[d][514][2], 0);
    }
    // Halves go to the even neighbour: block 128 is exactly 26.5 -> 26,
    // block 384 is exactly 73.5 -> 74.
    EXPECT_EQ(s->comm.ComScriptPara[1][129][3], 26);
    EXPECT_EQ(s->comm.ComScriptPara[1][385][3], 74);
}

TEST(InitProtocol, ShortAndDegenerateRanges)
{
    struct Case {
        int start, end;
        int scripts;       // ComScriptNum
        int firstLen;      // byte count of the first block (0 = none)
        int firstPercent;
        QString firstBlock; // read script of the first block ("" = none)
    };
    const Case cases[] = {
        {0x0000, 0x0005, 3, 6, 97, QStringLiteral("TX52000006RX57000006") + QStringLiteral("VA").repeated(6) + QStringLiteral("EN")},
        {0x0100, 0x0100, 3, 1, 97, QStringLiteral("TX52010001RX57010001VAEN")},
        {0x0100, 0x010F, 3, 16, 97, QStringLiteral("TX52010010RX57010010") + QStringLiteral("VA").repeated(16) + QStringLiteral("EN")},
        {0x0200, 0x01FF, 2, 0, 0, QString()},
        {0x0000, 0x0010, 4, 16, 97, QStringLiteral("TX52000010RX57000010") + QStringLiteral("VA").repeated(16) + QStringLiteral("EN")},
    };
    for (const auto& k : cases) {
        auto s = commState(k.start, k.end);
        InitProtocol(*s, QTime(1, 2, 3));
        const auto& c = s->comm;
        ASSERT_EQ(c.ComScriptNum[1], k.scripts) << k.start << "-" << k.end;
        EXPECT_EQ(c.ComScript[1][c.ComScriptNum[1]], kEndScript);
        if (k.firstLen) {
            EXPECT_EQ(c.ComScript[1][2], k.firstBlock);
            EXPECT_EQ(c.ComScriptPara[1][2][1], k.start);
            EXPECT_EQ(c.ComScriptPara[1][2][2], k.firstLen);
            EXPECT_EQ(c.ComScriptPara[1][2][3], k.firstPercent);
        }
    }
    // 0000-0010: B = round(16/16) = 1, the second block (one byte at 0010) is capped at 97.
    auto s = commState(0, 0x10);
    InitProtocol(*s, QTime(1, 2, 3));
    EXPECT_EQ(s->comm.ComScriptPara[1][3][2], 1);
    EXPECT_EQ(s->comm.ComScriptPara[1][3][3], 97);
}

TEST(InitProtocol, BlockScriptsFor0x1230)
{
    auto s = commState(0x1230, 0x123F);
    InitProtocol(*s, QTime(1, 2, 3));
    const QString va = QStringLiteral("VA").repeated(16);
    EXPECT_EQ(s->comm.ComScript[1][2], QStringLiteral("TX52123010RX57123010") + va + QStringLiteral("EN"));
    EXPECT_EQ(s->comm.ComScript[2][2], QStringLiteral("TX57123010") + va + QStringLiteral("RX06EN"));

    // On the wire: 52 12 30 10, answered by 57 12 30 10 and sixteen data bytes.
    FakeLink link;
    for (int i = 0; i < 16; ++i)
        link.radio.mem[0x1230 + i] = static_cast<uint8_t>(0xA0 + i);
    runScript(*s, link, s->comm.ComScript[1][2]);
    EXPECT_EQ(s->comm.ComErr, 0);
    ASSERT_EQ(link.writes.size(), 1);
    EXPECT_EQ(link.writes[0], hex("52123010"));
    for (int i = 1; i <= 16; ++i)
        EXPECT_EQ(s->comm.ComVaDat[i], 0xA0 + i - 1);
    EXPECT_EQ(s->comm.listRtData,
              QStringList({QStringLiteral("Tx: 52 12 30 10 "), QStringLiteral("Rx: 57 12 30 10 "),
                           QStringLiteral("       A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF ")}));
}

TEST(InitProtocol, SetTimePrefixCarriesBcdClock)
{
    const QString rest = QStringLiteral("RX06TX50524F4752414DRX06TX02RXVAVAVAVAVAVAVAVATX06RX06EN");
    struct Case {
        QTime t;
        const char* hhmmss;
        const char* frame;
    } cases[] = {{QTime(9, 5, 7), "090507", "557997A557090507"}, {QTime(23, 59, 59), "235959", "557997A557235959"}};
    for (const auto& k : cases) {
        auto s = commState(0, 0xF);
        s->optView.chkSetTime = true;
        InitProtocol(*s, k.t);
        EXPECT_EQ(s->comm.ComScript[2][1], QStringLiteral("TX557997A557") + QLatin1String(k.hhmmss) + rest);
        EXPECT_EQ(s->comm.ComScript[1][1], kHandshakeScript); // reading never sets the clock

        FakeLink link;
        runScript(*s, link, s->comm.ComScript[2][1]);
        EXPECT_EQ(s->comm.ComErr, 0);
        ASSERT_EQ(link.writes.size(), 4);
        EXPECT_EQ(link.writes[0], hex(k.frame));
        EXPECT_EQ(link.writes[1], QByteArray("PROGRAM"));
        EXPECT_EQ(link.writes[2], hex("02"));
        EXPECT_EQ(link.writes[3], hex("06"));
    }
    auto s = commState(0, 0xF);
    InitProtocol(*s, QTime(9, 5, 7));
    EXPECT_EQ(s->comm.ComScript[2][1], kHandshakeScript);
}

TEST(InitProtocol, ListOf520ScriptsIsTheLimit)
{
    auto s = commState(0, 518 * 16 - 1); // 518 blocks: fits exactly
    s->IicDat.assign(0x4000, 0);
    InitProtocol(*s, QTime(1, 2, 3));
    EXPECT_EQ(s->comm.ComScriptNum[1], 520);
    EXPECT_TRUE(s->errors.lines().isEmpty());

    s->settings.ReadEndAddr = 519 * 16 - 1; // one block too many
    InitProtocol(*s, QTime(1, 2, 3));
    EXPECT_EQ(s->comm.ComScriptNum[1], 0);
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("modCommun->InitProtocol")));
    // The write list does not suffer from a read range that does not fit.
    EXPECT_EQ(s->comm.ComScriptNum[2], 520);
}

// ---- tokenizer and interpreter -------------------------------------------

TEST(ConvComCode, SplitsPairsAndRefusesMoreThan200Tokens)
{
    auto s = commState();
    s->comm.ComCode[5] = QStringLiteral("ZZ");
    ASSERT_TRUE(ConvComCode(*s, QStringLiteral("TX06EN")));
    EXPECT_EQ(s->comm.ComCode[1], QStringLiteral("TX"));
    EXPECT_EQ(s->comm.ComCode[3], QStringLiteral("EN"));
    EXPECT_EQ(s->comm.ComCode[5], QStringLiteral("ZZ")); // entries past the script stay

    QString longScript = QStringLiteral("06").repeated(200) + QStringLiteral("EN"); // 402 characters
    EXPECT_FALSE(ConvComCode(*s, longScript));
    EXPECT_EQ(s->comm.ComCode[200], QStringLiteral("06"));
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("modCommun->ConvComCode")));
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("出错号:   9")));
    EXPECT_TRUE(ConvComCode(*s, QStringLiteral("06").repeated(200))); // 400 characters fit
}

TEST(ProtocolCom, ReplyChecksAndVariableBytes)
{
    struct Case {
        const char* name;
        QString script;
        QByteArray reply; // what the radio answers after the echo
        int comErr;
        QByteArray va;    // expected ComVaDat from 1
    };
    const Case cases[] = {
        {"extra bytes dropped", QStringLiteral("TX52000002RX57000002VAVAEN"), hex("570000021122334455"), 0, hex("1122")},
        {"wrong fourth byte", QStringLiteral("TX52000002RX57000002VAVAEN"), hex("570000031122"), -1, QByteArray()},
        {"wrong first byte", QStringLiteral("TX52000002RX57000002VAVAEN"), hex("580000021122"), -1, QByteArray()},
        {"mixed literal and VA", QStringLiteral("TX01RXVAAAVABBVAEN"), hex("10AA20BB30"), 0, hex("102030")},
        {"literal after VA wrong", QStringLiteral("TX01RXVAAAVABBVAEN"), hex("10AB20BB30"), -1, QByteArray()},
        {"lower-case hex accepted", QStringLiteral("TX01RXabEN"), hex("AB"), 0, QByteArray()},
    };
    for (const auto& k : cases) {
        auto s = commState();
        FakeLink link;
        link.tamper = [&](int, const QByteArray&, const QByteArray&) { return k.reply; };
        runScript(*s, link, k.script);
        EXPECT_EQ(s->comm.ComErr, k.comErr) << k.name;
        for (int i = 0; i < k.va.size(); ++i)
            EXPECT_EQ(s->comm.ComVaDat[i + 1], static_cast<uint8_t>(k.va[i])) << k.name << " " << i;
        if (k.comErr == -1) {
            EXPECT_EQ(s->comm.listRtData.last(), kText175) << k.name;
            EXPECT_EQ(s->comm.listRtSelected, s->comm.listRtData.size() - 1) << k.name;
        }
    }
}

TEST(ProtocolCom, FailedExchangeStopsTheScript)
{
    auto s = commState();
    FakeLink link;
    link.tamper = [](int no, const QByteArray&, const QByteArray& a) { return no == 0 ? hex("15") : a; };
    runScript(*s, link, kHandshakeScript);
    EXPECT_EQ(s->comm.ComErr, -1);
    EXPECT_EQ(link.writes.size(), 1); // 02 and 06 are never sent
}

TEST(ProtocolCom, HandshakeAndWriteBlockOnTheWire)
{
    auto s = commState();
    FakeLink link;
    runScript(*s, link, kHandshakeScript);
    EXPECT_EQ(s->comm.ComErr, 0);
    EXPECT_EQ(link.writes, QList<QByteArray>({QByteArray("PROGRAM"), hex("02"), hex("06")}));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&s->comm.ComVaDat[1]), 8), link.radio.ident);
    // One 5 ms gap before each exchange, none before the closing "EN".
    EXPECT_EQ(link.sleeps, std::vector<int>({5, 5, 5}));

    for (int i = 1; i <= 3; ++i)
        s->comm.ComVaDat[i] = static_cast<uint8_t>(0xC0 + i);
    link.sleeps.clear();
    runScript(*s, link, QStringLiteral("TX57001003VAVAVARX06EN"));
    EXPECT_EQ(s->comm.ComErr, 0);
    EXPECT_EQ(link.writes.last(), hex("57001003C1C2C3"));
    EXPECT_EQ(link.radio.mem[0x11], 0xC2);
    EXPECT_EQ(link.sleeps, std::vector<int>({5}));

    // The end frame awaits nothing.
    runScript(*s, link, kEndScript);
    EXPECT_EQ(s->comm.ComErr, 0);
    EXPECT_EQ(link.writes.last(), hex("455AA5322345F2"));
    EXPECT_EQ(link.radio.endFrames, 1);
}

TEST(ProtocolCom, FrameHookRunsNoExchange)
{
    auto s = commState();
    FakeLink link;
    QStringList calls;
    s->comm.readWriteFreHook = [&](const QString& kind, int a, int b, int c) {
        calls << QStringLiteral("%1 %2 %3 %4").arg(kind).arg(a).arg(b).arg(c);
    };
    s->comm.ComErr = -1; // left over from an earlier failure
    runScript(*s, link, QStringLiteral("RF010203EN"));
    EXPECT_EQ(calls, QStringList{QStringLiteral("RF 1 2 3")});
    EXPECT_EQ(s->comm.ComErr, 0);
    EXPECT_TRUE(link.writes.isEmpty());
    EXPECT_TRUE(link.sleeps.empty());
}

TEST(RxComDat, ReplyTimeOutIs151Polls)
{
    struct Case {
        bool echo;
        int delay;
        int comErr;
    } cases[] = {{false, 0, -1}, {true, 140, 0}, {true, 151, 0}, {true, 152, -1}};
    for (const auto& k : cases) {
        auto s = commState();
        FakeLink link;
        link.echo = k.echo;
        link.replyDelayMs = k.delay;
        runScript(*s, link, QStringLiteral("TX06RX06EN"));
        EXPECT_EQ(s->comm.ComErr, k.comErr) << k.echo << " " << k.delay;
        if (k.comErr == -1) {
            EXPECT_EQ(link.waitedForBytesMs, 151);
            EXPECT_EQ(s->comm.listRtData, QStringList({QStringLiteral("Tx: 06 "), kText175}));
        }
    }
}

TEST(ProtocolCom, PortErrorFailsTheScript)
{
    auto s = commState();
    FakeLink link;
    link.onWrite = [] { throw QmError(75, QStringLiteral("unplugged")); };
    runScript(*s, link, kHandshakeScript);
    EXPECT_EQ(s->comm.ComErr, -1);
    ASSERT_EQ(s->errors.lines().size(), 2);
    EXPECT_TRUE(s->errors.lines()[1].contains(QStringLiteral("modCommun->ProtocolCom")));
}

TEST(ProtocolCom, MalformedScriptsAreListedNotRun)
{
    const QString scripts[] = {QStringLiteral("TXG1EN"), QStringLiteral("TX") + QStringLiteral("06").repeated(102) + QStringLiteral("EN"),
                               QStringLiteral("TXRX") + QStringLiteral("VA").repeated(102) + QStringLiteral("EN")};
    for (const auto& sc : scripts) {
        auto s = commState();
        FakeLink link;
        runScript(*s, link, sc);
        EXPECT_EQ(s->comm.ComErr, -1) << sc.toStdString();
        EXPECT_TRUE(link.writes.isEmpty());
        EXPECT_EQ(s->errors.lines().size(), 2);
    }
}

// ---- frame trace ----------------------------------------------------------

TEST(ComDataShow, LineLayouts)
{
    QByteArray b20, b21;
    for (int i = 0; i < 21; ++i)
        b21.append(static_cast<char>(i));
    b20 = b21.left(20);
    EXPECT_EQ(ComDataLines(0, hex("52123010")), QStringList{QStringLiteral("Tx: 52 12 30 10 ")});
    EXPECT_EQ(ComDataLines(-1, hex("06")), QStringList{QStringLiteral("Rx: 06 ")});
    EXPECT_EQ(ComDataLines(0, hex("557997A557090507")),
              QStringList({QStringLiteral("Tx: 55 79 97 A5 "), QStringLiteral("    57 09 05 07 ")}));
    const QString mid = QStringLiteral("       04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 ");
    EXPECT_EQ(ComDataLines(-1, b20), QStringList({QStringLiteral("Rx: 00 01 02 03 "), mid}));
    EXPECT_EQ(ComDataLines(-1, b21), QStringList({QStringLiteral("Rx: 00 01 02 03 "), mid, QStringLiteral("    14 ")}));
}

TEST(ComDataShow, InsertsSelectsAndStartsAfreshAbove3000Lines)
{
    auto s = commState();
    int changed = 0;
    std::vector<std::pair<int, bool>> added;
    s->hooks.traceChanged = [&] { ++changed; };
    s->comm.traceLineAdded = [&](int idx, const QString&, bool reset) { added.push_back({idx, reset}); };
    ComDataShow(*s, 0, hex("52123010"));
    EXPECT_EQ(s->comm.listRtData.size(), 1);
    EXPECT_EQ(s->comm.listRtSelected, 0);
    EXPECT_EQ(s->comm.ComListIdx, 1);
    EXPECT_EQ(changed, 1);

    s->comm.listRtData.clear();
    for (int i = 0; i < 3001; ++i)
        s->comm.listRtData << QStringLiteral("x");
    s->comm.ComListIdx = 3000;
    ComDataShow(*s, -1, hex("06")); // 3000 is not above the limit
    EXPECT_EQ(s->comm.listRtData.size(), 3002);
    EXPECT_EQ(s->comm.ComListIdx, 3001);
    added.clear();
    ComDataShow(*s, 0, hex("557997A557090507"));
    EXPECT_EQ(s->comm.listRtData, QStringList({QStringLiteral("Tx: 55 79 97 A5 "), QStringLiteral("    57 09 05 07 ")}));
    EXPECT_EQ(s->comm.ComListIdx, 2);
    EXPECT_EQ(s->comm.listRtSelected, 1);
    EXPECT_EQ(added, (std::vector<std::pair<int, bool>>{{0, true}, {1, false}}));
}

TEST(DelayNms, ZeroReturnsAtOnceAndWaitsAreAtLeastN)
{
    QElapsedTimer t;
    t.start();
    DelayNms(0);
    SleepMs(0);
    EXPECT_LT(t.elapsed(), 5);
    t.restart();
    DelayNms(5);
    EXPECT_GE(t.elapsed(), 5);
    t.restart();
    SleepMs(3);
    EXPECT_GE(t.elapsed(), 3);
}
