#include "channels/modChirpCsv.h"

#include "channels/modChCsv.h"
#include "channels/modChFre.h"
#include "settings/SafeFile.h"
#include "settings/VbConv.h"

#include <QHash>
#include <QRegularExpression>

#include <cmath>
#include <vector>

namespace qm {

namespace {

constexpr int kVfoRow = 100;
constexpr int kPowerCol = 5;
constexpr int kBandwidthCol = 6;
constexpr int kScanCol = 7;
constexpr int kNameCol = 11;

// CHIRP writes frequencies to the hertz; a value more than 100 Hz from the
// nearest 5 kHz or 6.25 kHz step belongs to another channel raster (2.5 kHz,
// 8.33 kHz) that the radio cannot tune. In 10 Hz units.
constexpr double kStepTolerance = 10.0;
// Transmit and receive further apart than this are written as "split": no
// repeater offset is that large (CHIRP's drivers draw the line there too).
constexpr int64_t kSplitAbove = 7000000; // 70 MHz in 10 Hz units

// The columns of CHIRP's generic CSV, in their order.
enum Column {
    Location, Name, Frequency, Duplex, Offset, Tone, RToneFreq, CToneFreq, DtcsCode, DtcsPolarity, RxDtcsCode,
    CrossMode, Mode, TStep, Skip, Power, Comment, UrCall, Rpt1Call, Rpt2Call, DvCode, kColumns
};

// CHIRP's values for what a memory does not use.
const QString kDefaultTone = QStringLiteral("88.5");
const QString kDefaultDcs = QStringLiteral("023");
const QString kDefaultPolarity = QStringLiteral("NN");
const QString kDefaultCross = QStringLiteral("Tone->Tone");

constexpr int kFirstTone = 1, kLastTone = 50;
constexpr int kFirstDcsNormal = 51, kLastDcsNormal = 155;
constexpr int kFirstDcsInverted = 156, kLastDcsInverted = 260;

int channelCount(const ChannelContext& s)
{
    return std::clamp<int>(s.settings.ChNum, 0, kMaxChannels);
}

int columnCount(const ChannelContext& s)
{
    return std::clamp<int>(s.settings.ChColNum, 0, kChFields - 1);
}

QString quoted(const QString& t)
{
    return QLatin1Char('"') + t + QLatin1Char('"');
}

bool setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// ---------------------------------------------------------------- signalling

// One side of a channel's signalling as CHIRP sees it.
struct Signal {
    enum Kind { None, Ctcss, Dcs } kind = None;
    int tenths = 0; // CTCSS tone in 0.1 Hz
    int code = 0; // DCS code: its three octal digits read as a decimal number (23 for 023)
    bool reversed = false; // DCS inverted polarity (CHIRP's "R")

