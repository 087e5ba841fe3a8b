#include "devices/light_lists.h"

#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"

namespace orvel::devices {
namespace {

using namespace orvel::profiles;

std::vector<std::string> NamesOf(const Json::Value& list)
{
    std::vector<std::string> names;
    for (Json::ArrayIndex i = 0; list.isArray() && i < list.size(); ++i)
        names.push_back(JsonString(JsonElement(list, i), "LightName"));
    return names;
}

} // namespace

LightPanelLists LoadLightLists(const std::filesystem::path& defaultDataFolder, const std::filesystem::path& lightConfig,
                          int kind, const LightPanelLists& previous)
{
    LightPanelLists lists = previous;
    const Json::Value defaults = LoadJsonFile(defaultDataFolder / kDefaultLightFile);
    const Json::Value& modes = JsonArray(defaults, "DefaultLightName");
    if (!modes.isNull()) {
        lists.modes = ModeList::FromList(JsonListOfIndex(modes, kind));
        lists.areas = NamesOf(JsonListOfIndex(JsonArray(defaults, "AreaLightName"), kind));
    }
    lists.userEffects = NamesOf(JsonListOfIndex(JsonArray(LoadJsonFile(lightConfig), "LightInfo"), kind));
    return lists;
}

} // namespace orvel::devices
