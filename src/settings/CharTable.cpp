#include "settings/CharTable.h"

namespace qm {

namespace {

constexpr int kCodeBufferSize = 31; // positions 0..30 of the conversion

} // namespace

QString charOf(const Settings& s, int c)
{
    if (c >= 0 && c < kAlphabetSize)
        return s.ValidChar[static_cast<size_t>(c)];
    return QStringLiteral(" ");
}

void GetValidCharTbl(Settings& s)
{
    static const char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/ +_";
    static_assert(sizeof(kAlphabet) - 1 == kAlphabetSize);
    for (int i = 0; i < kAlphabetSize; ++i)
        s.ValidChar[static_cast<size_t>(i)] = QString(QLatin1Char(kAlphabet[i]));
}

std::vector<int16_t> ChNameCharSol(const Settings& s, ErrorList& errors, const QString& text, int count)
{
    std::vector<int16_t> codes(static_cast<size_t>(std::max(count, 0)), int16_t(kNoChar));
    guarded(errors, QStringLiteral("modChMem->ChNameCharSol"), [&] {
        // Character by character, so that every typed character keeps its position.
        QString t = text;
        for (QChar& c : t)
            c = c.toUpper();
        if (t.isEmpty()) {
            for (int i = 0; i < count; ++i)
                checkIndex(i, 0, kCodeBufferSize - 1);
            return;
        }
        // Short names are padded with spaces (code 38).
        t += QString(13, QLatin1Char(' '));
        for (int i = 0; i < count; ++i) {
            checkIndex(i, 0, kCodeBufferSize - 1);
            int16_t& code = codes[static_cast<size_t>(i)];
            const QString ch = t.mid(i, 1);
            if (ch.isEmpty())
                continue;
            for (int k = 0; k < kAlphabetSize; ++k) {
                if (s.ValidChar[static_cast<size_t>(k)] == ch) {
                    code = static_cast<int16_t>(k);
                    break;
                }
            }
        }
    });
    return codes;
}

QString codesToText(const Settings& s, const uint8_t* codes, int count)
{
    QString t;
    for (int i = 0; i < count; ++i)
        t += charOf(s, codes[i]);
    return t;
}

} // namespace qm
