// The channel table in the column layout of CHIRP's generic CSV, which CHIRP,
// qdmr and spreadsheet users pass around between radios:
//
//   Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,
//   DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,
//   RPT1CALL,RPT2CALL,DVCODE
//
// How a row maps onto a channel of this radio:
// - Location is the channel number 1..N; the VFO row (100) is neither written
//   nor accepted.
// - Frequency is the receive frequency in MHz. Duplex "" means transmit on
//   the receive frequency, "+"/"-" transmit that far (Offset, MHz) above or
//   below, "split" transmit on Offset itself, "off" no transmit frequency.
// - Tone and CrossMode give the receive (decode) and transmit (encode)
//   signalling: "" none; "Tone" transmit CTCSS rToneFreq, receive none;
//   "TSQL" CTCSS cToneFreq both ways; "DTCS" DCS DtcsCode both ways with the
//   polarities of DtcsPolarity (first letter transmit, second receive, N
//   normal, R reversed = the radio's inverted code); "Cross" one side each as
//   CrossMode says ("Tone->Tone", "Tone->DTCS", "DTCS->Tone", "->Tone",
//   "->DTCS", "DTCS->", "DTCS->DTCS", "Tone->"), the receive DCS code in
//   RxDtcsCode.
// - Mode "FM"/"NFM" is the Bandwidth option (Wide/Narrow, grid column 6),
//   Power "High"/"Low" the Power option (column 5), Skip ""/"S" the Scan Add
//   option (Yes/No, column 7), Name the six-character name (column 11).
// - Comment, URCALL, RPT1CALL, RPT2CALL and DVCODE have no counterpart: they
//   are written empty and ignored when read. The other options of the radio
//   (Busy Lock, Scramble, Compander) keep the channel's values.
#pragma once

#include "channels/ChannelContext.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qm {

// The 21 column names, in the order the export writes them.
const QStringList& ChirpCsvHeader();

// True when the first line of the CSV text names the columns Location and
// Frequency: a CHIRP file rather than the program's own channel CSV.
bool IsChirpCsv(const QByteArray& csv);

// The channels 1..N that hold a receive frequency (the VFO row excepted) as
// CHIRP CSV text: the header, then one row per channel; records end with CRLF.
// Each row picks the simplest duplex and tone mode that states the channel
// exactly.
QString ChannelsToChirpCsv(const ChannelContext& s);

// Saves ChannelsToChirpCsv (UTF-8, no byte-order mark) through a temporary
// file and a rename. Throws QmError 61 / 75 (action "write CHIRP CSV file").
void SaveChirpCsv(const ChannelContext& s, const QString& path);

// Reads a CHIRP CSV file into s. The columns may stand in any order; only
// Location and Frequency are required. A column that is missing takes
// CHIRP's default (simplex, no tone, no name, scanned), except Mode and Power,
// which then keep the channel's value (the column default for a new
// channel); an empty Mode or Power cell does the same. Power in watts ("5.0W")
// counts as High for the largest value in the file and Low below it; "Mid"
// counts as Low. Skip "P" (priority) is scanned like "".
//
// Every row is checked and tried on a copy first; a row the radio cannot
// hold refuses the whole file with "line L, column "X": reason" and s stays
// as it was: a Location outside 1..N, the VFO row or listed twice; a
// frequency outside the entry limits (100 to 999 MHz) or more than 100 Hz
// away from the nearest 5 kHz or 6.25 kHz step; a tone or DCS code that is
// not in the radio's table; a mode other than FM and NFM; a name longer than
// six characters or with a character outside the radio's alphabet (lower case
// counts as upper case). Then every row is applied through the grid's
// editing rules, as typing it would; channels the file does not list are left
// alone. A file with a header but no row is refused. *warnings gets one text
// per frequency outside the radio's band (400 to 470 MHz), which is imported
// as it is.
bool ImportChirpCsv(ChannelContext s, const QByteArray& csv, QString* error, QStringList* warnings = nullptr);

// The checks of ImportChirpCsv on a copy of s; s is not changed.
bool CheckChirpCsv(const ChannelContext& s, const QByteArray& csv, QString* error, QStringList* warnings = nullptr);

} // namespace qm
