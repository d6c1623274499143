#include "image/modIicDat.h"


#include <QStringDecoder>

#include <algorithm>

namespace qm {

QString templatePath(const Settings& s)
{
    return s.home + QStringLiteral("/Kelvex.exe");
}

QString dataFolder(const Settings& s)
{
    return s.home + QStringLiteral("/Data");
}

QString defaultDataPath(const Settings& s)
{
    return dataFolder(s) + QStringLiteral("/Untitled.dat");
}

std::vector<uint8_t> imageFromBytes(size_t size, const QByteArray& data)
{
    std::vector<uint8_t> image(size, 0xFF);
    const size_t n = std::min(image.size(), static_cast<size_t>(data.size()));
    std::copy_n(reinterpret_cast<const uint8_t*>(data.constData()), n, image.begin());
    return image;
}

std::optional<Error> sizeWarning(const QString& action, const QString& path, const BoundedRead& read, size_t imageSize)
{
    const qsizetype size = static_cast<qsizetype>(imageSize);
    if (read.longer)
        return Error{59, action, path,
                     QStringLiteral("it holds more than %1 bytes; only its first %1 bytes are used").arg(size)};
    if (read.data.size() < size)
        return Error{62, action, path,
                     QStringLiteral("it holds %1 bytes, not %2; the image's remaining %3 bytes read FF (erased memory)")
                         .arg(read.data.size())
                         .arg(size)
                         .arg(size - read.data.size())};
    return std::nullopt;
}

TemplateRead readTemplate(const Settings& s, size_t size)
{
    const QString action = QStringLiteral("load template");
    const QString path = templatePath(s);
    TemplateRead t;
    try {
        const BoundedRead r = readFileAtMost(path, static_cast<int64_t>(size), action, ReadSource::RegularFile);
        t.image = imageFromBytes(size, r.data);
        if (auto w = sizeWarning(action, path, r, size)) {
            if (r.longer)
                t.warning = w;
            else
                t.problem = w;
        }
    } catch (const QmError& e) {
        t.problem = e.error();
    }
    return t;
}

void InitTempArray(ImageContext s)
{
    const QString label = QStringLiteral("mdifrmMain->InitTempArray");
    guarded(s.errors, label, [&] {
        TemplateRead t = readTemplate(s.settings, s.doc.IicDat.size());
        if (t.image.empty()) {
            // Missing: start from an erased radio rather than from whatever
            // the image held. Unreadable: the image stays as it was.
            if (t.problem && t.problem->number == 53)
                s.doc.IicDat = imageFromBytes(s.doc.IicDat.size(), QByteArray());
            throw QmError(*t.problem);
        }
        s.doc.IicDat = std::move(t.image);
        // A template of another size is used as far as it goes; the list
        // says so, the start goes on.
        if (t.problem)
            s.errors.AddErrInfo(label, *t.problem);
        if (t.warning)
            s.errors.AddErrInfo(label, *t.warning);
    });
}

std::vector<uint8_t> readDataFile(const DocumentData& doc, const QString& path, std::optional<Error>* warning)
{
    const QString action = QStringLiteral("open data file");
    const BoundedRead r = readFileAtMost(path, static_cast<int64_t>(doc.IicDat.size()), action);
    if (warning)
        *warning = sizeWarning(action, path, r, doc.IicDat.size());
    return imageFromBytes(doc.IicDat.size(), r.data);
}

std::optional<QString> notARadioImage(const BoundedRead& read, size_t size)
{
    if (read.longer)
        return QStringLiteral("it holds more than the %1 bytes of a radio image").arg(size);
    if (read.data.size() != static_cast<qsizetype>(size))
        return QStringLiteral("it holds %1 bytes, not the %2 of a radio image").arg(read.data.size()).arg(size);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(read.data);
    if (utf8.hasError())
        return std::nullopt;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f') || u == 0x7F)
            return std::nullopt;
    }
    return QStringLiteral("it is text (a CSV file or a note?), not a radio image");
}

void requireRadioImageSize(const DocumentData& doc, const QString& action, const QString& path)
{
    if (doc.IicDat.size() != static_cast<size_t>(kImageBytes))
        throw QmError(380, action, path,
                      QStringLiteral("the image holds %1 bytes, not the radio's %2 (the settings file's DatNum must be %3)")
                          .arg(doc.IicDat.size())
                          .arg(kImageBytes)
                          .arg(kImageDatNum));
}

void writeDataFile(const DocumentData& doc, const QString& path)
{
    const QString action = QStringLiteral("save data file");
    requireRadioImageSize(doc, action, path);
    const QByteArray data(reinterpret_cast<const char*>(doc.IicDat.data()), static_cast<qsizetype>(doc.IicDat.size()));
    saveFile(path, data, action);
}

} // namespace qm
