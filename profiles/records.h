#pragma once
// The decoded copies of a profile's groups: fixed records the device classes turn into
// command reports. Every field is cut to its width when it is read from a document.

#include <array>
#include <cstdint>
#include <string>

namespace orvel::profiles {

// "LightInfo": 14 bytes; bytes 8 to 10 are never stored and read back as 0.
struct LightRecord {
    uint8_t selectItem = 0;
    uint8_t light = 0;
    uint8_t speed = 0;
    uint8_t fx = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    std::array<uint8_t, 3> unused {};
    uint8_t zzccLedMode = 0;
    uint8_t customGroup = 0;
    uint8_t oldLedmode = 0;

    std::array<uint8_t, 14> ToBytes() const;
    static LightRecord FromBytes(const std::array<uint8_t, 14>& bytes);
    bool operator==(const LightRecord&) const = default;
};

// "AudioLightInfo": 9 bytes.
struct AudioLightRecord {
    uint8_t audioMode = 0;
    uint8_t bkColorR = 0;
    uint8_t bkColorG = 0;
    uint8_t bkColorB = 0;
    uint8_t fgColorR = 0;
    uint8_t fgColorG = 0;
    uint8_t fgColorB = 0;
    uint8_t sevenColorFlags = 0;
    uint8_t colorTypeFlags = 0;

    bool operator==(const AudioLightRecord&) const = default;
};

// The values of one per-LED effect or effect step.
struct LedEffect {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const LedEffect&) const = default;
};

// One element of "LightList"; present is 1 when the element was an object.
struct LightListEntry {
    LedEffect effect;
    uint8_t present = 0;

    bool operator==(const LightListEntry&) const = default;
};

// One step of a ".light" effect file: how long it lasts ("Time", ms) and "Cyle".
struct LightEffectStep {
    LedEffect effect;
    int32_t time = 0;
    int32_t cyle = 0;

    bool operator==(const LightEffectStep&) const = default;
};

// A key or button position with an assignment code (type, b1, b2), stored in documents as
// type << 16 | b1 << 8 | b2.
struct KeyHalf {
    uint16_t position = 0;
    uint8_t type = 0;
    uint8_t b1 = 0;
    uint8_t b2 = 0;

    uint32_t Code() const { return (uint32_t(type) << 16) | (uint32_t(b1) << 8) | b2; }
    static KeyHalf FromCode(uint16_t position, uint32_t code)
    {
        return {position, uint8_t(code >> 16), uint8_t(code >> 8), uint8_t(code)};
    }
    bool operator==(const KeyHalf&) const = default;
};

// "KeyList" element: the current assignment and the factory one.
struct KeyEntry {
    KeyHalf current;
    KeyHalf defaults;

    bool operator==(const KeyEntry&) const = default;
};

// A DPI stage; its 9 packed bytes are also the stage record of the mouse's settings block.
struct DpiStage {
    uint8_t enabled = 0;
    uint8_t separateXY = 0;
    uint16_t levelX = 0;
    uint16_t levelY = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    // enabled, separate X/Y, X low, X high, Y low, Y high, red, green, blue.
    std::array<uint8_t, 9> ToBytes() const;
    static DpiStage FromBytes(const std::array<uint8_t, 9>& bytes);
    bool operator==(const DpiStage&) const = default;
};

// Six 16-bit values that travel as three 32-bit words, the first of each pair in the low half.
struct SixValues {
    std::array<uint16_t, 6> values {};

    std::array<uint32_t, 3> ToWords() const;
    static SixValues FromWords(uint32_t w0, uint32_t w1, uint32_t w2);
    bool operator==(const SixValues&) const = default;
};

// "DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage", "WheelScorlllinse" and the
// polling-rate index "ReportStages"."StageActive".
using MouseSystemSettings = SixValues;
// "Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag".
using KeyboardSystemSettings = SixValues;

// "CorrectInfo" element.
struct CorrectEntry {
    uint8_t pixThresh = 0;
    uint8_t minSq = 0;
    uint8_t select = 0;
    std::wstring name;

    bool operator==(const CorrectEntry&) const = default;
};

// One key's colour of a custom lighting group.
struct CustomColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;

    bool operator==(const CustomColour&) const = default;
};

// "SystemSetStages" of the headset.
struct HeadsetSettings {
    int32_t magicEnable = 0;
    int32_t magicType = 0;
    int32_t eqType = 0;
    int32_t customEqSeletIndex = 0;
    int32_t micInSelect = 0;
    int32_t micInValue = 0;
    int32_t micMoniterSelect = 0;
    int32_t micMoniterValue = 0;

    bool operator==(const HeadsetSettings&) const = default;
};

} // namespace orvel::profiles
