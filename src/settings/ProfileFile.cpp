#include "settings/ProfileFile.h"

#include "diag/QmError.h"
#include "settings/SafeFile.h"

#include <QStringList>

namespace qm {

namespace {

struct Lines {
    QStringList lines;       // the lines as text, for finding sections and keys
    // The same lines as they are in the file, and their line breaks ("" for
    // a last line without one): views into `body`, or into `added` for the
    // lines a write makes.
    QList<QByteArrayView> bytes;
    QList<QByteArrayView> ends;
    QByteArray body;         // the file's bytes after a byte order mark
    QList<QByteArray> added; // lines made by a write
    bool crlf = false;
    bool loneCr = false; // every line break is a lone CR
    bool bom = false;
    bool exists = false;
    bool unreadable = false; // present but could not be read: never overwrite it
    Error problem;           // why, when unreadable
    QByteArray raw;          // the file's bytes as read
};

// The file's bytes. Missing: no bytes and no problem (every key takes its
// default, a write creates it); present but unusable: the problem.
struct RawFile {
    bool exists = false;
    std::optional<Error> problem;
    QByteArray data;
};

RawFile readRaw(const QString& path)
{
    RawFile f;
    const FileFacts facts = fileFacts(path);
    if (!facts.exists() && facts.systemError == 0)
        return f;
    try {
        BoundedRead r = readFileAtMost(path, kMaxSettingsBytes, kReadSettingsFile, ReadSource::RegularFile);
        if (r.longer)
            throw QmError(7, kReadSettingsFile, path,
                          QStringLiteral("it is larger than %1 KiB; a settings file is a few KiB of text").arg(kMaxSettingsBytes >> 10));
        f.data = std::move(r.data);
        f.exists = true;
    } catch (const QmError& e) {
        f.problem = e.error();
    }
    return f;
}

// Calls line(bytes, lineBreak) for each line of the text after its byte
// order mark; stops when it returns false. Lines end at CR LF, a lone CR or
// LF, and are handed over as the bytes they are: a line that is not UTF-8 (a
// file written in a local code page) or has a line break of its own goes
// back into the file unchanged when another key is written.
template <typename Fn>
void forEachLine(QByteArrayView text, Fn line)
{
    const char* const p = text.data();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i <= size; ++i) {
        const bool last = i == size;
        if (!last && p[i] != '\r' && p[i] != '\n')
            continue;
        if (last && start == i)
            break; // the final line break, or an empty file
        const qsizetype endLen = last ? 0 : (p[i] == '\r' && i + 1 < size && p[i + 1] == '\n') ? 2 : 1;
        if (!line(QByteArrayView(p + start, i - start), QByteArrayView(p + i, endLen)))
            return;
        i += endLen - 1;
        start = i + 1;
    }
}

constexpr char kBom[] = "\xEF\xBB\xBF";

Lines load(const QString& path)
{
    Lines l;
    RawFile f = readRaw(path);
    if (f.problem) {
        l.unreadable = true;
        l.problem = *f.problem;
        return l;
    }
    if (!f.exists)
        return l;
    l.exists = true;
    l.raw = f.data;
    QByteArray data = std::move(f.data);
    if (data.startsWith(kBom)) {
        l.bom = true;
        data.remove(0, 3);
    }
    l.crlf = data.contains("\r\n");
    l.loneCr = !l.crlf && data.contains('\r') && !data.contains('\n');
    l.body = data; // the lines are views into it
    forEachLine(l.body, [&](QByteArrayView bytes, QByteArrayView end) {
        l.bytes.append(bytes);
        l.ends.append(end);
        l.lines.append(QString::fromUtf8(bytes));
        return true;
    });
    return l;
}

// Section name of a "[name]" line, or a null string when the line is no header.
QString sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('['))) {
        const int close = t.indexOf(QLatin1Char(']'));
        if (close > 0)
            return t.mid(1, close - 1).trimmed();
    }
    return QString();
}

