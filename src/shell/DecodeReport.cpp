#include "shell/DecodeReport.h"

#include "comm/modRadioFacts.h"

#include <algorithm>

namespace qm {

QString jsonString(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
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
    out += QLatin1Char('"');
    return out;
}

namespace {

template <class Seq>
QString jsonInts(const Seq& values)
{
    QStringList parts;
    for (auto v : values)
        parts << QString::number(v);
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
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

QByteArray DecodeReportJson(AppState& s)
{
    const int n = std::clamp<int>(s.settings.ChNum, 0, kMaxChannels);
    const int cols = std::clamp<int>(s.settings.ChColNum, 0, kChFields - 1);
    QString out = QStringLiteral("{\"channels\":[\n");
    for (int ch = 1; ch <= n; ++ch) {
        const auto& d = s.doc.ChData[ch];
        std::vector<int> opt(d.begin() + 5, d.begin() + 11);
        std::vector<int> codes(s.doc.ChNameCode[ch].begin() + 1, s.doc.ChNameCode[ch].end());
        QStringList cells;
        for (int c = 1; c <= cols; ++c)
            cells << jsonString(s.grid.text[ch][c]);
        out += QStringLiteral("{\"n\":%1,\"rx\":%2,\"tx\":%3,\"dec\":%4,\"enc\":%5,\"opt\":%6,\"name_codes\":%7,\"cells\":[%8]}")
                   .arg(ch)
                   .arg(d[1])
                   .arg(d[2])
                   .arg(d[3])
                   .arg(d[4])
                   .arg(jsonInts(opt), jsonInts(codes), cells.join(QLatin1Char(',')));
        out += ch < n ? QStringLiteral(",\n") : QStringLiteral("\n");
    }
    std::vector<int> optSel(s.doc.OptSel.begin() + 1, s.doc.OptSel.end());
    out += QStringLiteral("],\n\"OptSel\":%1,\n").arg(jsonInts(optSel));
    out += QStringLiteral("\"radio\":{\"band\":%1,\"version\":%2,\"last_write\":%3}}\n")
               .arg(jsonString(fact([&] { return FreBandText(s.doc); })), jsonString(fact([&] { return SoftVerText(s.doc); })),
                    jsonString(fact([&] { return ComDatText(s.doc, s.settings); })));
    return out.toUtf8();
}

} // namespace qm
