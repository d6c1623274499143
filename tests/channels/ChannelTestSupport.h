// Shared set-up of the channel tests: a state built like the program's
// start-up (alphabet, channel window content) over the test grid definition.
#pragma once

#include "channels/modChFre.h"
#include "channels/modChMem.h"
#include "support/ChInfoFixture.h"

#include <array>
#include <initializer_list>

namespace qmtest {

class ChannelState : public ChInfoFixture {
public:
    explicit ChannelState(bool withSection = true, int channels = 100, int16_t language = 3)
        : ChInfoFixture(withSection, channels, language)
    {
        qm::GetValidCharTbl(s());
        qm::InitChMem(s());
    }

    // Writes bytes into channel n's record from offset `at`.
    void putRecord(int n, int at, std::initializer_list<uint8_t> bytes)
    {
        long long a = qm::chRecordAddr(n) + at;
        for (uint8_t b : bytes)
            s().IicDat[static_cast<size_t>(a++)] = b;
    }

    // Record bytes [at, at + len) of channel n.
    std::vector<uint8_t> record(int n, int at, int len)
    {
        const auto first = s().IicDat.begin() + qm::chRecordAddr(n) + at;
        return std::vector<uint8_t>(first, first + len);
    }
};

} // namespace qmtest
