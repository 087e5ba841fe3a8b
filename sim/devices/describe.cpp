#include "sim/devices/describe.h"

#include "sim/devices/event_image.h"
#include "sim/devices/factory_tables.h"

#include <cstdio>
#include <sstream>

namespace orvel::sim {
namespace {

std::string Hex(std::span<const std::uint8_t> bytes)
{
    std::string text;
    char part[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(part, sizeof(part), i == 0 ? "%02X" : " %02X", bytes[i]);
        text += part;
    }
    return text;
}

std::string Colour(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%02X%02X%02X", r, g, b);
    return text;
}

std::string Code(const std::uint8_t* bytes)
{
    return Hex(std::span<const std::uint8_t>(bytes, 3));
}

int U16(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8);
}

// Bytes 1..8 of every kind's block: mode code, brightness, speed, byte 4 (the direction on a
// keyboard or mouse; on the pad and headset a byte only the device knows), seven colours, colour.
void Lighting(std::ostringstream& out, const std::vector<std::uint8_t>& m, std::size_t at, bool byte4IsDirection)
{
    out << "  light: mode code " << int(m[at + 1]) << ", brightness " << int(m[at + 2]) << ", speed "
        << 4 - int(m[at + 3]) << " (stored " << int(m[at + 3]) << "), "
        << (byte4IsDirection ? "direction " : "byte 4 ") << int(m[at + 4]) << ", seven colours " << int(m[at + 5])
        << ", colour " << Colour(m[at + 6], m[at + 7], m[at + 8]) << "\n";
}

std::string Settings(const Firmware& device, const DeviceMemory& m)
{
    std::ostringstream out;
    const int active = m.block[0] % kBankCount;
    out << "active bank " << active << " (address 0 = " << int(m.block[0]) << ")\n";
    for (int bank = 0; bank < kBankCount; ++bank) {
        const std::size_t at = BlockAddress(device.Kind(), bank);
        const char* mark = bank == active ? " (active)" : "";
        if (device.Kind() == DeviceKind::Mouse) {
            out << "bank " << bank << mark << ", 71 bytes at " << at << ":\n";
            Lighting(out, m.block, at, true);
            out << "  polling-rate index " << int(m.block[at + 11]) << ", current DPI stage " << int(m.block[at + 12])
                << "\n";
            for (int s = 0; s < 5; ++s) {
                const std::size_t st = at + 14 + 9 * static_cast<std::size_t>(s);
                const int x = U16(m.block, st + 2);
                const int y = U16(m.block, st + 4);
                out << "  stage " << s << ": " << (m.block[st] ? "on" : "off") << ", separate X/Y " << int(m.block[st + 1])
                    << ", X level " << x << " (" << MouseDpiOfLevel(x, m.info[11], U16(m.info, 14), U16(m.info, 9))
                    << " DPI), Y level " << y << ", colour " << Colour(m.block[st + 6], m.block[st + 7], m.block[st + 8])
                    << "\n";
            }
            out << "  byte 59 " << int(m.block[at + 59]) << ", screen " << U16(m.block, at + 60) << " x "
                << U16(m.block, at + 62) << ", lift-off " << int(m.block[at + 64]) << "/" << int(m.block[at + 65]) << "\n";
            out << "  raw: " << Hex(std::span(m.block).subspan(at, 71)) << "\n";
        } else if (device.Kind() == DeviceKind::Keyboard) {
            out << "profile " << bank << mark << ", 31 bytes at " << at << ":\n";
            Lighting(out, m.block, at, true);
            out << "  byte 17 " << int(m.block[at + 17]) << ", LED mode " << int(m.block[at + 18]) << ", W flag "
                << int(m.block[at + 19]) << ", 6-key flag " << int(m.block[at + 20]) << ", Win lock "
                << int(m.block[at + 21]) << ", polling-rate index " << int(m.block[at + 22]) << ", custom group "
                << int(m.block[at + 25]) << "\n";
            out << "  raw: " << Hex(std::span(m.block).subspan(at, 31)) << "\n";
        } else {
            out << "profile " << bank << mark << ", 21 bytes at " << at << ":\n";
            Lighting(out, m.block, at, false);
            out << "  raw: " << Hex(std::span(m.block).subspan(at, 21)) << "\n";
        }
    }
    return out.str();
}

std::string Keys(const Firmware& device, const DeviceMemory& m)
{
    std::ostringstream out;
    const int count = m.info[5];
    if (count == 0) {
        return "no key table\n";
    }
    int changed = 0;
    for (int k = 0; k < count; ++k) {
        if (!std::equal(m.keyTable.begin() + 3 * k, m.keyTable.begin() + 3 * k + 3, m.factoryKeys.begin() + 3 * k)) {
            ++changed;
        }
    }
    out << count << " keys, " << changed << " not at their factory code (marked *)\n";
    for (int k = 0; k < count; ++k) {
        const bool differs =
            !std::equal(m.keyTable.begin() + 3 * k, m.keyTable.begin() + 3 * k + 3, m.factoryKeys.begin() + 3 * k);
        out << (differs ? "* " : "  ") << "key " << k;
        if (device.Kind() == DeviceKind::Keyboard) {
            out << " (position " << KeyboardKeyPositions()[static_cast<std::size_t>(k)] << ", LED " << int(m.ledTable[static_cast<std::size_t>(k)]) << ")";
        }
        out << ": " << Code(&m.keyTable[3 * static_cast<std::size_t>(k)]) << "   factory "
            << Code(&m.factoryKeys[3 * static_cast<std::size_t>(k)]) << "\n";
    }
    return out.str();
}

std::string Image(const std::vector<std::uint8_t>& image, const char* what, const char* entry)
{
    if (image.empty()) {
        return std::string("no ") + what + " image\n";
    }
    const ImageCheck check = CheckEventImage(image, image.size(), 255);
    std::ostringstream out;
    out << what << " image, " << image.size() << " bytes, " << check.sections.size() << " " << entry << "s\n";
    for (std::size_t i = 0; i < check.sections.size(); ++i) {
        out << entry << " " << i << ": " << check.sections[i].events.size() << " events\n";
        for (const auto& e : check.sections[i].events) {
            char line[96];
            std::snprintf(line, sizeof(line), "  %5u ms  %-7s type %02X button %02X\n", e.delay,
                          (e.type & 0x80) ? "press" : "release", e.type & 0x7F, e.button);
            out << line;
        }
    }
    return out.str();
}

std::string Leds(const Firmware& device, const DeviceMemory& m)
{
    std::ostringstream out;
    if (device.Kind() == DeviceKind::Headset) {
        out << m.headset.framesCompleted << " light frames received\n";
        for (int led = 0; led < 13; ++led) {
            const auto i = static_cast<std::size_t>(led);
            out << "LED " << led << ": bank 22 "
                << Colour(m.headset.bank22[0][i], m.headset.bank22[1][i], m.headset.bank22[2][i]) << ", bank 44 "
                << Colour(m.headset.bank44[0][i], m.headset.bank44[1][i], m.headset.bank44[2][i]) << "\n";
        }
        return out.str();
    }
    if (device.Kind() == DeviceKind::Keyboard) {
        out << "host light control " << (m.hostLightControl ? "on" : "off") << "\n";
    }
    const std::size_t leds = m.ledPicture.size() / 3;
    int lit = 0;
    std::ostringstream list;
    for (std::size_t led = 0; led < leds; ++led) {
        const std::uint8_t* c = &m.ledPicture[3 * led];
        if (device.Kind() != DeviceKind::Keyboard || c[0] || c[1] || c[2]) {
            list << "LED " << led << ": " << Colour(c[0], c[1], c[2]) << "\n";
            lit += (c[0] || c[1] || c[2]) ? 1 : 0;
        }
    }
    out << "LED picture from the light stream, " << lit << " of " << leds << " LEDs lit\n" << list.str();
    for (int g = 0; g < (device.Kind() == DeviceKind::Keyboard ? kLightGroups : 0); ++g) {
        const auto begin = m.lightGroups.begin() + g * static_cast<std::ptrdiff_t>(kLightGroupSize);
        const auto groupLit = [&] {
            int n = 0;
            for (std::size_t led = 0; led < kLightGroupSize / 3; ++led) {
                n += (begin[3 * led] || begin[3 * led + 1] || begin[3 * led + 2]) ? 1 : 0;
            }
            return n;
        }();
        if (groupLit > 0) {
            out << "custom colour group " << g << ": " << groupLit << " LEDs lit\n";
            for (std::size_t led = 0; led < kLightGroupSize / 3; ++led) {
                if (begin[3 * led] || begin[3 * led + 1] || begin[3 * led + 2]) {
                    out << "  LED " << led << ": " << Colour(begin[3 * led], begin[3 * led + 1], begin[3 * led + 2]) << "\n";
                }
            }
        }
    }
    return out.str();
}

std::string Power(const Firmware& device)
{
    static const char* charges[] = {"powered", "charging", "charged", "on battery"};
    static const char* wireless[] = {"awake", "asleep", "out of range", "no device paired"};
    std::ostringstream out;
    out << "battery " << device.BatteryPercent() << "%, " << charges[static_cast<int>(device.Charge())] << "\n";
    out << "cable " << (device.PathPresent(Path::Cable) ? "plugged" : "unplugged");
    if (HasReceiver(device.Kind())) {
        out << ", receiver " << (device.PathPresent(Path::Receiver) ? "plugged" : "unplugged") << ", device "
            << wireless[static_cast<int>(device.Wireless())];
    }
    out << "\n";
    return out.str();
}

} // namespace

