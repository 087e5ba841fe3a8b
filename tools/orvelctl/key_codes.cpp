#include "tools/orvelctl/key_codes.h"

#include "devicelink/device_tables.h"
#include "devices/keyboard_positions.h"
#include "devices/mouse_core.h"
#include "input/key_tables.h"
#include "input/key_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace orvel::ctl {

namespace {

// Lower case without spaces, so "Num Enter", "num enter" and "NumEnter" are one name.
std::string Folded(std::string_view text)
{
    std::string folded;
    for (const char c : text)
        if (c != ' ')
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

// The types a key can be given; anything else would reach the device as a function it
// does not have.
bool KnownType(std::uint8_t type)
{
    namespace t = input::codetype;
    constexpr std::uint8_t kTypes[] = {t::kMouseButton, t::kTilt,       t::kWheel,      t::kDpiStep,
                                       t::kAutoFire,    t::kDpiShift,   t::kKeyboardKey, t::kShortcut,
                                       t::kShowWindow,  t::kMedia,      t::kSystem,     t::kMacroMode,
                                       t::kMacroCount,  t::kGunKey,     t::kDeviceFunction, t::kCombination,
                                       t::kMKey,        0x15,           0x21,           0x50,
                                       0x60,            0xC0};
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

bool ParseHexCode(std::string_view text, input::AssignmentCode& code)
{
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
        return false;
    code = input::FromInteger(std::stol(std::string(text), nullptr, 16));
    return true;
}

} // namespace

std::string ShortName(std::string_view nameKey)
{
    for (const std::string_view prefix : {"keyboard_key_", "mouse_key_"})
        if (nameKey.starts_with(prefix))
            return std::string(nameKey.substr(prefix.size()));
    return std::string(nameKey);
}

std::vector<NamedCode> KeyNames()
{
    std::vector<NamedCode> names;
    for (const input::KeyTableEntry& entry : input::KeyTable()) {
        std::string name = ShortName(entry.nameKey);
        const bool seen = std::any_of(names.begin(), names.end(),
                                      [&](const NamedCode& n) { return Folded(n.name) == Folded(name); });
        if (!seen)
            names.push_back({std::move(name), entry.code});
    }
    return names;
}

bool ParseKeyCode(const std::string& text, input::AssignmentCode& code, std::string& problem)
{
    const std::string folded = Folded(text);
    for (const NamedCode& named : KeyNames()) {
        if (!folded.empty() && Folded(named.name) == folded) {
            code = named.code;
            return true;
        }
    }
    if (!ParseHexCode(text, code)) {
        problem = "'" + text + "' is neither a key name nor a code TTB1B2 in hexadecimal ('orvelctl keys' lists the names)";
        return false;
    }
    if (!KnownType(code.type)) {
        char type[8];
        std::snprintf(type, sizeof type, "%02X", code.type);
        problem = "no key function has the type " + std::string(type) + " of code '" + text + "'";
        return false;
    }
    return true;
}

std::string CodeText(input::AssignmentCode code)
{
    char text[8];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(input::ToInteger(code)));
    return text;
}

std::string CodeName(input::AssignmentCode code)
{
    std::string name;
    for (const std::string& key : input::KeyButtonNameKeys(code))
        name += (name.empty() ? "" : "+") + ShortName(key);
    return name.empty() ? CodeText(code) : name;
}

std::vector<KeyPosition> KeyPositions(int kind)
{
    std::vector<KeyPosition> positions;
    if (kind == kKindMouse) {
        for (int button = 0; button < devices::kMouseButtons; ++button)
            positions.push_back({button, devices::MouseButtonCodes()[static_cast<std::size_t>(button)]});
    } else if (kind == kKindKeyboard) {
        for (int position = 0; position < devices::kKeyboardPositions; ++position)
            if (!devices::IsUnmatchedPosition(position))
                positions.push_back({position, devices::KeyboardPositionCodes()[static_cast<std::size_t>(position)]});
    }
    return positions;
}

int HighestKeyPosition(int kind)
{
    return (kind == kKindMouse ? devices::kMouseButtons : devices::kKeyboardPositions) - 1;
}

std::optional<std::string> KeyChangeRefusal(std::span<const profiles::KeyEntry> keys, const KeyChange& change,
                                            std::size_t macroCount)
{
    const std::string key = "key " + std::to_string(change.position);
    const auto position = static_cast<std::size_t>(change.position);
    if (change.position < 0 || position >= keys.size())
        return "the selected profile has " + std::to_string(keys.size()) + " keys, no " + key;
    if (!change.onDevice)
        return key + " is not on this device";
    if (change.mouse) {
        std::vector<input::AssignmentCode> current;
        for (const profiles::KeyEntry& entry : keys)
            current.push_back({entry.current.type, entry.current.b1, entry.current.b2});
        const input::AssignmentCode left{input::codetype::kMouseButton, 0x01, 0x00};
        if (change.code != left && input::IsOnlyLeftButton(current, position))
            return key + " is the only button with the left click, and a mouse must keep one; give another "
                         "button the left click (100100) first";
    }
    if (input::IsMacroCode(change.code) && change.code.b1 >= macroCount)
        return "there is no macro " + std::to_string(change.code.b1 + 1) + " ('orvelctl macro list' has " +
               std::to_string(macroCount) + ")";
    return std::nullopt;
}

} // namespace orvel::ctl
