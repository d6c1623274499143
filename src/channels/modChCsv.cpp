#include "channels/modChCsv.h"

#include "channels/modChEdit.h"
#include "settings/SafeFile.h"
#include "settings/VbConv.h"

#include <QRegularExpression>

#include <cmath>

namespace qm {

namespace {

// ---------------------------------------------------------------- parsing

// Offset of the first byte that does not belong to a well-formed UTF-8
// sequence, or -1 when the whole buffer is UTF-8.
qsizetype firstBadUtf8(const QByteArray& b, qsizetype from)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype n = b.size();
    qsizetype i = from;
    while (i < n) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        uint32_t cp = 0, min = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, cp = c & 0x07, min = 0x10000;
        } else {
            return i;
        }
        if (i + len > n)
            return i;
        for (int k = 1; k < len; ++k) {
            const unsigned d = p[i + k];
            if ((d & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += len;
    }
    return -1;
}

// Line (1-based) on which byte offset `at` lies; CRLF, LF and CR each end a line.
int lineOfOffset(const QByteArray& b, qsizetype at)
{
    int line = 1;
    for (qsizetype i = 0; i < at && i < b.size(); ++i) {
        if (b[i] == '\n' || (b[i] == '\r' && (i + 1 >= b.size() || b[i + 1] != '\n')))
            ++line;
    }
    return line;
}

bool setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// ---------------------------------------------------------------- values

constexpr int kNameColumn = 11;

int channelCount(const ChannelContext& s)
{
    return std::clamp<int>(s.settings.ChNum, 0, kMaxChannels);
}

int columnCount(const ChannelContext& s)
{
    return std::clamp<int>(s.settings.ChColNum, 0, kChFields - 1);
}

QString channelLabel(int n)
{
    return n == 100 ? QStringLiteral("the VFO row") : QStringLiteral("channel %1").arg(n);
}

QString quoted(const QString& t)
{
    return QLatin1Char('"') + t + QLatin1Char('"');
}

// A plain decimal number: digits with an optional fraction after a full stop.
bool isPlainDecimal(const QString& t)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)$"));
    return re.match(t).hasMatch();
}

// Index of text among the choices of a list column: the exact text, else the
// same text in other letter case, else the same number ("67" for "67.0", as a
// spreadsheet writes a number back). -1 when it is none of them.
int findChoice(const QStringList& items, const QString& text)
{
    for (int i = 0; i < items.size(); ++i) {
        if (items[i] == text)
            return i;
    }
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    if (isPlainDecimal(text)) {
        const double v = text.toDouble();
        for (int i = 0; i < items.size(); ++i) {
            const QString item = items[i].trimmed();
            if (isPlainDecimal(item) && item.toDouble() == v)
                return i;
        }
    }
    return -1;
}

QString choicesText(const QStringList& items)
{
    if (items.size() <= 12)
        return items.join(QStringLiteral(", "));
    return QStringList(items.mid(0, 4)).join(QStringLiteral(", ")) + QStringLiteral(" ... ") + items.last();
}

// The texts a list column offers, value v at position v. An option column
// shows value v as its ColInfo entry v + 3, so those texts are its values
// (they are what the grid shows and what the export writes); the signalling
// columns, and an option column without value texts, take the grid's list.
QStringList columnChoices(ChannelContext t, int c)
{
    QStringList items;
    if (c != 3 && c != 4 && c >= 1 && c < static_cast<int>(t.settings.ColInfo.size())) {
        for (int k = 3; k < kColInfoEntries && !t.settings.ColInfo[c][k].isEmpty(); ++k)
            items << t.settings.ColInfo[c][k];
    }
    if (items.isEmpty()) {
        const QString list = GridColumnList(t, c);
        if (!list.isEmpty())
            items = list.split(QLatin1Char('|'));
    }
    return items;
}

// Why the grid refuses to edit cell (r, c).
QString cannotEditReason(const ChannelContext& t, int r, int c)
{
    if (t.ChLockState == QLatin1String("ShowLock"))
        return QStringLiteral("the channel table is locked");
    if (t.doc.ChData[r][1] == -1)
        return QStringLiteral("%1 has no receive frequency, so this cell must be empty").arg(channelLabel(r));
    if (c == 4 && t.doc.ChData[r][2] == -1)
        return QStringLiteral("%1 has no transmit frequency, so the encode signalling must be empty").arg(channelLabel(r));
    return QStringLiteral("this cell cannot be edited");
}

