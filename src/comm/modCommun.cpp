#include "comm/modCommun.h"

#include "shell/VbConv.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <thread>

namespace qm {

namespace {

constexpr int kMaxFrame = 101; // ComTxDat / ComRxExp entries 0..100

const QString kTX = QStringLiteral("TX");
const QString kRX = QStringLiteral("RX");
const QString kVA = QStringLiteral("VA");
const QString kEN = QStringLiteral("EN");
const QString kRF = QStringLiteral("RF");
const QString kWF = QStringLiteral("WF");

// Fallback wording of the receive failure when no text table is loaded.
const QString kRxFailedText = QStringLiteral("Rx\uFF1ACommunication failed! No receive Data!");

const QString& tokenAt(const CommState& c, int idx)
{
    checkIndex(idx, 1, kMaxTokens);
    return c.ComCode[static_cast<size_t>(idx)];
}

int hexDigit(QChar ch)
{
    const ushort u = ch.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// The value of a one- or two-digit hexadecimal token (error 13 otherwise).
uint8_t tokenByte(const QString& tok)
{
    if (tok.isEmpty() || tok.size() > 2)
        throw QmError(13);
    int v = 0;
    for (QChar ch : tok) {
        const int d = hexDigit(ch);
        if (d < 0)
            throw QmError(13);
        v = v * 16 + d;
    }
    return static_cast<uint8_t>(v);
}

QString addressText(int addr)
{
    return FormatByteDat(static_cast<uint8_t>((addr >> 8) & 0xFF)) + FormatByteDat(static_cast<uint8_t>(addr & 0xFF));
}

void addScript(CommState& c, int d, const QString& text, int start, int count, int percent)
{
    const int n = static_cast<int>(c.ComScript[static_cast<size_t>(d)].size()); // number of the new script
    checkIndex(n, 1, kMaxScripts);
    c.ComScript[static_cast<size_t>(d)].append(text);
    c.ComScriptPara[static_cast<size_t>(d)].push_back({0, start, count, percent});
}

// Handshake (or set-time) script, the blocks of start..end, the end script.
void buildList(CommState& c, int d, int start, int end, const QString& first)
{
    addScript(c, d, first, 0, 0, 3);
    double b = roundHalfEven((end - start) / 16.0);
    if (b == 0)
        b = 1;
    for (int addr = start; addr <= end; addr += 16) {
        const int n = static_cast<int>(c.ComScript[static_cast<size_t>(d)].size());
        const int ll = end - addr >= 16 ? 16 : end - addr + 1;
        const QString aaaa = addressText(addr);
        const QString len = FormatByteDat(static_cast<uint8_t>(ll));
        const QString va = kVA.repeated(ll);
        const QString text = d == 1 ? kTX + QStringLiteral("52") + aaaa + len + kRX + QStringLiteral("57") + aaaa + len + va + kEN
                                    : kTX + QStringLiteral("57") + aaaa + len + va + kRX + QStringLiteral("06") + kEN;
        const int percent = static_cast<int>(std::min(97.0, roundHalfEven((n - 1) * 94.0 / b + 3)));
        addScript(c, d, text, addr, ll, percent);
    }
    addScript(c, d, kEndScript, 0, 0, 100);
    c.ComScriptNum[static_cast<size_t>(d)] = static_cast<int>(c.ComScript[static_cast<size_t>(d)].size()) - 1;
}

// One exchange from the "TX" at the token index: collect the send and
// receive parts, send, receive and check.
void runExchange(AppState& s, CommLink& link)
{
    auto& c = s.comm;
    bool receive = false;
    for (;;) {
        ++c.ComCodeIdx;
        const QString& tok = tokenAt(c, c.ComCodeIdx);
        if (!receive) {
            if (tok == kVA) {
                checkIndex(c.ComVaIdx, 1, kMaxVaBytes);
                checkIndex(static_cast<long long>(c.ComTxDat.size()), 0, kMaxFrame - 1);
                c.ComTxDat.push_back(c.ComVaDat[static_cast<size_t>(c.ComVaIdx)]);
                ++c.ComVaIdx;
            } else if (tok == kRX) {
                receive = true;
            } else if (tok == kEN) {
                break;
            } else {
                checkIndex(static_cast<long long>(c.ComTxDat.size()), 0, kMaxFrame - 1);
                c.ComTxDat.push_back(tokenByte(tok));
            }
        } else {
            if (tok == kTX || tok == kEN || tok == kRF || tok == kWF)
                break;
            checkIndex(c.ComRxExp.size(), 0, kMaxFrame - 1);
            c.ComRxExp.append(tok);
        }
    }

    c.ComErr = 0;
    link.clearBuffers();
    if (!c.ComTxDat.empty()) {
        const QByteArray frame(reinterpret_cast<const char*>(c.ComTxDat.data()), static_cast<qsizetype>(c.ComTxDat.size()));
        ComDataShow(s, 0, frame);
        link.write(frame);
    }
    if (!c.ComRxExp.isEmpty())
        RxComDat(s, link, static_cast<int>(c.ComRxExp.size()));
}

} // namespace

int BlockCount(int start, int end)
{
    return start > end ? 0 : (end - start) / 16 + 1;
}

void InitProtocol(AppState& s)
{
    InitProtocol(s, QTime::currentTime());
}

void InitProtocol(AppState& s, const QTime& now)
{
    auto& c = s.comm;
    // Both lists start empty, so a build that stops half-way leaves a count
    // of 0 rather than the count of an older list; and each list is built on
    // its own, so a read range that does not fit leaves the write list whole.
    for (int d = 1; d <= 2; ++d) {
        c.ComScript[static_cast<size_t>(d)] = QStringList{QString()};
        c.ComScriptPara[static_cast<size_t>(d)].assign(1, {0, 0, 0, 0});
        c.ComScriptNum[static_cast<size_t>(d)] = 0;
    }
    guarded(s.errors, QStringLiteral("modCommun->InitProtocol"), [&] {
        buildList(c, 1, s.settings.ReadStartAddr, s.settings.ReadEndAddr, kHandshakeScript);
    });
    guarded(s.errors, QStringLiteral("modCommun->InitProtocol"), [&] {
        QString first = kHandshakeScript;
        if (s.optView.chkSetTime) {
            const QString hhmmss = FormatByteDat(toBcd(now.hour())) + FormatByteDat(toBcd(now.minute())) +
                                   FormatByteDat(toBcd(now.second()));
            first = QStringLiteral("TX557997A557") + hhmmss + QStringLiteral("RX06") + kHandshakeScript;
        }
        buildList(c, 2, s.settings.WriteStartAddr, s.settings.WriteEndAddr, first);
    });
}

bool ConvComCode(AppState& s, const QString& script)
{
    return guarded(s.errors, QStringLiteral("modCommun->ConvComCode"), [&] {
        for (qsizetype i = 0; i < script.size(); i += 2) {
            const auto idx = i / 2 + 1;
            checkIndex(idx, 1, kMaxTokens);
            s.comm.ComCode[static_cast<size_t>(idx)] = script.mid(i, 2);
        }
    });
}

void ProtocolCom(AppState& s, CommLink& link)
{
    auto& c = s.comm;
    c.ComErr = 0;
    const bool ok = guarded(s.errors, QStringLiteral("modCommun->ProtocolCom"), [&] {
        c.ComCodeIdx = 1;
        c.ComVaIdx = 1;
        for (;;) {
            c.ComTxDat.clear();
            c.ComRxExp.clear();
            const QString tok = tokenAt(c, c.ComCodeIdx);
            if (tok == kTX) {
                // The radio wants a short gap before every exchange; a pause
                // that no exchange follows would only cost time.
                link.waitMs(kGapMs);
                runExchange(s, link);
            } else if (tok == kRF || tok == kWF) {
                const int a = tokenByte(tokenAt(c, c.ComCodeIdx + 1));
                const int b = tokenByte(tokenAt(c, c.ComCodeIdx + 2));
                const int d = tokenByte(tokenAt(c, c.ComCodeIdx + 3));
                c.ComCodeIdx += 4;
                ReadWriteFre(s, tok, a, b, d);
            } else {
                break;
            }
            if (c.ComErr == -1)
                break;
        }
    });
    // A script that could not run to its end has failed, whatever stopped it.
    if (!ok)
        c.ComErr = -1;
}

void RxComDat(AppState& s, CommLink& link, int n)
{
    auto& c = s.comm;
    bool failed = false;
    const bool ok = guarded(s.errors, QStringLiteral("modCommun->RxComDat"), [&] {
        c.ComVaIdx = 1;
        const qint64 sent = static_cast<qint64>(c.ComTxDat.size());
        const qint64 need = sent + n;
        // RxWaitTimes + 1 polls of RxWaitMs each (151 ms in a transfer),
        // measured on the clock; the wait ends early as bytes come in.
        const qint64 budget = (static_cast<qint64>(c.RxWaitTimes) + 1) * std::max<qint64>(c.RxWaitMs, 0);
        const qint64 deadline = link.nowMs() + budget;
        while (link.bytesAvailable() < need) {
            const qint64 left = deadline - link.nowMs();
            if (left <= 0) {
                failed = true;
                return;
            }
            link.waitForBytes(static_cast<int>(std::min<qint64>(left, 60000)));
        }
        // The link echoes what was sent: skip the echo, keep n bytes, drop the rest.
        const QByteArray rx = link.readAll().mid(sent, n);
        if (rx.size() < n) {
            failed = true;
            return;
        }
        ComDataShow(s, -1, rx);
        for (int k = 0; k < n; ++k) {
            const QString& expected = c.ComRxExp[k];
            const auto got = static_cast<uint8_t>(rx[k]);
            if (expected == kVA) {
                checkIndex(c.ComVaIdx, 1, kMaxVaBytes);
                c.ComVaDat[static_cast<size_t>(c.ComVaIdx)] = got;
                ++c.ComVaIdx;
            } else if (got != tokenByte(expected)) {
                failed = true;
                return;
            }
        }
    });
    if (failed) {
        const QString text = s.text(175).isEmpty() ? kRxFailedText : s.text(175);
        AddComListLine(s, text);
        if (s.hooks.traceChanged)
            s.hooks.traceChanged();
        c.ComErr = -1;
    } else if (!ok) {
        c.ComErr = -1;
    }
}

void ReadWriteFre(AppState& s, const QString& kind, int a, int b, int c)
{
    if (s.comm.readWriteFreHook)
        s.comm.readWriteFreHook(kind, a, b, c);
}

QStringList ComDataLines(int direction, const QByteArray& bytes)
{
    const auto hex = [&](qsizetype i) {
        return FormatByteDat(static_cast<uint8_t>(bytes[i])) + QLatin1Char(' ');
    };
    QStringList lines;
    QString first = direction == 0 ? QStringLiteral("Tx: ") : QStringLiteral("Rx: ");
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    for (; i < n && i < 4; ++i)
        first += hex(i);
    lines << first;
    while (n - i >= 16) {
        QString line = QStringLiteral("       ");
        for (int k = 0; k < 16; ++k, ++i)
            line += hex(i);
        lines << line;
    }
    if (i < n) {
        QString line = QStringLiteral("    ");
        for (; i < n; ++i)
            line += hex(i);
        lines << line;
    }
    return lines;
}

void AddComListLine(AppState& s, const QString& line, bool reset)
{
    auto& c = s.comm;
    const int idx = std::clamp(c.ComListIdx, 0, static_cast<int>(c.listRtData.size()));
    c.listRtData.insert(idx, line);
    c.listRtSelected = idx;
    c.ComListIdx = idx + 1;
    if (c.traceLineAdded)
        c.traceLineAdded(idx, line, reset);
}

void ComDataShow(AppState& s, int direction, const QByteArray& bytes)
{
    guarded(s.errors, QStringLiteral("modCommun->ComDataShow"), [&] {
        auto& c = s.comm;
        bool reset = false;
        if (c.ComListIdx > kTraceLimit) {
            c.listRtData.clear();
            c.listRtSelected = -1;
            c.ComListIdx = 0;
            reset = true;
        }
        for (const QString& line : ComDataLines(direction, bytes)) {
            AddComListLine(s, line, reset);
            reset = false;
        }
        if (s.hooks.traceChanged)
            s.hooks.traceChanged();
    });
}

void OpenCom(AppState& s, CommLink& link)
{
    s.comm.ComOpenErr = 0;
    const bool ok = guarded(s.errors, QStringLiteral("modCommun->OpenCom"), [&] {
        QString reason;
        int number = 75;
        s.comm.ComOpenErrText.clear();
        if (!link.open(&reason, &number)) {
            s.comm.ComOpenErr = -1;
            s.comm.ComOpenErrText = reason;
            throw QmError(number, reason);
        }
    });
    if (!ok)
        s.comm.ComOpenErr = -1;
}

void CloseCom(AppState& s, CommLink& link)
{
    guarded(s.errors, QStringLiteral("modCommun->CloseCom"), [&] { link.close(); });
}

void SleepMs(int n)
{
    if (n <= 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(n);
    while (std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_until(deadline);
}

void DelayNms(int n)
{
    if (n <= 0)
        return;
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        SleepMs(n);
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(n);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        std::this_thread::sleep_until(std::min(deadline, now + std::chrono::milliseconds(1)));
    }
}

} // namespace qm
