#include "input/keyset_code.h"

#include "input/decimal.h"
#include "input/key_tables.h"

#include <algorithm>

namespace orvel::input {
namespace {

std::optional<AssignmentCode> ListEntry(std::span<const FunctionEntry> list, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        return std::nullopt;
    }
    return list[static_cast<size_t>(index)].code;
}

int ListIndex(std::span<const FunctionEntry> list, AssignmentCode code)
{
    const auto found = FindInList(list, code);
    return found ? static_cast<int>(*found) : -1;
}

// Reads an edit as a number clamped to lo..hi and rewrites the edit with the value used.
uint8_t TakeNumber(std::string& edit, int64_t lo, int64_t hi)
{
    const int64_t value = ParseClamped(edit, lo, hi);
    edit = std::to_string(value);
    return static_cast<uint8_t>(value);
}

// Delay and speed of a tilt or wheel repetition share b1, four bits each.
uint8_t RepeatTiming(std::string& delay, std::string& speed)
{
    const uint8_t d = TakeNumber(delay, 0, 15);
    const uint8_t s = TakeNumber(speed, 0, 15);
    return static_cast<uint8_t>(d * 16 + s);
}

const KeyTableEntry* PlainKey(uint8_t usage)
{
    const auto index = FindKeyByCode({codetype::kKeyboardKey, 0, usage});
    return index ? &KeyTable()[*index] : nullptr;
}

void ShowKeyboardCode(ShownCode& shown)
{
    KeySetFields& f = shown.fields;
    AssignmentCode& code = shown.shownCode;
    if (code.b1 > 128) {
        f.category = category::kCombination;
        f.combination = ListIndex(CombinationList(), code);
        return;
    }
    f.category = category::kKeyboardKey;
    if (code.b1 == 0) {
        if (const KeyTableEntry* key = PlainKey(code.b2)) {
            f.modifierBox = 0;
            f.keyName = key->nameKey;
            f.keyUsage = code.b2;
        } else {
            code = {codetype::kKeyboardKey, 0, 0};
        }
        return;
    }
    // Only a single modifier bit has a box; any other mask shows box 0 and is cleared.
    if (const auto modifier = FindModifier(code.b1)) {
        f.modifierBox = ModifierBoxOf(*modifier);
    } else {
        f.modifierBox = 0;
        code.b1 = 0;
    }
    if (const KeyTableEntry* key = PlainKey(code.b2)) {
        f.keyName = key->nameKey;
        f.keyUsage = code.b2;
    }
}

} // namespace

int ModifierBoxOf(size_t modifierIndex)
{
    const int n = static_cast<int>(modifierIndex) + 1;
    return n % 5 + n / 5;
}

BuiltCode BuildCode(const KeySetFields& fields, const KeyHalves& halves, int macroCount)
{
    BuiltCode out {halves.current, fields};
    KeySetFields& f = out.fields;
    AssignmentCode& code = out.code;
    auto fromList = [&](std::span<const FunctionEntry> list, int index) {
        if (const auto entry = ListEntry(list, index)) {
            code = *entry;
        }
    };
    switch (fields.category) {
    case category::kMouseButton:
        fromList(MouseButtonList(), f.mouseButton);
        break;
    case category::kTilt: {
        const uint8_t timing = RepeatTiming(f.tiltDelay, f.tiltSpeed);
        const uint8_t count = TakeNumber(f.tiltCount, 1, 127);
        code = {codetype::kTilt, timing, static_cast<uint8_t>(f.tiltDirection == 1 ? (count | 0x80) : count)};
        break;
    }
    case category::kWheel: {
        const uint8_t timing = RepeatTiming(f.wheelDelay, f.wheelSpeed);
        const uint8_t count = TakeNumber(f.wheelCount, 1, 127);
        code = {codetype::kWheel, timing, static_cast<uint8_t>(f.wheelDirection == 1 ? ((128 - count) | 0x80) : count)};
        break;
    }
    case category::kDpi:
        fromList(DpiList(), f.dpi);
        break;
    case category::kAutoFire: {
        const uint8_t interval = TakeNumber(f.fireInterval, 0, 255);
        const uint8_t count = TakeNumber(f.fireCount, 0, 255);
        code = {codetype::kAutoFire, interval, count};
        break;
    }
    case category::kKeyboardKey: {
        const uint8_t modifier = (f.modifierBox >= 1 && f.modifierBox <= 4) ? static_cast<uint8_t>(1u << (f.modifierBox - 1)) : 0;
        code = {codetype::kKeyboardKey, modifier, static_cast<uint8_t>(f.keyName.empty() ? 0 : f.keyUsage)};
        break;
    }
    case category::kMedia:
        fromList(MediaList(), f.media);
        break;
    case category::kSystem:
        fromList(SystemList(), f.system);
        break;
    case category::kMacro:
        if (f.macro >= 0 && f.macro < macroCount && f.macro <= 255) {
            const auto number = static_cast<uint8_t>(f.macro);
            if (f.macroMode == kMacroRepeatCountMode) {
                code = {codetype::kMacroCount, number, TakeNumber(f.macroRepeat, 0, 255)};
            } else {
                const int mode = std::clamp(f.macroMode, 0, 3);
                code = {codetype::kMacroMode, number, static_cast<uint8_t>(mode)};
            }
        }
        break;
    case category::kGunKey:
        if (f.gun >= 0 && f.gun < kGunCount) {
            code = {codetype::kGunKey, static_cast<uint8_t>(f.gun), 0};
        }
        break;
    case category::kCombination:
        fromList(CombinationList(), f.combination);
        break;
    default:
        code = halves.defaults;
        break;
    }
    return out;
}

