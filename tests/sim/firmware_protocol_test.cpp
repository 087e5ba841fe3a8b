// The command protocol of the emulated firmware: checksum, statuses, chunked transfers,
// Begin...End framing, the information records and the memories behind the commands.

#include "sim/devices/event_image.h"
#include "sim/devices/factory_tables.h"
#include "sim/devices/firmware.h"
#include "tests/sim/host_side.h"

#include <gtest/gtest.h>

namespace orvel::sim {
namespace {

using testing::Exchange;
using testing::ReadChunked;
using testing::Status;
using testing::WriteChunked;
using testing::WriteSequence;

class Devices : public ::testing::Test {
protected:
    Firmware& Make(DeviceKind kind)
    {
        devices.push_back(std::make_unique<Firmware>(kind, clock));
        devices.back()->SetPathPresent(Path::Cable, true);
        return *devices.back();
    }
    ManualClock clock;
    std::vector<std::unique_ptr<Firmware>> devices;
};

TEST(CommandFrame, ChecksumIsTheSumOfBytes3To63)
{
    Frame frame{};
    frame[3] = 0x01;
    StampChecksum(frame);
    EXPECT_EQ(frame[1], 0x01);
    EXPECT_EQ(frame[2], 0x00);
    frame.fill(0xFF);
    StampChecksum(frame);   // 61 x 255 = 15555 = 0x3CC3
    EXPECT_EQ(frame[1], 0xC3);
    EXPECT_EQ(frame[2], 0x3C);
    EXPECT_TRUE(ChecksumMatches(frame));
    frame[0] = 0x00;        // bytes 0-2 are not part of the sum
    EXPECT_TRUE(ChecksumMatches(frame));
    frame[63] = 0xFE;
    EXPECT_FALSE(ChecksumMatches(frame));
}

struct StatusCase {
    const char* name;
    DeviceKind kind;
    Frame request;
    int status;
};

Frame WithBadChecksum(Frame frame)
{
    frame[1] ^= 0x01;
    return frame;
}

TEST_F(Devices, StatusOfEachRequest)
{
    const StatusCase cases[] = {
        {"begin", DeviceKind::Keyboard, MakeRequest(cmd::kBeginConfig), kStatusOk},
        {"wrong checksum", DeviceKind::Keyboard, WithBadChecksum(MakeRequest(cmd::kBeginConfig)), kStatusBadChecksum},
        {"unknown command", DeviceKind::Keyboard, MakeRequest(0x33), kStatusRejected},
        {"info read past the record", DeviceKind::Mouse, MakeRequest(cmd::kReadDeviceInfo, 24, 24), kStatusRejected},
        {"info read to its end", DeviceKind::Mouse, MakeRequest(cmd::kReadDeviceInfo, 10, 24), kStatusOk},
        {"length above 56", DeviceKind::Mouse, MakeRequest(cmd::kReadDeviceInfo, 57, 0), kStatusRejected},
        {"block read past the memory", DeviceKind::Mouse, MakeRequest(cmd::kReadBlock, 71, 640 - 70), kStatusRejected},
        {"last mouse bank", DeviceKind::Mouse, MakeRequest(cmd::kReadBlock, 56, 4 * 128), kStatusOk},
        {"key table past 512", DeviceKind::Keyboard, MakeRequest(cmd::kReadKeyTable, 56, 480), kStatusRejected},
        {"write outside Begin...End", DeviceKind::Mouse, MakeRequest(cmd::kWriteBlock, 4, 0), kStatusRejected},
        {"power status", DeviceKind::Mouse, MakeRequest(cmd::kReadSmall, 6, 0), kStatusOk},
        {"shoot data on a keyboard", DeviceKind::Keyboard, MakeRequest(cmd::kWriteShootData, 4, 0), kStatusRejected},
        {"led table on a mouse", DeviceKind::Mouse, MakeRequest(cmd::kReadKeyTableExtra, 33, 0), kStatusRejected},
        {"host light control on a keyboard", DeviceKind::Keyboard, MakeRequest(cmd::kSetHostLightControl), kStatusOk},
        {"host light control on a mouse", DeviceKind::Mouse, MakeRequest(cmd::kSetHostLightControl), kStatusRejected},
        {"information record of the headset", DeviceKind::Headset, MakeRequest(cmd::kReadDeviceInfo, 34, 0), kStatusRejected},
        {"headset block", DeviceKind::Headset, MakeRequest(cmd::kReadBlock, 24, 30), kStatusOk},
        {"pad light stream of 45 bytes", DeviceKind::MousePad, MakeRequest(cmd::kWriteLightStream, 21, 24), kStatusOk},
        {"pad light stream past 15 LEDs", DeviceKind::MousePad, MakeRequest(cmd::kWriteLightStream, 24, 24), kStatusRejected},
        {"wireless query by cable", DeviceKind::Keyboard, MakeRequest(cmd::kQueryWirelessLink), kStatusOk},
        {"wireless query on the pad", DeviceKind::MousePad, MakeRequest(cmd::kQueryWirelessLink), kStatusRejected},
    };
    for (const auto& c : cases) {
        Firmware& device = Make(c.kind);
        const auto answer = Exchange(device, Path::Cable, c.request);
        ASSERT_TRUE(answer) << c.name;
        EXPECT_EQ((*answer)[7], c.status) << c.name;
        EXPECT_EQ((*answer)[3], c.request[3]) << c.name << ": the command id is echoed";
        EXPECT_EQ((*answer)[0], kCommandReportId) << c.name;
    }
}

// A chunked frame carries at most the chunk of the link it comes by: 24 bytes on a pad's or
// headset's link and through a receiver, 56 by a keyboard's or mouse's cable.
TEST_F(Devices, AChunkedFrameLongerThanItsLinksChunkIsRefused)
{
    struct Case {
        const char* name;
        DeviceKind kind;
        Path via;
        Frame request;
        int status;
    };
    const std::vector<std::uint8_t> bytes(25, 0x11);
    const Case cases[] = {
        {"pad information in one frame", DeviceKind::MousePad, Path::Cable, MakeRequest(cmd::kReadDeviceInfo, 34, 0), kStatusRejected},
        {"pad information, first chunk", DeviceKind::MousePad, Path::Cable, MakeRequest(cmd::kReadDeviceInfo, 24, 0), kStatusOk},
        {"pad block of 25", DeviceKind::MousePad, Path::Cable, MakeRequest(cmd::kReadBlock, 25, 0), kStatusRejected},
        {"pad light stream of 25", DeviceKind::MousePad, Path::Cable, MakeRequest(cmd::kWriteLightStream, 25, 0, bytes), kStatusRejected},
        {"headset block of 31", DeviceKind::Headset, Path::Cable, MakeRequest(cmd::kReadBlock, 31, 0), kStatusRejected},
        {"headset power status is one frame", DeviceKind::Headset, Path::Cable, MakeRequest(cmd::kReadSmall, 16, 0), kStatusOk},
        {"mouse block of 56 by cable", DeviceKind::Mouse, Path::Cable, MakeRequest(cmd::kReadBlock, 56, 0), kStatusOk},
        {"mouse block of 25 through the receiver", DeviceKind::Mouse, Path::Receiver, MakeRequest(cmd::kReadBlock, 25, 0), kStatusRejected},
        {"keyboard key table of 24 through the receiver", DeviceKind::Keyboard, Path::Receiver, MakeRequest(cmd::kReadKeyTable, 24, 0), kStatusOk},
    };
    for (const Case& c : cases) {
        Firmware& device = Make(c.kind);
        device.SetPathPresent(Path::Receiver, HasReceiver(c.kind));
        EXPECT_EQ(Status(device, c.via, c.request), c.status) << c.name;
        if (c.status == kStatusRejected) {
            EXPECT_NE(device.Snapshot().lastRefusal.find("on a link that carries"), std::string::npos) << c.name;
        }
    }
}

TEST_F(Devices, AnOutputReportWithAnotherIdIsNotAnswered)
{
    Firmware& device = Make(DeviceKind::Keyboard);
    Frame request = MakeRequest(cmd::kBeginConfig);
    request[0] = 0x02;
    EXPECT_FALSE(Exchange(device, Path::Cable, request));
}

struct InfoCase {
    DeviceKind kind;
    std::size_t byte;
    std::uint8_t value;
};

TEST_F(Devices, InformationRecords)
{
    const InfoCase cases[] = {
        {DeviceKind::Keyboard, 5, 104}, {DeviceKind::Keyboard, 6, 32},
        {DeviceKind::Mouse, 5, 11},     {DeviceKind::Mouse, 9, 0x25},  {DeviceKind::Mouse, 10, 0x33},
        {DeviceKind::Mouse, 11, 100},   {DeviceKind::Mouse, 12, 128},  {DeviceKind::Mouse, 13, 0},
        {DeviceKind::Mouse, 14, 100},   {DeviceKind::Mouse, 15, 0},    {DeviceKind::MousePad, 5, 0},
        {DeviceKind::Keyboard, 32, kFirmwareVersion & 0xFF},           {DeviceKind::Mouse, 33, kFirmwareVersion >> 8},
    };
    for (const auto& c : cases) {
        Firmware& device = Make(c.kind);
        const auto record = ReadChunked(device, Path::Cable, cmd::kReadDeviceInfo, kInfoSize);
        ASSERT_EQ(record.size(), kInfoSize);
        EXPECT_EQ(record[c.byte], c.value) << KindName(c.kind) << " byte " << c.byte;
    }
}

TEST_F(Devices, ChunksThroughTheReceiverReadTheSameBytesAsOneFrame)
{
    Firmware& device = Make(DeviceKind::Mouse);
    device.SetPathPresent(Path::Receiver, true);
    const auto byCable = ReadChunked(device, Path::Cable, cmd::kReadDeviceInfo, kInfoSize, 0, 56);
    const auto byReceiver = ReadChunked(device, Path::Receiver, cmd::kReadDeviceInfo, kInfoSize, 0, 24);
    ASSERT_EQ(byCable.size(), kInfoSize);
    EXPECT_EQ(byCable, byReceiver);
    // A chunk that starts in the middle reads from that offset.
    const auto answer = Exchange(device, Path::Cable, MakeRequest(cmd::kReadDeviceInfo, 2, 14));
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[8], 100);
    EXPECT_EQ((*answer)[9], 0);
}

TEST_F(Devices, SettingsBlockRoundTripAtTheBankAddress)
{
    Firmware& mouse = Make(DeviceKind::Mouse);
    std::vector<std::uint8_t> block(66);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 3 + 1);
    }
    EXPECT_EQ(WriteSequence(mouse, Path::Cable, cmd::kWriteBlock, block, 2 * 128, 24), kStatusOk);
    EXPECT_EQ(ReadChunked(mouse, Path::Cable, cmd::kReadBlock, 66, 2 * 128), block);
    // Bytes 66..70 of a 71-byte read are the device's own and stay zero.
    const auto read = ReadChunked(mouse, Path::Cable, cmd::kReadBlock, 71, 2 * 128);
    ASSERT_EQ(read.size(), 71u);
    EXPECT_EQ(std::vector<std::uint8_t>(read.begin() + 66, read.end()), std::vector<std::uint8_t>(5, 0));

    Firmware& keyboard = Make(DeviceKind::Keyboard);
    std::vector<std::uint8_t> kb(31, 0x5A);
    kb[0] = 2;   // the byte at 30 x 0 is the active profile
    EXPECT_EQ(WriteSequence(keyboard, Path::Cable, cmd::kWriteBlock, kb, 0), kStatusOk);
    EXPECT_EQ(keyboard.ActiveBank(), 2);
    EXPECT_EQ(ReadChunked(keyboard, Path::Cable, cmd::kReadBlock, 31, 0), kb);
}

