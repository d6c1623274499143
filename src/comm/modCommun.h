// Protocol scripts and their interpreter, the serial link procedures and the
// frame trace.
//
// A script is a text of two-character tokens: "TX" starts an exchange whose
// following tokens are sent, "RX" switches it to the bytes that must come
// back, "VA" is a variable byte (sent from / received into ComVaDat), "EN"
// ends the script, "RF"/"WF" with three operand tokens call the frame hook,
// and two hexadecimal digits are one literal byte.
#pragma once

#include "comm/CommLink.h"
#include "shell/AppState.h"

#include <QByteArray>
#include <QStringList>
#include <QTime>

namespace qm {

// Script texts the radio understands.
inline const QString kHandshakeScript = QStringLiteral("TX50524F4752414DRX06TX02RXVAVAVAVAVAVAVAVATX06RX06EN");
inline const QString kEndScript = QStringLiteral("TX455AA5322345F2EN");

constexpr int kMaxScripts = 520;      // scripts per direction
constexpr int kMaxScriptBlocks = kMaxScripts - 2; // 518 blocks besides handshake and end
constexpr int kMaxTokens = 200;
constexpr int kMaxVaBytes = 100;
constexpr int kTraceLimit = 3000;     // lines before the trace starts afresh
constexpr int kGapMs = 5;             // pause before each exchange

// Number of 16-byte blocks a range start..end needs (0 when start > end).
int BlockCount(int start, int end);

// Rebuilds the read (1) and write (2) script lists from the address ranges,
// chkSetTime and the clock (the second form takes the time for tests).
void InitProtocol(AppState& s);
void InitProtocol(AppState& s, const QTime& now);

// Splits a script into ComCode 1..; false (and an error-list entry) when it
// does not fit the 200 tokens.
bool ConvComCode(AppState& s, const QString& script);

// Runs the tokens in ComCode from entry 1 over the link; outcome in
// s.comm.ComErr (0 the script ran to its end, -1 it stopped at a failed
// exchange or an unexpected error).
void ProtocolCom(AppState& s, CommLink& link);

// Receives and checks the n expected bytes of the current exchange.
void RxComDat(AppState& s, CommLink& link, int n);

// Frame hook of "RF"/"WF": moves no data, leaves ComErr unchanged.
void ReadWriteFre(AppState& s, const QString& kind, int a, int b, int c);

// The trace lines of one frame: direction 0 sent ("Tx: "), -1 received ("Rx: ").
QStringList ComDataLines(int direction, const QByteArray& bytes);
// Writes the trace lines of one frame into the communication list.
void ComDataShow(AppState& s, int direction, const QByteArray& bytes);
// Puts one line into the communication list at ComListIdx and selects it.
void AddComListLine(AppState& s, const QString& line, bool reset = false);

// Opens / closes the link; ComOpenErr is 0 after a good open, -1 after a failed one.
void OpenCom(AppState& s, CommLink& link);
void CloseCom(AppState& s, CommLink& link);

// Waits n ms on a monotonic clock, sleeping between checks; on the
// application's main thread pending events are processed meanwhile.
void DelayNms(int n);
// Waits n ms on a monotonic clock without processing events.
void SleepMs(int n);

} // namespace qm
