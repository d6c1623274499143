#include "comm/modTransfer.h"

#include "comm/modCommun.h"
#include "settings/SoftFaceTexts.h"
#include "settings/VbConv.h"

#include <algorithm>

namespace qm {

namespace {

void rangeOf(const Settings& s, TransferDirection d, int& start, int& end)
{
    if (d == TransferDirection::Read) {
        start = s.ReadStartAddr;
        end = s.ReadEndAddr;
    } else {
        start = s.WriteStartAddr;
        end = s.WriteEndAddr;
    }
}

} // namespace

bool WriteComDat(DocumentData& s, ErrorList& errors, const QDateTime& now)
{
    return guarded(errors, QStringLiteral("frmCommun->WriteComDat"), [&] {
        const QDate date = now.date();
        const QTime time = now.time();
        // Year, month and day as plain numbers (the last two decimal digits),
        // hour and minute as BCD.
        const uint8_t bytes[5] = {static_cast<uint8_t>(date.year() % 100), static_cast<uint8_t>(date.month() % 100),
                                  static_cast<uint8_t>(date.day() % 100), toBcd(time.hour()), toBcd(time.minute())};
        for (int a : kWriteStampAddrs)
            checkIndex(a, 0, static_cast<long long>(s.IicDat.size()) - 1);
        for (int i = 0; i < 5; ++i)
            s.img(kWriteStampAddrs[i]) = bytes[i];
    });
}

void ShowComPercent(TransferData& x, int percent)
{
    x.ComPercent = percent;
    x.ComStatusText = QString::number(percent) + QStringLiteral(" %");
}

void announceComPercent(Transfer& x, int percent)
{
    ShowComPercent(x, percent);
    x.notifyProgress();
}

QString TransferRangeProblem(const CommContext& s, TransferDirection d)
{
    int start = 0, end = 0;
    rangeOf(s.settings, d, start, end);
    const QString what = d == TransferDirection::Read ? QStringLiteral("read") : QStringLiteral("write");
    const QString range = hex4(start) + QStringLiteral("-") + hex4(end);
    const int last = static_cast<int>(s.doc.IicDat.size()) - 1;
    // A start-up refused by the settings file leaves no image at all.
    if (last < 0)
        return QStringLiteral("There is no memory image to %1 (the start-up failed; see the error list).").arg(what);
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

// What a transfer works on while it runs: copies, never the program's state.
struct TransferDriver::Work {
    DocumentData doc;
    TransferData xfer;
    ErrorList errors;
    QString text79;
    QString text175;
};

TransferDriver::TransferDriver(CommContext c, TransferDirection d, WriteAssembler assemble, Clock clock,
                               std::optional<AddressRange> range)
    : dir_(d),
      assemble_(std::move(assemble)),
      clock_(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); }))
{
    // A range of its own: the script lists are built from a copy of the
    // settings that holds it, so the address boxes and keys stay as they are.
    Settings own;
    if (range) {
        own = c.settings;
        auto& start = d == TransferDirection::Read ? own.ReadStartAddr : own.WriteStartAddr;
        auto& end = d == TransferDirection::Read ? own.ReadEndAddr : own.WriteEndAddr;
        // Values that do not fit 16 bits are refused below like any bad range.
        start = static_cast<int16_t>(std::clamp(range->start, -1, 0x7FFF));
        end = static_cast<int16_t>(std::clamp(range->end, -1, 0x7FFF));
    }
    CommContext s{c.doc, range ? own : c.settings, c.optView, c.radioInfo, c.xfer, c.errors};
    const auto di = static_cast<size_t>(d);
    InitProtocol(s, clock_().time());
    refusal_ = TransferRangeProblem(s, d);
    if (refusal_.isEmpty() && s.xfer.ComScriptNum[di] == 0)
        refusal_ = QStringLiteral("The script list could not be built (see the error list).");
    if (refusal_.isEmpty() && d == TransferDirection::Write && !assemble_)
        refusal_ = QStringLiteral("A write needs the step that assembles the image; none was given.");
    if (refused())
        return;

    TransferData& x = s.xfer;
    x.ComFailTimes = 0;
    x.RxWaitMs = 1;
    x.RxWaitTimes = 150;
    x.ComListIdx = 0;
    x.listRtData.clear();
    x.listRtSelected = -1;
    s.xfer.notifyTrace();

    // The transfer's private copy: it never touches s while it runs. A write
    // assembles its image in this copy only once the port has opened, so a
    // write that never starts leaves the program's image as it was.
    work_ = std::make_unique<Work>();
    work_->doc = s.doc;
    work_->xfer = s.xfer.data();
    work_->text79 = SoftFaceText(s.settings, 79);
    work_->text175 = SoftFaceText(s.settings, 175);
}

TransferDriver::~TransferDriver() = default;