// The pad and the headset start with lighting other than the default profile's and with the
// bytes only they know (4 and 9..20) set, different in every bank, so a program that writes its
// own idea of them, or another bank's, shows.
TEST_F(Devices, PadAndHeadsetStartWithBlocksOfTheirOwn)
{
    for (DeviceKind kind : {DeviceKind::MousePad, DeviceKind::Headset}) {
        Firmware& device = Make(kind);
        for (int bank = 0; bank < kBankCount; ++bank) {
            SCOPED_TRACE(std::string(KindName(kind)) + " bank " + std::to_string(bank));
            const auto block = ReadChunked(device, Path::Cable, cmd::kReadBlock, 21, static_cast<std::uint16_t>(30 * bank));
            ASSERT_EQ(block.size(), 21u);
            // Mode code 4, brightness 3, speed 3 (stored 1), one colour 2080C0.
            EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 1, block.begin() + 9),
                      (std::vector<std::uint8_t>{4, 3, 1, static_cast<std::uint8_t>(0x50 + bank), 0, 0x20, 0x80, 0xC0}));
            for (std::size_t n = 9; n <= 20; ++n) {
                EXPECT_EQ(block[n], 0xA0 + 0x10 * bank + (n - 9)) << "byte " << n;
            }
        }
        EXPECT_EQ(device.ActiveBank(), 0);
    }
}

