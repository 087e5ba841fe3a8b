// Device memory kept in a JSON file: the memories the device stores (settings blocks, key
// table, macro and shoot images, custom colour groups) as hexadecimal text.

#include "sim/devices/event_image.h"
#include "sim/devices/firmware.h"

#include "platform/debuglog.h"
#include "profiles/jsonfile.h"

#include <optional>

namespace orvel::sim {
namespace {

std::string ToHex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0x0F]);
    }
    return text;
}

int Digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> FromHex(const Json::Value& value)
{
    if (!value.isString()) {
        return std::nullopt;
    }
    const std::string text = value.asString();
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = Digit(text[i]);
        const int lo = Digit(text[i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return bytes;
}

// A fixed-size memory from the file: taken only when it has exactly the device's size.
bool TakeFixed(const Json::Value& json, const char* key, std::vector<std::uint8_t>& target)
{
    if (!json.isMember(key)) {
        return true;
    }
    auto bytes = FromHex(json[key]);
    if (!bytes || bytes->size() != target.size()) {
        return false;
    }
    target = std::move(*bytes);
    return true;
}

bool TakeImage(const Json::Value& json, const char* key, std::size_t capacity, std::size_t maxSections,
               std::vector<std::uint8_t>& target)
{
    if (!json.isMember(key)) {
        return true;
    }
    auto bytes = FromHex(json[key]);
    if (!bytes) {
        return false;
    }
    if (!bytes->empty() && !CheckEventImage(*bytes, capacity, maxSections).ok) {
        return false;
    }
    target = std::move(*bytes);
    return true;
}

} // namespace

Json::Value Firmware::MemoryToJson() const
{
    std::lock_guard lock(mutex_);
    return MemoryJsonLocked();
}

Json::Value Firmware::MemoryJsonLocked() const
{
    Json::Value json(Json::objectValue);
    json["kind"] = std::string(KindName(kind_));
    json["block"] = ToHex(memory_.block);
    if (kind_ == DeviceKind::Keyboard || kind_ == DeviceKind::Mouse) {
        json["keyTable"] = ToHex(memory_.keyTable);
        json["macros"] = ToHex(memory_.macros);
    }
    if (kind_ == DeviceKind::Mouse) {
        json["shoot"] = ToHex(memory_.shoot);
    }
    if (kind_ == DeviceKind::Keyboard) {
        json["lightGroups"] = ToHex(memory_.lightGroups);
    }
    return json;
}

bool Firmware::MemoryFromJson(const Json::Value& json)
{
    std::lock_guard lock(mutex_);
    if (!json.isObject() || !json["kind"].isString() || json["kind"].asString() != KindName(kind_)) {
        return false;
    }
    // Check everything on a copy, so a file with one bad field changes nothing.
    DeviceMemory loaded = memory_;
    const bool ok = TakeFixed(json, "block", loaded.block) && TakeFixed(json, "keyTable", loaded.keyTable) &&
                    TakeFixed(json, "lightGroups", loaded.lightGroups) &&
                    TakeImage(json, "macros", macroCapacity_, 64, loaded.macros) &&
                    TakeImage(json, "shoot", shootCapacity_, 4, loaded.shoot);
    if (ok) {
        memory_ = std::move(loaded);
    }
    return ok;
}

bool Firmware::UseMemoryFile(const std::filesystem::path& file)
{
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        const Json::Value json = profiles::LoadJsonFile(file);
        if (!MemoryFromJson(json)) {
            debuglog::Writef("device memory file %s cannot be used; it is left as it is", file.string().c_str());
            return false;
        }
    }
    std::lock_guard lock(mutex_);
    memoryFile_ = file;
    return true;
}

void Firmware::SaveLocked() const
{
    if (!memoryFile_.empty()) {
        profiles::SaveJsonFile(memoryFile_, MemoryJsonLocked());
    }
}

} // namespace orvel::sim
