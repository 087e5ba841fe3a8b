// The pad's and headset's settings block: its device form and back.

#include "devices/ring_block.h"

#include <gtest/gtest.h>

namespace orvel::devices {
namespace {

ModeList Modes(std::vector<int> codes)
{
    std::vector<ModeEntry> entries;
    for (int code : codes)
        entries.push_back({"m", true, code});
    return ModeList(std::move(entries));
}

// A mode list whose codes differ from its indexes, so a mix-up shows.
const ModeList kCodes = Modes({10, 11, 12, 13, 14, 15, 16, 17, 18});

RingBlock Block(std::uint8_t mode, std::uint8_t speed)
{
    RingBlock block{};
    block[0] = 2;
    block[1] = mode;
    block[2] = 3;
    block[3] = speed;
    block[4] = 0x44;
    block[20] = 0x99;
    return block;
}

TEST(RingBlock, DeviceImageCarriesTheModeCodeAndTheReversedSpeed)
{
    struct Case {
        const char* name;
        std::uint8_t mode;
        std::uint8_t speed;
        ModeList codes;
        std::uint8_t lastRead;
        std::uint8_t sentCode;
        std::uint8_t sentSpeed;
    };
    const Case cases[] = {
        {"listed mode", 3, 2, kCodes, 0, 13, 2},
        {"speed 0 is sent as 4", 0, 0, kCodes, 0, 10, 4},
        {"speed 1 is sent as 3", 1, 1, kCodes, 0, 11, 3},
        {"speed 4 is sent as 0", 8, 4, kCodes, 0, 18, 0},
        {"speed beyond 4 counts as 4", 2, 9, kCodes, 0, 12, 0},
        {"user effect 9 sends entry 0", 9, 2, kCodes, 0, 10, 2},
        {"user effect 12 sends entry 0", 12, 2, kCodes, 0, 10, 2},
        {"index beyond a short list keeps the code last read", 6, 2, Modes({10, 11}), 0x33, 0x33, 2},
        {"no list and never read sends 0", 4, 2, ModeList(), 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RingBlock block = Block(c.mode, c.speed);
        const RingBlock image = ToDeviceImage(block, c.codes, c.lastRead);
        EXPECT_EQ(image[1], c.sentCode);
        EXPECT_EQ(image[3], c.sentSpeed);
        EXPECT_EQ(image[0], 2);
        EXPECT_EQ(image[2], 3);
        EXPECT_EQ(image[4], 0x44);
        EXPECT_EQ(image[20], 0x99);
    }
}

TEST(RingBlock, ReadImageTurnsBackIntoIndexAndPanelSpeed)
{
    struct Case {
        const char* name;
        std::uint8_t code;
        std::uint8_t storedSpeed;
        std::uint8_t mode;
        std::uint8_t speed;
    };
    const Case cases[] = {
        {"listed code", 16, 3, 6, 1},
        {"first entry of a repeated code", 10, 4, 0, 0},
        {"unlisted code stays", 0x77, 0, 0x77, 4},
        {"stored speed beyond 4 reads as 0", 12, 200, 2, 0},
    };
    const ModeList codes = Modes({10, 11, 12, 13, 14, 15, 16, 10});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RingBlock block = FromDeviceImage(Block(c.code, c.storedSpeed), codes);
        EXPECT_EQ(block[1], c.mode);
        EXPECT_EQ(block[3], c.speed);
        EXPECT_EQ(block[4], 0x44);
    }
}

TEST(RingBlock, AddressIsThirtyTimesTheProfile)
{
    EXPECT_EQ(RingBlockAddress(0), 0);
    EXPECT_EQ(RingBlockAddress(1), 30);
    EXPECT_EQ(RingBlockAddress(4), 120);
    EXPECT_EQ(RingBlockAddress(-1), 0);
}

TEST(RingBlock, RecordFillsTheLightingBytesOnly)
{
    RingBlock block = Block(0, 0);
    profiles::LightRecord record;
    record.selectItem = 7;
    record.light = 1;
    record.speed = 2;
    record.fx = 1;
    record.multiColor = 1;
    record.red = 0x10;
    record.green = 0x20;
    record.blue = 0x30;
    TakeLightRecord(block, record);
    const RingBlock expected{2, 7, 1, 2, 0x44, 1, 0x10, 0x20, 0x30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x99};
    EXPECT_EQ(block, expected);
}

} // namespace
} // namespace orvel::devices
