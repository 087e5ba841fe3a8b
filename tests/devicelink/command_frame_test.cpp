#include "devicelink/command_frame.h"

#include <gtest/gtest.h>

#include <numeric>

namespace orvel {
namespace {

struct FrameCase {
    const char* name;
    std::uint8_t command;
    std::uint8_t length;
    std::uint16_t address;
    std::uint8_t payloadByte;
    std::size_t payloadLength;
    std::uint8_t checksumLow;
    std::uint8_t checksumHigh;
};

TEST(CommandFrame, LayoutAndChecksum)
{
    const FrameCase cases[] = {
        {"only the command id", 0x01, 0, 0, 0, 0, 0x01, 0x00},
        // 6 + 56 + 0x80 + 0x01 + 56 * 0xFF = 0x3887
        {"full payload at 0x0180", 0x06, 56, 0x0180, 0xFF, 56, 0x87, 0x38},
        // 0xAA alone
        {"wireless query", 0xAA, 0, 0, 0, 0, 0xAA, 0x00},
        // 0x09 + 24 + 0xE8 + 0x01 + 24 * 2 = 0x13A
        {"short payload", 0x09, 24, 0x01E8, 0x02, 24, 0x3A, 0x01},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> payload(c.payloadLength, c.payloadByte);
        const CommandFrame frame = MakeFrame(c.command, c.length, c.address, payload.data(), payload.size());
        EXPECT_EQ(frame[0], 0x04);
        EXPECT_EQ(frame[1], c.checksumLow);
        EXPECT_EQ(frame[2], c.checksumHigh);
        EXPECT_EQ(frame[3], c.command);
        EXPECT_EQ(frame[4], c.length);
        EXPECT_EQ(frame[5], c.address & 0xFF);
        EXPECT_EQ(frame[6], c.address >> 8);
        EXPECT_EQ(frame[7], 0);
        for (std::size_t i = 8; i < 64; ++i)
            EXPECT_EQ(frame[i], i - 8 < c.payloadLength ? c.payloadByte : 0) << "byte " << i;
    }
}

TEST(CommandFrame, PayloadLongerThanAFrameIsCut)
{
    const std::vector<std::uint8_t> payload(100, 0x11);
    const CommandFrame frame = MakeFrame(0x06, 56, 0, payload.data(), payload.size());
    EXPECT_EQ(std::accumulate(frame.begin() + 8, frame.end(), 0u), 56u * 0x11);
}

TEST(CommandFrame, AnswerStatus)
{
    struct Case {
        int transact;
        std::uint8_t byte7;
        int status;
    } const cases[] = {
        {1, 0x00, 1}, {1, 0x01, 1}, {1, 0xFF, -102}, {1, 0xFE, -103},
        {0, 0xFE, 0}, {-1, 0x00, -1}, {-101, 0xFF, -101},
    };
    for (const Case& c : cases) {
        CommandFrame answer{};
        answer[7] = c.byte7;
        EXPECT_EQ(AnswerStatus(c.transact, answer), c.status) << c.transact << " " << int(c.byte7);
    }
}

TEST(CommandFrame, DumpLineGroupsBytes)
{
    std::uint8_t bytes[32];
    std::iota(std::begin(bytes), std::end(bytes), 0xE0);
    EXPECT_EQ(DumpLine(bytes), "e0 e1 e2 e3   e4 e5 e6 e7   e8 e9 ea eb   ec ed ee ef  "
                               "f0 f1 f2 f3  f4 f5 f6 f7  f8 f9 fa fb fc fd fe ff");
}

} // namespace
} // namespace orvel
