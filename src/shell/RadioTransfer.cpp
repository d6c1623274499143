#include "shell/RadioTransfer.h"

#include "comm/modRadioFacts.h"
#include "settings/SoftFaceTexts.h"
#include "shell/DocumentViews.h"

namespace qm {

std::unique_ptr<TransferDriver> prepareTransfer(AppState& s, TransferDirection d, TransferDriver::Clock clock)
{
    WriteAssembler assemble;
    if (d == TransferDirection::Write) {
        // The worker encodes by the definitions of this moment, on copies.
        assemble = [settings = s.settings](DocumentData& image, ErrorList& errors) mutable {
            SetConvIicDat(image, settings, errors);
        };
    }
    return std::make_unique<TransferDriver>(s, d, std::move(assemble), std::move(clock));
}

void finishTransfer(AppState& s, const TransferOutcome& o, UserInteraction* ui)
{
    if (applyTransferOutcome(s, o))
        s.doc.notify(Document::Change::Bytes);
    if (o.direction == TransferDirection::Read && o.result == TransferResult::Success) {
        s.doc.IicDat = o.image;
        SoftDisplay(s);
        ShowFreBand(s);
        ShowSoftVer(s);
        ShowComDat(s);
    }
    if (ui && o.result == TransferResult::Aborted)
        ui->message(SoftFaceText(s.settings, 79), SoftFaceText(s.settings, 70), MsgButtons::Ok, MsgIcon::Exclamation);
    if (ui && o.result == TransferResult::Refused)
        ui->message(o.message, SoftFaceText(s.settings, 70), MsgButtons::Ok, MsgIcon::Exclamation);
}

TransferCallbacks showingProgress(AppState& s, TransferCallbacks cb)
{
    TransferCallbacks wrapped;
    wrapped.progress = [&s, progress = std::move(cb.progress)](int percent) {
        announceComPercent(s.xfer, percent);
        if (progress)
            progress(percent);
    };
    wrapped.traceLine = std::move(cb.traceLine);
    return wrapped;
}

TransferOutcome runTransfer(AppState& s, TransferDirection d, CommLink& link, UserInteraction* ui, TransferCallbacks cb,
                            TransferDriver::Clock clock)
{
    auto driver = prepareTransfer(s, d, std::move(clock));
    driver->setCallbacks(showingProgress(s, std::move(cb)));
    const TransferOutcome o = driver->run(link);
    finishTransfer(s, o, ui);
    return o;
}

} // namespace qm
