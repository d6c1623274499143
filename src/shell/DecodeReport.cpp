#include "shell/DecodeReport.h"

#include "comm/modRadioFacts.h"

#include <algorithm>

namespace qm {

namespace {

bool needsEscape(char16_t u)
{
    return u < 0x20 || u == '"' || u == '\\';
}

// Appends text as a JSON string literal (see jsonString).
void appendJsonString(QString& out, const QString& text)
{
    out += QLatin1Char('"');
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return needsEscape(c.unicode()); })) {
        out += text;
    } else {
        for (QChar c : text) {
            switch (c.unicode()) {
            case '"': out += QLatin1String("\\\""); break;
            case '\\': out += QLatin1String("\\\\"); break;
            case '\n': out += QLatin1String("\\n"); break;
            case '\r': out += QLatin1String("\\r"); break;
            case '\t': out += QLatin1String("\\t"); break;
            case '\b': out += QLatin1String("\\b"); break;
            case '\f': out += QLatin1String("\\f"); break;
            default:
                if (c.unicode() < 0x20)
                    out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                else
                    out += c;
            }
        }
    }
    out += QLatin1Char('"');
}

// The decimal digits of v (QString::number without a string of its own).
void appendNumber(QString& out, long long v)
{
    char16_t buf[24];
    char16_t* end = buf + 24;
    char16_t* p = end;
    unsigned long long u = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        *--p = static_cast<char16_t>(u'0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0)
        *--p = u'-';
    out.append(QStringView(p, end - p));
}

// "[a,b,...]"
template <class It>
void appendInts(QString& out, It first, It last)
{
    out += QLatin1Char('[');
    for (It i = first; i != last; ++i) {
        if (i != first)
            out += QLatin1Char(',');
        appendNumber(out, *i);
    }
    out += QLatin1Char(']');
}

// A radio fact, or "" when the image is too small to hold it.
template <class Text>
QString fact(Text text)
{
    try {
        return text();
    } catch (const QmError&) {
        return {};
    }
}

} // namespace

QString jsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    appendJsonString(out, text);
    return out;
}

// Built by appending to one buffer: a data file is decoded for every input
// of a fuzzer, so the report is made without formatting a text per field.
QByteArray DecodeReportJson(AppState& s)
{
    const int n = std::clamp<int>(s.settings.ChNum, 0, kMaxChannels);
    const int cols = std::clamp<int>(s.settings.ChColNum, 0, kChFields - 1);
    QString out;
    out.reserve(200 + n * (120 + cols * 12));
    out += QLatin1String("{\"channels\":[\n");
    for (int ch = 1; ch <= n; ++ch) {
        const auto& d = s.doc.ChData[ch];
        out += QLatin1String("{\"n\":");
        appendNumber(out, ch);
        out += QLatin1String(",\"rx\":");
        appendNumber(out, d[1]);
        out += QLatin1String(",\"tx\":");
        appendNumber(out, d[2]);
        out += QLatin1String(",\"dec\":");
        appendNumber(out, d[3]);
        out += QLatin1String(",\"enc\":");
        appendNumber(out, d[4]);
        out += QLatin1String(",\"opt\":");
        appendInts(out, d.begin() + 5, d.begin() + 11);
        out += QLatin1String(",\"name_codes\":");
        appendInts(out, s.doc.ChNameCode[ch].begin() + 1, s.doc.ChNameCode[ch].end());
        out += QLatin1String(",\"cells\":[");
        for (int c = 1; c <= cols; ++c) {
            if (c > 1)
                out += QLatin1Char(',');
            appendJsonString(out, s.grid.text[ch][c]);
        }
        out += ch < n ? QLatin1String("]},\n") : QLatin1String("]}\n");
    }
    out += QLatin1String("],\n\"OptSel\":");
    appendInts(out, s.doc.OptSel.begin() + 1, s.doc.OptSel.end());
    out += QLatin1String(",\n\"radio\":{\"band\":");
    appendJsonString(out, fact([&] { return FreBandText(s.doc); }));
    out += QLatin1String(",\"version\":");
    appendJsonString(out, fact([&] { return SoftVerText(s.doc); }));
    out += QLatin1String(",\"last_write\":");
    appendJsonString(out, fact([&] { return ComDatText(s.doc, s.settings); }));
    out += QLatin1String("}}\n");
    return out.toUtf8();
}

} // namespace qm
