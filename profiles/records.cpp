#include "profiles/records.h"

namespace orvel::profiles {

std::array<uint8_t, 14> LightRecord::ToBytes() const
{
    return {selectItem, light, speed, fx, multiColor, red, green, blue,
            unused[0], unused[1], unused[2], zzccLedMode, customGroup, oldLedmode};
}

LightRecord LightRecord::FromBytes(const std::array<uint8_t, 14>& b)
{
    LightRecord r;
    r.selectItem = b[0];
    r.light = b[1];
    r.speed = b[2];
    r.fx = b[3];
    r.multiColor = b[4];
    r.red = b[5];
    r.green = b[6];
    r.blue = b[7];
    r.unused = {b[8], b[9], b[10]};
    r.zzccLedMode = b[11];
    r.customGroup = b[12];
    r.oldLedmode = b[13];
    return r;
}

std::array<uint8_t, 9> DpiStage::ToBytes() const
{
    return {enabled, separateXY, uint8_t(levelX), uint8_t(levelX >> 8), uint8_t(levelY), uint8_t(levelY >> 8),
            red, green, blue};
}

DpiStage DpiStage::FromBytes(const std::array<uint8_t, 9>& b)
{
    return {b[0], b[1], uint16_t(b[2] | (b[3] << 8)), uint16_t(b[4] | (b[5] << 8)), b[6], b[7], b[8]};
}

std::array<uint32_t, 3> SixValues::ToWords() const
{
    std::array<uint32_t, 3> words {};
    for (size_t i = 0; i < 3; ++i) {
        words[i] = uint32_t(values[2 * i]) | (uint32_t(values[2 * i + 1]) << 16);
    }
    return words;
}

SixValues SixValues::FromWords(uint32_t w0, uint32_t w1, uint32_t w2)
{
    SixValues s;
    const uint32_t words[3] = {w0, w1, w2};
    for (size_t i = 0; i < 3; ++i) {
        s.values[2 * i] = uint16_t(words[i]);
        s.values[2 * i + 1] = uint16_t(words[i] >> 16);
    }
    return s;
}

} // namespace orvel::profiles
