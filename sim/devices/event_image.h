#pragma once
// The 0x55AA event image that carries macros (keyboard, mouse) and shoot data (mouse):
// header (magic, total size, count), one offset per section, and per section an event
// count, two reserved bytes and 4-byte events (delay low, delay high, type | 0x80 on press,
// button). All 16-bit values little-endian.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvel::sim {

inline constexpr std::size_t kImageHeaderSize = 16;
inline constexpr int kMaxEventsPerSection = 250;

struct ImageEvent {
    std::uint16_t delay = 0;
    std::uint8_t type = 0;      // with bit 7 set for a press
    std::uint8_t button = 0;
};

struct ImageSection {
    std::vector<ImageEvent> events;
};

struct ImageCheck {
    bool ok = false;
    std::string error;                    // why the image was refused
    std::vector<ImageSection> sections;   // decoded when ok
};

// Checks an image as the device receives it: magic AA 55, a total size that equals the bytes
// received and fits the memory, a section count of at most maxSections, offsets that lie
// behind the offset table, sections that end inside the image, at most 250 events per
// section, and a total of exactly 16 + 6n + 4 x events.
ImageCheck CheckEventImage(std::span<const std::uint8_t> image, std::size_t capacity, std::size_t maxSections);

// Builds an image in the layout above (reserved bytes zero).
std::vector<std::uint8_t> BuildEventImage(const std::vector<ImageSection>& sections);

} // namespace orvel::sim