// Runs the grid's after-edit rules for (r, c) and tells whether the grid
// recorded a failure while doing so.
bool gridEdit(ChannelContext t, int r, int c, const QString& text)
{
    const int before = t.errors.ErrListIdx();
    GridAfterEdit(t, r, c, text);
    return t.errors.ErrListIdx() == before;
}

const QString kGridFailed = QStringLiteral("the channel grid could not store this value");

QString applyFrequency(ChannelContext t, int r, int c, const QString& raw)
{
    const QString text = raw.trimmed();
    const int32_t current = t.doc.ChData[r][c];
    const QString what = c == 1 ? QStringLiteral("receive") : QStringLiteral("transmit");
    if (text.isEmpty()) {
        if (current == -1)
            return {};
        if (r == 100)
            return QStringLiteral("the VFO row always keeps its %1 frequency; it cannot be left empty").arg(what);
        if (!GridCanEdit(t, r, c))
            return cannotEditReason(t, r, c);
        if (!gridEdit(t, r, c, QString()) || t.doc.ChData[r][c] != -1)
            return kGridFailed;
        return {};
    }
    if (!isPlainDecimal(text) || text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-'))) {
        QString reason = QStringLiteral("%1 is not a frequency in MHz").arg(quoted(text));
        if (text.contains(QLatin1Char(',')))
            reason += QStringLiteral(" (write it with a full stop as decimal point, for example 462.5625)");
        return reason;
    }
    const double v = roundHalfEven(text.toDouble() * 100000.0);
    const QString limits = QStringLiteral("the entry limits %1 to %2 MHz")
                               .arg(numberText(t.settings.EntryLower / 100000.0), numberText(t.settings.EntryUpper / 100000.0));
    if (!std::isfinite(v) || v < t.settings.EntryLower || v > t.settings.EntryUpper)
        return QStringLiteral("%1 MHz lies outside %2").arg(text, limits);
    const auto value = static_cast<int32_t>(v);
    if (value == current)
        return {};
    if (!GridCanEdit(t, r, c))
        return cannotEditReason(t, r, c);
    if (!gridEdit(t, r, c, numberText(value / 100000.0)))
        return kGridFailed;
    // The grid snaps the value to the nearest 5 kHz or 6.25 kHz step (at most
    // half a step away) and puts its column default in place of a value that
    // leaves the entry limits once snapped: refuse that instead.
    const int32_t stored = t.doc.ChData[r][c];
    if (stored < t.settings.EntryLower || stored > t.settings.EntryUpper || std::abs(static_cast<double>(stored) - v) > 313.0)
        return QStringLiteral("%1 MHz lies outside %2 once snapped to the channel step").arg(text, limits);
    return {};
}

QString applyChoice(ChannelContext t, int r, int c, const QString& raw)
{
    const QString text = raw.trimmed();
    const QString& cell = t.grid.text[r][c];
    const QStringList items = columnChoices(t, c);
    const bool signalling = c == 3 || c == 4;
    // An empty cell states no value: the channel keeps what it has (a channel
    // that the same row has just created keeps the column default).
    if (text.isEmpty())
        return {};
    if (items.isEmpty()) {
        if (text == cell.trimmed())
            return {};
        return QStringLiteral("this column has no list of values, so it cannot be set from a file");
    }
    const int idx = findChoice(items, text);
    if (idx < 0) {
        if (signalling && items.size() > 156)
            return QStringLiteral("%1 is not a CTCSS/DCS setting (%2, a tone such as %3, or a DCS code such as %4 or %5)")
                .arg(quoted(text), items[0], items[1], items[51], items[156]);
        return QStringLiteral("%1 is not one of %2").arg(quoted(text), choicesText(items));
    }
    if (items[idx] == cell || (!cell.isEmpty() && t.doc.ChData[r][c] == idx))
        return {};
    if (!GridCanEdit(t, r, c))
        return cannotEditReason(t, r, c);
    if (!gridEdit(t, r, c, items[idx]) || t.doc.ChData[r][c] != idx)
        return kGridFailed;
    return {};
}

