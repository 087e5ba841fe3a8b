#include "sim/devices/factory_tables.h"
#include "sim/devices/firmware.h"

namespace orvel::sim {
namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// The lighting part every kind's block starts with: mode code, brightness 0-4, speed as
// stored (4 - speed), direction, seven-colour flag, colour.
void PutLighting(std::vector<std::uint8_t>& block, std::size_t at, Rgb colour, std::uint8_t mode = 0)
{
    block[at + 1] = mode;
    block[at + 2] = 4;
    block[at + 3] = 2;
    block[at + 4] = 0;
    block[at + 5] = 1;
    block[at + 6] = colour.r;
    block[at + 7] = colour.g;
    block[at + 8] = colour.b;
}

void PutMouseBank(std::vector<std::uint8_t>& block, std::size_t at)
{
    PutLighting(block, at, {0xFF, 0x00, 0x00});
    block[at + 11] = 3;   // polling-rate index
    block[at + 12] = 1;   // current DPI stage
    // Stages: 400, 800, 1600, 3200 and 6100 DPI with the 0x3325 sensor, step 100, lowest 100.
    const std::uint16_t levels[5] = {3, 7, 15, 31, 54};
    const Rgb colours[5] = {{0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}, {0xFF, 0xFF, 0}, {0xFF, 0, 0xFF}};
    for (int i = 0; i < 5; ++i) {
        const std::size_t s = at + 14 + 9 * static_cast<std::size_t>(i);
        block[s] = 1;
        block[s + 1] = 0;
        block[s + 2] = static_cast<std::uint8_t>(levels[i] & 0xFF);
        block[s + 3] = static_cast<std::uint8_t>(levels[i] >> 8);
        block[s + 4] = block[s + 2];
        block[s + 5] = block[s + 3];
        block[s + 6] = colours[i].r;
        block[s + 7] = colours[i].g;
        block[s + 8] = colours[i].b;
    }
    block[at + 59] = 1;
    block[at + 60] = 1920 & 0xFF;
    block[at + 61] = 1920 >> 8;
    block[at + 62] = 1080 & 0xFF;
    block[at + 63] = 1080 >> 8;
}

// A pad's or headset's block: lighting that is not the default profile's (blink, brightness 3,
// speed 3, one colour 2080C0), and the bytes only the device knows the meaning of (4 and
// 9..20) set, different in every bank, so a program that does not carry them shows.
void PutRingBank(std::vector<std::uint8_t>& block, std::size_t at, int bank)
{
    block[at + 1] = 4;
    block[at + 2] = 3;
    block[at + 3] = 1;
    block[at + 4] = static_cast<std::uint8_t>(0x50 + bank);
    block[at + 5] = 0;
    block[at + 6] = 0x20;
    block[at + 7] = 0x80;
    block[at + 8] = 0xC0;
    for (std::size_t n = 9; n <= 20; ++n) {
        block[at + n] = static_cast<std::uint8_t>(0xA0 + 0x10 * bank + (n - 9));
    }
}

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> bytes, std::size_t size)
{
    bytes.resize(size, 0);
    return bytes;
}

} // namespace

std::size_t BlockAddress(DeviceKind kind, int bank)
{
    const std::size_t stride = kind == DeviceKind::Mouse ? kMouseBankStride : kProfileStride;
    return stride * static_cast<std::size_t>(bank);
}

std::size_t LinkChunk(DeviceKind kind, Path via)
{
    return HasReceiver(kind) && via == Path::Cable ? kMaxPayload : 24;
}

bool IsChunkedCommand(std::uint8_t command)
{
    switch (command) {
    case cmd::kReadDeviceInfo:
    case cmd::kReadBlock:
    case cmd::kWriteBlock:
    case cmd::kReadKeyTable:
    case cmd::kWriteKeyTable:
    case cmd::kWriteLightFrame:
    case cmd::kWriteLightStream:
    case cmd::kWriteMacroData:
    case cmd::kWriteShootData:
    case cmd::kReadKeyTableExtra:
        return true;
    default:
        return false;
    }
}

int OnBoardModeCount(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::Keyboard: return 29;   // 29 and 30 are the modes the program streams
    case DeviceKind::Mouse: return 10;
    case DeviceKind::MousePad:
    case DeviceKind::Headset: return 9;
    }
    return 1;
}

DeviceMemory FactoryMemory(DeviceKind kind)
{
    DeviceMemory m;
    m.info.assign(kInfoSize, 0);
    m.factoryKeys.assign(kKeyTableSize, 0);
    m.ledTable.assign(kKeyTableSize, 0);
    m.info[1] = kBankCount;
    m.info[32] = kFirmwareVersion & 0xFF;
    m.info[33] = kFirmwareVersion >> 8;
    switch (kind) {
    case DeviceKind::Keyboard: {
        m.info[0] = 1;
        m.info[5] = static_cast<std::uint8_t>(KeyboardKeyPositions().size());
        m.info[6] = 32;     // 32 x 128 bytes of macro memory
        m.info[7] = 170;    // LED indexes 0..169
        m.factoryKeys = Padded(KeyboardFactoryKeyTable(), kKeyTableSize);
        m.ledTable = Padded(KeyboardLedTable(), kKeyTableSize);
        m.block.assign(256, 0);
        const Rgb colours[kBankCount] = {{0, 0xFF, 0xFF}, {0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}, {0xFF, 0xFF, 0xFF}};
        for (int p = 0; p < kBankCount; ++p) {
            const std::size_t at = BlockAddress(kind, p);
            // Mode 0 of a keyboard plays the user's effect list, which is empty from the factory:
            // the keyboard leaves the factory with the column wave.
            PutLighting(m.block, at, colours[p], 1);
            m.block[at + 22] = 3;   // polling-rate index
        }
        m.lightGroups.assign(kLightGroupSize * kLightGroups, 0);
        m.ledPicture.assign(512, 0);
        break;
    }
    case DeviceKind::Mouse:
        m.info[0] = 2;
        m.info[5] = 11;
        m.info[6] = 16;     // 16 x 128 bytes of macro memory
        m.info[7] = 15;
        m.info[9] = 0x25;   // sensor 0x3325
        m.info[10] = 0x33;
        m.info[11] = 100;   // DPI step
        m.info[12] = 128;   // DPI levels
        m.info[13] = 0;
        m.info[14] = 100;   // lowest DPI
        m.info[15] = 0;
        m.factoryKeys = Padded(MouseFactoryKeyTable(), kKeyTableSize);
        m.block.assign(kMouseBankStride * kBankCount, 0);
        for (int b = 0; b < kBankCount; ++b) {
            PutMouseBank(m.block, BlockAddress(kind, b));
        }
        m.ledPicture.assign(45, 0);
        break;
    case DeviceKind::MousePad:
    case DeviceKind::Headset:
        m.info[0] = kind == DeviceKind::MousePad ? 3 : 7;
        m.info[7] = kind == DeviceKind::MousePad ? 15 : 13;
        m.block.assign(256, 0);
        for (int p = 0; p < kBankCount; ++p) {
            PutRingBank(m.block, BlockAddress(kind, p), p);
        }
        if (kind == DeviceKind::MousePad) {
            m.ledPicture.assign(45, 0);
        }
        break;
    }
    // Address 0 is the active bank; every block above was laid out for bank 0 first.
    m.block[0] = 0;
    m.keyTable = m.factoryKeys;
    return m;
}

} // namespace orvel::sim