std::string ReceivedFrameText(const ReceivedFrame& frame)
{
    std::size_t end = frame.request.size();
    while (end > kPayloadOffset && frame.request[end - 1] == 0) {
        --end;
    }
    char status[4] = "-";
    if (frame.status) {
        std::snprintf(status, sizeof(status), "%02X", *frame.status);
    }
    return std::string(frame.via == Path::Cable ? "cable " : "receiver ") +
           Hex(std::span(frame.request).first(end)) + " -> " + status;
}

int MouseDpiOfLevel(int level, int step, int lowest, int sensor)
{
    if (sensor == 0x3325 && level > 48) {
        return 48 * step + (level - 48) * 200 + lowest;
    }
    return level * step + lowest;
}

const std::vector<std::string_view>& DescribeSections()
{
    static const std::vector<std::string_view> sections{"settings", "keys", "macros", "shoot", "leds", "info", "power", "all"};
    return sections;
}

std::string Describe(const Firmware& device, std::string_view section)
{
    const DeviceMemory m = device.Snapshot();
    if (section == "settings") return Settings(device, m);
    if (section == "keys") return Keys(device, m);
    if (section == "macros") return Image(m.macros, "macro", "macro");
    if (section == "shoot") return Image(m.shoot, "shoot", "gun");
    if (section == "leds") return Leds(device, m);
    if (section == "info") {
        return "information record: " + Hex(m.info) + "\n" + (m.lastRefusal.empty() ? "" : "last refusal: " + m.lastRefusal + "\n");
    }
    if (section == "power") return Power(device);
    if (section == "all") {
        std::string text;
        for (std::string_view s : {"info", "power", "settings", "keys", "macros", "shoot", "leds"}) {
            if ((s == "keys" || s == "macros") && !(device.Kind() == DeviceKind::Keyboard || device.Kind() == DeviceKind::Mouse)) {
                continue;
            }
            if (s == "shoot" && device.Kind() != DeviceKind::Mouse) {
                continue;
            }
            text += "== " + std::string(s) + "\n" + Describe(device, s);
        }
        return text;
    }
    return {};
}

} // namespace orvel::sim
