#include "devices/ring_block.h"

#include "devicelink/command_sequence.h"
#include "profiles/jsonaccess.h"

#include <algorithm>

namespace orvel::devices {

using profiles::JsonArray;
using profiles::JsonElement;
using profiles::JsonInt;

ModeCodes ReadModeCodes(const Json::Value& defaultLight, int kind)
{
    const Json::Value& lists = JsonArray(defaultLight, "DefaultLightName");
    const Json::Value& first = JsonElement(lists, 0);
    // A flat list holds mode objects; a per-kind list holds lists.
    const Json::Value& list = first.isObject() ? lists
                                               : (kind >= 0 ? JsonElement(lists, Json::ArrayIndex(kind)) : Json::Value::nullSingleton());
    ModeCodes codes;
    if (!list.isArray())
        return codes;
    for (const Json::Value& entry : list)
        codes.push_back(JsonInt(entry, "value"));
    return codes;
}

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

RingBlock ToDeviceImage(const RingBlock& block, const ModeCodes& codes, std::uint8_t lastReadCode)
{
    RingBlock image = block;
    const std::size_t index = block[1] > kRingLastBuiltInMode ? 0 : block[1];
    image[1] = index < codes.size() ? static_cast<std::uint8_t>(std::clamp(codes[index], 0, 255)) : lastReadCode;
    image[3] = Reversed(block[3]);
    return image;
}

RingBlock FromDeviceImage(const RingBlock& image, const ModeCodes& codes)
{
    RingBlock block = image;
    const auto match = std::find(codes.begin(), codes.end(), int(image[1]));
    if (match != codes.end())
        block[1] = static_cast<std::uint8_t>(std::min<std::ptrdiff_t>(match - codes.begin(), 255));
    block[3] = Reversed(image[3]);
    return block;
}

int RingSettings::Write(CDeviceLink& link, int profile, const ModeCodes& codes) const
{
    if (link.linkOpen == 0)
        return kLinkNoAnswer;
    const RingBlock image = ToDeviceImage(block_, codes, lastReadCode_);
    CCommandSequence sequence(link);
    sequence.Begin();
    sequence.Run([&](CDeviceLink& l) { return l.WriteBlock(image, RingBlockAddress(profile)); });
    return sequence.End();
}

RingRead RingSettings::Read(CDeviceLink& link, const ModeCodes& codes)
{
    previous_ = block_;
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
    block_ = FromDeviceImage(image, codes);
    result.bank = bank[0];
    return result;
}

} // namespace orvel::devices
