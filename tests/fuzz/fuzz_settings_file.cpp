// libFuzzer target: the settings file. The input is a settings file, a
// section and key to set and the value; the target reads the key, writes it
// with ProfileFile::write, reads it back and compares the files.
//
// Input: byte 0 chooses the section (bits 0..1) and the key (bits 2..4) from
// small lists (names that the delivered file has, in other spellings, and
// new ones); byte 1 modulo 32 is the value's length, taken from the end of
// the input; the bytes between are the file as it lies on disk. The file
// lives in a folder of its own under /dev/shm (or the temporary folder),
// made once per process.
//
// Properties beyond "no crash":
// - a key reads as present exactly when contains() says so, and the line a
//   write replaces is the line the read took the value from;
// - the write succeeds and the key then reads as the value (one line, as the
//   write stores it), and contains() finds it;
// - every other line of the file is kept byte for byte with its own line
//   break; the key's line is replaced in place, or the key is added (with a
//   new section at the end when there was none); the byte order mark stays.
#include "settings/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QHashFunctions>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char* const kTarget = "fuzz_settings_file";

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", kTarget, what);
        __builtin_trap();
    }
}

const char* const kSections[] = {"Setting", " option ", "DESKTOP", "Fuzz"};
const char* const kKeys[] = {"COM", "language", " DatNum ", "0", "FirRun", "New", "a b", "ColInfo1"};

QString* filePath = nullptr;

struct Line {
    QByteArray text; // without the line break
    QByteArray end;  // "\r\n", "\r", "\n" or "" (the last line)
};

// The lines of a file as bytes: a line ends at CR LF, a lone CR or LF.
std::vector<Line> splitLines(const QByteArray& data)
{
    std::vector<Line> lines;
    const char* const p = data.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = p[i];
        if (c != '\r' && c != '\n')
            continue;
        const qsizetype endLen = (c == '\r' && i + 1 < data.size() && p[i + 1] == '\n') ? 2 : 1;
        lines.push_back({data.mid(start, i - start), data.mid(i, endLen)});
        i += endLen - 1;
        start = i + 1;
    }
    if (start < data.size())
        lines.push_back({data.mid(start), QByteArray()});
    return lines;
}

// The harness's own file access goes straight to the system: cheaper than
// QFile for every input.
QByteArray nativeName;

bool writeRaw(const QByteArray& bytes)
{
    const int fd = ::open(nativeName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

QByteArray readRaw()
{
    QByteArray out;
    const int fd = ::open(nativeName.constData(), O_RDONLY);
    if (fd < 0)
        return out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fd);
    return out;
}

// What a read of a value written as `value` gives: one line, trimmed,
// without matching quotes around it.
QString expectedRead(const QString& value)
{
    QString v = value;
    v.replace(QLatin1String("\r\n"), QLatin1String(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    v = v.trimmed();
    if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                          (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
        v = v.mid(1, v.size() - 2);
    return v.trimmed();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const QString dir = QStringLiteral("%1/qm570-fuzz-settings-%2").arg(base).arg(getpid());
    QDir().mkpath(dir);
    static QString path = dir + QStringLiteral("/Uninstall.exe");
    filePath = &path;
    nativeName = QFile::encodeName(path);
    std::atexit([] {
        QFile::remove(*filePath);
        QDir().rmdir(QFileInfo(*filePath).absolutePath());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QString section = QString::fromLatin1(kSections[data[0] & 3]);
    const QString key = QString::fromLatin1(kKeys[(data[0] >> 2) & 7]);
    const size_t valueLen = std::min<size_t>(data[1] % 32, size - 2);
    const QByteArray file(reinterpret_cast<const char*>(data) + 2, static_cast<qsizetype>(size - 2 - valueLen));
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(data) + size - valueLen, static_cast<qsizetype>(valueLen));
    check(writeRaw(file), "the test file could not be written");

    const qm::ProfileFile p(*filePath);
    // A default that no file can hold (a lone surrogate) tells a missing key.
    const QString missing(QChar(0xDC80));
    const QString oldValue = p.read(section, key, missing, 4096);
    const bool had = oldValue != missing;
    // Every read goes to the file; one input in four (by its bytes, so a
    // failure repeats) also asks contains(), which reads it once more.
    const bool askContains = qHashBits(data, size) % 4 == 0;
    if (askContains)
        check(had == p.contains(section, key), "contains() and read() disagree");

    QString why;
    check(p.write(section, key, value, &why), "writing a key failed");
    if (askContains)
        check(p.contains(section, key), "the key written is not found");
    check(p.read(section, key, missing, 4096) == expectedRead(value), "the key does not read back as written");

    // The lines: the old ones byte for byte, the key's line replaced or added.
    const bool bom = file.startsWith("\xEF\xBB\xBF");
    const QByteArray after = readRaw();
    check(after.startsWith("\xEF\xBB\xBF") == bom, "the byte order mark changed");
    const std::vector<Line> before = splitLines(bom ? file.mid(3) : file);
    const std::vector<Line> now = splitLines(bom ? after.mid(3) : after);
    QString oneLine = value;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray entry = (key.trimmed() + QLatin1Char('=') + oneLine).toUtf8();
    const QByteArray body = bom ? file.mid(3) : file;
    const QByteArray eol = body.contains("\r\n")                           ? QByteArray("\r\n")
                           : body.contains('\r') && !body.contains('\n') ? QByteArray("\r")
                                                                        : QByteArray("\n");
    check(!now.empty() && !now.back().end.isEmpty(), "the file does not end with a line break");

    // Old line i is kept (its text, and its line break, which the last line
    // gains when it had none).
    auto kept = [&](size_t i, const Line& l) {
        const Line& old = before[i];
        return l.text == old.text && l.end == (old.end.isEmpty() ? eol : old.end);
    };
    if (had) {
        check(now.size() == before.size(), "replacing a key changed the number of lines");
        int changed = 0;
        for (size_t i = 0; i < now.size(); ++i)
            if (!kept(i, now[i])) {
                ++changed;
                check(now[i].text == entry, "a line other than the key's changed");
                // The line the write replaced is the one the read found (the
                // read looks at most lines as bytes, the write as text).
                const QString old = QString::fromUtf8(before[i].text);
                check(expectedRead(old.mid(old.indexOf(QLatin1Char('=')) + 1)).left(4095).trimmed() == oldValue,
                      "read() and write() found different lines for the key");
            }
        check(changed <= 1, "more than one line changed");
    } else {
        check(now.size() > before.size() && now.size() <= before.size() + 3, "adding a key added the wrong number of lines");
        // The old lines in order, with the new lines between them.
        size_t i = 0;
        int added = 0;
        for (const Line& l : now) {
            if (i < before.size() && kept(i, l)) {
                ++i;
                continue;
            }
            ++added;
            check(l.end == eol, "an added line has a line break the file does not use");
            check(l.text == entry || l.text.isEmpty() || l.text.startsWith('['), "an added line is no key, section or blank line");
        }
        check(i == before.size(), "an old line is missing or changed");
        check(added == static_cast<int>(now.size() - before.size()), "lines were added and others lost");
    }
    return 0;
}
