#include "shell/SafeWrite.h"

#include "image/modIicDat.h"
#include "settings/SafeFile.h"
#include "settings/SoftFaceTexts.h"
#include "shell/DocumentViews.h"
#include "shell/RadioTransfer.h"

#include <QDir>

#include <algorithm>

namespace qm {

namespace {

const QString kSetting = QStringLiteral("Setting");

bool keyOn(const Settings& s, const QString& key)
{
    // Anything but "0" keeps the safety net on: a damaged value must not
    // switch it off.
    return s.profile.read(kSetting, key, QStringLiteral("1"), 10).trimmed() != QLatin1String("0");
}

bool storeKey(const Settings& s, const QString& key, bool on, QString* why)
{
    return s.profile.write(kSetting, key, on ? QStringLiteral("1") : QStringLiteral("0"), why);
}

// The most names one second's backups may take ("-2" ... "-99").
constexpr int kBackupNamesPerSecond = 99;

} // namespace

bool BackupBeforeWrite(const Settings& s)
{
    return keyOn(s, kBackupBeforeWriteKey);
}

bool VerifyAfterWrite(const Settings& s)
{
    return keyOn(s, kVerifyAfterWriteKey);
}

bool setBackupBeforeWrite(const Settings& s, bool on, QString* why)
{
    return storeKey(s, kBackupBeforeWriteKey, on, why);
}

bool setVerifyAfterWrite(const Settings& s, bool on, QString* why)
{
    return storeKey(s, kVerifyAfterWriteKey, on, why);
}

QString backupFolder(const Settings& s)
{
    return dataFolder(s) + QStringLiteral("/backups");
}

QString backupFileName(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".dat");
}

void makeBackupFolder(const QString& folder)
{
    const QString action = QStringLiteral("create backup folder");
    const FileFacts f = fileFacts(folder);
    if (f.exists() && f.kind != FileFacts::Kind::Folder)
        throw QmError(75, action, folder, QStringLiteral("it is not a folder"));
    if (!f.exists() && !QDir().mkpath(folder))
        throw QmError(75, action, folder, QStringLiteral("the folder could not be created"));
}

QString saveBackup(const QString& folder, const std::vector<uint8_t>& image, const QDateTime& when)
{
    const QString action = QStringLiteral("save backup file");
    if (image.size() != static_cast<size_t>(kImageBytes))
        throw QmError(380, action, folder,
                      QStringLiteral("the image holds %1 bytes, not the %2 of the radio").arg(image.size()).arg(kImageBytes));
    makeBackupFolder(folder);
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
    const QString stem = backupFileName(when).chopped(4);
    for (int n = 1; n <= kBackupNamesPerSecond; ++n) {
        const QString path = folder + QLatin1Char('/') + stem +
                             (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".dat");
        try {
            saveFile(path, bytes, action, SaveMode::NewFileOnly);
            return path;
        } catch (const QmError& e) {
            if (e.number() != 58) // anything but "the name is taken"
                throw;
        }
    }
    throw QmError(58, action, folder + QLatin1Char('/') + backupFileName(when),
                  QStringLiteral("that name and its %1 numbered variants are all taken").arg(kBackupNamesPerSecond - 1));
}

QString VerifyResult::text() const
{
    if (ok())
        return QStringLiteral("the radio holds what was written");
    return QStringLiteral("first difference at 0x%1 (%2 %3)")
        .arg(hexAddress(firstDifference))
        .arg(differing)
        .arg(differing == 1 ? QStringLiteral("byte differs") : QStringLiteral("bytes differ"));
}

VerifyResult compareWritten(const std::vector<uint8_t>& sent, const std::vector<uint8_t>& readBack, AddressRange range)
{
    VerifyResult r;
    const int last = std::min<int>({range.end, static_cast<int>(sent.size()) - 1, static_cast<int>(readBack.size()) - 1});
    for (int a = std::max(range.start, 0); a <= last; ++a) {
        if (sent[static_cast<size_t>(a)] != readBack[static_cast<size_t>(a)]) {
            if (r.firstDifference < 0)
                r.firstDifference = a;
            ++r.differing;
        }
    }
    // Addresses of the range that one of the images does not reach count as
    // differing: the comparison must never pass for bytes it did not see.
    if (range.end > last) {
        const int missing = range.end - std::max(last + 1, range.start) + 1;
        if (missing > 0) {
            if (r.firstDifference < 0)
                r.firstDifference = std::max(last + 1, range.start);
            r.differing += missing;
        }
    }
    return r;
}

AddressRange writeRange(const Settings& s)
{
    return {s.WriteStartAddr, s.WriteEndAddr};
}

std::vector<uint8_t> imageAfterWrite(AppState& s, const std::vector<uint8_t>& radio, const QDateTime& stamp)
{
    // The write's own steps on copies: assembly from the editors, then the stamp.
    DocumentData doc = s.doc;
    Settings settings = s.settings;
    ErrorList errors;
    SetConvIicDat(doc, settings, errors);
    WriteComDat(doc, errors, stamp);
    std::vector<uint8_t> after = radio;
    const AddressRange r = writeRange(s.settings);
    const int last = std::min<int>({r.end, static_cast<int>(after.size()) - 1, static_cast<int>(doc.IicDat.size()) - 1});
    for (int a = std::max(r.start, 0); a <= last; ++a)
        after[static_cast<size_t>(a)] = doc.IicDat[static_cast<size_t>(a)];
    return after;
}

