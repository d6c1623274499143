// UTF-8 byte sequences, and the names read from the system that keep the
// bytes which are not UTF-8.
#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// The length (1 to 4) of the well-formed UTF-8 character at bytes[i], with
// its code point in cp; 0 when the bytes there are not one (a stray or cut-off
// byte, an overlong form, a surrogate, a value past U+10FFFF).
int utf8CharAt(const QByteArray& bytes, qsizetype i, char32_t& cp);

// A file name read from the system keeps each byte b (0x80..0xFF) that is not
// part of a UTF-8 character as the lone low surrogate U+DC00 + b, so that the
// name goes back to the system byte for byte.
inline QChar rawByteChar(unsigned char b)
{
    return QChar(char16_t(0xDC00 + b));
}

// One piece of such a name at text[i]: a character (a surrogate pair counts
// as one, units 2), a kept byte (value is the byte) or a surrogate that pairs
// with nothing (value is the code unit).
struct NameChar {
    enum class Kind { Char, RawByte, LoneSurrogate };
    Kind kind = Kind::Char;
    char32_t value = 0;
    int units = 1;
};
NameChar nameCharAt(const QString& text, qsizetype i);

} // namespace qm
