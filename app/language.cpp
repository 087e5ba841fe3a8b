#include "app/language.h"

#include "platform/paths.h"
#include "platform/settings.h"
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"

namespace orvel::app {
namespace {

// Windows language ids of the languages with a face of their own.
constexpr std::int64_t kSimplifiedChineseIds[] = {2052, 4100};      // PRC, Singapore
constexpr std::int64_t kTraditionalChineseIds[] = {1028, 3076, 5124}; // Taiwan, Hong Kong, Macao
constexpr std::int64_t kThaiId = 1054;

bool IdIn(std::int64_t id, std::span<const std::int64_t> ids)
{
    for (std::int64_t known : ids) {
        if (id == known)
            return true;
    }
    return false;
}

// A file name without folders (the language files lie in the skin folder).
bool IsBareFileName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name != "." && name != "..";
}

constexpr FontSpec kSharedFonts[] = {
    {-1, 14}, {0, 15}, {1, 14, false, true}, {2, 18}, {3, 30}, {4, 16}, {5, 20}, {6, 22},
    {7, 14},  {8, 12}, {9, 11},  {10, 10}, {11, 28}, {50, 18, true},
};

} // namespace

std::vector<LanguageEntry> ReadLanguageList(const std::filesystem::path& file)
{
    std::vector<LanguageEntry> entries;
    const Json::Value document = profiles::LoadJsonFile(file);
    const Json::Value& list = profiles::JsonArray(document, "Language");
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& e = list[i];
        LanguageEntry entry;
        entry.name = profiles::JsonString(e, "Language_name");
        entry.file = profiles::JsonString(e, "Language_file");
        entry.text = profiles::JsonString(e, "Language_text");
        entry.id = profiles::JsonToInt(profiles::JsonMember(e, "Language_ID")).value_or(-1);
        if (IsBareFileName(entry.file))
            entries.push_back(std::move(entry));
    }
    return entries;
}

int ReadLanguageIndex(const std::vector<LanguageEntry>& entries)
{
    const auto key = settings::RegistryKey::OpenForReading(settings::kProductKey);
    if (!key)
        return 0;
    const std::int64_t id = key->QueryDword(settings::kLanguageValue).value_or(kNoLanguageId);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id == id)
            return static_cast<int>(i);
    }
    return 0;
}

bool WriteLanguageId(std::int64_t id)
{
    if (id < 0 || id > 0xFFFFFFFF)
        return false;
    const auto key = settings::RegistryKey::OpenForWriting(settings::kProductKey);
    return key && key->SetDword(settings::kLanguageValue, static_cast<std::uint32_t>(id));
}

std::string FontFaceFor(const LanguageEntry& entry)
{
    if (IdIn(entry.id, kSimplifiedChineseIds))
        return "Noto Sans CJK SC";
    if (IdIn(entry.id, kTraditionalChineseIds))
        return "Noto Sans CJK TC";
    if (entry.id == kThaiId)
        return "Noto Sans Thai";
    return kDefaultFace;
}

LanguageSwitch PlanLanguageSwitch(const std::vector<LanguageEntry>& entries, int current, int index)
{
    LanguageSwitch plan;
    if (index == current || index < 0 || static_cast<std::size_t>(index) >= entries.size())
        return plan;
    plan.change = true;
    plan.entry = entries[static_cast<std::size_t>(index)];
    plan.face = FontFaceFor(plan.entry);
    const bool knownCurrent = current >= 0 && static_cast<std::size_t>(current) < entries.size();
    plan.rebuildFonts = !knownCurrent || FontFaceFor(entries[static_cast<std::size_t>(current)]) != plan.face;
    return plan;
}

std::span<const FontSpec> SharedFonts()
{
    return kSharedFonts;
}

} // namespace orvel::app
