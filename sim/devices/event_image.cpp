#include "sim/devices/event_image.h"

namespace orvel::sim {
namespace {

std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t value)
{
    out[at] = static_cast<std::uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

ImageCheck Refuse(std::string why)
{
    ImageCheck check;
    check.error = std::move(why);
    return check;
}

} // namespace

ImageCheck CheckEventImage(std::span<const std::uint8_t> image, std::size_t capacity, std::size_t maxSections)
{
    if (image.size() < kImageHeaderSize) {
        return Refuse("image shorter than its 16-byte header");
    }
    if (image[0] != 0xAA || image[1] != 0x55) {
        return Refuse("magic is not AA 55");
    }
    const std::size_t total = U16(image, 2);
    if (total > capacity) {
        return Refuse("total size " + std::to_string(total) + " exceeds the memory of " + std::to_string(capacity));
    }
    if (total != image.size()) {
        return Refuse("total size " + std::to_string(total) + " differs from the " + std::to_string(image.size()) +
                      " bytes received");
    }
    const std::size_t count = U16(image, 4);
    if (count > maxSections) {
        return Refuse("count " + std::to_string(count) + " is above " + std::to_string(maxSections));
    }
    const std::size_t tableEnd = kImageHeaderSize + 2 * count;
    if (tableEnd > total) {
        return Refuse("offset table runs past the end");
    }
    ImageCheck check;
    std::size_t eventSum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t offset = U16(image, kImageHeaderSize + 2 * i);
        if (offset < tableEnd || offset + 4 > total) {
            return Refuse("offset of entry " + std::to_string(i) + " is outside the image");
        }
        const std::size_t events = U16(image, offset);
        if (events > static_cast<std::size_t>(kMaxEventsPerSection)) {
            return Refuse("entry " + std::to_string(i) + " has " + std::to_string(events) + " events");
        }
        if (offset + 4 + 4 * events > total) {
            return Refuse("events of entry " + std::to_string(i) + " run past the end");
        }
        ImageSection section;
        for (std::size_t e = 0; e < events; ++e) {
            const std::size_t at = offset + 4 + 4 * e;
            section.events.push_back(ImageEvent{U16(image, at), image[at + 2], image[at + 3]});
        }
        eventSum += events;
        check.sections.push_back(std::move(section));
    }
    if (total != kImageHeaderSize + 6 * count + 4 * eventSum) {
        return Refuse("total size does not match the events it holds");
    }
    check.ok = true;
    return check;
}

std::vector<std::uint8_t> BuildEventImage(const std::vector<ImageSection>& sections)
{
    std::size_t total = kImageHeaderSize + 2 * sections.size();
    for (const auto& section : sections) {
        total += 4 + 4 * section.events.size();
    }
    std::vector<std::uint8_t> image(total, 0);
    image[0] = 0xAA;
    image[1] = 0x55;
    Put16(image, 2, static_cast<std::uint16_t>(total));
    Put16(image, 4, static_cast<std::uint16_t>(sections.size()));
    std::size_t at = kImageHeaderSize + 2 * sections.size();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        Put16(image, kImageHeaderSize + 2 * i, static_cast<std::uint16_t>(at));
        Put16(image, at, static_cast<std::uint16_t>(sections[i].events.size()));
        at += 4;
        for (const auto& event : sections[i].events) {
            Put16(image, at, event.delay);
            image[at + 2] = event.type;
            image[at + 3] = event.button;
            at += 4;
        }
    }
    return image;
}

} // namespace orvel::sim
