#include "devices/ring_block.h"

#include "devicelink/command_sequence.h"

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

int RingSettings::Write(CDeviceLink& link, int profile, const ModeList& modes) const
{
    if (link.linkOpen == 0)
        return kLinkNoAnswer;
    const RingBlock image = ToDeviceImage(block_, modes, lastReadCode_);
    CCommandSequence sequence(link);
    sequence.Begin();
    sequence.Run([&](CDeviceLink& l) { return l.WriteBlock(image, RingBlockAddress(profile)); });
    return sequence.End();
}

RingRead RingSettings::Read(CDeviceLink& link, const ModeList& modes)
{
    RingRead result{kLinkNoAnswer, block_[0]};
    if (link.linkOpen == 0)
        return result;
    std::array<std::uint8_t, 1> bank{};
    result.status = link.ReadBlock(bank, 0);
    if (result.status != kLinkOk)
        return result;
    std::array<std::uint8_t, kRingReadSize> buffer{};
    result.status = link.ReadBlock(buffer, RingBlockAddress(bank[0]));
    if (result.status != kLinkOk)
        return result;
    RingBlock image{};
    std::copy_n(buffer.begin(), image.size(), image.begin());
    image[0] = bank[0];
    lastReadCode_ = image[1];
    block_ = FromDeviceImage(image, modes);
    result.bank = bank[0];
    return result;
}

} // namespace orvel::devices