QString safeWritePhaseText(const Settings& s, SafeWritePhase phase)
{
    const bool zh = chineseUi(s);
    switch (phase) {
    case SafeWritePhase::Backup:
        return zh ? QStringLiteral("备份") : QStringLiteral("Backup");
    case SafeWritePhase::Write:
        return zh ? QStringLiteral("写入") : QStringLiteral("Write");
    case SafeWritePhase::Verify:
        return zh ? QStringLiteral("校验") : QStringLiteral("Verify");
    case SafeWritePhase::Done:
        break;
    }
    return {};
}

SafeWriteFlow::SafeWriteFlow(AppState& s, SafeWriteOptions options, UserInteraction* ui, PreviewHook preview,
                             TransferDriver::Clock clock)
    : s_(s),
      opts_(std::move(options)),
      ui_(ui),
      preview_(std::move(preview)),
      clock_(clock ? std::move(clock) : TransferDriver::Clock([] { return QDateTime::currentDateTime(); }))
{
    if (opts_.backupFolder.isEmpty())
        opts_.backupFolder = backupFolder(s_.settings);
    started_ = clock_();
    range_ = writeRange(s_.settings);
    phase_ = opts_.backup ? SafeWritePhase::Backup : SafeWritePhase::Write;
    // A write range that cannot be written is refused before the radio is
    // spoken to: a backup would only be a wasted read.
    const QString problem = TransferRangeProblem(s_, TransferDirection::Write);
    if (!problem.isEmpty()) {
        phase_ = SafeWritePhase::Done;
        end_ = SafeWriteEnd::Refused;
        failure_ = Error{380, QStringLiteral("write"), {}, problem};
        refusalPending_ = true;
    }
}

SafeWriteFlow::~SafeWriteFlow() = default;

void SafeWriteFlow::show(const QString& prompt) const
{
    if (ui_)
        ui_->message(prompt, SoftFaceText(s_.settings, 70), MsgButtons::Ok, MsgIcon::Exclamation);
}

// The backup folder or file could not be made: the flow ends before anything
// is written to the radio.
void SafeWriteFlow::backupNotSaved(const Error& why)
{
    finish(SafeWriteEnd::BackupFailed, why);
    show(winText(s_.settings, "The backup of the radio could not be saved; nothing was written to it.",
                 "无法保存对讲机的备份，没有写入任何数据。") +
         QLatin1Char('\n') + why.text());
}

void SafeWriteFlow::finish(SafeWriteEnd end, const Error& why)
{
    phase_ = SafeWritePhase::Done;
    end_ = end;
    failure_ = why;
}

std::unique_ptr<TransferDriver> SafeWriteFlow::nextSession()
{
    if (refusalPending_) {
        // Told at the first request, as a plain write tells it.
        refusalPending_ = false;
        show(failure_.reason);
        return nullptr;
    }
    if (phase_ == SafeWritePhase::Done)
        return nullptr;
    if (stop_) {
        finish(SafeWriteEnd::Stopped);
        return nullptr;
    }
    switch (phase_) {
    case SafeWritePhase::Backup:
        // A folder that cannot take the backup is found before the radio is read.
        try {
            makeBackupFolder(opts_.backupFolder);
        } catch (const QmError& e) {
            backupNotSaved(e.error());
            return nullptr;
        }
        return std::make_unique<TransferDriver>(s_, TransferDirection::Read, WriteAssembler{}, clock_,
                                                AddressRange{0, s_.settings.DatNum});
    case SafeWritePhase::Write:
        ++writes_;
        return prepareTransfer(s_, TransferDirection::Write, clock_);
    case SafeWritePhase::Verify:
        return std::make_unique<TransferDriver>(s_, TransferDirection::Read, WriteAssembler{}, clock_, range_);
    case SafeWritePhase::Done:
        break;
    }
    return nullptr;
}

void SafeWriteFlow::requestStop()
{
    stop_ = true;
}

void SafeWriteFlow::sessionFinished(const TransferOutcome& o)
{
    last_ = o;
    switch (phase_) {
    case SafeWritePhase::Backup:
        afterBackup(o);
        break;
    case SafeWritePhase::Write:
        afterWrite(o);
        break;
    case SafeWritePhase::Verify:
        afterVerify(o);
        break;
    case SafeWritePhase::Done:
        return;
    }
    if (phase_ != SafeWritePhase::Done && stop_)
        finish(SafeWriteEnd::Stopped);
}

