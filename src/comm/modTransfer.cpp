#include "comm/modTransfer.h"

#include "image/modIicDat.h"

#include "channels/modChMem.h"
#include "comm/modCommun.h"
#include "comm/modRadioFacts.h"
#include "options/modSysSet.h"
#include "shell/VbConv.h"

#include <QRegularExpression>

#include <algorithm>

namespace qm {

namespace {

QString hex4(int addr)
{
    return QStringLiteral("%1").arg(addr & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper();
}

void rangeOf(const AppState& s, TransferDirection d, int& start, int& end)
{
    if (d == TransferDirection::Read) {
        start = s.settings.ReadStartAddr;
        end = s.settings.ReadEndAddr;
    } else {
        start = s.settings.WriteStartAddr;
        end = s.settings.WriteEndAddr;
    }
}

QString textOr(const AppState& s, int n, const QString& fallback)
{
    const QString t = s.text(n);
    return t.isEmpty() ? fallback : t;
}

const QString kText79 = QStringLiteral("Communication failed,please check commuication port!");
const QString kText70 = QStringLiteral("Notice");

// What the channel and option encoders read besides the image: the tables
// the editors change and the definitions they are encoded by.
void copyEditors(const AppState& from, AppState& to)
{
    to.ChData = from.ChData;
    to.ChNameCode = from.ChNameCode;
    to.ColInfo = from.ColInfo;
    to.ChNum = from.ChNum;
    to.ChColNum = from.ChColNum;
    to.CtdcsName = from.CtdcsName;
    to.CtdcsIicCode = from.CtdcsIicCode;
    to.ValidChar = from.ValidChar;
    to.FreCharBuf = from.FreCharBuf;
    to.OptSel = from.OptSel;
    to.OptDef = from.OptDef;
}

} // namespace

bool WriteComDat(AppState& s, const QDateTime& now)
{
    return guarded(s.errors, QStringLiteral("frmCommun->WriteComDat"), [&] {
        const QDate date = now.date();
        const QTime time = now.time();
        // Year, month and day as plain numbers (the last two decimal digits),
        // hour and minute as BCD.
        const uint8_t bytes[5] = {static_cast<uint8_t>(date.year() % 100), static_cast<uint8_t>(date.month() % 100),
                                  static_cast<uint8_t>(date.day() % 100), toBcd(time.hour()), toBcd(time.minute())};
        const int addrs[5] = {0x0E70, 0x0E71, 0x0E72, 0x0E78, 0x0E79};
        for (int a : addrs)
            checkIndex(a, 0, static_cast<long long>(s.IicDat.size()) - 1);
        for (int i = 0; i < 5; ++i)
            s.img(addrs[i]) = bytes[i];
    });
}

bool WriteComDat(AppState& s)
{
    return WriteComDat(s, QDateTime::currentDateTime());
}

void ShowComPercent(AppState& s, int percent)
{
    s.comm.ComPercent = percent;
    s.comm.ComStatusText = QString::number(percent) + QStringLiteral(" %");
}

void AssembleImageForWrite(AppState& s)
{
    // The channel encoder, then the option encoder; bytes no codec owns pass
    // through unchanged.
    SetConvIicDat(s);
}

QString TransferRangeProblem(const AppState& s, TransferDirection d)
{
    int start = 0, end = 0;
    rangeOf(s, d, start, end);
    const QString what = d == TransferDirection::Read ? QStringLiteral("read") : QStringLiteral("write");
    const QString range = hex4(start) + QStringLiteral("-") + hex4(end);
    const int last = static_cast<int>(s.IicDat.size()) - 1;
    // Values from 8000 up are negative 16-bit numbers; no image reaches them.
    if (start < 0 || end < 0)
        return QStringLiteral("The %1 range %2 reaches past the memory image (addresses 0000-%3).")
            .arg(what, range, hex4(std::max(last, 0)));
    if (start > end)
        return QStringLiteral("The %1 start address %2 is above the %1 end address %3: there is nothing to %1.")
            .arg(what, hex4(start), hex4(end));
    if (end > last)
        return QStringLiteral("The %1 range %2 reaches past the memory image (addresses 0000-%3).")
            .arg(what, range, hex4(std::max(last, 0)));
    const int blocks = BlockCount(start, end);
    if (blocks > kMaxScriptBlocks)
        return QStringLiteral("The %1 range %2 needs %3 blocks of 16 bytes; one transfer holds at most %4 blocks (%5 bytes).")
            .arg(what, range)
            .arg(blocks)
            .arg(kMaxScriptBlocks)
            .arg(kMaxScriptBlocks * 16);
    return {};
}

TransferDriver::TransferDriver(AppState& s, TransferDirection d, Clock clock)
    : dir_(d), clock_(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); }))
{
    const auto di = static_cast<size_t>(d);
    InitProtocol(s, clock_().time());
    refusal_ = TransferRangeProblem(s, d);
    if (refusal_.isEmpty() && s.comm.ComScriptNum[di] == 0)
        refusal_ = QStringLiteral("The script list could not be built (see the error list).");
    if (refused())
        return;

    auto& c = s.comm;
    c.ComFailTimes = 0;
    c.RxWaitMs = 1;
    c.RxWaitTimes = 150;
    c.ComListIdx = 0;
    c.listRtData.clear();
    c.listRtSelected = -1;
    if (s.hooks.traceChanged)
        s.hooks.traceChanged();

    // The transfer's private copy: it never touches s while it runs. A write
    // assembles its image in this copy only once the port has opened, so a
    // write that never starts leaves the program's image as it was.
    work_ = std::make_unique<AppState>();
    AppState& w = *work_;
    w.settings = s.settings;
    w.SoftFaceStr = s.SoftFaceStr;
    w.IicDat = s.IicDat;
    if (d == TransferDirection::Write)
        copyEditors(s, w);
    w.comm = s.comm;
    w.comm.readWriteFreHook = nullptr;
    w.comm.traceLineAdded = [this](int index, const QString& line, bool reset) {
        if (cb_.traceLine)
            cb_.traceLine(index, line, reset);
    };
    w.errors.now = s.errors.now;
    errorLinesBefore_ = 0;
}

