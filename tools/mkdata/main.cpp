// qm570-mkdata: builds the delivered template image (Kelvex.exe) from its
// readable source (data/template.txt). The image starts as erased memory; the
// channels and options listed in the source are encoded by the program's own
// encoders, so the template holds exactly what a save of those settings writes.
//
//   qm570-mkdata --template data/template.txt --settings data/Uninstall.ini --out bin/Kelvex.exe
#include "channels/modChMem.h"
#include "settings/CharTable.h"
#include "settings/SafeFile.h"
#include "options/modSysSet.h"
#include "channels/modCtdcs.h"
#include "shell/AppState.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

// The program's own signalling table and alphabet, built once.
const qm::AppState& radioTables()
{
    static const std::unique_ptr<qm::AppState> tables = [] {
        auto t = std::make_unique<qm::AppState>();
        t->settings.Language = 3;
        qm::GetValidCharTbl(t->settings);
        qm::GenCtdcsList(*t);
        return t;
    }();
    return *tables;
}

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(int line, const QString& why)
{
    throw Failure(QStringLiteral("line %1: %2").arg(line).arg(why).toStdString());
}

int toInt(int line, const QString& t, int lo, int hi)
{
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < lo || v > hi)
        fail(line, QStringLiteral("\"%1\" is not a number from %2 to %3").arg(t).arg(lo).arg(hi));
    return v;
}

// "435.02500" -> 43502500 (10 Hz units), inside the radio's band.
int32_t frequency(int line, const QString& t)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{3})(?:\\.(\\d{1,5}))?$"));
    const auto m = re.match(t);
    if (!m.hasMatch())
        fail(line, QStringLiteral("\"%1\" is not a frequency in MHz (e.g. 435.02500)").arg(t));
    const int32_t v = m.captured(1).toInt() * 100000 + m.captured(2).leftJustified(5, QLatin1Char('0')).toInt();
    if (v < 40000000 || v > 47000000)
        fail(line, QStringLiteral("%1 MHz is outside the band 400-470 MHz").arg(t));
    return v;
}

int signalling(int line, const QString& t)
{
    if (t.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
        return 0;
    const auto& names = radioTables().settings.CtdcsName;
    for (int i = 1; i < qm::kCtdcsCount; ++i)
        if (t == names[static_cast<size_t>(i)])
            return i;
    fail(line, QStringLiteral("\"%1\" is no signalling setting (none, 67.0, D023N, D023I ...)").arg(t));
}

// Six character codes of a name: upper case, padded with spaces; "" = no name.
std::array<uint8_t, 6> nameCodes(int line, const QString& text)
{
    std::array<uint8_t, 6> codes;
    codes.fill(qm::kNoChar);
    if (text.isEmpty())
        return codes;
    const QString t = text.toUpper();
    if (t.size() > 6)
        fail(line, QStringLiteral("\"%1\" is longer than six characters").arg(text));
    for (int i = 0; i < 6; ++i) {
        const QChar c = i < t.size() ? t[i] : QLatin1Char(' ');
        const auto& alphabet = radioTables().settings.ValidChar;
        const int code = static_cast<int>(std::find(alphabet.begin(), alphabet.end(), QString(c)) - alphabet.begin());
        if (code >= static_cast<int>(alphabet.size()))
            fail(line, QStringLiteral("\"%1\" is not in the radio's alphabet").arg(c));
        codes[static_cast<size_t>(i)] = static_cast<uint8_t>(code);
    }
    return codes;
}

// Words of a line; "quoted text" is one word (quotes removed); '#' starts a comment.
QStringList words(const QString& line)
{
    QStringList out;
    QString cur;
    bool quoted = false, inWord = false;
    for (QChar c : line) {
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else
                cur += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char('#')) {
            break;
        } else if (c.isSpace()) {
            if (inWord)
                out << cur;
            cur.clear();
            inWord = false;
        } else {
            cur += c;
            inWord = true;
        }
    }
    if (inWord)
        out << cur;
    return out;
}

struct Channel {
    int32_t rx = -1, tx = -1;
    int dec = 0, enc = 0;
    std::array<int, 6> opts{};
    std::array<uint8_t, 6> name{};
};

