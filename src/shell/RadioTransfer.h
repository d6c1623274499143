// Read and write as the program runs them: the transfer driver of
// comm/modTransfer.h with the program's image assembly, and the views
// refreshed after a complete read.
//
// On a worker thread (the read/write dialog):
//   auto driver = prepareTransfer(s, TransferDirection::Write);
//   auto* worker = new TransferWorker(std::move(driver), linkFactory);   // comm/TransferWorker.h
//   ... connect progress / traceLine (applyTraceLine) / finished (finishTransfer) ...
//   startTransferThread(worker);
// On the calling thread (the command-line tool, tests): runTransfer().
#pragma once

#include "comm/modTransfer.h"
#include "shell/AppState.h"
#include "shell/UserInteraction.h"

#include <memory>

namespace qm {

// Step 1: the driver for a transfer of s (a write encodes the editors into
// its private copy of the image once the port has opened).
std::unique_ptr<TransferDriver> prepareTransfer(AppState& s, TransferDirection d, TransferDriver::Clock clock = {});

// Step 3: the outcome into s. A complete read replaces the image and
// refreshes the views and the radio information; a write that opened the
// port leaves the image it sent. ui shows text 79 after an aborted transfer
// and the reason of a refused one (may be null).
void finishTransfer(AppState& s, const TransferOutcome& o, UserInteraction* ui);

// The callbacks for a driver run on the calling thread: each percentage goes
// into s (and its progress signal) before cb hears of it.
TransferCallbacks showingProgress(AppState& s, TransferCallbacks cb);

// All three steps on the calling thread; progress and trace lines also go
// into s as they happen.
TransferOutcome runTransfer(AppState& s, TransferDirection d, CommLink& link, UserInteraction* ui,
                            TransferCallbacks cb = {}, TransferDriver::Clock clock = {});

} // namespace qm