TEST_F(Devices, RefusedWriteChangesNothing)
{
    Firmware& pad = Make(DeviceKind::MousePad);
    const auto before = pad.Snapshot().block;
    EXPECT_EQ(WriteChunked(pad, Path::Cable, cmd::kWriteBlock, std::vector<std::uint8_t>(21, 9), 30), kStatusRejected);
    EXPECT_EQ(WriteSequence(pad, Path::Cable, cmd::kWriteBlock, std::vector<std::uint8_t>(21, 9), 250), kStatusRejected);
    EXPECT_EQ(pad.Snapshot().block, before);
    EXPECT_FALSE(pad.Snapshot().lastRefusal.empty());
}

TEST_F(Devices, BeginConfigAgainRestartsTheSequence)
{
    Firmware& mouse = Make(DeviceKind::Mouse);
    EXPECT_EQ(Status(mouse, Path::Cable, MakeRequest(cmd::kBeginConfig)), kStatusOk);
    EXPECT_EQ(Status(mouse, Path::Cable, MakeRequest(cmd::kBeginConfig)), kStatusOk);
    EXPECT_TRUE(mouse.ConfigOpen());
    EXPECT_EQ(Status(mouse, Path::Cable, MakeRequest(cmd::kEndConfig)), kStatusOk);
    EXPECT_FALSE(mouse.ConfigOpen());
    EXPECT_EQ(Status(mouse, Path::Cable, MakeRequest(cmd::kWriteBlock, 1, 0, std::vector<std::uint8_t>{1})),
              kStatusRejected);
}