QByteArray build(const QString& templatePath, const QString& settingsPath)
{
    QFile f(templatePath);
    if (!f.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("cannot read %1").arg(templatePath).toStdString());
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));

    int size = 0, count = 0;
    std::array<int, 6> emptyOpts{};
    std::map<int, Channel> channels;
    std::map<int, int> options;
    std::map<int, QByteArray> raw;
    for (int i = 0; i < lines.size(); ++i) {
        const int ln = i + 1;
        const QStringList w = words(lines[i]);
        if (w.isEmpty())
            continue;
        const QString& kw = w[0];
        if (kw == QLatin1String("size") && w.size() == 2) {
            size = toInt(ln, w[1], 0x0F58, 32768);
        } else if (kw == QLatin1String("channels") && w.size() == 2) {
            count = toInt(ln, w[1], 1, 100);
        } else if (kw == QLatin1String("empty-options") && w.size() == 7) {
            for (int k = 0; k < 6; ++k)
                emptyOpts[static_cast<size_t>(k)] = toInt(ln, w[k + 1], 0, k == 3 ? 2 : 1);
        } else if (kw == QLatin1String("channel") && (w.size() == 13 || w.size() == 12)) {
            Channel c;
            const int n = toInt(ln, w[1], 1, 100);
            c.rx = frequency(ln, w[2]);
            c.tx = w[3] == QLatin1String("-") ? -1 : frequency(ln, w[3]);
            c.dec = signalling(ln, w[4]);
            c.enc = signalling(ln, w[5]);
            for (int k = 0; k < 6; ++k)
                c.opts[static_cast<size_t>(k)] = toInt(ln, w[6 + k], 0, k == 3 ? 2 : 1);
            c.name = nameCodes(ln, w.size() == 13 ? w[12] : QString());
            channels[n] = c;
        } else if (kw == QLatin1String("option") && w.size() == 3) {
            options[toInt(ln, w[1], 1, qm::kOptCount)] = toInt(ln, w[2], 0, 255);
        } else if (kw == QLatin1String("message") && w.size() == 2) {
            const auto codes = nameCodes(ln, w[1]);
            for (int k = 0; k < 6; ++k)
                options[25 + k] = codes[static_cast<size_t>(k)];
        } else if (kw == QLatin1String("bytes") && w.size() >= 3) {
            bool ok = false;
            const int addr = w[1].toInt(&ok, 16);
            if (!ok)
                fail(ln, QStringLiteral("\"%1\" is not a hexadecimal address").arg(w[1]));
            QByteArray b;
            for (int k = 2; k < w.size(); ++k) {
                const int v = w[k].toInt(&ok, 16);
                if (!ok || v < 0 || v > 255 || w[k].size() != 2)
                    fail(ln, QStringLiteral("\"%1\" is not a byte").arg(w[k]));
                b.append(static_cast<char>(v));
            }
            raw[addr] = b;
        } else {
            fail(ln, QStringLiteral("cannot read \"%1\"").arg(lines[i].trimmed()));
        }
    }
    if (size == 0 || count == 0)
        throw Failure("the template names no size or no channel count");
    for (const auto& [n, c] : channels)
        if (n > count)
            throw Failure(QStringLiteral("channel %1 lies beyond the channel count %2").arg(n).arg(count).toStdString());

    auto state = std::make_unique<qm::AppState>();
    qm::AppState& s = *state;
    s.settings.profile.setPath(settingsPath); // read only: the channel grid definition
    s.settings.Language = 3;
    s.settings.DatNum = static_cast<int16_t>(size - 1);
    s.doc.IicDat.assign(static_cast<size_t>(size), 0xFF);
    qm::GetValidCharTbl(s.settings);
    qm::InitChMem(s); // signalling table and grid definition, as at start-up
    s.doc.IicDat.assign(static_cast<size_t>(size), 0xFF); // the building may erase records; start clean
    s.settings.ChNum = static_cast<int16_t>(count);

    for (int n = 1; n <= qm::kMaxChannels; ++n) {
        auto& row = s.doc.ChData[static_cast<size_t>(n)];
        row.fill(0);
        row[1] = row[2] = -1;
        for (int k = 0; k < 6; ++k)
            row[static_cast<size_t>(5 + k)] = emptyOpts[static_cast<size_t>(k)];
        for (int p = 1; p <= 6; ++p)
            s.doc.ChNameCode[static_cast<size_t>(n)][static_cast<size_t>(p)] = qm::kNoChar;
    }
    for (const auto& [n, c] : channels) {
        auto& row = s.doc.ChData[static_cast<size_t>(n)];
        row[1] = c.rx;
        row[2] = c.tx;
        row[3] = c.dec;
        row[4] = c.enc;
        for (int k = 0; k < 6; ++k)
            row[static_cast<size_t>(5 + k)] = c.opts[static_cast<size_t>(k)];
        for (int p = 0; p < 6; ++p)
            s.doc.ChNameCode[static_cast<size_t>(n)][static_cast<size_t>(p + 1)] = c.name[static_cast<size_t>(p)];
    }
    for (const auto& [i, v] : options)
        s.doc.OptSel[static_cast<size_t>(i)] = static_cast<int16_t>(v);

    qm::ChInfoSaveSol(s, 0);
    qm::OptSelSaveSol(s, 0);
    if (!s.errors.lines().isEmpty())
        throw Failure(QStringLiteral("the encoders reported:\n%1").arg(s.errors.lines().join(QLatin1Char('\n'))).toStdString());

    for (const auto& [addr, b] : raw) {
        if (addr + b.size() > size)
            throw Failure(QStringLiteral("bytes at %1 reach past the image").arg(addr, 4, 16, QLatin1Char('0')).toStdString());
        std::copy(b.begin(), b.end(), s.doc.IicDat.begin() + addr);
    }
    return QByteArray(reinterpret_cast<const char*>(s.doc.IicDat.data()), static_cast<qsizetype>(s.doc.IicDat.size()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString tmpl, settings, out;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--template"))
            tmpl = args[i + 1];
        else if (args[i] == QLatin1String("--settings"))
            settings = args[i + 1];
        else if (args[i] == QLatin1String("--out"))
            out = args[i + 1];
    }
    if (tmpl.isEmpty() || settings.isEmpty() || out.isEmpty()) {
        std::fputs("usage: qm570-mkdata --template FILE --settings FILE --out FILE\n", stderr);
        return 2;
    }
    try {
        const QByteArray image = build(tmpl, settings);
        QString why;
        if (!qm::writeFileAtomically(out, image, &why)) {
            std::fprintf(stderr, "qm570-mkdata: cannot write %s: %s\n", qPrintable(out), qPrintable(why));
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qm570-mkdata: %s: %s\n", qPrintable(tmpl), e.what());
        return 1;
    }
    return 0;
}
