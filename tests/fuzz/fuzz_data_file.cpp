// libFuzzer target: open a data file and decode it as File > Open and
// `qm570-cli decode` do: the bytes (a short file padded with FF, a long one
// cut) become the image, the channels, the grid, the options and the options
// window are refreshed from it, and the decode report (channels, option
// selections, radio facts) is made. The state is the delivered program
// folder's after start-up (build-fuzz/bin beside build-fuzz/fuzz, or
// $QM570_HOME), built once.
//
// The file is made from the input so that a short input reaches every part
// the program reads: the template image with, laid over it, the input's
// bytes for the options and last write date (0x0E00, 128 bytes), the
// version and band (0x0F30, 48 bytes), the option fill (0x0650, 16 bytes),
// then channel 1, 2, ... (16 record bytes and 4 name bytes each). Byte 0
// chooses the file's size (bits 0..1: 8192 bytes, shorter by bytes 1..2, or
// longer by byte 1), and the table holds the channels the input gave (1 to
// the delivered 100).
//
// Properties beyond "no crash": the open succeeds and warns exactly for a
// file of another size than the image; the report is JSON with one entry
// per channel that repeats the channel table and the option selections;
// every list option shows a value of its list; and what the program would
// save from the file opens to the same tables, cells and radio facts
// (open -> save -> open, one input in four; the report is parsed for one in
// sixteen).
#include "FuzzSupport.h"
#include "options/modOptView.h"
#include "channels/modChFre.h"
#include "comm/modRadioFacts.h"
#include "shell/DecodeReport.h"
#include "shell/DocumentViews.h"
#include "shell/modDataFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QHashFunctions>