TEST_F(Devices, KeyTableReadsTheFactoryCodesAndKeepsWhatIsWritten)
{
    Firmware& mouse = Make(DeviceKind::Mouse);
    const auto factory = ReadChunked(mouse, Path::Cable, cmd::kReadKeyTable, 33);
    ASSERT_EQ(factory.size(), 33u);
    for (std::size_t b = 0; b < 11; ++b) {
        const KeyCode code{factory[3 * b], factory[3 * b + 1], factory[3 * b + 2]};
        EXPECT_EQ(code, MouseButtonCodes()[b]) << "button " << b;
    }
    std::vector<std::uint8_t> assigned = factory;
    assigned[0] = 0x70;   // button 0 plays macro 0
    assigned[1] = 0x00;
    EXPECT_EQ(WriteSequence(mouse, Path::Cable, cmd::kWriteKeyTable, assigned), kStatusOk);
    const auto kept = mouse.Snapshot().keyTable;
    EXPECT_EQ(std::vector<std::uint8_t>(kept.begin(), kept.begin() + 33), assigned);
    EXPECT_EQ(ReadChunked(mouse, Path::Cable, cmd::kReadKeyTable, 33), factory) << "the factory table stays";
}

TEST(KeyboardTables, FactoryCodesMatchTheOnScreenPositionsExceptTheFnLockKey)
{
    const auto table = KeyboardFactoryKeyTable();
    const auto& positions = KeyboardKeyPositions();
    ASSERT_EQ(table.size(), 3 * positions.size());
    ASSERT_EQ(positions.size(), 104u);
    std::vector<int> unmatchedKeys;
    std::vector<bool> positionMatched(kKeyboardPositions, false);
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const KeyCode code{table[3 * k], table[3 * k + 1], table[3 * k + 2]};
        int found = -1;
        for (int p = 0; p < kKeyboardPositions; ++p) {
            if (KeyboardPositionCodes()[p] == code) {
                found = p;
                break;
            }
        }
        if (found < 0) {
            unmatchedKeys.push_back(static_cast<int>(k));
        } else {
            EXPECT_EQ(found, positions[k]) << "key " << k;
            positionMatched[static_cast<std::size_t>(found)] = true;
        }
    }
    ASSERT_EQ(unmatchedKeys.size(), 1u);
    EXPECT_EQ(positions[static_cast<std::size_t>(unmatchedKeys[0])], kFnLockPosition);
    EXPECT_FALSE(positionMatched[kFnLockPosition]);
    EXPECT_FALSE(positionMatched[110]) << "the board has no Fn key";
    EXPECT_TRUE(positionMatched[0]);
    EXPECT_TRUE(positionMatched[125]);
    const auto leds = KeyboardLedTable();
    for (std::size_t k = 0; k < positions.size(); ++k) {
        EXPECT_EQ(leds[k], positions[k]);
    }
}

