// Shared set-up of the channel tests: a state built like the program's
// start-up (alphabet, channel window content) over the test grid definition.
#pragma once

#include "channels/modChFre.h"
#include "shell/AppState.h"
#include "settings/CharTable.h"
#include "channels/modChMem.h"
#include "support/ChInfoFixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace qmtest {

using Bytes = std::vector<uint8_t>;

class ChannelState : public ChInfoFixture {
public:
    explicit ChannelState(bool withSection = true, int channels = 100)
        : ChInfoFixture(withSection, channels)
    {
        qm::GetValidCharTbl((s()).settings);
        qm::InitChMem(s());
    }

    // Writes bytes into channel n's record from offset `at`; reads them back.
    void putRecord(int n, int at, const Bytes& bytes)
    {
        std::copy(bytes.begin(), bytes.end(), s().doc.IicDat.begin() + qm::chRecordAddr(n) + at);
    }
    Bytes record(int n, int at, int len)
    {
        const auto first = s().doc.IicDat.begin() + qm::chRecordAddr(n) + at;
        return Bytes(first, first + len);
    }
};

class ChannelTest : public ::testing::Test {
protected:
    ChannelState cs;
    qm::AppState& s = cs.s();
};

} // namespace qmtest