namespace {

// The failure of a session as one error value (the object, the port, is
// filled in by the caller that knows it).
Error sessionError(const TransferOutcome& o, const QString& action, const QString& text79)
{
    switch (o.result) {
    case TransferResult::PortOpenFailed:
        return o.errors.empty() ? Error{75, QStringLiteral("open port"), {}, o.message} : o.errors.back().error;
    case TransferResult::Aborted:
        return Error{75, action, {}, text79};
    case TransferResult::Refused:
        return Error{380, action, {}, o.message};
    default:
        return Error{75, action, {}, o.message};
    }
}

} // namespace

void SafeWriteFlow::afterBackup(const TransferOutcome& o)
{
    // Trace, counters and error entries; a read never replaces the image here.
    applyTransferOutcome(s_, o);
    const QString text79 = SoftFaceText(s_.settings, 79);
    const QString nothing = winText(s_.settings, "The radio could not be backed up; nothing was written to it.",
                                    "无法备份对讲机，没有写入任何数据。");
    if (o.result == TransferResult::Stopped) {
        finish(SafeWriteEnd::Stopped);
        return;
    }
    if (o.result != TransferResult::Success) {
        finish(SafeWriteEnd::BackupFailed, sessionError(o, QStringLiteral("back up radio at"), text79));
        // The port dialog tells of a port that would not open.
        if (o.result != TransferResult::PortOpenFailed)
            show((o.result == TransferResult::Aborted ? text79 : o.message) + QLatin1Char('\n') + nothing);
        return;
    }
    try {
        backupPath_ = saveBackup(opts_.backupFolder, o.image, started_);
        backup_ = o.image;
    } catch (const QmError& e) {
        backupNotSaved(e.error());
        return;
    }
    if (opts_.preview && preview_) {
        ImageChanges changes;
        try {
            changes = diffImages(backup_, imageAfterWrite(s_, backup_, clock_()), s_.settings);
        } catch (const QmError& e) {
            finish(SafeWriteEnd::BackupFailed, e.error());
            show(e.error().text());
            return;
        }
        if (!preview_(changes)) {
            finish(SafeWriteEnd::Cancelled);
            return;
        }
    }
    phase_ = SafeWritePhase::Write;
}

void SafeWriteFlow::afterWrite(const TransferOutcome& o)
{
    // As a plain write: the image sent becomes the program's, text 79 after
    // an abandoned write, the reason of a refused one.
    finishTransfer(s_, o, ui_);
    if (o.result == TransferResult::Stopped) {
        finish(SafeWriteEnd::Stopped);
        return;
    }
    if (o.result != TransferResult::Success) {
        finish(o.result == TransferResult::Refused ? SafeWriteEnd::Refused : SafeWriteEnd::WriteFailed,
               sessionError(o, QStringLiteral("write radio at"), SoftFaceText(s_.settings, 79)));
        return;
    }
    sent_ = o.image;
    if (opts_.verify)
        phase_ = SafeWritePhase::Verify;
    else
        finish(SafeWriteEnd::Written);
}

void SafeWriteFlow::afterVerify(const TransferOutcome& o)
{
    applyTransferOutcome(s_, o);
    if (o.result == TransferResult::Stopped) {
        finish(SafeWriteEnd::Stopped);
        return;
    }
    if (o.result != TransferResult::Success) {
        const QString text79 = SoftFaceText(s_.settings, 79);
        finish(SafeWriteEnd::VerifyFailed, sessionError(o, QStringLiteral("verify"), text79));
        if (o.result != TransferResult::PortOpenFailed)
            show(winText(s_.settings, "The radio was written, but reading it back to verify it failed:",
                         "已写入对讲机，但回读校验失败：") +
                 QLatin1Char('\n') + (o.result == TransferResult::Aborted ? text79 : o.message));
        return;
    }
    verify_ = compareWritten(sent_, o.image, range_);
    if (verify_.ok()) {
        finish(SafeWriteEnd::Verified);
        return;
    }
    const QString found = chineseUi(s_.settings)
                              ? QStringLiteral("写入后校验发现对讲机中的数据与写入的不同：首个差异位于 0x%1（共 %2 个字节不同）。\n是否重新写入？")
                                    .arg(hexAddress(verify_.firstDifference))
                                    .arg(verify_.differing)
                              : QStringLiteral("Verify after writing found that the radio holds other bytes than were "
                                               "written: %1.\nWrite again?")
                                    .arg(verify_.text());
    if (ui_ && ui_->message(found, SoftFaceText(s_.settings, 70), MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes) {
        phase_ = SafeWritePhase::Write; // again, without a new backup
        return;
    }
    finish(SafeWriteEnd::VerifyMismatch, Error{75, QStringLiteral("verify"), {}, verify_.text()});
}

SafeWriteEnd runSafeWrite(SafeWriteFlow& flow, CommLink& link, TransferCallbacks cb,
                          const std::function<void(SafeWritePhase)>& phaseStarted)
{
    AppState& s = flow.state();
    while (auto driver = flow.nextSession()) {
        if (phaseStarted)
            phaseStarted(flow.phase());
        driver->setCallbacks(showingProgress(s, cb));
        const TransferOutcome o = driver->run(link);
        flow.sessionFinished(o);
    }
    return flow.end();
}

} // namespace qm
