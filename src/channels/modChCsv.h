// The channel table as CSV text: export of what the channel grid shows, and
// import through the grid's own editing rules. A file is not a keyboard: where
// the grid would quietly replace a typed value (a frequency outside the entry
// limits, a text that is not in a column's list, a name character the radio
// cannot show), the import refuses the whole file and names the line and the
// column of the first bad value, and nothing is changed.
#pragma once

#include "channels/ChannelContext.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace qm {

// One record of a CSV file and the line of the file on which it starts (1-based).
struct CsvRecord {
    int line = 0;
    QStringList fields;
};

// Parses CSV text as spreadsheet programs write it: UTF-8 with or without a
// byte-order mark; records ended by CRLF, LF or CR; fields separated by
// commas; a field in double quotes may hold commas, line breaks and "" for
// one quote; the last record may or may not end with a line break. Lines with
// no character at all are skipped. Returns false with "line L: reason" for a
// quoted field that is never closed, a character after a closing quote, or
// bytes that are not UTF-8.
bool parseCsv(const QByteArray& bytes, std::vector<CsvRecord>* records, QString* error);

// A field as CSV writes it: in quotes (with "" for a quote) when it holds a
// comma, a quote, a line break, a leading or trailing blank or a leading
// U+FEFF (which would read as a byte-order mark), else as it is.
QString csvField(const QString& text);

// The header of the channel CSV: the grid's captions of columns 0..C. An
// empty caption becomes "Channel" (column 0) or "Column c"; a caption that
// repeats an earlier one gets " (c)" appended, so every name is unique.
QStringList ChannelCsvHeader(const ChannelContext& s);

// The channel table as the grid shows it: the header row, then one row per
// channel 1..N (channel number, then the texts of grid columns 1..C).
// Records end with CRLF; no byte-order mark.
QString ChannelsToCsv(const ChannelContext& s);

// Saves the channel table as a CSV file for spreadsheet programs: a UTF-8
// byte-order mark, then ChannelsToCsv. Throws QmError 61 / 75 (action "write
// CSV file") and leaves an existing file as it was when the save fails.
void SaveChannelCsv(const ChannelContext& s, const QString& path);

// Checks a channel CSV against a copy of s, applying every cell through the
// grid's editing rules on the copy. s is not changed. Returns false with the
// reason ("line L, column "Rx": ...") of the first bad value.
bool CheckChannelCsv(const ChannelContext& s, const QByteArray& csv, QString* error);

// Checks the file as CheckChannelCsv does and, only when the whole file is
// valid, applies it to s: the channels the file lists are edited through the
// grid's rules (cells whose value the grid already shows are left alone),
// every other channel is untouched. An empty receive frequency makes an empty
// channel, an empty transmit frequency means none, an empty name no name; an
// empty signalling or option cell keeps the channel's value (for a channel
// the row creates, the column default). Returns false, with s unchanged, when the
// file is refused; a file with a header but no channel row is refused too.
// *warnings gets one "line L, column "Rx": ..." text per frequency the file
// sets outside the radio's band (400 to 470 MHz): the grid takes such a value
// and shows it in the out-of-band colour, the radio cannot use it.
bool ImportChannelCsv(ChannelContext s, const QByteArray& csv, QString* error, QStringList* warnings = nullptr);

// Applies the file's text for cell (row, col) as the import does: through
// the grid's editing rules, unless the grid already shows that value; a
// value the grid would replace is refused. An empty frequency erases it, an
// empty name means no name, an empty list cell changes nothing. Returns ""
// when the cell holds the value now, else the reason of the refusal. The
// CHIRP import uses it for the cells it derives from its rows.
QString ApplyChannelCsvCell(ChannelContext s, int row, int col, const QString& text);

// Position of text among the choices of a list column: the exact text, else
// the same text in other letter case, else the same number ("67" for "67.0",
// as a spreadsheet writes a number back); -1 when it is none of them.
int FindListChoice(const QStringList& items, const QString& text);

// A private copy of the channel parts for trial edits: the windows and the
// error pane of the program are not told about them.
// The settings are shared, not copied: the entry rules only read them (the
// grid definition, the band, the signalling codes), and a copy of the grid
// definition costs more than the whole trial of a short file.
struct ChannelTrial {
    DocumentData doc;
    Settings& settings;
    ChannelGrid grid;
    QString lock;
    ErrorList errors;

    explicit ChannelTrial(const ChannelContext& s);
    ChannelContext context() { return {doc, settings, grid, lock, errors}; }
    // Puts the channel table, the name codes and the grid of this copy back into s.
    void restoreInto(ChannelContext s) const;
};

} // namespace qm
