#include "diag/Utf8.h"

namespace qm {

int utf8CharAt(const QByteArray& bytes, qsizetype i, char32_t& cp)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    const unsigned char c = p[i];
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    int len = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    for (int k = 1; k < len; ++k) {
        const unsigned char d = p[i + k];
        if ((d & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace qm

namespace qm {

NameChar nameCharAt(const QString& text, qsizetype i)
{
    const char16_t u = text[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
        return {NameChar::Kind::Char, QChar::surrogateToUcs4(u, text[i + 1].unicode()), 2};
    if (u >= 0xDC80 && u <= 0xDCFF)
        return {NameChar::Kind::RawByte, char32_t(u & 0xFF), 1};
    if (QChar::isSurrogate(u))
        return {NameChar::Kind::LoneSurrogate, u, 1};
    return {NameChar::Kind::Char, u, 1};
}

} // namespace qm
