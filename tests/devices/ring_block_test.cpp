// The pad's and headset's settings block: its device form and back.

#include "devices/ring_block.h"

#include <json/reader.h>

#include <gtest/gtest.h>

namespace orvel::devices {
namespace {

// A mode list whose codes differ from its indexes, so a mix-up shows.
const ModeCodes kCodes{10, 11, 12, 13, 14, 15, 16, 17, 18};

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
        ModeCodes codes;
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
        {"index beyond a short list keeps the code last read", 6, 2, ModeCodes{10, 11}, 0x33, 0x33, 2},
        {"no list and never read sends 0", 4, 2, ModeCodes{}, 0, 0, 2},
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
    const ModeCodes codes{10, 11, 12, 13, 14, 15, 16, 10};
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

TEST(RingBlock, ModeCodesPerKindOrFlat)
{
    Json::Value perKind;
    Json::Reader().parse(R"({"DefaultLightName": [[], [], [], [{"value": 5}, {"value": 9}], [], [], [], [{"value": 1}]]})",
                         perKind);
    EXPECT_EQ(ReadModeCodes(perKind, 3), (ModeCodes{5, 9}));
    EXPECT_EQ(ReadModeCodes(perKind, 7), (ModeCodes{1}));
    EXPECT_TRUE(ReadModeCodes(perKind, 12).empty());
    Json::Value flat;
    Json::Reader().parse(R"({"DefaultLightName": [{"value": 4}, {"value": "x"}]})", flat);
    EXPECT_EQ(ReadModeCodes(flat, 3), (ModeCodes{4, 0}));
}

} // namespace
} // namespace orvel::devices
