#include "devices/ring_block.h"

#include <algorithm>

namespace orvel::devices {

std::uint16_t RingBlockAddress(int profile)
{
    return static_cast<std::uint16_t>(kRingProfileStride * std::clamp(profile, 0, 255));
}

void TakeLightRecord(RingBlock& block, const profiles::LightRecord& record)
{
    block[1] = record.selectItem;
    block[2] = record.light;
    block[3] = record.speed;
    block[5] = record.multiColor;
    block[6] = record.red;
    block[7] = record.green;
    block[8] = record.blue;
}

namespace {

std::uint8_t Reversed(std::uint8_t speed)
{
    return static_cast<std::uint8_t>(kMaxSpeed - std::min<int>(speed, kMaxSpeed));
}

} // namespace

RingBlock ToDeviceImage(const RingBlock& block, const ModeList& modes, std::uint8_t lastReadCode)
{
    RingBlock image = block;
    const int index = block[1] > kRingLastBuiltInMode ? 0 : block[1];
    image[1] = modes.CodeAt(index).value_or(lastReadCode);
    image[3] = Reversed(block[3]);
    return image;
}

RingBlock FromDeviceImage(const RingBlock& image, const ModeList& modes)
{
    RingBlock block = image;
    if (const std::optional<int> index = modes.IndexOf(image[1]))
        block[1] = static_cast<std::uint8_t>(std::min(*index, 255));
    block[3] = Reversed(image[3]);
    return block;
}

RingLight DecodeLight(const RingBlock& block)
{
    return {block[1], block[2], std::min<int>(block[3], kMaxSpeed), block[5] != 0, block[6], block[7], block[8]};
}

RingBlock RingSettings::DeviceImage(const ModeList& modes) const
{
    return ToDeviceImage(block_, modes, lastReadCode_);
}

void RingSettings::TakeRead(std::span<const std::uint8_t, kRingReadSize> read, std::uint8_t bank, const ModeList& modes)
{
    RingBlock image{};
    std::copy_n(read.begin(), image.size(), image.begin());
    image[0] = bank;
    lastReadCode_ = image[1];
    block_ = FromDeviceImage(image, modes);
}

} // namespace orvel::devices
