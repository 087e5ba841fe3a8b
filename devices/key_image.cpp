#include "devices/key_image.h"

#include "input/assignment_code.h"
#include "input/macro_library.h"

#include <algorithm>

namespace orvel::devices {

namespace {

input::AssignmentCode CodeOf(const profiles::KeyHalf& half)
{
    return {half.type, half.b1, half.b2};
}

std::vector<input::AssignmentCode> CurrentCodes(std::span<const MappedKey> keys)
{
    std::vector<input::AssignmentCode> codes;
    codes.reserve(keys.size());
    for (const MappedKey& key : keys) {
        codes.push_back(CodeOf(key.entry.current));
    }
    return codes;
}

} // namespace

std::vector<int> MacrosInUse(std::span<const MappedKey> keys, int macroCount)
{
    const auto codes = CurrentCodes(keys);
    return input::UsedMacros(codes, macroCount);
}

KeyImage BuildKeyImage(std::span<const std::uint8_t> factory, std::span<const MappedKey> keys, int macroCount)
{
    KeyImage image{};
    std::copy_n(factory.begin(), std::min(factory.size(), image.size()), image.begin());
    const std::vector<int> used = MacrosInUse(keys, macroCount);
    for (const MappedKey& key : keys) {
        const std::size_t at = static_cast<std::size_t>(key.physical) * 3;
        if (key.physical < 0 || at + 3 > factory.size() || at + 3 > image.size()) {
            continue;
        }
        const auto code = input::DeviceKeyCode(CodeOf(key.entry.current), CodeOf(key.entry.defaults), used);
        image[at] = code.type;
        image[at + 1] = code.b1;
        image[at + 2] = code.b2;
    }
    return image;
}

bool ResetUnlistedMacros(std::vector<profiles::KeyEntry>& keys, int macroCount)
{
    bool changed = false;
    for (profiles::KeyEntry& key : keys) {
        if (input::IsMacroCode(CodeOf(key.current)) && key.current.b1 >= macroCount) {
            const std::uint16_t position = key.current.position;
            key.current = key.defaults;
            key.current.position = position;
            changed = true;
        }
    }
    return changed;
}

} // namespace orvel::devices