QString applyName(ChannelContext t, int r, int c, const QString& raw)
{
    const QString& cell = t.grid.text[r][c];
    if (raw == cell)
        return {};
    if (raw.trimmed().isEmpty()) {
        if (cell.isEmpty())
            return {};
        if (!GridCanEdit(t, r, c))
            return cannotEditReason(t, r, c);
        return gridEdit(t, r, c, QString()) ? QString() : kGridFailed;
    }
    if (r == 100)
        return QStringLiteral("the VFO row has no name; leave this cell empty");
    QString name = raw.toUpper();
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    const QList<uint> chars = name.toUcs4();
    if (chars.size() > 6)
        return QStringLiteral("%1 is longer than the six characters of a channel name").arg(quoted(raw));
    for (uint ch : chars) {
        const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&ch), 1);
        bool known = false;
        for (int code = 0; code <= 40 && !known; ++code)
            known = t.settings.ValidChar[static_cast<size_t>(code)] == one;
        if (!known)
            return QStringLiteral("%1 holds %2, which the radio cannot show (it shows A to Z, 0 to 9, space and - / + _)")
                .arg(quoted(raw), quoted(one));
    }
    if (name.leftJustified(6, QLatin1Char(' ')) == cell)
        return {};
    if (!GridCanEdit(t, r, c))
        return cannotEditReason(t, r, c);
    return gridEdit(t, r, c, name) ? QString() : kGridFailed;
}

// Applies the file's text for cell (r, c) through the grid's rules, unless
// the grid already shows that value. Returns the reason of a refusal.
QString applyCell(ChannelContext t, int r, int c, const QString& raw)
{
    try {
        if (c == 1 || c == 2)
            return applyFrequency(t, r, c, raw);
        if (c == kNameColumn)
            return applyName(t, r, c, raw);
        return applyChoice(t, r, c, raw);
    } catch (const QmError& e) {
        return kGridFailed + QStringLiteral(" (error %1)").arg(e.number());
    }
}

// Channel number of the first column: 1..9999, or "VFO" for row 100; 0 when
// the text is neither.
int parseChannelNumber(const QString& text)
{
    if (text.compare(QLatin1String("VFO"), Qt::CaseInsensitive) == 0)
        return 100;
    static const QRegularExpression re(QStringLiteral("^[0-9]{1,4}$"));
    return re.match(text).hasMatch() ? text.toInt() : 0;
}

bool isBlankRecord(const CsvRecord& r)
{
    for (const QString& f : r.fields) {
        if (!f.trimmed().isEmpty())
            return false;
    }
    return true;
}

