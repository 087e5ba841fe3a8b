#include "input/event_image.h"

#include <algorithm>
#include <new>

namespace orvel::input {
namespace {

void Put16(std::vector<uint8_t>& bytes, size_t at, uint64_t value)
{
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

constexpr size_t kHeaderSize = 16;
constexpr uint64_t kMaxField = 0xFFFF;

} // namespace

uint64_t ImageSize(std::span<const size_t> eventCounts)
{
    uint64_t total = kHeaderSize + 6 * uint64_t(eventCounts.size());
    for (size_t count : eventCounts) {
        total += 4 * uint64_t(count);
    }
    return total;
}

ImageResult BuildEventImage(std::span<const std::vector<MacroEvent>> sections, ImageLimits limits)
{
    ImageResult result;
    std::vector<size_t> counts;
    counts.reserve(sections.size());
    for (const auto& section : sections) {
        counts.push_back(section.size());
    }
    const uint64_t total = ImageSize(counts);
    if (total > limits.capacityBytes || total > kMaxField) {
        result.status = ImageStatus::TooBig;
        result.value = static_cast<int64_t>(total);
        return result;
    }
    for (size_t count : counts) {
        if (count > limits.maxSectionEvents) {
            result.status = ImageStatus::TooManyEvents;
            result.value = static_cast<int64_t>(count);
            return result;
        }
    }
    try {
        result.bytes.assign(static_cast<size_t>(total), 0);
    } catch (const std::bad_alloc&) {
        result.status = ImageStatus::Failed;
        return result;
    }
    std::vector<uint8_t>& b = result.bytes;
    b[0] = 0xAA;
    b[1] = 0x55;
    Put16(b, 2, total);
    Put16(b, 4, sections.size());
    size_t at = kHeaderSize + 2 * sections.size();
    for (size_t s = 0; s < sections.size(); ++s) {
        Put16(b, kHeaderSize + 2 * s, at);
        Put16(b, at, sections[s].size());
        at += 4;
        for (const MacroEvent& event : sections[s]) {
            const auto bytes = DeviceEvent(event);
            std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
            at += 4;
        }
    }
    result.status = ImageStatus::Ok;
    return result;
}

} // namespace orvel::input