    bool operator==(const Signal&) const = default;
};

Signal signalOf(const Settings& st, int idx)
{
    Signal sig;
    if (idx >= kFirstTone && idx <= kLastTone) {
        sig.kind = Signal::Ctcss;
        sig.tenths = static_cast<int>(hexToUInt(st.CtdcsIicCode[static_cast<size_t>(idx)]));
    } else if (idx >= kFirstDcsNormal && idx <= kLastDcsInverted) {
        sig.kind = Signal::Dcs;
        sig.code = st.CtdcsIicCode[static_cast<size_t>(idx)].mid(1).toInt();
        sig.reversed = idx >= kFirstDcsInverted;
    }
    return sig;
}

// Table index of a CTCSS tone, or -1.
int toneIndex(const Settings& st, int tenths)
{
    for (int i = kFirstTone; i <= kLastTone; ++i) {
        bool ok = false;
        if (static_cast<int>(st.CtdcsIicCode[static_cast<size_t>(i)].toUInt(&ok, 16)) == tenths && ok)
            return i;
    }
    return -1;
}

// Table index of a DCS code of either polarity, or -1.
int dcsIndex(const Settings& st, int code, bool reversed)
{
    const QString key =
        (reversed ? QStringLiteral("A") : QStringLiteral("2")) + QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0'));
    const int first = reversed ? kFirstDcsInverted : kFirstDcsNormal;
    const int last = reversed ? kLastDcsInverted : kLastDcsNormal;
    for (int i = first; i <= last; ++i) {
        if (st.CtdcsIicCode[static_cast<size_t>(i)].compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString toneText(int tenths)
{
    return QString::number(tenths / 10.0, 'f', 1);
}

QString dcsText(int code)
{
    return QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------- export

// A frequency in 10 Hz units as MHz with six decimals ("462.562500").
QString mhz6(int64_t f)
{
    const int64_t hz = f * 10;
    return QStringLiteral("%1.%2").arg(hz / 1000000).arg(hz % 1000000, 6, 10, QLatin1Char('0'));
}

int optionValue(const ChannelContext& s, int n, int col, int fallback)
{
    if (col > columnCount(s))
        return fallback;
    return s.doc.ChData[static_cast<size_t>(n)][static_cast<size_t>(col)];
}

QStringList chirpRow(const ChannelContext& s, int n)
{
    const auto& ch = s.doc.ChData[static_cast<size_t>(n)];
    QStringList f;
    for (int i = 0; i < kColumns; ++i)
        f << QString();
    f[Location] = QString::number(n);
    QString name = columnCount(s) >= kNameCol ? s.grid.text[static_cast<size_t>(n)][kNameCol] : QString();
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    f[Name] = name;

    const int64_t rx = ch[1], tx = ch[2];
    f[Frequency] = mhz6(rx);
    f[Offset] = mhz6(0);
    if (tx == -1) {
        f[Duplex] = QStringLiteral("off");
    } else if (tx == rx) {
        f[Duplex] = QString();
    } else if (std::llabs(tx - rx) > kSplitAbove) {
        f[Duplex] = QStringLiteral("split");
        f[Offset] = mhz6(tx);
    } else {
        f[Duplex] = tx > rx ? QStringLiteral("+") : QStringLiteral("-");
        f[Offset] = mhz6(std::llabs(tx - rx));
    }

    // Without a transmit frequency only the receive side counts: it is
    // written as if both sides were the same, the simplest mode.
    const Signal rxSig = signalOf(s.settings, ch[3]);
    const Signal txSig = tx == -1 ? rxSig : signalOf(s.settings, ch[4]);
    f[RToneFreq] = f[CToneFreq] = kDefaultTone;
    f[DtcsCode] = f[RxDtcsCode] = kDefaultDcs;
    f[DtcsPolarity] = kDefaultPolarity;
    f[CrossMode] = kDefaultCross;
    const QChar txPol = txSig.reversed ? QLatin1Char('R') : QLatin1Char('N');
    const QChar rxPol = rxSig.reversed ? QLatin1Char('R') : QLatin1Char('N');
    using K = Signal::Kind;
    if (txSig.kind == K::None && rxSig.kind == K::None) {
        f[Tone] = QString();
    } else if (txSig.kind == K::Ctcss && rxSig.kind == K::None) {
        f[Tone] = QStringLiteral("Tone");
        f[RToneFreq] = toneText(txSig.tenths);
    } else if (txSig.kind == K::Ctcss && txSig == rxSig) {
        f[Tone] = QStringLiteral("TSQL");
        f[RToneFreq] = f[CToneFreq] = toneText(txSig.tenths);
    } else if (txSig.kind == K::Dcs && rxSig.kind == K::Dcs && txSig.code == rxSig.code) {
        f[Tone] = QStringLiteral("DTCS");
        f[DtcsCode] = f[RxDtcsCode] = dcsText(txSig.code);
        f[DtcsPolarity] = QString(txPol) + rxPol;
    } else {
        f[Tone] = QStringLiteral("Cross");
        // One side of the cross mode: its name, its value in its own column.
        const auto side = [&](const Signal& sig, int toneCol, int dcsCol) {
            if (sig.kind == K::Ctcss) {
                f[toneCol] = toneText(sig.tenths);
                return QStringLiteral("Tone");
            }
            if (sig.kind == K::Dcs) {
                f[dcsCol] = dcsText(sig.code);
                return QStringLiteral("DTCS");
            }
            return QString();
        };
        const QString from = side(txSig, RToneFreq, DtcsCode);
        f[CrossMode] = from + QStringLiteral("->") + side(rxSig, CToneFreq, RxDtcsCode);
        f[DtcsPolarity] = QString(txPol) + rxPol;
    }

    f[Mode] = optionValue(s, n, kBandwidthCol, 0) == 1 ? QStringLiteral("NFM") : QStringLiteral("FM");
    f[TStep] = (rx % 625 == 0 && rx % 500 != 0) ? QStringLiteral("6.25") : QStringLiteral("5.00");
    f[Skip] = optionValue(s, n, kScanCol, 1) == 0 ? QStringLiteral("S") : QString();
    f[Power] = optionValue(s, n, kPowerCol, 0) == 1 ? QStringLiteral("Low") : QStringLiteral("High");
    return f;
}

// ---------------------------------------------------------------- import

// What one row of the file asks of one channel, checked against the radio.
struct RowTarget {
    int line = 0;
    int ch = 0;
    bool empty = false; // no frequency: the row empties the channel
    int32_t rx = -1;
    int32_t tx = -1; // -1: no transmit frequency
    bool txByOffset = false; // the transmit frequency came from Offset
    int rxSig = 0, txSig = 0;
    int power = -1, bandwidth = -1, scan = -1; // -1: keep
    QString name;
};

// The columns of a file's header: index of each known column, or -1.
struct FileColumns {
    std::array<int, kColumns> at{};
    int count = 0; // fields in the header
};

// A CHIRP value of the row: the field's text (trimmed unless raw), "" for a
// field the row does not have, or `missing` when the file has no such column.
QString field(const FileColumns& cols, const CsvRecord& rec, Column c, const QString& missing = QString(), bool raw = false)
{
    const int i = cols.at[static_cast<size_t>(c)];
    if (i < 0)
        return missing;
    if (i >= rec.fields.size())
        return QString();
    return raw ? rec.fields[i] : rec.fields[i].trimmed();
}

// Unsigned decimal text (digits with an optional fraction) -> value, or false.
bool plainDecimal(const QString& t, double* v)
{
    static const QRegularExpression re(QStringLiteral("^(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)$"));
    if (!re.match(t).hasMatch())
        return false;
    *v = t.toDouble();
    return std::isfinite(*v);
}

// Reason a row is refused, with the file column it concerns.
struct Refusal {
    Column col = Location;
    QString reason;
};

class RowReader {
public:
    RowReader(ChannelContext s, const FileColumns& cols, double maxWatts) : s_(s), cols_(cols), maxWatts_(maxWatts) {}

    // Fills t from rec; false with the refusal.
    bool read(const CsvRecord& rec, RowTarget* t, Refusal* why)
    {
        rec_ = &rec;
        why_ = why;
        t->line = rec.line;
        return location(t) && frequencies(t) && signalling(t) && options(t);
    }

private:
    bool refuse(Column c, const QString& reason)
    {
        *why_ = {c, reason};
        return false;
    }
    QString get(Column c, const QString& missing = QString(), bool raw = false) const
    {
        return field(cols_, *rec_, c, missing, raw);
    }

    bool location(RowTarget* t)
    {
        const int n = channelCount(s_);
        const QString text = get(Location);
        static const QRegularExpression re(QStringLiteral("^[0-9]{1,4}$"));
        if (!re.match(text).hasMatch())
            return refuse(Location, QStringLiteral("%1 is not a channel number (1 to %2)").arg(quoted(text)).arg(n));
        t->ch = text.toInt();
        if (t->ch == kVfoRow)
            return refuse(Location, QStringLiteral("100 is the VFO row, which a CHIRP file does not set"));
        if (t->ch < 1 || t->ch > n)
            return refuse(Location,
                          QStringLiteral("channel %1 does not exist (the radio has channels 1 to %2)").arg(t->ch).arg(n));
        return true;
    }

    // A frequency in 10 Hz units on the radio's channel step, or a refusal.
    bool onStep(Column c, double v, const QString& what, int32_t* out)
    {
        const Settings& st = s_.settings;
        const QString limits = QStringLiteral("the entry limits %1 to %2 MHz")
                                   .arg(numberText(st.EntryLower / 100000.0), numberText(st.EntryUpper / 100000.0));
        if (!(v >= st.EntryLower && v <= st.EntryUpper))
            return refuse(c,
                          QStringLiteral("the %1 frequency %2 MHz lies outside %3").arg(what, numberText(v / 100000.0), limits));
        const int32_t snapped = ModifyTxRxFre(s_, QString::number(roundHalfEven(v), 'f', 0));
        if (std::abs(snapped - v) > kStepTolerance)
            return refuse(
                c, QStringLiteral("the %1 frequency %2 MHz is not on a 5 kHz or 6.25 kHz channel step (the nearest is %3 MHz)")
                       .arg(what, numberText(v / 100000.0), numberText(snapped / 100000.0)));
        if (snapped < st.EntryLower || snapped > st.EntryUpper)
            return refuse(c,
                          QStringLiteral("the %1 frequency %2 MHz lies outside %3").arg(what, numberText(v / 100000.0), limits));
        *out = snapped;
        return true;
    }

    bool megahertz(Column c, const QString& text, double* v)
    {
        double mhz = 0;
        if (!plainDecimal(text, &mhz))
            return refuse(c, QStringLiteral("%1 is not a frequency in MHz").arg(quoted(text)));
        *v = mhz * 100000.0;
        return true;
    }

    bool frequencies(RowTarget* t)
    {
        const QString rxText = get(Frequency);
        if (rxText.isEmpty()) {
            t->empty = true; // as in the program's own CSV: an empty channel
            return true;
        }
        double rx = 0;
        if (!megahertz(Frequency, rxText, &rx) || !onStep(Frequency, rx, QStringLiteral("receive"), &t->rx))
            return false;

        const QString duplex = get(Duplex).toLower();
        const QString offText = get(Offset);
        double off = 0;
        if (duplex.isEmpty()) {
            t->tx = t->rx;
            return true;
        }
        if (duplex == QLatin1String("off"))
            return true;
        if (duplex != QLatin1String("+") && duplex != QLatin1String("-") && duplex != QLatin1String("split"))
            return refuse(Duplex,
                          QStringLiteral("%1 is not a duplex of CHIRP (\"\", +, -, split or off)").arg(quoted(get(Duplex))));
        if (duplex == QLatin1String("split") && offText.isEmpty())
            return refuse(Offset, QStringLiteral("a split channel needs its transmit frequency in Offset"));
        if (!offText.isEmpty() && !megahertz(Offset, offText, &off))
            return false;
        double tx = off;
        if (duplex == QLatin1String("+"))
            tx = rx + off;
        else if (duplex == QLatin1String("-"))
            tx = rx - off;
        t->txByOffset = true;
        return onStep(Offset, tx, QStringLiteral("transmit"), &t->tx);
    }

    // The table index of the tone in column c, or a refusal.
    bool tone(Column c, int* idx)
    {
        const QString text = get(c, kDefaultTone);
        double hz = 0;
        if (text.isEmpty())
            return refuse(c, QStringLiteral("the tone mode needs a CTCSS tone here"));
        if (!plainDecimal(text, &hz))
            return refuse(c, QStringLiteral("%1 is not a CTCSS tone in Hz").arg(quoted(text)));
        const double tenths = hz * 10.0;
        const int i =
            std::abs(tenths - std::round(tenths)) < 1e-6 ? toneIndex(s_.settings, static_cast<int>(std::lround(tenths))) : -1;
        if (i < 0)
            return refuse(c, QStringLiteral("%1 Hz is not a CTCSS tone of the radio (%2 to %3)")
                                 .arg(text, s_.settings.CtdcsName[kFirstTone], s_.settings.CtdcsName[kLastTone]));
        *idx = i;
        return true;
    }

    // The table index of the DCS code in column c with the polarity letter, or a refusal.
    bool dcs(Column c, QChar polarity, int* idx)
    {
        const QString text = get(c, kDefaultDcs);
        static const QRegularExpression re(QStringLiteral("^[0-7]{1,3}$"));
        if (text.isEmpty())
            return refuse(c, QStringLiteral("the tone mode needs a DCS code here"));
        if (!re.match(text).hasMatch())
            return refuse(c, QStringLiteral("%1 is not a DCS code (three octal digits such as 023)").arg(quoted(text)));
        const int i = dcsIndex(s_.settings, text.toInt(), polarity == QLatin1Char('R'));
        if (i < 0)
            return refuse(c, QStringLiteral("DCS code %1 is not in the radio's table").arg(dcsText(text.toInt())));
        *idx = i;
        return true;
    }

    bool signalling(RowTarget* t)
    {
        if (t->empty)
            return true;
        QString pol = get(DtcsPolarity, kDefaultPolarity).toUpper();
        if (pol.isEmpty())
            pol = kDefaultPolarity;
        static const QRegularExpression polRe(QStringLiteral("^[NR]{2}$"));
        const QString mode = get(Tone).toLower();
        const bool usesDcs = mode == QLatin1String("dtcs") || mode == QLatin1String("cross");
        if (usesDcs && !polRe.match(pol).hasMatch())
            return refuse(DtcsPolarity, QStringLiteral("%1 is not a DCS polarity (NN, NR, RN or RR: transmit, then receive)")
                                            .arg(quoted(get(DtcsPolarity))));
        int rx = 0, tx = 0;
        if (mode.isEmpty()) {
            // no signalling either way
        } else if (mode == QLatin1String("tone")) {
            if (!tone(RToneFreq, &tx))
                return false;
        } else if (mode == QLatin1String("tsql")) {
            if (!tone(CToneFreq, &rx))
                return false;
            tx = rx;
        } else if (mode == QLatin1String("dtcs")) {
            if (!dcs(DtcsCode, pol[0], &tx) || !dcs(DtcsCode, pol[1], &rx))
                return false;
        } else if (mode == QLatin1String("cross")) {
            QString cross = get(CrossMode, kDefaultCross);
            if (cross.isEmpty())
                cross = kDefaultCross;
            const qsizetype arrow = cross.indexOf(QStringLiteral("->"));
            const QString from = arrow < 0 ? QString() : cross.left(arrow).toLower();
            const QString to = arrow < 0 ? QString() : cross.mid(arrow + 2).toLower();
            const auto side = [](const QString& x) {
                return x.isEmpty() || x == QLatin1String("tone") || x == QLatin1String("dtcs");
            };
            if (arrow < 0 || !side(from) || !side(to) || (from.isEmpty() && to.isEmpty()))
                return refuse(CrossMode, QStringLiteral("%1 is not a cross mode of CHIRP (Tone->Tone, Tone->DTCS, DTCS->Tone, "
                                                        "->Tone, ->DTCS, DTCS->, DTCS->DTCS, Tone->)")
                                             .arg(quoted(cross)));
            if (from == QLatin1String("tone") && !tone(RToneFreq, &tx))
                return false;
            if (from == QLatin1String("dtcs") && !dcs(DtcsCode, pol[0], &tx))
                return false;
            if (to == QLatin1String("tone") && !tone(CToneFreq, &rx))
                return false;
            if (to == QLatin1String("dtcs") && !dcs(RxDtcsCode, pol[1], &rx))
                return false;
        } else {
            return refuse(
                Tone,
                QStringLiteral("%1 is not a tone mode this radio has (\"\", Tone, TSQL, DTCS or Cross)").arg(quoted(get(Tone))));
        }
        t->rxSig = rx;
        t->txSig = tx;
        return true;
    }

    bool options(RowTarget* t)
    {
        if (t->empty)
            return true;
        const QString mode = get(Mode).toUpper();
        if (mode == QLatin1String("FM"))
            t->bandwidth = 0;
        else if (mode == QLatin1String("NFM"))
            t->bandwidth = 1;
        else if (!mode.isEmpty())
            return refuse(
                Mode,
                QStringLiteral("mode %1 cannot be held: the radio has FM (wide) and NFM (narrow) only").arg(quoted(get(Mode))));

        const QString power = get(Power).toLower();
        double watts = 0;
        if (power == QLatin1String("high"))
            t->power = 0;
        else if (power == QLatin1String("low") || power == QLatin1String("mid") || power == QLatin1String("med") ||
                 power == QLatin1String("medium"))
            t->power = 1;
        else if (wattsOf(power, &watts))
            t->power = watts >= maxWatts_ ? 0 : 1;
        else if (!power.isEmpty())
            return refuse(Power,
                          QStringLiteral("%1 is not a power level (High, Low or watts such as 5.0W)").arg(quoted(get(Power))));

        const QString skip = get(Skip).toUpper();
        if (skip.isEmpty() || skip == QLatin1String("P"))
            t->scan = 1;
        else if (skip == QLatin1String("S"))
            t->scan = 0;
        else
            return refuse(Skip, QStringLiteral("%1 is not a skip mark (empty, S or P)").arg(quoted(get(Skip))));

        // Leading blanks belong to the name (" CH-07"); trailing ones are padding.
        t->name = get(Name, QString(), true);
        while (t->name.endsWith(QLatin1Char(' ')))
            t->name.chop(1);
        return true;
    }

public:
    static bool wattsOf(const QString& text, double* w)
    {
        static const QRegularExpression re(QStringLiteral("^\\s*([0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)\\s*[wW]?\\s*$"));
        const auto m = re.match(text);
        if (!m.hasMatch())
            return false;
        *w = m.captured(1).toDouble();
        return true;
    }

private:
    ChannelContext s_;
    const FileColumns& cols_;
    double maxWatts_;
    const CsvRecord* rec_ = nullptr;
    Refusal* why_ = nullptr;
};

// The grid cells a target sets, in the order the grid takes them: the
// receive frequency first (it makes a new channel), the transmit frequency
// before the encode signalling.
struct CellValue {
    int col;
    QString text;
    Column from;
};

std::vector<CellValue> cellsOf(const ChannelContext& s, const RowTarget& t)
{
    std::vector<CellValue> cells;
    const int cols = columnCount(s);
    const auto add = [&](int c, const QString& text, Column from) {
        if (c <= cols)
            cells.push_back({c, text, from});
    };
    if (t.empty) {
        add(1, QString(), Frequency);
        return cells;
    }
    const Column txFrom = t.txByOffset ? Offset : Duplex;
    add(1, freqText(t.rx), Frequency);
    add(2, t.tx == -1 ? QString() : freqText(t.tx), txFrom);
    add(3, s.settings.CtdcsName[static_cast<size_t>(t.rxSig)], Tone);
    if (t.tx != -1)
        add(4, s.settings.CtdcsName[static_cast<size_t>(t.txSig)], Tone);
    const auto option = [&](int c, int v, Column from) {
        if (v < 0 || c > cols)
            return;
        const size_t k = static_cast<size_t>(v) + 3;
        add(c, k < kColInfoEntries ? s.settings.ColInfo[static_cast<size_t>(c)][k] : QString(), from);
    };
    option(kPowerCol, t.power, Power);
    option(kBandwidthCol, t.bandwidth, Mode);
    option(kScanCol, t.scan, Skip);
    add(kNameCol, t.name, Name);
    return cells;
}

// Applies a target through the grid's rules; false with the refusal.
bool applyTarget(ChannelContext s, const RowTarget& t, Refusal* why)
{
    for (const CellValue& cell : cellsOf(s, t)) {
        QString reason;
        if (cell.text.isEmpty() && cell.col >= 3 && cell.col != kNameCol)
            reason = QStringLiteral("column %1 of the channel table has no value for this").arg(cell.col);
        else
            reason = ApplyChannelCsvCell(s, t.ch, cell.col, cell.text);
        if (!reason.isEmpty()) {
            *why = {cell.from, reason};
            return false;
        }
    }
    return true;
}

bool isBlank(const CsvRecord& r)
{
    for (const QString& f : r.fields) {
        if (!f.trimmed().isEmpty())
            return false;
    }
    return true;
}

bool readHeader(const CsvRecord& head, FileColumns* cols, QString* error)
{
    cols->at.fill(-1);
    cols->count = static_cast<int>(head.fields.size());
    const QStringList& names = ChirpCsvHeader();
    for (int i = 0; i < head.fields.size(); ++i) {
        const QString name = head.fields[i].trimmed();
        for (int c = 0; c < kColumns; ++c) {
            if (names[c].compare(name, Qt::CaseInsensitive) != 0)
                continue;
            if (cols->at[static_cast<size_t>(c)] >= 0)
                return setError(error, QStringLiteral("line %1: column %2 appears twice").arg(head.line).arg(quoted(names[c])));
            cols->at[static_cast<size_t>(c)] = i;
        }
        // Columns CHIRP does not write (a spreadsheet's notes) are ignored.
    }
    for (Column c : {Location, Frequency}) {
        if (cols->at[static_cast<size_t>(c)] < 0)
            return setError(error,
                            QStringLiteral("line %1: column %2 is missing; a CHIRP file names at least Location and Frequency")
                                .arg(head.line)
                                .arg(quoted(names[c])));
    }
    return true;
}

// Checks the file on a copy of s and, with apply, applies it to s.
bool importChirp(ChannelContext s, const QByteArray& csv, QString* error, QStringList* warnings, bool apply)
{
    if (warnings)
        warnings->clear();
    std::vector<CsvRecord> records;
    if (!parseCsv(csv, &records, error))
        return false;
    auto it = records.begin();
    while (it != records.end() && isBlank(*it))
        ++it;
    if (it == records.end())
        return setError(error, QStringLiteral("the file is empty; its first line must be the header: %1")
                                   .arg(ChirpCsvHeader().join(QLatin1Char(','))));
    const CsvRecord& head = *it++;
    FileColumns cols;
    if (!readHeader(head, &cols, error))
        return false;
    const QStringList& names = ChirpCsvHeader();

    // Power in watts: the file's largest value is the radio's High.
    double maxWatts = 0;
    for (auto r = it; r != records.end(); ++r) {
        double w = 0;
        if (RowReader::wattsOf(field(cols, *r, Power), &w))
            maxWatts = std::max(maxWatts, w);
    }

    ChannelTrial trial(s);
    RowReader reader(trial.context(), cols, maxWatts);
    std::vector<RowTarget> targets;
    std::vector<int> seenOnLine(static_cast<size_t>(channelCount(s)) + 1, 0);
    QStringList found;
    const Settings& st = s.settings;
    const auto outOfBand = [&](int32_t f) {
        return f != -1 && (f < st.BandLower || f > st.BandUpper);
    };
    for (; it != records.end(); ++it) {
        const CsvRecord& rec = *it;
        if (isBlank(rec))
            continue;
        for (qsizetype i = cols.count; i < rec.fields.size(); ++i) {
            if (!rec.fields[i].trimmed().isEmpty())
                return setError(error, QStringLiteral("line %1: %2 fields, but the header has %3")
                                           .arg(rec.line)
                                           .arg(rec.fields.size())
                                           .arg(cols.count));
        }
        RowTarget t;
        Refusal why;
        const auto refused = [&] {
            return setError(error,
                            QStringLiteral("line %1, column %2: %3").arg(rec.line).arg(quoted(names[why.col]), why.reason));
        };
        if (!reader.read(rec, &t, &why))
            return refused();
        if (seenOnLine[static_cast<size_t>(t.ch)] != 0) {
            why = {Location, QStringLiteral("channel %1 is listed twice (first on line %2)")
                                 .arg(t.ch)
                                 .arg(seenOnLine[static_cast<size_t>(t.ch)])};
            return refused();
        }
        seenOnLine[static_cast<size_t>(t.ch)] = rec.line;
        if (!applyTarget(trial.context(), t, &why))
            return refused();
        const QString band = QStringLiteral("lies outside the radio's band %1 to %2 MHz; imported as it is")
                                 .arg(numberText(st.BandLower / 100000.0), numberText(st.BandUpper / 100000.0));
        if (outOfBand(t.rx))
            found << QStringLiteral("line %1, column \"Frequency\": %2 MHz %3")
                         .arg(rec.line)
                         .arg(numberText(t.rx / 100000.0), band);
        if (t.txByOffset && outOfBand(t.tx))
            found << QStringLiteral("line %1, column \"Offset\": the transmit frequency %2 MHz %3")
                         .arg(rec.line)
                         .arg(numberText(t.tx / 100000.0), band);
        targets.push_back(t);
    }
    if (targets.empty())
        return setError(
            error,
            QStringLiteral("line %1: the file lists no channel; after the header each row names a channel").arg(head.line));
    if (warnings)
        *warnings = found;
    if (!apply)
        return true;

    // The same rows through the same rules cannot fail now; should one
    // anyway, the channel tables go back to what they were.
    ChannelTrial before(s);
    for (const RowTarget& t : targets) {
        Refusal why;
        if (!applyTarget(s, t, &why)) {
            before.restoreInto(s);
            s.grid.notify();
            return setError(error, QStringLiteral("line %1, column %2: %3").arg(t.line).arg(quoted(names[why.col]), why.reason));
        }
    }
    s.grid.notify();
    return true;
}

} // namespace

const QStringList& ChirpCsvHeader()
{
    static const QStringList names = {
        QStringLiteral("Location"), QStringLiteral("Name"),         QStringLiteral("Frequency"),  QStringLiteral("Duplex"),
        QStringLiteral("Offset"),   QStringLiteral("Tone"),         QStringLiteral("rToneFreq"),  QStringLiteral("cToneFreq"),
        QStringLiteral("DtcsCode"), QStringLiteral("DtcsPolarity"), QStringLiteral("RxDtcsCode"), QStringLiteral("CrossMode"),
        QStringLiteral("Mode"),     QStringLiteral("TStep"),        QStringLiteral("Skip"),       QStringLiteral("Power"),
        QStringLiteral("Comment"),  QStringLiteral("URCALL"),       QStringLiteral("RPT1CALL"),   QStringLiteral("RPT2CALL"),
        QStringLiteral("DVCODE"),
    };
    return names;
}

bool IsChirpCsv(const QByteArray& csv)
{
    std::vector<CsvRecord> records;
    if (!parseCsv(csv, &records, nullptr))
        return false;
    for (const CsvRecord& r : records) {
        if (isBlank(r))
            continue;
        bool location = false, frequency = false;
        for (const QString& f : r.fields) {
            location = location || f.trimmed().compare(QLatin1String("Location"), Qt::CaseInsensitive) == 0;
            frequency = frequency || f.trimmed().compare(QLatin1String("Frequency"), Qt::CaseInsensitive) == 0;
        }
        return location && frequency;
    }
    return false;
}

QString ChannelsToChirpCsv(const ChannelContext& s)
{
    const QString eol = QStringLiteral("\r\n");
    QString out = ChirpCsvHeader().join(QLatin1Char(',')) + eol;
    for (int n = 1; n <= channelCount(s); ++n) {
        if (n == kVfoRow || s.doc.ChData[static_cast<size_t>(n)][1] == -1)
            continue;
        QStringList fields;
        for (const QString& f : chirpRow(s, n))
            fields << csvField(f);
        out += fields.join(QLatin1Char(',')) + eol;
    }
    return out;
}

void SaveChirpCsv(const ChannelContext& s, const QString& path)
{
    saveFile(path, ChannelsToChirpCsv(s).toUtf8(), QStringLiteral("write CHIRP CSV file"));
}

bool ImportChirpCsv(ChannelContext s, const QByteArray& csv, QString* error, QStringList* warnings)
{
    return importChirp(s, csv, error, warnings, true);
}

bool CheckChirpCsv(const ChannelContext& s, const QByteArray& csv, QString* error, QStringList* warnings)
{
    ChannelTrial copy(s);
    return importChirp(copy.context(), csv, error, warnings, false);
}

} // namespace qm
