// Protocol scripts and their interpreter, the serial link procedures and the
// frame trace.
//
// A script is a text of two-character tokens: "TX" starts an exchange whose
// following tokens are sent, "RX" switches it to the bytes that must come
// back, "VA" is a variable byte (sent from / received into ComVaDat), "EN"
// ends the script, "RF"/"WF" with three operand tokens call the frame hook,
// and two hexadecimal digits are one literal byte.
#pragma once

#include "comm/CommContext.h"
#include "comm/CommLink.h"

#include <QByteArray>
#include <QStringList>
#include <QTime>

#include <functional>

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
// The line runs at 9600 baud, 8N1: ten bit times, about 1.04 ms, a byte.
constexpr int kLineBaud = 9600;
constexpr qint64 kLineByteUs = 10'000'000 / kLineBaud;

// Fallback wording of text 175 (a reply that did not come or did not match)
// when no text table is loaded.
inline const QString kRxFailedText = QStringLiteral("Rx\uFF1ACommunication failed! No receive Data!");

// Number of 16-byte blocks a range start..end needs (0 when start > end).
int BlockCount(int start, int end);

// Rebuilds the read (1) and write (2) script lists in s.xfer from the address
// ranges, chkSetTime and the clock (the second form takes the time for tests).
void InitProtocol(CommContext s);
void InitProtocol(CommContext s, const QTime& now);

// Runs scripts over a link. One interpreter serves one transfer (or one
// test); its token table and the exchange being built are its own. What a
// script changes lives in the transfer data: ComVaDat, ComErr, the trace.
class ProtocolInterpreter {
public:
    // rxFailedText: the trace line of a failed reply (text 175).
    ProtocolInterpreter(TransferData& xfer, CommLink& link, ErrorList& errors, QString rxFailedText = kRxFailedText);

    // Splits a script into tokens 1..; false (and an error-list entry) when
    // it does not fit the 200 tokens. Entries past the script keep theirs.
    bool ConvComCode(const QString& script);

    // Runs the tokens from entry 1; outcome in ComErr (0 the script ran to
    // its end, -1 it stopped at a failed exchange or an unexpected error,
    // which is listed under "modCommun->ProtocolCom").
    void ProtocolCom();

    // Receives and checks the n expected bytes of the current exchange.
    void RxComDat(int n);

    // Writes the trace lines of one frame (0 sent, -1 received) into the
    // communication list, starting it afresh above 3000 lines.
    void ComDataShow(int direction, const QByteArray& bytes);
    // Puts one line into the communication list at ComListIdx and selects it.
    void AddComListLine(const QString& line, bool reset = false);

    // Token i (1..200) of the current script.
    const QString& token(int i) const;

    // Called for every line put into the trace: the index it went in at and
    // whether the list was cleared just before (the 3000-line rule).
    std::function<void(int index, const QString& line, bool reset)> traceLineAdded;
    // Frame hook of the "RF"/"WF" tokens (kind, a, b, c); it moves no data.
    std::function<void(const QString& kind, int a, int b, int c)> readWriteFreHook;

private:
    void collectExchange();
    void runExchange();

    TransferData& x_;
    CommLink& link_;
    ErrorList& errors_;
    QString rxFailedText_;

    std::array<QString, kMaxTokens + 1> ComCode; // tokens 1..200
    std::vector<uint8_t> ComTxDat;               // send part of the current exchange
    QStringList ComRxExp;                        // receive tokens of the current exchange
    int ComCodeIdx = 1;                          // token index into ComCode
    int ComVaIdx = 1;                            // next position in ComVaDat
    qint64 replyDoneUs_ = -1; // link clock when the last reply was all in; -1 after anything else
};

// The trace lines of one frame: direction 0 sent ("Tx: "), -1 received ("Rx: ").
QStringList ComDataLines(int direction, const QByteArray& bytes);

// Opens / closes the link; ComOpenErr is 0 after a good open, -1 after a
// failed one (listed under "modCommun->OpenCom" with the port's reason,
// which *why receives).
void OpenCom(TransferData& x, CommLink& link, ErrorList& errors, Error* why = nullptr);
void CloseCom(CommLink& link, ErrorList& errors);

// Waits n ms on a monotonic clock, sleeping between checks; on the
// application's main thread pending events are processed meanwhile.
void DelayNms(int n);
// Waits n ms on a monotonic clock without processing events.
void SleepMs(int n);

} // namespace qm