TransferDriver::~TransferDriver() = default;

void TransferDriver::runScripts(CommLink& link, TransferOutcome& o)
{
    AppState& w = *work_;
    auto& c = w.comm;
    const auto d = static_cast<size_t>(dir_);
    const bool reading = dir_ == TransferDirection::Read;

    OpenCom(w, link);
    if (c.ComOpenErr == -1) {
        o.result = TransferResult::PortOpenFailed;
        o.message = c.ComOpenErrText.isEmpty() ? QStringLiteral("The port could not be opened.") : c.ComOpenErrText;
        return;
    }
    if (!reading) {
        // The port is open: assemble the image from the editors, stamp it
        // with the date and send exactly that. From here on the program's
        // image takes it over, whatever becomes of the transfer (blocks may
        // have reached the radio).
        AssembleImageForWrite(w);
        o.stampTime = clock_();
        o.stamped = WriteComDat(w, o.stampTime);
        o.image = w.IicDat;
    }

    const int count = c.ComScriptNum[d];
    for (int n = 1; n <= count; ++n) {
        const auto para = c.ComScriptPara[d].at(static_cast<size_t>(n));
        const int start = para[1], bytes = para[2], percent = para[3];
        const QString script = c.ComScript[d].at(n);
        for (;;) {
            if (stop_.load()) {
                o.result = TransferResult::Stopped;
                return;
            }
            if (!reading) {
                for (int i = 1; i <= bytes; ++i) {
                    checkIndex(i, 1, kMaxVaBytes);
                    c.ComVaDat[static_cast<size_t>(i)] = w.img(start + i - 1);
                }
            }
            if (!ConvComCode(w, script))
                throw QmError(5, QStringLiteral("script %1 does not fit the token table").arg(n));
            ProtocolCom(w, link);
            if (c.ComErr == 0) {
                ShowComPercent(w, percent);
                if (cb_.progress)
                    cb_.progress(percent);
                if (reading) {
                    for (int i = 1; i <= bytes; ++i) {
                        checkIndex(i, 1, kMaxVaBytes);
                        w.img(start + i - 1) = c.ComVaDat[static_cast<size_t>(i)];
                    }
                }
                break;
            }
            ++c.ComFailTimes;
            if (c.ComFailTimes >= kMaxComFailTimes) {
                o.result = TransferResult::Aborted;
                o.message = textOr(w, 79, kText79);
                return;
            }
            link.waitMs(kRetryPauseMs);
        }
    }
    o.result = TransferResult::Success;
    if (reading)
        o.image = w.IicDat;
}

