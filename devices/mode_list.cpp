#include "devices/mode_list.h"

#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"

namespace orvel::devices {

using namespace orvel::profiles;

ModeList ModeList::Load(const std::filesystem::path& defaultDataFolder, int kind)
{
    const Json::Value document = LoadJsonFile(defaultDataFolder / kDefaultLightFile);
    return FromList(JsonListOfIndex(JsonArray(document, "DefaultLightName"), kind));
}

ModeList ModeList::FromList(const Json::Value& modes)
{
    std::vector<ModeEntry> entries;
    for (Json::ArrayIndex i = 0; modes.isArray() && i < modes.size(); ++i) {
        const Json::Value& mode = JsonElement(modes, i);
        entries.push_back({JsonString(mode, "LightName"), JsonBool(mode, "visible", true), JsonInt(mode, "value")});
    }
    return ModeList(std::move(entries));
}

std::optional<std::uint8_t> ModeList::CodeAt(int index) const
{
    if (index < 0 || index >= Size()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(entries_[static_cast<std::size_t>(index)].value);
}

std::optional<int> ModeList::IndexOf(int code) const
{
    for (int i = 0; i < Size(); ++i) {
        if (entries_[static_cast<std::size_t>(i)].value == code) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace orvel::devices