TEST(KeyboardTables, PositionCodesOfTheOnScreenTable)
{
    const auto& codes = KeyboardPositionCodes();
    EXPECT_EQ(codes[0], (KeyCode{0x20, 0x00, 0x29}));
    EXPECT_EQ(codes[16], (KeyCode{0xA0, 0x1B, 0x00}));
    EXPECT_EQ(codes[18], (KeyCode{0x20, 0x00, 0x00}));
    EXPECT_EQ(codes[84], (KeyCode{0x20, 0x02, 0x00}));
    EXPECT_EQ(codes[124], (KeyCode{0xD0, 0xA2, 0x05}));
    EXPECT_EQ(codes[127], (KeyCode{0xA0, 0x44, 0x05}));
    EXPECT_EQ(codes[169], (KeyCode{0x20, 0x00, 0x00}));
}

TEST_F(Devices, KeyboardLedTableComesWithTheKeyTableExtra)
{
    Firmware& keyboard = Make(DeviceKind::Keyboard);
    const auto leds = ReadChunked(keyboard, Path::Cable, cmd::kReadKeyTableExtra, 104);
    ASSERT_EQ(leds.size(), 104u);
    EXPECT_EQ(leds, KeyboardLedTable());
}

std::vector<std::uint8_t> MacroImage(std::vector<std::size_t> eventCounts)
{
    std::vector<ImageSection> sections;
    for (std::size_t count : eventCounts) {
        ImageSection section;
        for (std::size_t e = 0; e < count; ++e) {
            section.events.push_back(ImageEvent{static_cast<std::uint16_t>(e), static_cast<std::uint8_t>(e % 2 ? 0x0A : 0x8A), 4});
        }
        sections.push_back(section);
    }
    return BuildEventImage(sections);
}

TEST_F(Devices, MacroImageIsCheckedAtEndConfigAndKept)
{
    Firmware& keyboard = Make(DeviceKind::Keyboard);
    const auto good = MacroImage({2, 3});
    EXPECT_EQ(good.size(), 16u + 6 * 2 + 4 * 5);
    EXPECT_EQ(WriteSequence(keyboard, Path::Cable, cmd::kWriteMacroData, good, 0, 24), kStatusOk);
    EXPECT_EQ(keyboard.Snapshot().macros, good);

    auto badMagic = good;
    badMagic[0] = 0xAB;
    auto wrongTotal = good;
    wrongTotal[2] = static_cast<std::uint8_t>(good.size() + 4);
    auto offsetOutside = good;
    offsetOutside[16] = 0xF0;
    auto countTooHigh = good;
    countTooHigh[4] = 9;
    const struct {
        const char* name;
        std::vector<std::uint8_t> image;
    } refused[] = {
        {"magic", badMagic},
        {"total", wrongTotal},
        {"offset", offsetOutside},
        {"count", countTooHigh},
        {"251 events", MacroImage({251})},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(WriteSequence(keyboard, Path::Cable, cmd::kWriteMacroData, c.image, 0, 56), kStatusRejected) << c.name;
        EXPECT_EQ(keyboard.Snapshot().macros, good) << c.name << ": the previous image is kept";
    }
    EXPECT_EQ(WriteSequence(keyboard, Path::Cable, cmd::kWriteMacroData, MacroImage({250}), 0, 56), kStatusOk);
}

TEST_F(Devices, MacroMemoryHoldsExactly128TimesItsUnits)
{
    Firmware& keyboard = Make(DeviceKind::Keyboard);   // 32 units: 4096 bytes
    // 16 + 6 + 4 x 1018 = 4094: the largest single macro that fits has 1018 events, but
    // a section holds 250 at most, so fill with several sections up to the limit.
    std::vector<std::size_t> counts = {250, 250, 250, 250};   // 16 + 24 + 4000 = 4040
    counts.push_back(10);                                      // 4040 + 6 + 40 = 4086
    auto fits = MacroImage(counts);
    ASSERT_EQ(fits.size(), 4086u);
    EXPECT_EQ(WriteSequence(keyboard, Path::Cable, cmd::kWriteMacroData, fits), kStatusOk);
    counts.back() = 13;                                        // 4098: two bytes too many
    const auto tooLarge = MacroImage(counts);
    EXPECT_EQ(WriteSequence(keyboard, Path::Cable, cmd::kWriteMacroData, tooLarge), kStatusRejected)
        << "the frame past the memory is refused";
    EXPECT_EQ(keyboard.Snapshot().macros, fits);
}

