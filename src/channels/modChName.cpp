#include "channels/modChName.h"

#include "channels/modChFre.h"
#include "channels/modChMem.h"

namespace qm {

namespace {

constexpr int kAlphabetSize = 41;

// The character of code c, or a space for a code that is no character.
QString charOf(const AppState& s, int c)
{
    if (c >= 0 && c < kAlphabetSize)
        return s.ValidChar[static_cast<size_t>(c)];
    return QStringLiteral(" ");
}

} // namespace

void GetValidCharTbl(AppState& s)
{
    static const char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-/ +_";
    static_assert(sizeof(kAlphabet) - 1 == kAlphabetSize);
    for (int i = 0; i < kAlphabetSize; ++i)
        s.ValidChar[static_cast<size_t>(i)] = QString(QLatin1Char(kAlphabet[i]));
}

void ChNameCharSol(AppState& s, const QString& text, int count)
{
    guarded(s.errors, QStringLiteral("modChMem->ChNameCharSol"), [&] {
        const long long lastPos = static_cast<long long>(s.CharCodeBuf.size()) - 1;
        // Character by character, so that every typed character keeps its position.
        QString t = text;
        for (QChar& c : t)
            c = c.toUpper();
        if (t.isEmpty()) {
            for (int i = 0; i < count; ++i) {
                checkIndex(i, 0, lastPos);
                s.CharCodeBuf[static_cast<size_t>(i)] = kNoChar;
            }
            return;
        }
        // Short names are padded with spaces (code 38).
        t += QString(13, QLatin1Char(' '));
        for (int i = 0; i < count; ++i) {
            checkIndex(i, 0, lastPos);
            int16_t& code = s.CharCodeBuf[static_cast<size_t>(i)];
            code = kNoChar;
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
}

QString codesToText(const AppState& s, const uint8_t* codes, int count)
{
    QString t;
    for (int i = 0; i < count; ++i)
        t += charOf(s, codes[i]);
    return t;
}

void ChNameCharShow(AppState& s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->ChNameCharShow"), [&] {
        checkChannel(n);
        const uint8_t* codes = &s.ChNameCode[n][1];
        bool any = false;
        for (int i = 0; i < 6; ++i)
            any = any || codes[i] < kAlphabetSize;
        s.grid.text[n][11] = any ? codesToText(s, codes, 6) : QString();
    });
}

QString PowerOnMsgText(const AppState& s)
{
    QString t;
    for (int i = 25; i <= 30; ++i)
        t += charOf(s, s.OptSel[static_cast<size_t>(i)]);
    return t;
}

} // namespace qm
