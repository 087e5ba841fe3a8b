#pragma once
// The key table a mouse or keyboard receives: the factory table read on attach, with each
// mapped button's or position's current code at 3 x its physical index. Macros are numbered
// densely in order of first use (the order WriteMacros puts them in the device image); a
// key on a macro that is not in the macro list falls back to its default code.

#include "profiles/records.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace orvel::devices {

inline constexpr std::size_t kKeyImageSize = 512;
using KeyImage = std::array<std::uint8_t, kKeyImageSize>;

// One key with a physical index on the device.
struct MappedKey {
    int physical = 0;
    profiles::KeyEntry entry;
};

// Macro numbers below macroCount used by the keys, in order of first use.
std::vector<int> MacrosInUse(std::span<const MappedKey> keys, int macroCount);

// The factory table (3 x K bytes; K x 3 must not exceed 512) with every key's device code.
KeyImage BuildKeyImage(std::span<const std::uint8_t> factory, std::span<const MappedKey> keys, int macroCount);

// Keys on a macro numbered macroCount or above take their default half back. Returns whether
// anything changed.
bool ResetUnlistedMacros(std::vector<profiles::KeyEntry>& keys, int macroCount);

} // namespace orvel::devices