TransferOutcome TransferDriver::run(CommLink& link)
{
    TransferOutcome o;
    o.direction = dir_;
    if (refused() || !work_) {
        o.result = TransferResult::Refused;
        o.message = refused() ? refusal_ : QStringLiteral("This transfer has already run.");
        return o;
    }
    AppState& w = *work_;
    const QString label =
        dir_ == TransferDirection::Read ? QStringLiteral("frmCommun->cmdRead_Click") : QStringLiteral("frmCommun->cmdWrite_Click");
    QString detail;
    const bool ok = guarded(w.errors, label, [&] {
        try {
            runScripts(link, o);
        } catch (const QmError& e) {
            detail = e.detail();
            throw;
        } catch (const std::exception& e) {
            detail = QString::fromLocal8Bit(e.what());
            throw;
        }
    });
    // The port is closed after a complete, an abandoned and a failed transfer alike.
    if (link.isOpen())
        CloseCom(w, link);
    if (!ok) {
        o.result = TransferResult::Error;
        if (dir_ == TransferDirection::Read)
            o.image.clear();
        o.message = QStringLiteral("The transfer stopped on an unexpected error") +
                    (detail.isEmpty() ? QStringLiteral(" (see the error list).") : QStringLiteral(": ") + detail);
    }

    const auto& c = w.comm;
    o.ComFailTimes = c.ComFailTimes;
    o.ComErr = c.ComErr;
    o.ComOpenErr = c.ComOpenErr;
    o.ComPercent = c.ComPercent;
    o.ComVaDat = c.ComVaDat;
    o.trace = c.listRtData;
    o.ComListIdx = c.ComListIdx;
    o.listRtSelected = c.listRtSelected;
    o.errorLines = w.errors.lines().mid(errorLinesBefore_);
    work_.reset(); // one run per driver
    return o;
}

void applyTraceLine(AppState& s, int index, const QString& line, bool reset)
{
    auto& c = s.comm;
    if (reset) {
        c.listRtData.clear();
        c.listRtSelected = -1;
    }
    const int idx = std::clamp(index, 0, static_cast<int>(c.listRtData.size()));
    c.listRtData.insert(idx, line);
    c.listRtSelected = idx;
    c.ComListIdx = idx + 1;
    if (s.hooks.traceChanged)
        s.hooks.traceChanged();
}

void replayErrorLines(AppState& s, const QStringList& lines)
{
    static const QRegularExpression entry(QStringLiteral("错误:  (.*?)     出错号:\\s*(-?\\d+)     出错点:  (.*?)     出错描述:  "));
    for (const QString& line : lines) {
        const auto m = entry.match(line);
        if (m.hasMatch())
            s.errors.AddErrInfo(m.captured(1), m.captured(2).toInt(), m.captured(3));
    }
}

void finishTransfer(AppState& s, const TransferOutcome& o, UserInteraction* ui)
{
    auto& c = s.comm;
    if (o.result != TransferResult::Refused) {
        c.listRtData = o.trace;
        c.ComListIdx = o.ComListIdx;
        c.listRtSelected = o.listRtSelected;
        c.ComFailTimes = o.ComFailTimes;
        c.ComErr = o.ComErr;
        c.ComOpenErr = o.ComOpenErr;
        c.ComVaDat = o.ComVaDat;
        ShowComPercent(s, o.ComPercent);
        replayErrorLines(s, o.errorLines);
        if (s.hooks.traceChanged)
            s.hooks.traceChanged();
    }
    // A write that opened the port: the program's image becomes the image
    // assembled and stamped for the radio, so that it matches what was sent.
    if (o.direction == TransferDirection::Write && o.image.size() == s.IicDat.size())
        s.IicDat = o.image;

    if (o.direction == TransferDirection::Read && o.result == TransferResult::Success) {
        s.IicDat = o.image;
        SoftDisplay(s);
        ShowFreBand(s);
        ShowSoftVer(s);
        ShowComDat(s);
    }
    if (ui && o.result == TransferResult::Aborted)
        ui->message(textOr(s, 79, kText79), textOr(s, 70, kText70), MsgButtons::Ok, MsgIcon::Exclamation);
    if (ui && o.result == TransferResult::Refused)
        ui->message(o.message, textOr(s, 70, kText70), MsgButtons::Ok, MsgIcon::Exclamation);
}

TransferOutcome runTransfer(AppState& s, TransferDirection d, CommLink& link, UserInteraction* ui, TransferCallbacks cb,
                            TransferDriver::Clock clock)
{
    TransferDriver driver(s, d, std::move(clock));
    TransferCallbacks wrapped;
    wrapped.progress = [&s, cb](int percent) {
        ShowComPercent(s, percent);
        if (cb.progress)
            cb.progress(percent);
    };
    wrapped.traceLine = cb.traceLine;
    driver.setCallbacks(std::move(wrapped));
    const TransferOutcome o = driver.run(link);
    finishTransfer(s, o, ui);
    return o;
}

} // namespace qm
