// UTF-8 byte sequences.
#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// The length (1 to 4) of the well-formed UTF-8 character at bytes[i], with
// its code point in cp; 0 when the bytes there are not one (a stray or cut-off
// byte, an overlong form, a surrogate, a value past U+10FFFF).
int utf8CharAt(const QByteArray& bytes, qsizetype i, char32_t& cp);

} // namespace qm
