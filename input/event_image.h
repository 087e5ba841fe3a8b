#pragma once
// The device image that carries macros and shoot data: a 16-byte header (magic AA 55, total
// size, section count, 10 zero bytes), one 16-bit offset per section, then per section its
// event count, two zero bytes and its 4-byte device events. All values little-endian.

#include "input/macro_event.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvel::input {

enum class ImageStatus {
    Ok,             // bytes hold the image
    NothingToWrite, // no macro list: nothing is sent, keys may still be written
    TooBig,         // value = the total size in bytes
    TooManyEvents,  // value = the event count of the first section above the limit
    Failed,         // the image could not be built
};

struct ImageResult {
    ImageStatus status = ImageStatus::Failed;
    std::vector<uint8_t> bytes;
    int64_t value = 0;
};

struct ImageLimits {
    size_t capacityBytes;       // 128 × the device's memory units
    size_t maxSectionEvents;    // 250 for macros
};

inline constexpr size_t kMacroEventLimit = 250;

// 16 + 6·n + 4 × (sum of event counts).
uint64_t ImageSize(std::span<const size_t> eventCounts);

// Sizes are checked against the limits before anything is allocated: first the total
// against the capacity (and the 16-bit size field), then each section's count.
ImageResult BuildEventImage(std::span<const std::vector<MacroEvent>> sections, ImageLimits limits);

} // namespace orvel::input