ShownCode ShowCode(AssignmentCode code, AssignmentCode defaults, int deviceKind, int macroCount)
{
    ShownCode shown {{}, code};
    KeySetFields& f = shown.fields;
    f.category = category::kNone;
    if (code == defaults) {
        f.category = category::kDefault;
    } else {
        switch (code.type) {
        case codetype::kMouseButton:
            f.category = category::kMouseButton;
            f.mouseButton = ListIndex(MouseButtonList(), code);
            break;
        case codetype::kTilt:
            f.category = category::kTilt;
            f.tiltDelay = std::to_string(code.b1 >> 4);
            f.tiltSpeed = std::to_string(code.b1 & 15);
            f.tiltCount = std::to_string(code.b2 & 0x7F);
            f.tiltDirection = (code.b2 & 0x80) ? 1 : 0;
            break;
        case codetype::kWheel:
            f.category = category::kWheel;
            f.wheelDelay = std::to_string(code.b1 >> 4);
            f.wheelSpeed = std::to_string(code.b1 & 15);
            if (code.b2 & 0x80) {
                f.wheelDirection = 1;
                f.wheelCount = std::to_string(128 - (code.b2 & 0x7F));
            } else {
                f.wheelDirection = 0;
                f.wheelCount = std::to_string(code.b2);
            }
            break;
        case codetype::kDpiStep:
            f.category = category::kDpi;
            f.dpi = ListIndex(DpiList(), code);
            break;
        case codetype::kAutoFire:
            f.category = category::kAutoFire;
            f.fireInterval = std::to_string(code.b1);
            f.fireCount = std::to_string(code.b2);
            break;
        case codetype::kKeyboardKey:
            ShowKeyboardCode(shown);
            break;
        case codetype::kMedia:
            f.category = category::kMedia;
            f.media = ListIndex(MediaList(), code);
            break;
        case codetype::kSystem:
            f.category = category::kSystem;
            f.system = ListIndex(SystemList(), code);
            break;
        case codetype::kMacroMode:
            f.category = category::kMacro;
            if (code.b1 < macroCount) {
                f.macro = code.b1;
                f.macroMode = code.b2 <= 3 ? code.b2 : -1;
            }
            f.repeatRowVisible = false;
            break;
        case codetype::kMacroCount:
            f.category = category::kMacro;
            if (code.b1 < macroCount) {
                f.macro = code.b1;
            }
            f.macroMode = kMacroRepeatCountMode;
            f.macroRepeat = std::to_string(code.b2);
            f.repeatRowVisible = true;
            break;
        case codetype::kGunKey:
            f.category = category::kGunKey;
            f.gun = code.b1 < kGunCount ? code.b1 : -1;
            break;
        case codetype::kCombination:
            f.category = category::kCombination;
            f.combination = ListIndex(CombinationList(), code);
            break;
        default:
            break;
        }
    }
    const std::vector<int> offered = FunctionCategories(deviceKind);
    f.layoutVisible = std::find(offered.begin(), offered.end(), f.category) != offered.end();
    return shown;
}

bool CaptureKey(KeySetFields& fields, uint8_t scanCode, bool extended)
{
    const auto index = FindKeyByScanCode(scanCode, extended);
    if (!index || KeyTable()[*index].code.type != codetype::kKeyboardKey) {
        return false;
    }
    const KeyTableEntry& key = KeyTable()[*index];
    if (*index < kModifierCount) {
        fields.modifierBox = ModifierBoxOf(*index);
        fields.keyName.clear();
        fields.keyUsage = 0;
        return true;
    }
    if (fields.modifierBox < 0) {
        fields.modifierBox = 0;
    }
    fields.keyName = key.nameKey;
    fields.keyUsage = key.code.b2;
    return true;
}

KeySetFields SelectCategory(KeySetFields fields, int c)
{
    fields.category = c;
    fields.layoutVisible = true;
    if (c == category::kKeyboardKey) {
        fields.keyName.clear();
        fields.keyUsage = 0;
        fields.modifierBox = -1;
    }
    return fields;
}

} // namespace orvel::input
