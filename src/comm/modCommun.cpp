#include "comm/modCommun.h"

#include "settings/VbConv.h"

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

// The value of a one- or two-digit hexadecimal token (error 13 otherwise).
uint8_t tokenByte(const QString& tok)
{
    if (tok.isEmpty() || tok.size() > 2)
        throw QmError(13);
    int v = 0;
    for (QChar ch : tok) {
        const int d = hexDigitValue(ch);
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

void addScript(TransferData& c, int d, const QString& text, int start, int count, int percent)
{
    const int n = static_cast<int>(c.ComScript[static_cast<size_t>(d)].size()); // number of the new script
    checkIndex(n, 1, kMaxScripts);
    c.ComScript[static_cast<size_t>(d)].append(text);
    c.ComScriptPara[static_cast<size_t>(d)].push_back({0, start, count, percent});
}

// Handshake (or set-time) script, the blocks of start..end, the end script.
void buildList(TransferData& c, int d, int start, int end, const QString& first)
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

} // namespace

int BlockCount(int start, int end)
{
    return start > end ? 0 : (end - start) / 16 + 1;
}

void InitProtocol(CommContext s)
{
    InitProtocol(s, QTime::currentTime());
}

void InitProtocol(CommContext s, const QTime& now)
{
    TransferData& c = s.xfer;
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

ProtocolInterpreter::ProtocolInterpreter(TransferData& xfer, CommLink& link, ErrorList& errors, QString rxFailedText)
    : x_(xfer), link_(link), errors_(errors), rxFailedText_(rxFailedText.isEmpty() ? kRxFailedText : std::move(rxFailedText))
{
}

const QString& ProtocolInterpreter::token(int idx) const
{
    checkIndex(idx, 1, kMaxTokens);
    return ComCode[static_cast<size_t>(idx)];
}

bool ProtocolInterpreter::ConvComCode(const QString& script)
{
    return guarded(errors_, QStringLiteral("modCommun->ConvComCode"), [&] {
        for (qsizetype i = 0; i < script.size(); i += 2) {
            const auto idx = i / 2 + 1;
            checkIndex(idx, 1, kMaxTokens);
            ComCode[static_cast<size_t>(idx)] = script.mid(i, 2);
        }
    });
}

// The send and receive parts of the exchange from the "TX" at the token
// index, gathered into ComTxDat and ComRxExp.
void ProtocolInterpreter::collectExchange()
{
    bool receive = false;
    for (;;) {
        ++ComCodeIdx;
        const QString& tok = token(ComCodeIdx);
        if (!receive) {
            if (tok == kVA) {
                checkIndex(ComVaIdx, 1, kMaxVaBytes);
                checkIndex(static_cast<long long>(ComTxDat.size()), 0, kMaxFrame - 1);
                ComTxDat.push_back(x_.ComVaDat[static_cast<size_t>(ComVaIdx)]);
                ++ComVaIdx;
            } else if (tok == kRX) {
                receive = true;
            } else if (tok == kEN) {
                break;
            } else {
                checkIndex(static_cast<long long>(ComTxDat.size()), 0, kMaxFrame - 1);
                ComTxDat.push_back(tokenByte(tok));
            }
        } else {
            if (tok == kTX || tok == kEN || tok == kRF || tok == kWF)
                break;
            checkIndex(ComRxExp.size(), 0, kMaxFrame - 1);
            ComRxExp.append(tok);
        }
    }
}

// Sends the gathered frame, then receives and checks the reply. The frame
// goes out first and is traced after: the pause before it ends at the
// radio's 5 ms, and nothing else may stretch it.
void ProtocolInterpreter::runExchange()
{
    x_.ComErr = 0;
    link_.clearBuffers();
    if (!ComTxDat.empty()) {
        const QByteArray frame(reinterpret_cast<const char*>(ComTxDat.data()), static_cast<qsizetype>(ComTxDat.size()));
        link_.write(frame);
        ComDataShow(0, frame);
    }
    if (!ComRxExp.isEmpty())
        RxComDat(static_cast<int>(ComRxExp.size()));
}

void ProtocolInterpreter::ProtocolCom()
{
    x_.ComErr = 0;
    const bool ok = guarded(errors_, QStringLiteral("modCommun->ProtocolCom"), [&] {
        ComCodeIdx = 1;
        ComVaIdx = 1;
        for (;;) {
            ComTxDat.clear();
            ComRxExp.clear();
            const QString tok = token(ComCodeIdx);
            if (tok == kTX) {
                // The radio wants a short gap before every exchange; a pause
                // that no exchange follows would only cost time. The frame is
                // put together before the pause, so the pause is all that
                // stands between the radio's reply and the next frame.
                // Counted from the moment the previous reply was all in,
                // when it was (the same script, or the block script before):
                // the work done since then is not added to the pause. A
                // failed exchange leaves no such moment, so a retry waits its
                // own pause and then the whole gap.
                const qint64 since = replyDoneUs_;
                replyDoneUs_ = -1;
                collectExchange();
                link_.waitGapMs(kGapMs, since);
                runExchange();
            } else if (tok == kRF || tok == kWF) {
                const int a = tokenByte(token(ComCodeIdx + 1));
                const int b = tokenByte(token(ComCodeIdx + 2));
                const int d = tokenByte(token(ComCodeIdx + 3));
                ComCodeIdx += 4;
                if (readWriteFreHook)
                    readWriteFreHook(tok, a, b, d);
            } else {
                break;
            }
            if (x_.ComErr == -1)
                break;
        }
    });
    // A script that could not run to its end has failed, whatever stopped it.
    if (!ok)
        x_.ComErr = -1;
}

void ProtocolInterpreter::RxComDat(int n)
{
    bool failed = false;
    qint64 allInUs = -1; // when the reply was all there
    const bool ok = guarded(errors_, QStringLiteral("modCommun->RxComDat"), [&] {
        ComVaIdx = 1;
        const qint64 sent = static_cast<qint64>(ComTxDat.size());
        const qint64 need = sent + n;
        // RxWaitTimes + 1 polls of RxWaitMs each (151 ms in a transfer),
        // measured on the clock from the moment the frame went out.
        const qint64 budgetUs = (static_cast<qint64>(x_.RxWaitTimes) + 1) * std::max<qint64>(x_.RxWaitMs, 0) * 1000;
        const qint64 startUs = link_.nowUs();
        const qint64 deadlineUs = startUs + budgetUs;
        qint64 seen = 0; // bytes there at the previous look
        for (;;) {
            const qint64 have = link_.bytesAvailable();
            if (have >= need)
                break;
            const qint64 nowUs = link_.nowUs();
            const qint64 leftUs = deadlineUs - nowUs;
            if (leftUs <= 0) {
                failed = true;
                return;
            }
            // The echo and the reply come over the line one byte after the
            // other. While they keep coming in at the line rate, the bytes
            // still missing need at least their line time: sleep through it
            // but for the last byte, which is then awaited like any other
            // (the wait returns as soon as a byte arrives). So a block costs
            // a few wake-ups instead of one per byte. Nothing new since the
            // last look (a reply not begun yet, or paused), bytes faster than
            // a line carries them (a link with no line behind it) or one
            // byte missing: wait for the next byte. A late, paused or
            // broken-off reply meets the same deadline either way.
            const qint64 missing = need - have;
            const bool comingIn = have > seen && nowUs - startUs >= (have - 1) * kLineByteUs;
            seen = have;
            if (comingIn && missing > 1)
                link_.sleepUs(std::min((missing - 1) * kLineByteUs, leftUs));
            else if (leftUs < 1000)
                link_.sleepUs(leftUs);
            else
                link_.waitForBytes(static_cast<int>(std::min<qint64>(leftUs / 1000, 60000)));
        }
        allInUs = link_.nowUs();
        // The link echoes what was sent: skip the echo, keep n bytes, drop the rest.
        const QByteArray rx = link_.readAll().mid(sent, n);
        if (rx.size() < n) {
            failed = true;
            return;
        }
        ComDataShow(-1, rx);
        for (int k = 0; k < n; ++k) {
            const QString& expected = ComRxExp[k];
            const auto got = static_cast<uint8_t>(rx[k]);
            if (expected == kVA) {
                checkIndex(ComVaIdx, 1, kMaxVaBytes);
                x_.ComVaDat[static_cast<size_t>(ComVaIdx)] = got;
                ++ComVaIdx;
            } else if (got != tokenByte(expected)) {
                failed = true;
                return;
            }
        }
    });
    if (failed) {
        AddComListLine(rxFailedText_);
        x_.ComErr = -1;
    } else if (!ok) {
        x_.ComErr = -1;
    } else {
        replyDoneUs_ = allInUs;
    }
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

void ProtocolInterpreter::AddComListLine(const QString& line, bool reset)
{
    const int idx = std::clamp(x_.ComListIdx, 0, static_cast<int>(x_.listRtData.size()));
    x_.listRtData.insert(idx, line);
    x_.listRtSelected = idx;
    x_.ComListIdx = idx + 1;
    if (traceLineAdded)
        traceLineAdded(idx, line, reset);
}

void ProtocolInterpreter::ComDataShow(int direction, const QByteArray& bytes)
{
    guarded(errors_, QStringLiteral("modCommun->ComDataShow"), [&] {
        bool reset = false;
        if (x_.ComListIdx > kTraceLimit) {
            x_.listRtData.clear();
            x_.listRtSelected = -1;
            x_.ComListIdx = 0;
            reset = true;
        }
        for (const QString& line : ComDataLines(direction, bytes)) {
            AddComListLine(line, reset);
            reset = false;
        }
    });
}

void OpenCom(TransferData& x, CommLink& link, ErrorList& errors, Error* why)
{
    x.ComOpenErr = 0;
    const bool ok = guarded(errors, QStringLiteral("modCommun->OpenCom"), [&] {
        Error e{75, QStringLiteral("open port"), {}, {}};
        if (!link.open(&e))
            throw QmError(e);
    });
    if (!ok) {
        x.ComOpenErr = -1;
        if (why)
            *why = errors.entries().back().error;
    }
}

void CloseCom(CommLink& link, ErrorList& errors)
{
    guarded(errors, QStringLiteral("modCommun->CloseCom"), [&] { link.close(); });
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