bool isComment(const QString& line)
{
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

// Key of a "key=value" line (trimmed), or a null string.
QString keyOf(const QString& line)
{
    if (isComment(line))
        return QString();
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return QString();
    return line.left(eq).trimmed();
}

// Index range [begin, end) of the body of the first section named `section`,
// begin = -1 when absent.
std::pair<int, int> findSection(const QStringList& lines, const QString& section)
{
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (!name.isNull() && name.compare(section.trimmed(), Qt::CaseInsensitive) == 0) {
            int end = i + 1;
            while (end < lines.size() && sectionName(lines[end]).isNull())
                ++end;
            return {i + 1, end};
        }
    }
    return {-1, -1};
}

int findKey(const QStringList& lines, std::pair<int, int> range, const QString& key)
{
    if (range.first < 0)
        return -1;
    for (int i = range.first; i < range.second; ++i) {
        const QString k = keyOf(lines[i]);
        if (!k.isNull() && k.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString valueOf(const QString& line)
{
    QString v = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    // A value written in matching quotes is returned without them.
    if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                          (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
        v = v.mid(1, v.size() - 2);
    return v;
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The line that holds key in the first section named `section`, as text, or
// nothing. The same search as findSection and findKey over the whole file,
// made for the hundreds of single-key reads of a start-up: a line of plain
// ASCII is looked at as bytes, and only the line found becomes text; any
// other line takes the text path, so names match exactly as they do there.
std::optional<QString> findKeyLine(QByteArrayView text, const QString& section, const QString& key)
{
    const QString wantSection = section.trimmed();
    const QString wantKey = key.trimmed();
    // The ASCII white space that trimming removes.
    const auto trimmed = [](QByteArrayView v) {
        const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
        while (!v.isEmpty() && blank(v.front()))
            v = v.sliced(1);
        while (!v.isEmpty() && blank(v.back()))
            v.chop(1);
        return v;
    };
    const auto same = [](QByteArrayView name, const QString& want) {
        return QString::compare(QLatin1StringView(name), want, Qt::CaseInsensitive) == 0;
    };
    // What a line is (a section header, a key or anything else) and whether
    // its name is the one wanted (for a key: only asked inside the section).
    enum class Kind { Other, Header, Key };
    bool inSection = false;
    const auto classify = [&](QByteArrayView bytes) -> std::pair<Kind, bool> {
        if (!isAscii(bytes)) {
            const QString line = QString::fromUtf8(bytes);
            if (const QString name = sectionName(line); !name.isNull())
                return {Kind::Header, name.compare(wantSection, Qt::CaseInsensitive) == 0};
            if (const QString k = keyOf(line); !k.isNull())
                return {Kind::Key, inSection && k.compare(wantKey, Qt::CaseInsensitive) == 0};
            return {Kind::Other, false};
        }
        const QByteArrayView t = trimmed(bytes);
        if (t.startsWith('[') && t.indexOf(']') > 0)
            return {Kind::Header, same(trimmed(t.sliced(1, t.indexOf(']') - 1)), wantSection)};
        const qsizetype eq = bytes.indexOf('=');
        if (eq >= 0 && !t.startsWith(';') && !t.startsWith('#'))
            return {Kind::Key, inSection && same(trimmed(bytes.first(eq)), wantKey)};
        return {Kind::Other, false};
    };
    std::optional<QString> found;
    forEachLine(text, [&](QByteArrayView bytes, QByteArrayView) {
        const auto [kind, wanted] = classify(bytes);
        if (kind == Kind::Header) {
            if (inSection)
                return false; // past the section: the key is not in it
            inSection = wanted;
        } else if (kind == Kind::Key && wanted) {
            found = QString::fromUtf8(bytes);
            return false;
        }
        return true;
    });
    return found;
}

std::optional<QString> lookup(const QString& path, const QString& section, const QString& key)
{
    const RawFile f = readRaw(path);
    if (!f.exists)
        return std::nullopt; // missing or unreadable: every key has its default
    QByteArrayView text = f.data;
    if (text.startsWith(kBom))
        text = text.sliced(3);
    return findKeyLine(text, section, key);
}

} // namespace

QString ProfileFile::read(const QString& section, const QString& key, const QString& def, int bufSize) const
{
    const std::optional<QString> line = lookup(path_, section, key);
    QString value = line ? valueOf(*line) : def;
    if (bufSize < 1)
        bufSize = 1;
    return value.left(bufSize - 1).trimmed();
}

bool ProfileFile::contains(const QString& section, const QString& key) const
{
    return lookup(path_, section, key).has_value();
}

bool ProfileFile::write(const QString& section, const QString& key, const QString& value, QString* why) const
{
    Lines l = load(path_);
    if (l.unreadable) {
        // A file that cannot be read is never replaced by one made of defaults.
        if (why)
            *why = QStringLiteral("the file exists but cannot be read (%1)").arg(l.problem.reason);
        return false;
    }
    // A value is one line: a line break inside it would start a new key or
    // section and corrupt the file.
    QString oneLine = value;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String(" "));
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString entry = key.trimmed() + QLatin1Char('=') + oneLine;
    // New lines take the file's line break (CR LF when it has any, CR in a
    // file of lone CRs, else LF); a changed line keeps its own.
    const QByteArrayView eol = l.crlf ? QByteArrayView("\r\n") : l.loneCr ? QByteArrayView("\r") : QByteArrayView("\n");
    const auto put = [&](int at, const QString& text) {
        l.lines.insert(at, text);
        l.added.append(text.toUtf8());
        l.bytes.insert(at, QByteArrayView(l.added.last()));
        l.ends.insert(at, eol);
    };
    const auto range = findSection(l.lines, section);
    const int idx = findKey(l.lines, range, key);
    if (idx >= 0) {
        l.lines[idx] = entry;
        l.added.append(entry.toUtf8());
        l.bytes[idx] = QByteArrayView(l.added.last());
    } else if (range.first >= 0) {
        // After the section's last non-blank line, so blank separators stay below it.
        int at = range.second;
        while (at > range.first && l.lines[at - 1].trimmed().isEmpty())
            --at;
        put(at, entry);
    } else {
        // A blank line to set the new section apart; not after a lone CR
        // when new lines end in LF, where the two would read as one CR LF.
        if (!l.lines.isEmpty() && !l.lines.last().trimmed().isEmpty() && !(l.ends.last() == "\r" && eol == "\n"))
            put(static_cast<int>(l.lines.size()), QString());
        put(static_cast<int>(l.lines.size()), QLatin1Char('[') + section.trimmed() + QLatin1Char(']'));
        put(static_cast<int>(l.lines.size()), entry);
    }
    QByteArray out;
    if (l.bom)
        out = "\xEF\xBB\xBF";
    for (qsizetype i = 0; i < l.bytes.size(); ++i) {
        out += l.bytes[i];
        // Every line ends with a line break, the last one too.
        out += l.ends[i].isEmpty() ? eol : l.ends[i];
    }
    // The same bytes again need no save (the option defaults are stored one
    // key at a time, most of them unchanged).
    if (l.exists && out == l.raw)
        return true;
    return writeFileAtomically(path_, out, why);
}

std::optional<Error> ProfileFile::problem() const
{
    Lines l = load(path_);
    if (!l.unreadable)
        return std::nullopt;
    return l.problem;
}

void ProfileFile::writeOrThrow(const QString& section, const QString& key, const QString& value) const
{
    QString why;
    if (!write(section, key, value, &why))
        throw QmError(75, QStringLiteral("write settings file"),
                      QStringLiteral("%1 [%2] %3").arg(path_, section, key), why);
}

} // namespace qm