// Checks the records row by row and applies each row to t as it goes, so the
// first bad value in file order is the one reported.
bool importRecords(ChannelContext t, const std::vector<CsvRecord>& records, QString* error, QStringList* warnings)
{
    const int n = channelCount(t);
    const int cols = columnCount(t);
    const QStringList header = ChannelCsvHeader(t);
    auto it = records.begin();
    while (it != records.end() && isBlankRecord(*it))
        ++it;
    if (it == records.end())
        return setError(error, QStringLiteral("the file is empty; its first line must be the header: %1")
                                   .arg(header.join(QStringLiteral(", "))));

    // The header names the columns; their order is free, each must appear once.
    const CsvRecord& head = *it++;
    if (head.fields.size() == 1) {
        for (QChar sep : {QLatin1Char(';'), QLatin1Char('\t')}) {
            if (head.fields[0].contains(sep))
                return setError(error, QStringLiteral("line %1: the fields are separated by %2; save the file with commas as separators")
                                           .arg(head.line)
                                           .arg(sep == QLatin1Char('\t') ? QStringLiteral("tabs") : quoted(sep)));
        }
    }
    std::vector<int> fieldOfCol(static_cast<size_t>(cols) + 1, -1);
    for (int i = 0; i < head.fields.size(); ++i) {
        const QString name = head.fields[i].trimmed();
        int col = -1;
        for (int c = 0; c <= cols && col < 0; ++c) {
            if (header[c].compare(name, Qt::CaseInsensitive) == 0)
                col = c;
        }
        if (col < 0)
            return setError(error, QStringLiteral("line %1: column %2 is not a column of the channel table (the header must name: %3)")
                                       .arg(head.line)
                                       .arg(quoted(name), header.join(QStringLiteral(", "))));
        if (fieldOfCol[col] >= 0)
            return setError(error, QStringLiteral("line %1: column %2 appears twice").arg(head.line).arg(quoted(header[col])));
        fieldOfCol[col] = i;
    }
    for (int c = 0; c <= cols; ++c) {
        if (fieldOfCol[c] < 0)
            return setError(error, QStringLiteral("line %1: column %2 is missing").arg(head.line).arg(quoted(header[c])));
    }

    std::vector<int> seenOnLine(static_cast<size_t>(n) + 1, 0);
    bool anyRow = false;
    for (; it != records.end(); ++it) {
        const CsvRecord& rec = *it;
        if (isBlankRecord(rec))
            continue;
        anyRow = true;
        if (rec.fields.size() != head.fields.size())
            return setError(error, QStringLiteral("line %1: %2 fields, but the header has %3")
                                       .arg(rec.line)
                                       .arg(rec.fields.size())
                                       .arg(head.fields.size()));
        auto cellError = [&](int c, const QString& reason) {
            return setError(error, QStringLiteral("line %1, column %2: %3").arg(rec.line).arg(quoted(header[c]), reason));
        };
        const QString chText = rec.fields[fieldOfCol[0]].trimmed();
        const int ch = parseChannelNumber(chText);
        if (ch < 1)
            return cellError(0, QStringLiteral("%1 is not a channel number (1 to %2)").arg(quoted(chText), QString::number(n)));
        if (ch > n)
            return cellError(0, QStringLiteral("channel %1 does not exist (the table has channels 1 to %2)").arg(ch).arg(n));
        if (seenOnLine[ch] != 0)
            return cellError(0, QStringLiteral("%1 is listed twice (first on line %2)").arg(channelLabel(ch), QString::number(seenOnLine[ch])));
        seenOnLine[ch] = rec.line;
        for (int c = 1; c <= cols; ++c) {
            const QString reason = applyCell(t, ch, c, rec.fields[fieldOfCol[c]]);
            if (!reason.isEmpty())
                return cellError(c, reason);
        }
        // A frequency the radio cannot use but the grid accepts (it shows it
        // in the out-of-band colour) is imported as it is, with a warning.
        for (int c = 1; warnings && c <= 2 && c <= cols; ++c) {
            const int32_t f = t.doc.ChData[ch][c];
            if (rec.fields[fieldOfCol[c]].trimmed().isEmpty() || f == -1 ||
                (f >= t.settings.BandLower && f <= t.settings.BandUpper))
                continue;
            *warnings << QStringLiteral("line %1, column %2: %3 MHz lies outside the radio's band %4 to %5 MHz; imported as it is")
                             .arg(rec.line)
                             .arg(quoted(header[c]),
                                  numberText(f / 100000.0),
                                  numberText(t.settings.BandLower / 100000.0),
                                  numberText(t.settings.BandUpper / 100000.0));
        }
    }
    // A header alone is no table: most likely the rows went missing.
    if (!anyRow)
        return setError(error, QStringLiteral("line %1: the file lists no channel; after the header each row names a channel")
                                   .arg(head.line));
    return true;
}

// A private copy of the channel parts for trial edits: the windows and the
// error pane of the program are not told about them.
// A copy of the channel tables, grid and lock to try rows on. The settings
// are shared, not copied: the entry rules only read them (the grid
// definition, the band, the signalling codes), and a copy of the grid
// definition would cost more than the whole trial of a short file.
struct Trial {
    DocumentData doc;
    Settings& settings;
    ChannelGrid grid;
    QString lock;
    ErrorList errors;

    explicit Trial(const ChannelContext& s) : doc(s.doc), settings(s.settings), lock(s.ChLockState)
    {
        grid.data() = s.grid.data();
    }
    ChannelContext context() { return {doc, settings, grid, lock, errors}; }
};

} // namespace

