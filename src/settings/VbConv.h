// Numeric conversions with the exact semantics the radio program relies on:
// 16-bit integers that overflow raise error 6, text that is not a number
// raises error 13, halves round to the even neighbour.
#pragma once

#include <QString>
#include <cstdint>

namespace qm {

// Rounds x to the nearest integer, halves to the even neighbour (banker's rounding).
double roundHalfEven(double x);

// Text -> 16-bit signed integer. Surrounding blanks are ignored, a decimal
// fraction is rounded half to even, "&H"/"&O" prefixes are hexadecimal/octal.
// Throws QmError 13 (type mismatch) for text that is not a number and
// QmError 6 (overflow) outside -32768..32767.
int16_t toInt16(const QString& text);

// Text -> 32-bit signed integer, same rules, overflow outside the 32-bit range.
int32_t toInt32(const QString& text);

// Text -> double (decimal point "."), throws 13 when the text is not a number.
double toDouble(const QString& text);

// True when toDouble would accept the text.
bool isNumeric(const QString& text);

// Hexadecimal text without prefix -> 16-bit value, as "&H" + text converts:
// up to four digits wrap into the signed range ("FFFF" -> -1), more digits
// that do not fit raise overflow (6), text with a non-hex digit raises 13.
int16_t hexToInt16(const QString& text);

// Hexadecimal text -> unsigned value (no 16-bit wrap), throws 13 on bad text.
uint32_t hexToUInt(const QString& text);

// The value of one hexadecimal digit (either letter case), -1 for any other
// character. Inline: the channel codec calls it for every signalling code.
inline int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// A byte as exactly two upper-case hexadecimal digits ("0A").
QString FormatByteDat(uint8_t b);

// An address as exactly four upper-case hexadecimal digits ("0E70"); only its
// low 16 bits count.
QString hex4(int addr);

// A double as the shortest decimal text with at most 15 significant digits and
// no trailing zeros, "." as decimal point (462.5625, 440).
QString numberText(double v);

// 0..99 -> BCD byte (tens in the high nibble).
uint8_t toBcd(int x);

} // namespace qm
