#include "shell/ImageDiff.h"

#include "channels/ChannelContext.h"
#include "channels/modChFre.h"
#include "channels/modChGrid.h"
#include "channels/modChMem.h"
#include "comm/modTransfer.h"
#include "image/Document.h"
#include "options/OptionsContext.h"
#include "options/modOptView.h"
#include "options/modSysSet.h"
#include "settings/SoftFaceTexts.h"

#include <QRegularExpression>

#include <algorithm>
#include <memory>

namespace qm {

namespace {

const QString kArrow = QStringLiteral(" \u2192 ");

// One image decoded as the windows show it: the channel grid's texts and the
// options window's values. Built on scratch copies; the decoders' error
// entries (a damaged image) stay in the scratch list.
struct Decoded {
    DocumentData doc;
    std::unique_ptr<ChannelGrid> grid = std::make_unique<ChannelGrid>();
    std::vector<bool> present;  // by channel 1..N
    std::vector<QString> option; // by position in optionSpecs()
};

QString checkText(const Settings& s, bool on)
{
    return on ? winText(s, "on", "开") : winText(s, "off", "关");
}

Decoded decode(const std::vector<uint8_t>& image, Settings& st)
{
    Decoded d;
    ErrorList errors;
    const QString lock;
    d.doc.IicDat = image;
    for (auto& codes : d.doc.ChNameCode)
        std::fill(codes.begin() + 1, codes.end(), uint8_t(kNoChar));
    ChannelContext c{d.doc, st, *d.grid, lock, errors};
    SetChGrid(c);
    IicDatToChInfo(c);
    ShowChTblGrid(c);
    d.present.assign(static_cast<size_t>(st.ChNum) + 1, false);
    for (int n = 1; n <= st.ChNum && n <= kMaxChannels; ++n)
        d.present[static_cast<size_t>(n)] = d.doc.ChData[static_cast<size_t>(n)][1] != -1;

    OptionsView view;
    OptionsContext o{d.doc, st, view, errors};
    d.doc.OptSel = st.OptDef;
    SaveToOptSel(o);
    for (const OptionSpec& option : optionSpecs()) {
        const int v = d.doc.OptSel[static_cast<size_t>(option.optIndex)];
        switch (option.kind) {
        case OptionKind::List: {
            // As the window shows it: a value outside the list shows its
            // default, a default outside it the first entry.
            int pos = v;
            if (pos < 0 || pos > option.max)
                pos = st.OptDef[static_cast<size_t>(option.optIndex)];
            if (pos < 0 || pos > option.max)
                pos = 0;
            const QStringList items = optionListTexts(o, option);
            d.option.push_back(pos < items.size() ? items[pos] : QString::number(pos));
            break;
        }
        case OptionKind::Check:
            d.option.push_back(checkText(st, option.alarm >= 0 ? v == 1 : v != 0));
            break;
        case OptionKind::Message:
            d.option.push_back(QStringLiteral("\"") + PowerOnMsgText(o) + QStringLiteral("\""));
            break;
        }
    }
    return d;
}

QString optionLabel(const OptionsContext& o, const OptionSpec& option)
{
    // The alarm rows share their captions ("Hour", "Minute"): the row's
    // check box caption tells them apart.
    if (option.alarm >= 0 && option.kind == OptionKind::List) {
        for (const OptionSpec& other : optionSpecs()) {
            if (other.alarm == option.alarm && other.kind == OptionKind::Check)
                return optionCaption(o, other) + QStringLiteral(": ") + optionCaption(o, option);
        }
    }
    return optionCaption(o, option);
}

// Who owns each byte of the image, for the bytes no shown change accounts for.
struct Owner {
    enum class Kind { Raw, DateStamp, Fixed, Channel, Option };
    Kind kind = Kind::Raw;
    int index = 0; // channel number, or position in optionSpecs()
};

std::vector<Owner> owners(size_t size, const Settings& st)
{
    std::vector<Owner> own(size);
    auto mark = [&](long long addr, Owner::Kind k, int index) {
        if (addr >= 0 && static_cast<size_t>(addr) < size)
            own[static_cast<size_t>(addr)] = {k, index};
    };
    for (int n = 1; n <= st.ChNum && n <= kMaxChannels; ++n) {
        for (int k = 0; k < 16; ++k) {
            if (k != 13) // record byte 13 is the radio's own
                mark(chRecordAddr(n) + k, Owner::Kind::Channel, n);
        }
        for (int k = 0; k < 4; ++k)
            mark(chNameAddr(n) + k, Owner::Kind::Channel, n);
    }
    const auto& specs = optionSpecs();
    for (size_t i = 0; i < specs.size(); ++i) {
        for (int addr : optionAddresses(specs[i].optIndex))
            mark(addr, Owner::Kind::Option, static_cast<int>(i));
    }
    for (int addr : optionFixedAddresses())
        mark(addr, Owner::Kind::Fixed, 0);
    for (int addr : kWriteStampAddrs) // stamped into every image a write sends
        mark(addr, Owner::Kind::DateStamp, 0);
    return own;
}

QString hexBytes(const std::vector<uint8_t>& bytes)
{
    QStringList parts;
    for (uint8_t b : bytes)
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return parts.join(QLatin1Char(' '));
}

} // namespace

QString hexAddress(int addr)
{
    return QStringLiteral("%1").arg(addr, 4, 16, QLatin1Char('0')).toUpper();
}

ImageChanges diffImages(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, const Settings& settings)
{
    if (before.size() != after.size())
        throw QmError(380, QStringLiteral("compare images"), {},
                      QStringLiteral("they differ in size (%1 and %2 bytes)").arg(before.size()).arg(after.size()));
    Settings st = settings; // the decoders take their settings by reference
    const Decoded a = decode(before, st);
    const Decoded b = decode(after, st);
    ImageChanges out;

    // Channels, by the grid's texts.
    const ChannelGridData& ga = *a.grid;
    const ChannelGridData& gb = *b.grid;
    // "CH 5", "CH VFO": the grid's first caption and the row's label.
    auto channelLabel = [&](int n) {
        const QString head = gb.text[0][0].isEmpty() ? QStringLiteral("Ch") : gb.text[0][0];
        const QString row = chRowLabel(n);
        return head + QLatin1Char(' ') + (row.isEmpty() ? QString::number(n) : row);
    };
    std::vector<bool> channelShown(static_cast<size_t>(st.ChNum) + 1, false);
    const int cols = std::min<int>(st.ChColNum, kChFields - 1);
    for (int n = 1; n <= st.ChNum && n <= kMaxChannels; ++n) {
        const auto un = static_cast<size_t>(n);
        const bool inA = a.present[un], inB = b.present[un];
        if (!inA && !inB)
            continue;
        ChannelDifference ch;
        ch.channel = n;
        ch.label = channelLabel(n);
        ch.kind = !inA ? ChannelDifference::Kind::Added : !inB ? ChannelDifference::Kind::Removed : ChannelDifference::Kind::Changed;
        for (int c = 1; c <= cols; ++c) {
            const QString& ta = inA ? ga.text[un][static_cast<size_t>(c)] : QString();
            const QString& tb = inB ? gb.text[un][static_cast<size_t>(c)] : QString();
            if (ta == tb)
                continue;
            ch.fields.push_back({c, gb.text[0][static_cast<size_t>(c)], ta, tb});
        }
        if (!ch.fields.empty()) {
            channelShown[un] = true;
            out.channels.push_back(std::move(ch));
        }
    }

    // Options, by the window's captions and list texts.
    const auto& specs = optionSpecs();
    std::vector<QString> optionLabels;
    {
        DocumentData scratch;
        OptionsView view;
        ErrorList errors;
        const OptionsContext o{scratch, st, view, errors};
        for (const OptionSpec& option : specs)
            optionLabels.push_back(optionLabel(o, option));
    }
    std::vector<bool> optionShown(specs.size(), false);
    for (size_t i = 0; i < specs.size(); ++i) {
        if (a.option[i] == b.option[i])
            continue;
        optionShown[i] = true;
        out.options.push_back(
            {specs[i].optIndex, QString::fromLatin1(specs[i].control), optionLabels[i], a.option[i], b.option[i]});
    }

    // Bytes that differ and no change above accounts for.
    const std::vector<Owner> own = owners(before.size(), st);
    auto kindAndRegion = [&](size_t addr, ByteRangeChange::Kind& kind, QString& region) {
        const Owner& o = own[addr];
        switch (o.kind) {
        case Owner::Kind::Raw:
            kind = ByteRangeChange::Kind::Raw;
            region.clear();
            return true;
        case Owner::Kind::DateStamp:
            kind = ByteRangeChange::Kind::DateStamp;
            region = winText(st, "write-date stamp", "写频日期");
            return true;
        case Owner::Kind::Fixed:
            kind = ByteRangeChange::Kind::Fixed;
            region = winText(st, "fixed bytes of the options", "可选功能固定字节");
            return true;
        case Owner::Kind::Channel:
            if (channelShown[static_cast<size_t>(o.index)])
                return false;
            kind = ByteRangeChange::Kind::Invisible;
            region = channelLabel(o.index) + winText(st, " (no visible change)", "（无可见变化）");
            return true;
        case Owner::Kind::Option:
            if (optionShown[static_cast<size_t>(o.index)])
                return false;
            kind = ByteRangeChange::Kind::Invisible;
            region = optionLabels[static_cast<size_t>(o.index)] + winText(st, " (no visible change)", "（无可见变化）");
            return true;
        }
        return false;
    };
    ByteRangeChange* open = nullptr;
    for (size_t addr = 0; addr < before.size(); ++addr) {
        if (before[addr] == after[addr]) {
            open = nullptr;
            continue;
        }
        ++out.differingBytes;
        ByteRangeChange::Kind kind;
        QString region;
        if (!kindAndRegion(addr, kind, region)) {
            open = nullptr;
            continue;
        }
        if (!open || open->kind != kind || open->region != region || open->before.size() >= kBytesPerRange) {
            out.bytes.push_back({kind, static_cast<int>(addr), {}, {}, region});
            open = &out.bytes.back();
        }
        open->before.push_back(before[addr]);
        open->after.push_back(after[addr]);
    }
    return out;
}

QString channelHeading(const ChannelDifference& ch, const Settings& s)
{
    switch (ch.kind) {
    case ChannelDifference::Kind::Added:
        return ch.label + winText(s, " added", " 新增");
    case ChannelDifference::Kind::Removed:
        return ch.label + winText(s, " removed", " 删除");
    case ChannelDifference::Kind::Changed:
        break;
    }
    return ch.label + winText(s, " changed", " 修改");
}

QString channelFieldText(const ChannelDifference& ch, const ChannelFieldDifference& f, const Settings& s)
{
    // Names fill their six places with blanks; a line shows them without.
    auto shown = [&](const QString& cell) {
        static const QRegularExpression trailing(QStringLiteral("\\s+$"));
        const QString t = QString(cell).remove(trailing);
        return t.isEmpty() ? winText(s, "(none)", "（无）") : t;
    };
    switch (ch.kind) {
    case ChannelDifference::Kind::Added:
        return f.caption + QLatin1Char(' ') + shown(f.after);
    case ChannelDifference::Kind::Removed:
        return f.caption + QLatin1Char(' ') + shown(f.before);
    case ChannelDifference::Kind::Changed:
        break;
    }
    return f.caption + QLatin1Char(' ') + shown(f.before) + kArrow + shown(f.after);
}

QString optionChangeText(const OptionChange& o, const Settings&)
{
    return o.caption + QStringLiteral(": ") + o.before + kArrow + o.after;
}

QString byteRangeText(const ByteRangeChange& b)
{
    QString where = hexAddress(b.start);
    if (b.end() != b.start)
        where += QLatin1Char('-') + hexAddress(b.end());
    if (!b.region.isEmpty())
        where += QLatin1Char(' ') + b.region;
    return where + QStringLiteral(": ") + hexBytes(b.before) + kArrow + hexBytes(b.after);
}

QStringList changeLines(const ImageChanges& c, const Settings& s)
{
    QStringList lines;
    for (const ChannelDifference& ch : c.channels) {
        if (ch.kind == ChannelDifference::Kind::Changed) {
            for (const ChannelFieldDifference& f : ch.fields)
                lines << ch.label + QStringLiteral(": ") + channelFieldText(ch, f, s);
        } else {
            QStringList cells;
            for (const ChannelFieldDifference& f : ch.fields)
                cells << channelFieldText(ch, f, s);
            lines << channelHeading(ch, s) + QStringLiteral(": ") + cells.join(QStringLiteral(", "));
        }
    }
    for (const OptionChange& o : c.options)
        lines << optionChangeText(o, s);
    for (const ByteRangeChange& b : c.bytes)
        lines << byteRangeText(b);
    return lines;
}

QString changeSummary(const ImageChanges& c, const Settings& s)
{
    if (c.empty() && c.differingBytes == 0)
        return winText(s, "Nothing differs: the radio keeps what it holds.", "没有差异：对讲机的数据保持不变。");
    if (chineseUi(s)) {
        return QStringLiteral("%1 个信道、%2 个可选功能和 %3 段字节将改变（共 %4 个字节不同）。")
            .arg(c.channels.size())
            .arg(c.options.size())
            .arg(c.bytes.size())
            .arg(c.differingBytes);
    }
    auto count = [](size_t n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
    };
    return QStringLiteral("%1, %2 and %3 change (%4).")
        .arg(count(c.channels.size(), "channel", "channels"), count(c.options.size(), "option", "options"),
             count(c.bytes.size(), "byte range", "byte ranges"),
             count(static_cast<size_t>(c.differingBytes), "byte differs", "bytes differ"));
}

} // namespace qm
