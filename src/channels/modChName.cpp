#include "channels/modChName.h"

#include "channels/modChFre.h"
#include "settings/CharTable.h"

namespace qm {

void ChNameCharShow(ChannelContext s, int n)
{
    guarded(s.errors, QStringLiteral("modChMem->ChNameCharShow"), [&] {
        checkChannel(n);
        const uint8_t* codes = &s.doc.ChNameCode[n][1];
        bool any = false;
        for (int i = 0; i < 6; ++i)
            any = any || codes[i] < kAlphabetSize;
        s.grid.text[n][11] = any ? codesToText(s.settings, codes, 6) : QString();
    });
}

} // namespace qm