TEST_F(Devices, ShootImageOfFourFullGuns)
{
    Firmware& mouse = Make(DeviceKind::Mouse);
    const auto image = MacroImage({180, 180, 180, 180});
    ASSERT_EQ(image.size(), 2920u);
    EXPECT_EQ(WriteSequence(mouse, Path::Cable, cmd::kWriteShootData, image), kStatusOk);
    EXPECT_EQ(mouse.Snapshot().shoot, image);
    EXPECT_EQ(WriteSequence(mouse, Path::Cable, cmd::kWriteShootData, MacroImage({1, 1, 1, 1, 1})), kStatusRejected)
        << "five guns";
}

TEST_F(Devices, LightStreamFramesAndHostControl)
{
    Firmware& keyboard = Make(DeviceKind::Keyboard);
    std::vector<std::uint8_t> picture(312);
    for (std::size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<std::uint8_t>(i);
    }
    EXPECT_EQ(WriteChunked(keyboard, Path::Cable, cmd::kWriteLightStream, picture), kStatusOk);
    const auto snapshot = keyboard.Snapshot();
    EXPECT_EQ(std::vector<std::uint8_t>(snapshot.ledPicture.begin(), snapshot.ledPicture.begin() + 312), picture);

    // A custom colour group at group x 512.
    EXPECT_EQ(WriteChunked(keyboard, Path::Cable, cmd::kWriteLightFrame, std::vector<std::uint8_t>(312, 7), 3 * 512),
              kStatusOk);
    EXPECT_EQ(keyboard.Snapshot().lightGroups[3 * 512 + 311], 7);
    EXPECT_EQ(keyboard.Snapshot().lightGroups[2 * 512 + 311], 0);
    EXPECT_EQ(Status(keyboard, Path::Cable, MakeRequest(cmd::kWriteLightFrame, 8, 8 * 512)), kStatusRejected);

    EXPECT_FALSE(keyboard.Snapshot().hostLightControl);
    EXPECT_EQ(Status(keyboard, Path::Cable, MakeRequest(cmd::kSetHostLightControl)), kStatusOk);
    EXPECT_TRUE(keyboard.Snapshot().hostLightControl);
    EXPECT_EQ(WriteSequence(keyboard, Path::Cable, cmd::kWriteBlock, std::vector<std::uint8_t>(31, 0)), kStatusOk);
    EXPECT_FALSE(keyboard.Snapshot().hostLightControl) << "a settings write takes the lighting back";
}

TEST_F(Devices, HeadsetLightReportsMakeItsPicture)
{
    Firmware& headset = Make(DeviceKind::Headset);
    auto report = [&](std::uint8_t bank, std::uint8_t reg, std::uint8_t base) {
        std::vector<std::uint8_t> r(kHeadsetLightReportSize, 0);
        r[0] = kHeadsetLightReportId;
        r[1] = bank;
        r[2] = reg;
        for (int i = 0; i < 7; ++i) {
            r[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(base + i);
        }
        headset.HandleLightReport(r);
    };
    const std::uint8_t regs[] = {0xAA, 0xAD, 0xAB, 0xAE, 0xAC, 0xAF};
    for (std::uint8_t reg : regs) {
        report(0x22, reg, static_cast<std::uint8_t>(reg - 0xAA) * 20);
        report(0x44, reg, static_cast<std::uint8_t>(reg - 0xAA) * 20 + 1);
    }
    const auto picture = headset.Snapshot().headset;
    EXPECT_EQ(picture.framesCompleted, 1);
    EXPECT_EQ(picture.bank22[0][0], 0);        // red of LED 0
    EXPECT_EQ(picture.bank22[0][7], 60);       // red of LED 7 from register AD
    EXPECT_EQ(picture.bank22[0][12], 65);
    EXPECT_EQ(picture.bank22[1][6], 26);       // green of LED 6 from register AB
    EXPECT_EQ(picture.bank44[2][12], 106);     // blue of LED 12 from register AF
    report(0x33, 0xAA, 99);                    // an unknown bank changes nothing
    EXPECT_EQ(headset.Snapshot().headset.bank22[0][0], 0);
}

} // namespace
} // namespace orvel::sim
