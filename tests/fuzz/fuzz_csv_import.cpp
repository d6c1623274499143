// Fuzzes the channel CSV import: arbitrary bytes are parsed and checked
// against the program state after start-up in the delivered program folder
// (build-fuzz/bin beside build-fuzz/fuzz, or $QM570_HOME). Beyond "no crash",
// it checks that a refusal always gives its reason, that parsed records read
// back the same after being written again, and that an accepted file imports
// and its export imports again to the same export (one accepted file in four).
#include "channels/modChCsv.h"
#include "shell/AppState.h"
#include "shell/modStartup.h"

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>

#include <cstdio>
#include <cstdlib>

namespace {

qm::AppState* fixedState = nullptr;
QByteArray headerLine;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_csv_import: %s\n", what);
        __builtin_trap();
    }
}

QByteArray written(const std::vector<qm::CsvRecord>& records)
{
    QByteArray out;
    for (const auto& r : records) {
        QStringList f;
        for (const auto& x : r.fields)
            f << qm::csvField(x);
        out += f.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    return out;
}

} // namespace

// The state an accepted file is imported into: the start-up state's
// settings, copied once; its tables, grid and lock are put back to the
// start-up state's before each import (a snapshot restored, not a new
// program state per input).
qm::AppState* workState = nullptr;

qm::AppState& restoredWorkState(const qm::AppState& from)
{
    qm::AppState& s = *workState;
    s.doc.data() = from.doc.data();
    s.grid.data() = from.grid.data();
    s.view.ChLockState = from.view.ChLockState;
    s.errors.clear();
    return s;
}

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv)
{
    QString home = qEnvironmentVariable("QM570_HOME");
    if (home.isEmpty())
        home = QFileInfo(QString::fromLocal8Bit((*argv)[0])).absoluteDir().filePath(QStringLiteral("../bin"));
    static qm::AppState s;
    qm::StartupEnv env;
    env.home = home;
    env.mode = qm::StartupMode::Tool;
    if (qm::RunStartup(s, env) != qm::StartupOutcome::Running) {
        const QString why = s.errors.entries().empty() ? QString() : s.errors.entries().back().detail();
        std::fprintf(stderr, "fuzz_csv_import: cannot start in %s: %s (set QM570_HOME)\n", qPrintable(home), qPrintable(why));
        std::abort();
    }
    // Some channels exist, so rows meet channels as well as empty rows.
    const QStringList header = qm::ChannelCsvHeader(s);
    headerLine = header.join(QLatin1Char(',')).toUtf8() + "\r\n";
    QByteArray sample = headerLine;
    const QByteArray commas(std::max<int>(0, s.settings.ChColNum - 2), ',');
    sample += "1,462.5625,467.5625" + commas + "\r\n2,446.00625" + QByteArray(commas.size() + 1, ',') + "\r\n";
    QString error;
    qm::ImportChannelCsv(s, sample, &error);
    fixedState = &s;
    static qm::AppState work;
    work.settings = s.settings;
    workState = &work;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses whether the input follows the table's real
    // header, so the fuzzer reaches the rows without guessing the captions.
    QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    if (data[0] & 1)
        bytes.prepend(headerLine);

    std::vector<qm::CsvRecord> records;
    QString error;
    if (qm::parseCsv(bytes, &records, &error)) {
        std::vector<qm::CsvRecord> again;
        check(qm::parseCsv(written(records), &again, &error), "written records do not parse");
        size_t j = 0;
        for (const auto& r : records) {
            if (r.fields == QStringList{QString()})
                continue; // a lone empty field is written as a blank line, which is skipped
            check(j < again.size() && again[j].fields == r.fields, "written records read back differently");
            ++j;
        }
    } else {
        check(!error.isEmpty(), "parse refusal without a reason");
    }

    error.clear();
    if (!qm::CheckChannelCsv(*fixedState, bytes, &error)) {
        check(!error.isEmpty(), "refusal without a reason");
        return 0;
    }
    qm::AppState& s = restoredWorkState(*fixedState);
    check(qm::ImportChannelCsv(s, bytes, &error), "checked file not imported");
    // The round trip through the export costs two more imports; one
    // accepted file in four (chosen by its bytes, so a failure repeats)
    // makes it.
    if (qHashBits(data, size) % 4 != 0)
        return 0;
    const QString once = qm::ChannelsToCsv(s);
    check(qm::ImportChannelCsv(s, once.toUtf8(), &error), "export not imported");
    check(qm::ChannelsToCsv(s) == once, "export, import, export differs");
    return 0;
}