void TransferDriver::runScripts(CommLink& link, TransferOutcome& o)
{
    Work& w = *work_;
    TransferData& c = w.xfer;
    const auto d = static_cast<size_t>(dir_);
    const bool reading = dir_ == TransferDirection::Read;

    Error openError;
    OpenCom(c, link, w.errors, &openError);
    if (c.ComOpenErr == -1) {
        o.result = TransferResult::PortOpenFailed;
        o.message = openError.text();
        return;
    }
    if (!reading) {
        // The port is open: assemble the image from the editors, stamp it
        // with the date and send exactly that. From here on the program's
        // image takes it over, whatever becomes of the transfer (blocks may
        // have reached the radio).
        assemble_(w.doc, w.errors);
        o.stampTime = clock_();
        o.stamped = WriteComDat(w.doc, w.errors, o.stampTime);
        o.image = w.doc.IicDat;
    }

    ProtocolInterpreter interp(c, link, w.errors, w.text175);
    interp.traceLineAdded = [this](int index, const QString& line, bool reset) {
        if (cb_.traceLine)
            cb_.traceLine(index, line, reset);
    };
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
                    c.ComVaDat[static_cast<size_t>(i)] = w.doc.img(start + i - 1);
                }
            }
            if (!interp.ConvComCode(script))
                throw QmError(5, QStringLiteral("run script"), QStringLiteral("%1 of the transfer").arg(n),
                              QStringLiteral("it does not fit the token table"));
            interp.ProtocolCom();
            if (c.ComErr == 0) {
                ShowComPercent(c, percent);
                if (cb_.progress)
                    cb_.progress(percent);
                if (reading) {
                    for (int i = 1; i <= bytes; ++i) {
                        checkIndex(i, 1, kMaxVaBytes);
                        w.doc.img(start + i - 1) = c.ComVaDat[static_cast<size_t>(i)];
                    }
                }
                break;
            }
            ++c.ComFailTimes;
            if (c.ComFailTimes >= kMaxComFailTimes) {
                o.result = TransferResult::Aborted;
                o.message = w.text79;
                return;
            }
            link.waitMs(kRetryPauseMs);
        }
    }
    o.result = TransferResult::Success;
    if (reading)
        o.image = w.doc.IicDat;
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
    Work& w = *work_;
    const QString label =
        dir_ == TransferDirection::Read ? QStringLiteral("frmCommun->cmdRead_Click") : QStringLiteral("frmCommun->cmdWrite_Click");
    const bool ok = guarded(w.errors, label, [&] { runScripts(link, o); });
    // The port is closed after a complete, an abandoned and a failed transfer alike.
    if (link.isOpen())
        CloseCom(link, w.errors);
    if (!ok) {
        o.result = TransferResult::Error;
        if (dir_ == TransferDirection::Read)
            o.image.clear();
        o.message = QStringLiteral("The transfer stopped on an unexpected error: ") + w.errors.entries().back().error.text();
    }

    const TransferData& c = w.xfer;
    o.ComFailTimes = c.ComFailTimes;
    o.ComErr = c.ComErr;
    o.ComOpenErr = c.ComOpenErr;
    o.ComPercent = c.ComPercent;
    o.ComVaDat = c.ComVaDat;
    o.trace = c.listRtData;
    o.ComListIdx = c.ComListIdx;
    o.listRtSelected = c.listRtSelected;
    o.errors = w.errors.entries();
    work_.reset(); // one run per driver
    return o;
}

bool applyTransferOutcome(CommContext s, const TransferOutcome& o)
{
    TransferData& c = s.xfer;
    if (o.result != TransferResult::Refused) {
        c.listRtData = o.trace;
        c.ComListIdx = o.ComListIdx;
        c.listRtSelected = o.listRtSelected;
        c.ComFailTimes = o.ComFailTimes;
        c.ComErr = o.ComErr;
        c.ComOpenErr = o.ComOpenErr;
        c.ComVaDat = o.ComVaDat;
        ShowComPercent(c, o.ComPercent);
        s.errors.append(o.errors);
        s.xfer.notifyTrace();
        s.xfer.notifyProgress();
    }
    // A write that opened the port: the program's image becomes the image
    // assembled and stamped for the radio, so that it matches what was sent.
    if (o.direction == TransferDirection::Write && !o.image.empty() && o.image.size() == s.doc.IicDat.size()) {
        s.doc.IicDat = o.image;
        return true;
    }
    return false;
}

void applyTraceLine(CommContext s, int index, const QString& line, bool reset)
{
    TransferData& c = s.xfer;
    if (reset) {
        c.listRtData.clear();
        c.listRtSelected = -1;
    }
    const int idx = std::clamp(index, 0, static_cast<int>(c.listRtData.size()));
    c.listRtData.insert(idx, line);
    c.listRtSelected = idx;
    c.ComListIdx = idx + 1;
    s.xfer.notifyTrace();
}

} // namespace qm