namespace {

const char* const kTarget = "fuzz_data_file";
qm::AppState* state = nullptr;
qm::ChannelGridData* baselineGrid = nullptr;
std::vector<uint8_t>* templateImage = nullptr;
int deliveredChannels = 0;

// Where the input's bytes go, in this order (channels follow).
constexpr struct {
    int address, count;
} kRegions[] = {{0x0E00, 128}, {0x0F30, 48}, {0x0650, 16}};
constexpr int kChannelBytes = 20;
constexpr size_t kHeader = 3;

void check(bool ok, const char* what)
{
    qmfuzz::check(kTarget, ok, what);
}

// The texts and colours of the channel cells (rows 1..N, columns 1..C).
void copyCells(const qm::ChannelGridData& from, qm::ChannelGridData& to, const qm::Settings& settings)
{
    for (int n = 1; n <= settings.ChNum; ++n) {
        std::copy_n(from.text[n].begin() + 1, settings.ChColNum, to.text[n].begin() + 1);
        std::copy_n(from.color[n].begin() + 1, settings.ChColNum, to.color[n].begin() + 1);
    }
}

// The report repeats the tables it was made from.
void checkReport(const qm::AppState& s, const QByteArray& json)
{
    QJsonParseError err;
    const QJsonObject doc = QJsonDocument::fromJson(json, &err).object();
    check(err.error == QJsonParseError::NoError, "the decode report is no JSON");
    const QJsonArray channels = doc.value(QLatin1String("channels")).toArray();
    check(channels.size() == s.settings.ChNum, "the report does not hold every channel");
    for (int n = 1; n <= channels.size(); ++n) {
        const QJsonObject ch = channels[n - 1].toObject();
        const auto& d = s.doc.ChData[n];
        check(ch.value(QLatin1String("n")).toInt() == n && ch.value(QLatin1String("rx")).toInt() == d[1] &&
                  ch.value(QLatin1String("tx")).toInt() == d[2] && ch.value(QLatin1String("dec")).toInt() == d[3] &&
                  ch.value(QLatin1String("enc")).toInt() == d[4],
              "a channel of the report differs from the channel table");
        check(ch.value(QLatin1String("cells")).toArray().size() == s.settings.ChColNum, "a channel misses grid cells");
    }
    const QJsonArray opt = doc.value(QLatin1String("OptSel")).toArray();
    check(opt.size() == 100, "the report does not hold the 100 option selections");
    for (int i = 1; i <= 100; ++i)
        check(opt[i - 1].toInt() == s.doc.OptSel[i], "an option selection of the report differs");
    const QJsonObject radio = doc.value(QLatin1String("radio")).toObject();
    for (const char* key : {"band", "version", "last_write"})
        check(radio.value(QLatin1String(key)).isString(), "a radio fact is missing");
}

// What Save would write opens to what this open showed: the tables the
// report is made of come out the same.
void checkRoundTrip(qm::AppState& s)
{
    static qm::AppState shown; // a copy of what the report was made from
    shown.doc.data() = s.doc.data();
    copyCells(s.grid, shown.grid, s.settings);
    check(qm::SetConvIicDat(s), "the image could not be assembled");
    qm::SoftDisplay(s);
    check(s.doc.ChData == shown.doc.ChData && s.doc.ChNameCode == shown.doc.ChNameCode &&
              s.doc.OptSel == shown.doc.OptSel,
          "open -> save -> open decodes other tables");
    for (int n = 1; n <= s.settings.ChNum; ++n)
        for (int c = 1; c <= s.settings.ChColNum; ++c)
            check(s.grid.text[n][c] == shown.grid.text[n][c], "open -> save -> open shows other cells");
    check(qm::FreBandText(s.doc) == qm::FreBandText(shown.doc) && qm::SoftVerText(s.doc) == qm::SoftVerText(shown.doc) &&
              qm::ComDatText(s.doc, s.settings) == qm::ComDatText(shown.doc, s.settings),
          "open -> save -> open shows other radio facts");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv)
{
    static qm::AppState s;
    qmfuzz::startDelivered(s, (*argv)[0], kTarget);
    state = &s;
    static qm::ChannelGridData grid = s.grid.data();
    baselineGrid = &grid;
    static std::vector<uint8_t> image = s.doc.IicDat;
    templateImage = &image;
    deliveredChannels = s.settings.ChNum;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::AppState& s = *state;
    if (size < kHeader)
        return 0;
    const size_t imageSize = templateImage->size();

    // The file: the template with the input's bytes laid over it.
    static std::vector<uint8_t> file;
    file = *templateImage;
    size_t at = kHeader;
    for (const auto& r : kRegions) {
        const size_t n = std::min<size_t>(r.count, size - at);
        std::copy_n(data + at, n, file.begin() + r.address);
        at += n;
    }
    int channels = 0;
    for (; at < size && channels < deliveredChannels; at += kChannelBytes) {
        ++channels;
        const size_t n = std::min<size_t>(kChannelBytes, size - at);
        std::copy_n(data + at, std::min<size_t>(n, 16), file.begin() + qm::chRecordAddr(channels));
        if (n > 16)
            std::copy_n(data + at + 16, n - 16, file.begin() + qm::chNameAddr(channels));
    }
    s.settings.ChNum = static_cast<int16_t>(std::max(channels, 1));
    const size_t length = (data[0] & 3) == 1 ? (data[1] << 8 | data[2]) % imageSize
                          : (data[0] & 3) == 2 ? imageSize + 1 + data[1] % 64
                                               : imageSize;
    file.resize(length, static_cast<uint8_t>(data[2]));

    // What readFileAtMost gives for such a file.
    qm::BoundedRead read;
    read.data = QByteArray(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(std::min(length, imageSize)));
    read.longer = length > imageSize;

    qm::Error error;
    std::optional<qm::Error> warning;
    check(qm::OpenDataBytes(s, QStringLiteral("fuzz.dat"), read, &error, &warning), "bytes that were read did not open");
    check(warning.has_value() == (length != imageSize), "a size warning for the right size, or none for a wrong one");
    check(s.doc.IicDat.size() == imageSize, "the image changed its size");

    for (const qm::OptionSpec& o : qm::optionSpecs())
        if (o.kind == qm::OptionKind::List)
            check(s.doc.OptSel[o.optIndex] >= 0 && s.doc.OptSel[o.optIndex] <= o.max, "a list shows a value it does not hold");

    // Parsing the report costs more than everything else together; one
    // input in sixteen (chosen by its bytes, so a failure repeats) has it
    // done. The round trip costs as much as the open; one input in four
    // makes it.
    const size_t pick = qHashBits(data, size);
    const QByteArray report = qm::DecodeReportJson(s);
    if (pick % 16 == 0)
        checkReport(s, report);
    if (pick % 4 == 0)
        checkRoundTrip(s);

    // The cells go back to the ones after start-up (shared, not copied), so
    // that every input frees what it allocated and the fuzzer's leak check
    // has nothing to look at.
    copyCells(*baselineGrid, s.grid, s.settings);
    s.errors.clear();
    return 0;
}
