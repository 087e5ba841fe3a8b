#pragma once
// The lighting modes a device kind offers, from "default_light.json" in the default data
// folder: "DefaultLightName"[kind] is a list of {"LightName", "visible", "value"}. A profile
// stores a mode as its index in this list ("SelectItem"); the device receives the "value".
// A flat list (not indexed by kind) applies to every kind.

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvel::devices {

inline constexpr const char* kDefaultLightFile = "default_light.json";

struct ModeEntry {
    std::string name;
    bool visible = true;
    int value = 0;
};

class ModeList {
public:
    ModeList() = default;
    explicit ModeList(std::vector<ModeEntry> entries) : entries_(std::move(entries)) {}
    // Reads the kind's list; a missing or broken file gives an empty list.
    static ModeList Load(const std::filesystem::path& defaultDataFolder, int kind);
    // The entries of one kind's list (a JSON array of mode objects).
    static ModeList FromList(const Json::Value& modes);

    const std::vector<ModeEntry>& Entries() const { return entries_; }
    int Size() const { return static_cast<int>(entries_.size()); }
    // The code of the entry at index, when there is one.
    std::optional<std::uint8_t> CodeAt(int index) const;
    // The index of the first entry with this code, when there is one.
    std::optional<int> IndexOf(int code) const;

private:
    std::vector<ModeEntry> entries_;
};

} // namespace orvel::devices