bool parseCsv(const QByteArray& bytes, std::vector<CsvRecord>* records, QString* error)
{
    records->clear();
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype bad = firstBadUtf8(bytes, start);
    if (bad >= 0)
        return setError(error, QStringLiteral("line %1: the file is not UTF-8 text; save it as CSV in UTF-8")
                                   .arg(lineOfOffset(bytes, bad)));
    const QString text = QString::fromUtf8(bytes.constData() + start, bytes.size() - start);

    CsvRecord rec;
    QString field;
    int line = 1;
    bool inQuotes = false;
    bool afterQuote = false; // just past the closing quote of a field
    bool pending = false;    // the current record has at least one character
    rec.line = 1;
    const qsizetype len = text.size();
    for (qsizetype i = 0; i < len; ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < len && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                    afterQuote = true;
                }
                continue;
            }
            if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && (i + 1 >= len || text[i + 1] != QLatin1Char('\n'))))
                ++line;
            field += c;
            continue;
        }
        if (c == QLatin1Char(',')) {
            rec.fields << field;
            field.clear();
            afterQuote = false;
            pending = true;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < len && text[i + 1] == QLatin1Char('\n'))
                ++i;
            if (pending) {
                rec.fields << field;
                records->push_back(std::move(rec));
            }
            rec = CsvRecord{};
            field.clear();
            afterQuote = false;
            pending = false;
            ++line;
            rec.line = line;
            continue;
        }
        if (afterQuote)
            return setError(error, QStringLiteral("line %1: unexpected text after the closing quote of a field").arg(line));
        pending = true;
        if (c == QLatin1Char('"') && field.isEmpty()) {
            inQuotes = true;
            continue;
        }
        field += c;
    }
    if (inQuotes)
        return setError(error, QStringLiteral("line %1: a quoted field is never closed").arg(rec.line));
    if (pending) {
        rec.fields << field;
        records->push_back(std::move(rec));
    }
    return true;
}

QString csvField(const QString& text)
{
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                             text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                             (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace() ||
                                                  text.front() == QChar(0xFEFF))); // not taken for a byte-order mark
    if (!needsQuotes)
        return text;
    QString q = text;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QStringList ChannelCsvHeader(const ChannelContext& s)
{
    QStringList names;
    const int cols = columnCount(s);
    for (int c = 0; c <= cols; ++c) {
        QString name = s.grid.text[0][c].trimmed();
        if (name.isEmpty())
            name = c == 0 ? QStringLiteral("Channel") : QStringLiteral("Column %1").arg(c);
        for (const QString& earlier : std::as_const(names)) {
            if (earlier.compare(name, Qt::CaseInsensitive) == 0) {
                name += QStringLiteral(" (%1)").arg(c);
                break;
            }
        }
        names << name;
    }
    return names;
}

QString ChannelsToCsv(const ChannelContext& s)
{
    const QString eol = QStringLiteral("\r\n");
    QStringList fields;
    for (const QString& h : ChannelCsvHeader(s))
        fields << csvField(h);
    QString out = fields.join(QLatin1Char(',')) + eol;
    const int cols = columnCount(s);
    for (int n = 1; n <= channelCount(s); ++n) {
        fields.clear();
        fields << QString::number(n);
        for (int c = 1; c <= cols; ++c)
            fields << csvField(s.grid.text[n][c]);
        out += fields.join(QLatin1Char(',')) + eol;
    }
    return out;
}

void SaveChannelCsv(const ChannelContext& s, const QString& path)
{
    saveFile(path, QByteArray("\xEF\xBB\xBF") + ChannelsToCsv(s).toUtf8(), QStringLiteral("write CSV file"));
}

bool CheckChannelCsv(const ChannelContext& s, const QByteArray& csv, QString* error)
{
    std::vector<CsvRecord> records;
    if (!parseCsv(csv, &records, error))
        return false;
    Trial trial(s);
    return importRecords(trial.context(), records, error, nullptr);
}

bool ImportChannelCsv(ChannelContext s, const QByteArray& csv, QString* error, QStringList* warnings)
{
    std::vector<CsvRecord> records;
    if (!parseCsv(csv, &records, error))
        return false;
    // The whole file is first tried on a copy; the real table is edited only
    // when every row went through, so a refusal leaves nothing half done.
    {
        Trial trial(s);
        QStringList found;
        if (!importRecords(trial.context(), records, error, &found))
            return false;
        if (warnings)
            *warnings = found;
    }
    // The same rows through the same rules cannot fail now; should they
    // anyway, the channel tables go back to what they were.
    Trial before(s);
    const bool ok = importRecords(s, records, error, nullptr);
    if (!ok) {
        s.doc.ChData = before.doc.ChData;
        s.doc.ChNameCode = before.doc.ChNameCode;
        s.grid.data() = before.grid.data();
    }
    s.grid.notify();
    return ok;
}

} // namespace qm
